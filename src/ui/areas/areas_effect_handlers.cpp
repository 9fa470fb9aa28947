// The effect pages' change handlers, which store each edit into the current event's record,
// the wiring of their buttons, the link buttons and the coordinate entry from the main window.
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <functional>
#include <utility>

#include "audio/audio_output.h"
#include "export/link_rules.h"
#include "store/common_data.h"
#include "ui/areas/areas_effect_fields.h"
#include "ui/areas/areas_window.h"
#include "ui/common/text.h"
#include "ui/main/editor.h"
#include "ui_areas_window.h"

namespace velmora {

using namespace effect_pages;

namespace {

// Runs onClick when the label is clicked with the left button.
class ClickFilter : public QObject {
public:
    ClickFilter(QObject* parent, std::function<void()> onClick)
        : QObject(parent), m_onClick(std::move(onClick)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            m_onClick();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_onClick;
};

}  // namespace

void TForm4::ConnectEffectPages() {
    for (const ListField& list : ListFields()) {
        QComboBox* box = (*m_ui).*list.control;
        connect(box, &QComboBox::currentIndexChanged, this, [this, box, list](int) {
            if (!CanStore()) {
                return;
            }
            Data().records.SetAttribute(CurrentEvent(), list.field, U(box->currentText()));
        });
    }
    for (const MemoField& memo : MemoFields()) {
        QPlainTextEdit* edit = (*m_ui).*memo.control;
        connect(edit, &QPlainTextEdit::textChanged, this, [this, edit, memo] {
            if (!CanStore()) {
                return;
            }
            Data().records.SetAttribute(CurrentEvent(), memo.field,
                                        StoredText(edit->toPlainText()));
            UpdateStatusBar();
        });
    }
    for (const LineField& line : LineFields()) {
        connect((*m_ui).*line.control, &QLineEdit::textChanged, this,
                [this, line](const QString& text) {
                    if (!CanStore()) {
                        return;
                    }
                    Data().records.SetAttribute(CurrentEvent(), line.field, U(text));
                    UpdateStatusBar();
                });
    }
    for (const NumberField& number : NumberFields()) {
        connect((*m_ui).*number.control, &QSpinBox::valueChanged, this, [this, number](int value) {
            if (!CanStore()) {
                return;
            }
            StoreNumber(number.field, value);
            if (number.page == kOverlayPage) {
                PageControl1Change();
            }
        });
    }
    for (const SliderField& pair : SliderFields()) {
        QSlider* slider = (*m_ui).*pair.slider;
        QSpinBox* number = (*m_ui).*pair.number;
        const bool volume = pair.field == &ATTRIBUTES::sound_volume;
        auto changed = [this, slider, number, pair, volume](int value) {
            // The partner control follows; for the volume it does so with Loading set.
            {
                const QSignalBlocker blockSlider(slider);
                const QSignalBlocker blockNumber(number);
                slider->setValue(value);
                number->setValue(value);
            }
            if (!CanStore()) {
                return;
            }
            StoreNumber(pair.field, value);
            if (volume) {
                SetVolume(CurrentStream, kVolumeAttribute, static_cast<float>(value) * 0.01f);
            } else {
                UpdateStatusBar();
                UpdateEffectPreview();
            }
        };
        connect(slider, &QSlider::valueChanged, this, changed);
        connect(number, &QSpinBox::valueChanged, this, changed);
    }
    for (const CheckField& check : CheckFields()) {
        connect((*m_ui).*check.control, &QCheckBox::toggled, this, [this, check](bool on) {
            if (!CanStore()) {
                return;
            }
            StoreNumber(check.field, on ? 1 : 0);
            UpdateStatusBar();
            UpdateEffectPreview();
        });
    }
    for (const ImageField& image : ImageFields()) {
        const int page = image.page;
        ((*m_ui).*image.control)->installEventFilter(new ClickFilter(this, [this, page] {
            ChoosePicture(page);
        }));
    }

    connect(m_ui->EffectPreview, &QCheckBox::toggled, this, [this] { UpdateEffectPreview(); });
    connect(m_ui->SoundChoose, &QPushButton::clicked, this, [this] { SoundChooseClick(); });
    connect(m_ui->SoundPlay, &QPushButton::clicked, this, [this] { SoundPlayClick(); });
    connect(m_ui->SoundStop, &QPushButton::clicked, this, [] { StopPreview(); });
    connect(m_ui->LinkUrl, &QLineEdit::textChanged, this, [this] { UpdateLinkWarning(); });
    m_ui->LinkWarning->setStyleSheet(QStringLiteral("color: #b3261e;"));
    m_ui->LinkWarning->hide();
    connect(m_ui->LinkPaste, &QPushButton::clicked, this, [this] { LinkPasteClick(); });
    connect(m_ui->LinkCopy, &QPushButton::clicked, this, [this] { LinkCopyClick(); });
    connect(m_ui->LinkDelete, &QPushButton::clicked, this, [this] { m_ui->LinkUrl->clear(); });
    connect(m_ui->LinkOpen, &QPushButton::clicked, this, [this] {
        if (!m_ui->LinkUrl->text().isEmpty()) {
            m_editor.GetPorts().shell.Open(U(m_ui->LinkUrl->text()));
        }
    });
    connect(m_ui->BitBtn1, &QPushButton::clicked, this, [this] { PageCopyClick(); });
    connect(m_ui->BitBtn2, &QPushButton::clicked, this, [this] { PagePasteClick(); });
    connect(m_ui->BitBtn3, &QPushButton::clicked, this, [this] { PageClearClick(); });
}

bool TForm4::CanStore() const {
    return !m_loading && m_editable && HasSelection();
}

void TForm4::StoreNumber(std::int32_t ATTRIBUTES::*field, int value) {
    Data().records.SetAttribute(CurrentEvent(), field, value);
}

void TForm4::LinkPasteClick() {
    m_ui->LinkUrl->selectAll();
    m_ui->LinkUrl->insert(Q(m_editor.GetPorts().clipboard.Text()));
}

void TForm4::UpdateLinkWarning() {
    const QString warning = Q(LinkWarning(CurrentEvent(), U(m_ui->LinkUrl->text())));
    m_ui->LinkWarning->setText(warning);
    m_ui->LinkWarning->setVisible(!warning.isEmpty());
}

void TForm4::LinkCopyClick() {
    m_ui->LinkUrl->selectAll();
    m_editor.GetPorts().clipboard.SetText(U(m_ui->LinkUrl->text()));
}

bool TForm4::EnterCoordinates(Qt::MouseButton button, int x, int y) {
    QSpinBox* fieldX = nullptr;
    QSpinBox* fieldY = nullptr;
    const bool left = button == Qt::LeftButton;
    const bool right = button == Qt::RightButton;
    switch (ActivePage()) {
        case 0:
            fieldX = left ? m_ui->MessageCenterX : right ? m_ui->MessagePointerX : nullptr;
            fieldY = left ? m_ui->MessageCenterY : right ? m_ui->MessagePointerY : nullptr;
            break;
        case 1:
            fieldX = left ? m_ui->PictureCenterX : right ? m_ui->PicturePointerX : nullptr;
            fieldY = left ? m_ui->PictureCenterY : right ? m_ui->PicturePointerY : nullptr;
            break;
        case kOverlayPage:
            fieldX = left ? m_ui->OverlayX : nullptr;
            fieldY = left ? m_ui->OverlayY : nullptr;
            break;
        default:
            break;
    }
    if (!fieldX || !fieldY) {
        return false;
    }
    fieldX->setValue(x);
    fieldY->setValue(y);
    return true;
}

}  // namespace velmora
