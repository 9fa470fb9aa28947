// The effect pages' pictures and sounds: showing a picture, choosing pictures and sounds into
// the project's folders, and the sound preview.
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <exception>

#include "audio/audio_output.h"
#include "store/common_data.h"
#include "store/image_file.h"
#include "ui/areas/areas_effect_fields.h"
#include "ui/areas/areas_window.h"
#include "ui/areas/sound_indicator.h"
#include "ui/common/file_filters.h"
#include "ui/common/text.h"
#include "ui/main/editor.h"
#include "ui_areas_window.h"

namespace velmora {

using namespace effect_pages;

namespace {

constexpr const char* kPictureBoxFilter =
    "All (*.gif;*.jpg;*.jpeg;*.png;*.bmp;*.ico;*.emf;*.wmf;*.tif;*.tiff)|*.gif;*.jpg;*.jpeg;*.png;|"
    "GIF Image (*.gif)|*.gif|JPEG Image File (*.jpg)|*.jpg|JPEG Image File (*.jpeg)|*.jpeg|"
    "Portable Network Graphics (*.png)|*.png";
constexpr const char* kPictureMissing = "Изображение не найдено: ";

}  // namespace

void TForm4::ShowPicture(QLabel* box, const std::string& name) {
    box->clear();
    if (name.empty()) {
        return;
    }
    COMMON_DATA& data = Data();
    const std::string path = data.project.WorkFilePath("Pictures", name);
    Bitmap picture;
    bool loaded = false;
    try {
        loaded = !path.empty() && LoadImageFile(picture, path, data.project.ProjectReadScope());
    } catch (const std::exception& error) {
        // A damaged file is reported, and the other controls are still filled.
        m_editor.GetPorts().prompter.Message(error.what());
        return;
    }
    if (!loaded) {
        m_editor.GetPorts().prompter.Message(
            kPictureMissing +
            (path.empty() ? data.project.WorkFolderPath("Pictures") + "/" + name : path));
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

void TForm4::ChoosePicture(int page) {
    if (!HasSelection() || !m_editable) {
        return;
    }
    const auto chosen = m_editor.GetPorts().fileDialogs.OpenFile(
        "Выбрать изображение", ToQtFilter(kPictureBoxFilter), Data().project.ProjectFolder);
    if (chosen) {
        COMMON_DATA& data = Data();
        const std::string name = data.CopyIntoWorkFolder(*chosen, "Pictures");
        // Cancel (or a file that could not be replaced) changes nothing and refreshes nothing.
        if (name.empty()) {
            return;
        }
        const ImageField& image = ImageFields()[page == 1 ? 0 : 1];
        data.records.SetAttribute(CurrentEvent(), image.field, name);
        ShowPicture((*m_ui).*image.control, name);
    }
    UpdateStatusBar();
    PageControl1Change();
}

void TForm4::SoundChooseClick() {
    if (!HasSelection()) {
        return;
    }
    const auto chosen = m_editor.GetPorts().fileDialogs.OpenFile(
        "Выбрать звук", ToQtFilter(kSoundFilter), Data().project.ProjectFolder);
    if (chosen) {
        COMMON_DATA& data = Data();
        const std::string name = data.CopyIntoWorkFolder(*chosen, "Sounds");
        if (name.empty()) {
            return;
        }
        data.records.SetAttribute(CurrentEvent(), &ATTRIBUTES::sound_file_name, name);
        m_ui->SoundIndicator->ShowSound(data.project.WorkFilePath("Sounds", name), name);
    }
    UpdateStatusBar();
}

void TForm4::SoundPlayClick() {
    COMMON_DATA& data = Data();
    const ATTRIBUTES& record = data.records.Attributes[CurrentEvent()];
    if (record.sound_file_name.empty()) {
        m_editor.GetPorts().prompter.Message("Сперва выберите файл!");
        return;
    }
    PreviewSound(data.project.WorkFilePath("Sounds", record.sound_file_name), record.sound_volume);
}

}  // namespace velmora
