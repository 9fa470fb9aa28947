#include "ui/areas/music_dialog.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

#include "audio/audio_output.h"
#include "store/common_data.h"
#include "ui/areas/loading_scope.h"
#include "ui/areas/sound_indicator.h"
#include "ui/common/dialog_frame.h"
#include "ui/common/file_filters.h"
#include "ui/common/text.h"
#include "ui/main/centre_on.h"
#include "ui/main/editor.h"
#include "ui/main/main_window.h"

namespace velmora {

TForm6::TForm6(Editor& editor) : m_editor(editor) {
    SetUpFixedDialog(*this, "Form6", "Фоновая музыка", 347, 412, true);

    auto* file = new QGroupBox(Q("Файл"), this);
    file->setObjectName(Q("GroupBox1"));
    m_choose = MakeButton("Button1", "Выбрать", file);
    m_remove = MakeButton("Button2", "Удалить", file);
    m_play = MakeButton("Button3", "Проиграть", file);
    m_stop = MakeButton("Button4", "Стоп", file);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_choose);
    buttons->addWidget(m_remove);
    buttons->addStretch(1);
    buttons->addWidget(m_play);
    buttons->addWidget(m_stop);

    m_indicator = new SoundIndicator(file);
    m_indicator->setObjectName(Q("Image1"));
    m_indicator->setFixedHeight(170);

    auto* help = new QLabel(Q("Фоновая музыка будет проигрываться при наведении курсора мыши на "
                              "объект с изображением. При необходимости отрегулируйте громкость "
                              "звука."),
                            file);
    help->setObjectName(Q("StaticText1"));
    help->setWordWrap(true);

    auto* volume = new QGroupBox(Q("Громкость"), file);
    volume->setObjectName(Q("GroupBox2"));
    m_slider = new QSlider(Qt::Horizontal, volume);
    m_slider->setObjectName(Q("TrackBar1"));
    m_slider->setRange(0, 100);
    m_field = new QSpinBox(volume);
    m_field->setObjectName(Q("SpinEdit1"));
    m_field->setRange(0, 100);
    auto* volumeRow = new QHBoxLayout(volume);
    volumeRow->addWidget(m_slider, 1);
    volumeRow->addWidget(m_field);

    auto* fileColumn = new QVBoxLayout(file);
    fileColumn->addLayout(buttons);
    fileColumn->addWidget(m_indicator);
    fileColumn->addWidget(help);
    fileColumn->addStretch(1);
    fileColumn->addWidget(volume);

    m_ok = new QPushButton(Q("OK"), this);
    m_ok->setObjectName(Q("Button5"));
    m_ok->setDefault(true);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(m_ok);

    auto* column = new QVBoxLayout(this);
    column->addWidget(file, 1);
    column->addLayout(bottom);

    connect(m_choose, &QPushButton::clicked, this, [this] { ChooseClick(); });
    connect(m_remove, &QPushButton::clicked, this, [this] { RemoveClick(); });
    connect(m_play, &QPushButton::clicked, this, [this] { PlayClick(); });
    connect(m_stop, &QPushButton::clicked, this, [this] { StopClick(); });
    connect(m_ok, &QPushButton::clicked, this, [this] { OkClick(); });
    connect(m_slider, &QSlider::valueChanged, this, [this](int value) { VolumeChanged(value); });
    connect(m_field, &QSpinBox::valueChanged, this, [this](int value) { VolumeChanged(value); });
}

COMMON_DATA& TForm6::Data() {
    return m_editor.Data();
}

void TForm6::showEvent(QShowEvent* event) {
    COMMON_DATA& data = Data();
    // A project without music starts over at full volume, whatever volume its file holds.
    if (data.canvas.BackgroundSound.empty()) {
        data.canvas.BackgroundVolume = 100;
    }
    ShowChosenSound();
    {
        const LoadingScope syncing(m_syncing);
        m_slider->setValue(data.canvas.BackgroundVolume);
        m_field->setValue(data.canvas.BackgroundVolume);
    }
    CentreOn(*this, m_editor.MainWindow());
    QDialog::showEvent(event);
}

void TForm6::VolumeChanged(int value) {
    if (m_syncing) {
        return;
    }
    {
        const LoadingScope syncing(m_syncing);
        m_slider->setValue(value);
        m_field->setValue(value);
    }
    Data().canvas.BackgroundVolume = value;
    // A playing preview follows the control at once, whichever window started it.
    SetVolume(CurrentStream, kVolumeAttribute, static_cast<float>(value) * 0.01f);
}

void TForm6::ChooseClick() {
    const auto chosen = m_editor.GetPorts().fileDialogs.OpenFile(
        "Выбрать", ToQtFilter(kSoundFilter), m_editor.Data().project.ProjectFolder);
    if (!chosen) {
        return;
    }
    COMMON_DATA& data = Data();
    const std::string name = data.CopyIntoWorkFolder(*chosen, "Sounds");
    if (name.empty()) {
        return;
    }
    data.canvas.BackgroundSound = name;
    data.canvas.BackgroundVolume = m_slider->value();
    ShowChosenSound();
}

void TForm6::RemoveClick() {
    Data().canvas.BackgroundSound.clear();
    ShowChosenSound();
}

void TForm6::ShowChosenSound() {
    const COMMON_DATA& data = Data();
    m_indicator->ShowSound(data.project.WorkFilePath("Sounds", data.canvas.BackgroundSound),
                           data.canvas.BackgroundSound);
}

void TForm6::PlayClick() {
    COMMON_DATA& data = Data();
    if (data.canvas.BackgroundSound.empty()) {
        m_editor.GetPorts().prompter.Message("Сперва выберите файл!");
        return;
    }
    PreviewSound(data.project.WorkFilePath("Sounds", data.canvas.BackgroundSound),
                 data.canvas.BackgroundVolume);
}

void TForm6::StopClick() {
    StopPreview();
}

void TForm6::OkClick() {
    StopPreview();
    // A failed write has shown its message; the dialog closes all the same.
    Data().SaveBackgroundSound();
    accept();
}

}  // namespace velmora
