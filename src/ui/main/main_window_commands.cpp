// The main window's menu commands: the project's life cycle, the edit and view menus and the
// tool windows.
#include <QCoreApplication>
#include <QTimer>

#include "canvas/history/draw_history.h"
#include "canvas/history/map_commands.h"
#include "canvas/map/picture_replace.h"
#include "store/common_data.h"
#include "store/files.h"
#include "store/paths.h"
#include "store/project_new.h"
#include "store/project_problem.h"
#include "store/project_save_as.h"
#include "store/store_messages.h"
#include "ui/areas/areas_window.h"
#include "ui/areas/grid_dialog.h"
#include "ui/areas/music_dialog.h"
#include "ui/common/file_filters.h"
#include "ui/common/text.h"
#include "ui/main/editor.h"
#include "ui/main/main_window.h"
#include "ui/main/merge_window.h"

namespace velmora {

void TForm1::SaveAndCloseProject() {
    COMMON_DATA& data = *m_data;
    if (!data.project.ProjectOpen) {
        return;
    }
    if (data.Writable()) {
        SaveClick();
    }
    data.CloseProject();
    data.DeleteAllAreas();
    ReleasePicture();
    RefreshModifiedMark();
    // A project viewed before may be followed by none, or by one that can be edited.
    FollowEditingAllowed();
}

void TForm1::FinishProject() {
    COMMON_DATA& data = *m_data;
    if (!data.project.ProjectOpen) {
        return;
    }
    if (data.Writable()) {
        data.SaveProject();
    }
    data.CloseProject();
}

void TForm1::NewClick() {
    COMMON_DATA& data = *m_data;
    const auto chosen = m_editor.GetPorts().fileDialogs.SaveFile(
        "Новый проект", ToQtFilter(kProjectFilter), DialogStart());
    if (!chosen) {
        return;
    }
    const std::string path = EnsureExtension(*chosen, ".vlm");
    // The question comes before anything is closed: "No" leaves the open project as it was.
    const bool replacing = FileExists(path);
    if (replacing &&
        m_editor.GetPorts().prompter.AskSafely(Naming("Файл уже существует. Удалить его?", path),
                                               kConfirmCaption, Buttons::YesNo) != Answer::Yes) {
        return;
    }
    // A project that another program has open is never deleted from under it: asked before our
    // own project is closed.
    if (replacing && !MayReplaceProject(data, path)) {
        return;
    }
    SaveAndCloseProject();
    setWindowTitle(Q(kMainCaption));
    if (!MakeWayForProject(data, path)) {
        return;
    }
    data.CreateProject(path);
    RememberRecentProject();
    if (AttributesVisible()) {
        m_editor.AreasWindow().UpdateFieldsList();
    } else {
        m_editor.AreasWindow().show();
    }
    SetProjectCaption();
}

void TForm1::OpenClick() {
    const auto chosen = m_editor.GetPorts().fileDialogs.OpenFile(
        "Открыть проект", ToQtFilter(kProjectFilter), DialogStart());
    if (!chosen) {
        return;
    }
    OpenProjectFile(*chosen);
}

void TForm1::OpenProjectFile(const std::string& path) {
    COMMON_DATA& data = *m_data;
    SaveAndCloseProject();
    setWindowTitle(Q(kMainCaption));
    if (!data.OpenProject(path, ProjectAccess::WriteOrView)) {
        return;
    }
    ShowOpenedProject();
}

void TForm1::ShowOpenedProject() {
    COMMON_DATA& data = *m_data;
    bool loaded = false;
    if (!RunLong([&](Progress& progress) {
            const ProgressScope reported(progress);
            loaded = data.LoadPicture();
        })) {
        // Opening was cancelled: the project is closed again, as before it was chosen.
        data.CloseProject();
        ReleasePicture();
        setWindowTitle(Q(kMainCaption));
        return;
    }
    if (loaded) {
        RecountFormSize();
        m_editor.History().Reset(data.canvas.Map);
    }
    SetProjectCaption();
    RememberRecentProject();
    ShowAttributesWindow();
    m_editor.AreasWindow().UpdateFieldsList();
    m_editor.AreasWindow().PageControl1Change();
    if (data.ViewOnly()) {
        Message(kViewOnlyNote);
    }
}

void TForm1::SaveClick() {
    COMMON_DATA& data = *m_data;
    if (!data.project.ProjectOpen) {
        Beep();
        return;
    }
    // A project open for viewing is kept by saving a copy of it.
    if (data.ViewOnly()) {
        SaveAsClick();
        return;
    }
    data.SaveProject();
    RefreshModifiedMark();
    ShowWritten(Q(kProjectSavedNote) + Q(data.project.ProjectPath));
}

void TForm1::SaveAsClick() {
    COMMON_DATA& data = *m_data;
    if (!data.project.ProjectOpen) {
        Beep();
        return;
    }
    // The dialog offers the current name, in the project's folder.
    const auto chosen = m_editor.GetPorts().fileDialogs.SaveFile(
        "Сохранить проект как", ToQtFilter(kProjectFilter), DialogStart(true));
    if (!chosen) {
        return;
    }
    const std::string path = EnsureExtension(*chosen, ".vlm");
    // Saving as the open file itself is a plain save.
    if (SameFile(path, data.project.ProjectPath)) {
        SaveClick();
        return;
    }
    const std::string rememberedArea = data.records.AttributesArea;
    if (!SaveProjectAs(data, path)) {
        return;
    }
    ShowAttributesWindow();
    RememberRecentProject();
    m_editor.AreasWindow().UpdateFieldsList();
    SetProjectCaption();
    m_editor.AreasWindow().SelectAreaByName(Q(rememberedArea));
    ShowWritten(Q(kProjectSavedNote) + Q(data.project.ProjectPath));
}

void TForm1::OpenPictureClick() {
    COMMON_DATA& data = *m_data;
    if (!data.project.ProjectOpen) {
        Message(msg::kNoProjectOpen);
        return;
    }
    if (!EditingAllowed()) {
        return;
    }
    const auto chosen = m_editor.GetPorts().fileDialogs.OpenFile(
        "Открыть изображение", ToQtFilter(kPictureFilter), DialogStart());
    if (!chosen) {
        return;
    }
    ImportPictureFile(*chosen);
}

void TForm1::ImportPictureFile(const std::string& path) {
    COMMON_DATA& data = *m_data;
    if (!EditingAllowed() || !ConfirmPictureReplace(data)) {
        return;
    }
    bool imported = false;
    // Cancelled, the picture is left as a refusal leaves it: the project as it was.
    if (!RunLong([&](Progress& progress) {
            imported = data.ImportPicture(path, COMMON_DATA::PixelsOf::PictureAndMap, progress);
        })) {
        return;
    }
    if (!imported) {
        // Cancel on the question about the stored copy leaves everything as it was, silently.
        if (!data.Cancelled()) {
            Message("Ошибка открытия файла!");
        }
        return;
    }
    RecountFormSize();
    m_editor.AreasWindow().PageControl1Change();
    ShowAttributesWindow();
    m_editor.History().Reset(data.canvas.Map);
}

void TForm1::ExitClick() {
    FinishProject();
    QCoreApplication::quit();
}

void TForm1::UndoClick() {
    StepThroughHistory(UndoMap);
}

void TForm1::RedoClick() {
    StepThroughHistory(RedoMap);
}

void TForm1::StepThroughHistory(bool (*step)(COMMON_DATA&, DRAW_HISTORY&)) {
    const std::array<std::string, 256> areasBefore = m_data->areas.AreaNames;
    if (m_data->ViewOnly() || !step(*m_data, m_editor.History())) {
        Beep();
        UpdateView();
        return;
    }
    // A shape import's step takes its areas with it, and brings them back.
    if (m_data->areas.AreaNames != areasBefore) {
        m_editor.AreasWindow().UpdateFieldsList();
    }
    // Only what the step reached is redrawn, at any zoom.
    UpdateView(m_editor.History().LastChanged());
}

void TForm1::ClearMapClick() {
    if (!EditingAllowed()) {
        return;
    }
    ClearMapAsStep(*m_data, m_editor.History());
    UpdateView();
}

void TForm1::AttributesClick() {
    if (m_data->canvas.PictureLoaded) {
        m_editor.AreasWindow().show();
        m_editor.AreasWindow().raise();
    }
}

void TForm1::GridClick() {
    if (m_data->canvas.PictureLoaded && EditingAllowed()) {
        m_editor.GridDialog().exec();
        RefreshModifiedMark();
    }
}

void TForm1::MusicClick() {
    if (!m_data->project.ProjectOpen) {
        Message(msg::kNoProjectOpen);
        return;
    }
    if (!EditingAllowed()) {
        return;
    }
    m_editor.MusicDialog().exec();
}

// "Объединение нескольких файлов в один".
void TForm1::N68Click() {
    m_editor.MergeWindow().show();
    m_editor.MergeWindow().raise();
}

void TForm1::StartTimerFired() {
    m_startTimer->stop();
    const QStringList& arguments = m_editor.Arguments();
    if (arguments.isEmpty()) {
        return;
    }
    COMMON_DATA& data = *m_data;
    const std::string path = U(arguments.constFirst());
    if (!data.OpenProject(path, ProjectAccess::WriteOrView)) {
        // A project open in another program has been named in its own message already; else
        // the path and the reason, since the user did not choose this file in a dialog.
        if (!data.project.HeldElsewhere) {
            m_editor.GetPorts().prompter.Message(ProjectOpenFailure(msg::kOpenProjectFailed, path));
        }
        return;
    }
    ShowOpenedProject();
}

bool TForm1::EditingAllowed() {
    if (!m_data->ViewOnly()) {
        return true;
    }
    Message(kViewOnlyNote);
    return false;
}

}  // namespace velmora
