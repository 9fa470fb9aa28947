// The effect pages of the areas window: filling and clearing their controls from the loaded
// records, storing edits, choosing pictures and sounds into the project, the sound preview,
// the link buttons, the page-wise copy, paste and clear, and the coordinate entry from the
// main window.
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <exception>

#include "audio/audio_output.h"
#include "store/common_data.h"
#include "store/image_file.h"
#include "ui/areas/areas_window.h"
#include "ui/areas/loading_scope.h"
#include "ui/areas/sound_indicator.h"
#include "ui/common/file_filters.h"
#include "ui/common/text.h"
#include "ui/main/editor.h"
#include "ui_areas_window.h"

namespace velmora {

namespace {

constexpr const char* kPictureBoxFilter =
    "All (*.gif;*.jpg;*.jpeg;*.png;*.bmp;*.ico;*.emf;*.wmf;*.tif;*.tiff)|*.gif;*.jpg;*.jpeg;*.png;|"
    "GIF Image (*.gif)|*.gif|JPEG Image File (*.jpg)|*.jpg|JPEG Image File (*.jpeg)|*.jpeg|"
    "Portable Network Graphics (*.png)|*.png";
constexpr const char* kSoundFilter = "Аудио файлы (*.mp3;*.ogg)|*.mp3;*.ogg";
constexpr const char* kPictureMissing = "Изображение не найдено: ";
constexpr int kOverlayPage = 2;
constexpr int kSoundPage = 5;
constexpr int kEffectsPage = 7;
constexpr int kPageCount = 8;

// A number field of the pages and the record field it edits.
struct NumberField {
    QSpinBox* Ui::TForm4::*control;
    std::int32_t ATTRIBUTES::*field;
    int page;
};

const std::array<NumberField, 10>& NumberFields() {
    static const std::array<NumberField, 10> fields = {{
        {&Ui::TForm4::MessageCenterX, &ATTRIBUTES::message_center_x, 0},
        {&Ui::TForm4::MessageCenterY, &ATTRIBUTES::message_center_y, 0},
        {&Ui::TForm4::MessagePointerX, &ATTRIBUTES::message_pointer_x, 0},
        {&Ui::TForm4::MessagePointerY, &ATTRIBUTES::message_pointer_y, 0},
        {&Ui::TForm4::PictureCenterX, &ATTRIBUTES::picture_center_x, 1},
        {&Ui::TForm4::PictureCenterY, &ATTRIBUTES::picture_center_y, 1},
        {&Ui::TForm4::PicturePointerX, &ATTRIBUTES::picture_pointer_x, 1},
        {&Ui::TForm4::PicturePointerY, &ATTRIBUTES::picture_pointer_y, 1},
        {&Ui::TForm4::OverlayX, &ATTRIBUTES::overlay_x, kOverlayPage},
        {&Ui::TForm4::OverlayY, &ATTRIBUTES::overlay_y, kOverlayPage},
    }};
    return fields;
}

// A drop-down list and the text field it stores.
struct ListField {
    QComboBox* Ui::TForm4::*control;
    std::string ATTRIBUTES::*field;
    int page;
};

const std::array<ListField, 4>& ListFields() {
    static const std::array<ListField, 4> fields = {{
        {&Ui::TForm4::MessageStyle, &ATTRIBUTES::message_style, 0},
        {&Ui::TForm4::MessageType, &ATTRIBUTES::message_type, 0},
        {&Ui::TForm4::PictureStyle, &ATTRIBUTES::picture_style, 1},
        {&Ui::TForm4::PictureType, &ATTRIBUTES::picture_type, 1},
    }};
    return fields;
}

// A multi-line text and the field it stores; the record keeps CR LF line breaks.
struct MemoField {
    QPlainTextEdit* Ui::TForm4::*control;
    std::string ATTRIBUTES::*field;
    int page;
};

const std::array<MemoField, 2>& MemoFields() {
    static const std::array<MemoField, 2> fields = {{
        {&Ui::TForm4::MessageText, &ATTRIBUTES::message_text, 0},
        {&Ui::TForm4::CopyText, &ATTRIBUTES::copy_text, 3},
    }};
    return fields;
}

struct LineField {
    QLineEdit* Ui::TForm4::*control;
    std::string ATTRIBUTES::*field;
    int page;
};

const std::array<LineField, 2>& LineFields() {
    static const std::array<LineField, 2> fields = {{
        {&Ui::TForm4::JsCode, &ATTRIBUTES::js_code, 4},
        {&Ui::TForm4::LinkUrl, &ATTRIBUTES::link, 6},
    }};
    return fields;
}

// A slider and its number field that show one value.
struct SliderField {
    QSlider* Ui::TForm4::*slider;
    QSpinBox* Ui::TForm4::*number;
    std::int32_t ATTRIBUTES::*field;
    int page;
};

const std::array<SliderField, 7>& SliderFields() {
    static const std::array<SliderField, 7> fields = {{
        {&Ui::TForm4::SoundVolume, &Ui::TForm4::SoundVolumeField, &ATTRIBUTES::sound_volume,
         kSoundPage},
        {&Ui::TForm4::AreaBrightness, &Ui::TForm4::AreaBrightnessField,
         &ATTRIBUTES::area_brightness, kEffectsPage},
        {&Ui::TForm4::AreaContrast, &Ui::TForm4::AreaContrastField, &ATTRIBUTES::area_contrast,
         kEffectsPage},
        {&Ui::TForm4::AreaGamma, &Ui::TForm4::AreaGammaField, &ATTRIBUTES::area_gamma,
         kEffectsPage},
        {&Ui::TForm4::BackgroundBrightness, &Ui::TForm4::BackgroundBrightnessField,
         &ATTRIBUTES::background_brightness, kEffectsPage},
        {&Ui::TForm4::BackgroundContrast, &Ui::TForm4::BackgroundContrastField,
         &ATTRIBUTES::background_contrast, kEffectsPage},
        {&Ui::TForm4::BackgroundGamma, &Ui::TForm4::BackgroundGammaField,
         &ATTRIBUTES::background_gamma, kEffectsPage},
    }};
    return fields;
}

struct CheckField {
    QCheckBox* Ui::TForm4::*control;
    std::int32_t ATTRIBUTES::*field;
};

const std::array<CheckField, 2>& CheckFields() {
    static const std::array<CheckField, 2> fields = {{
        {&Ui::TForm4::AreaGrayscale, &ATTRIBUTES::area_grayscale},
        {&Ui::TForm4::BackgroundGrayscale, &ATTRIBUTES::background_grayscale},
    }};
    return fields;
}

// The image box of page 1 or 2 and the file name it shows.
struct ImageField {
    QLabel* Ui::TForm4::*control;
    std::string ATTRIBUTES::*field;
    int page;
};

const std::array<ImageField, 2>& ImageFields() {
    static const std::array<ImageField, 2> fields = {{
        {&Ui::TForm4::PictureImage, &ATTRIBUTES::picture_file_name, 1},
        {&Ui::TForm4::OverlayImage, &ATTRIBUTES::overlay_file_name, kOverlayPage},
    }};
    return fields;
}

// The eight effect fields of the last page.
constexpr std::array<std::int32_t ATTRIBUTES::*, 8> kEffectFields = {
    &ATTRIBUTES::area_brightness,
    &ATTRIBUTES::area_contrast,
    &ATTRIBUTES::area_gamma,
    &ATTRIBUTES::area_grayscale,
    &ATTRIBUTES::background_brightness,
    &ATTRIBUTES::background_contrast,
    &ATTRIBUTES::background_gamma,
    &ATTRIBUTES::background_grayscale};

// The values every control shows when cleared: the lists' first items, neutral effects and
// full volume.
ATTRIBUTES ClearedRecord() {
    ATTRIBUTES values;
    values.message_style = MessageStyles()[0];
    values.message_type = MessageTypes()[0];
    values.picture_style = MessageStyles()[0];
    values.picture_type = PictureTypes()[0];
    values.sound_volume = 100;
    values.area_gamma = 100;
    values.background_gamma = 100;
    return values;
}

// Copies the fields that one page edits.
void CopyPageFields(int page, const ATTRIBUTES& from, ATTRIBUTES& to) {
    switch (page) {
        case 0:
            to.message_style = from.message_style;
            to.message_type = from.message_type;
            to.message_text = from.message_text;
            to.message_center_x = from.message_center_x;
            to.message_center_y = from.message_center_y;
            to.message_pointer_x = from.message_pointer_x;
            to.message_pointer_y = from.message_pointer_y;
            break;
        case 1:
            to.picture_style = from.picture_style;
            to.picture_type = from.picture_type;
            to.picture_file_name = from.picture_file_name;
            to.picture_center_x = from.picture_center_x;
            to.picture_center_y = from.picture_center_y;
            to.picture_pointer_x = from.picture_pointer_x;
            to.picture_pointer_y = from.picture_pointer_y;
            break;
        case kOverlayPage:
            to.overlay_file_name = from.overlay_file_name;
            to.overlay_x = from.overlay_x;
            to.overlay_y = from.overlay_y;
            break;
        case 3:
            to.copy_text = from.copy_text;
            break;
        case 4:
            to.js_code = from.js_code;
            break;
        case kSoundPage:
            to.sound_file_name = from.sound_file_name;
            to.sound_volume = from.sound_volume;
            break;
        case 6:
            to.link = from.link;
            break;
        case kEffectsPage:
            for (auto field : kEffectFields) {
                to.*field = from.*field;
            }
            break;
        default:
            break;
    }
}

QString ShownText(const std::string& stored) {
    QString text = Q(stored);
    text.replace(Q("\r\n"), Q("\n"));
    return text;
}

std::string StoredText(const QString& shown) {
    QString text = shown;
    text.replace(Q("\n"), Q("\r\n"));
    return U(text);
}

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
            Data().Attributes[CurrentEvent()].*list.field = U(box->currentText());
            Data().AttributesModified = true;
        });
    }
    for (const MemoField& memo : MemoFields()) {
        QPlainTextEdit* edit = (*m_ui).*memo.control;
        connect(edit, &QPlainTextEdit::textChanged, this, [this, edit, memo] {
            if (!CanStore()) {
                return;
            }
            Data().Attributes[CurrentEvent()].*memo.field = StoredText(edit->toPlainText());
            Data().AttributesModified = true;
            UpdateStatusBar();
        });
    }
    for (const LineField& line : LineFields()) {
        connect((*m_ui).*line.control, &QLineEdit::textChanged, this,
                [this, line](const QString& text) {
                    if (!CanStore()) {
                        return;
                    }
                    Data().Attributes[CurrentEvent()].*line.field = U(text);
                    Data().AttributesModified = true;
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
        });
    }
    for (const ImageField& image : ImageFields()) {
        const int page = image.page;
        ((*m_ui).*image.control)->installEventFilter(new ClickFilter(this, [this, page] {
            ChoosePicture(page);
        }));
    }

    connect(m_ui->SoundChoose, &QPushButton::clicked, this, [this] { SoundChooseClick(); });
    connect(m_ui->SoundPlay, &QPushButton::clicked, this, [this] { SoundPlayClick(); });
    connect(m_ui->SoundStop, &QPushButton::clicked, this, [] { StopPreview(); });
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
    return !m_loading && HasSelection();
}

void TForm4::StoreNumber(std::int32_t ATTRIBUTES::*field, int value) {
    COMMON_DATA& data = Data();
    data.Attributes[CurrentEvent()].*field = value;
    data.AttributesModified = true;
}

void TForm4::ShowPicture(QLabel* box, const std::string& name) {
    box->clear();
    if (name.empty()) {
        return;
    }
    COMMON_DATA& data = Data();
    const std::string path = data.WorkFilePath("Pictures", name);
    Bitmap picture;
    bool loaded = false;
    try {
        loaded = !path.empty() && LoadImageFile(picture, path);
    } catch (const std::exception& error) {
        // A damaged file is reported, and the other controls are still filled.
        m_editor.GetPorts().prompter.Message(error.what());
        return;
    }
    if (!loaded) {
        m_editor.GetPorts().prompter.Message(
            kPictureMissing + (path.empty() ? data.WorkFolderPath("Pictures") + "/" + name : path));
        return;
    }
    const QImage image(picture.Data(), picture.Width(), picture.Height(),
                       static_cast<qsizetype>(picture.BytesPerLine()), QImage::Format_BGR888);
    const QSize room = box->contentsRect().size();
    const QImage shown = image.width() > room.width() || image.height() > room.height()
                             ? image.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                             : image.copy();
    box->setPixmap(QPixmap::fromImage(shown));
}

void TForm4::FillPage(int page, const ATTRIBUTES& record, bool keepUnknownListText) {
    for (const ListField& list : ListFields()) {
        if (list.page == page) {
            QComboBox* box = (*m_ui).*list.control;
            const int index = box->findText(Q(record.*list.field), Qt::MatchExactly);
            if (index >= 0 || !keepUnknownListText) {
                box->setCurrentIndex(index);
            }
        }
    }
    for (const MemoField& memo : MemoFields()) {
        if (memo.page == page) {
            ((*m_ui).*memo.control)->setPlainText(ShownText(record.*memo.field));
        }
    }
    for (const LineField& line : LineFields()) {
        if (line.page == page) {
            ((*m_ui).*line.control)->setText(Q(record.*line.field));
        }
    }
    for (const NumberField& number : NumberFields()) {
        if (number.page == page) {
            ((*m_ui).*number.control)->setValue(record.*number.field);
        }
    }
    for (const ImageField& image : ImageFields()) {
        if (image.page == page) {
            ShowPicture((*m_ui).*image.control, record.*image.field);
        }
    }
    for (const SliderField& pair : SliderFields()) {
        if (pair.page == page) {
            ((*m_ui).*pair.slider)->setValue(record.*pair.field);
            ((*m_ui).*pair.number)->setValue(record.*pair.field);
        }
    }
    if (page == kSoundPage) {
        m_ui->SoundIndicator->setVisible(!record.sound_file_name.empty());
    }
    if (page == kEffectsPage) {
        for (const CheckField& check : CheckFields()) {
            ((*m_ui).*check.control)->setChecked(record.*check.field != 0);
        }
    }
}

void TForm4::UpdateAttributes() {
    if (m_ui->ListBox1->count() == 0) {
        ClearAttributes();
        return;
    }
    {
        const LoadingScope loading(m_loading);
        // A copy: showing a missing picture's message runs the event loop.
        const ATTRIBUTES record = Data().Attributes[CurrentEvent()];
        for (int page = 0; page < kPageCount; ++page) {
            FillPage(page, record, true);
        }
    }
    UpdateStatusBar();
}

void TForm4::ClearAttributes() {
    {
        const LoadingScope loading(m_loading);
        const ATTRIBUTES cleared = ClearedRecord();
        for (int page = 0; page < kPageCount; ++page) {
            FillPage(page, cleared, false);
        }
    }
    UpdateStatusBar();
    PageControl1Change();
}

void TForm4::PageClearClick() {
    const int page = ActivePage();
    COMMON_DATA& data = Data();
    {
        const LoadingScope loading(m_loading);
        CopyPageFields(page, ClearedRecord(), data.Attributes[CurrentEvent()]);
        FillPage(page, data.Attributes[CurrentEvent()], false);
    }
    data.AttributesModified = true;
    UpdateStatusBar();
    PageControl1Change();
}

void TForm4::PageCopyClick() {
    COMMON_DATA& data = Data();
    ATTRIBUTES& clipboard = data.AttributesClipboard;
    const ATTRIBUTES& record = data.Attributes[CurrentEvent()];
    switch (ActivePage()) {
        case 0:
            clipboard.message_style = U(m_ui->MessageStyle->currentText());
            clipboard.message_type = U(m_ui->MessageType->currentText());
            clipboard.message_text = StoredText(m_ui->MessageText->toPlainText());
            clipboard.message_center_x = m_ui->MessageCenterX->value();
            clipboard.message_center_y = m_ui->MessageCenterY->value();
            clipboard.message_pointer_x = m_ui->MessagePointerX->value();
            clipboard.message_pointer_y = m_ui->MessagePointerY->value();
            break;
        case 1:
            clipboard.picture_style = U(m_ui->PictureStyle->currentText());
            clipboard.picture_type = U(m_ui->PictureType->currentText());
            clipboard.picture_file_name = record.picture_file_name;
            clipboard.picture_center_x = m_ui->PictureCenterX->value();
            clipboard.picture_center_y = m_ui->PictureCenterY->value();
            clipboard.picture_pointer_x = m_ui->PicturePointerX->value();
            clipboard.picture_pointer_y = m_ui->PicturePointerY->value();
            break;
        case kOverlayPage:
            clipboard.overlay_file_name = record.overlay_file_name;
            clipboard.overlay_x = m_ui->OverlayX->value();
            clipboard.overlay_y = m_ui->OverlayY->value();
            break;
        case 3:
            clipboard.copy_text = StoredText(m_ui->CopyText->toPlainText());
            break;
        case 4:
            clipboard.js_code = U(m_ui->JsCode->text());
            break;
        case kSoundPage:
            clipboard.sound_file_name = record.sound_file_name;
            clipboard.sound_volume = m_ui->SoundVolume->value();
            break;
        case 6:
            clipboard.link = U(m_ui->LinkUrl->text());
            break;
        case kEffectsPage:
            for (auto field : kEffectFields) {
                clipboard.*field = record.*field;
            }
            break;
        default:
            break;
    }
}

void TForm4::PagePasteClick() {
    COMMON_DATA& data = Data();
    const int page = ActivePage();
    ATTRIBUTES& record = data.Attributes[CurrentEvent()];
    CopyPageFields(page, data.AttributesClipboard, record);
    {
        // A pasted list text that names no item leaves the list without a choice, while the
        // record keeps the text.
        const LoadingScope loading(m_loading);
        FillPage(page, record, false);
    }
    data.AttributesModified = true;
    UpdateStatusBar();
    PageControl1Change();
}

void TForm4::ChoosePicture(int page) {
    if (!HasSelection()) {
        return;
    }
    const auto chosen = m_editor.GetPorts().fileDialogs.OpenFile("Выбрать изображение",
                                                                 ToQtFilter(kPictureBoxFilter));
    if (chosen) {
        COMMON_DATA& data = Data();
        const std::string name = data.CopyIntoWorkFolder(*chosen, "Pictures");
        // Cancel (or a file that could not be replaced) changes nothing and refreshes nothing.
        if (name.empty()) {
            return;
        }
        const ImageField& image = ImageFields()[page == 1 ? 0 : 1];
        data.Attributes[CurrentEvent()].*image.field = name;
        data.AttributesModified = true;
        ShowPicture((*m_ui).*image.control, name);
    }
    UpdateStatusBar();
    PageControl1Change();
}

void TForm4::SoundChooseClick() {
    if (!HasSelection()) {
        return;
    }
    const auto chosen =
        m_editor.GetPorts().fileDialogs.OpenFile("Выбрать звук", ToQtFilter(kSoundFilter));
    if (chosen) {
        COMMON_DATA& data = Data();
        const std::string name = data.CopyIntoWorkFolder(*chosen, "Sounds");
        if (name.empty()) {
            return;
        }
        data.Attributes[CurrentEvent()].sound_file_name = name;
        data.AttributesModified = true;
        m_ui->SoundIndicator->show();
    }
    UpdateStatusBar();
}

void TForm4::SoundPlayClick() {
    COMMON_DATA& data = Data();
    const ATTRIBUTES& record = data.Attributes[CurrentEvent()];
    if (record.sound_file_name.empty()) {
        m_editor.GetPorts().prompter.Message("Сперва выберите файл!");
        return;
    }
    PreviewSound(data.WorkFilePath("Sounds", record.sound_file_name), record.sound_volume);
}

void TForm4::LinkPasteClick() {
    m_ui->LinkUrl->selectAll();
    m_ui->LinkUrl->insert(Q(m_editor.GetPorts().clipboard.Text()));
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
