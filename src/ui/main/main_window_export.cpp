// The export commands of the main window: the page where the user chooses, and the page in
// the project's HTML folder opened in the browser.
#include <QAction>
#include <QSettings>
#include <QStandardPaths>
#include <QVariantMap>

#include "export/export_commands.h"
#include "export/page.h"
#include "store/common_data.h"
#include "store/paths.h"
#include "ui/areas/areas_window.h"
#include "ui/common/cross_thread_ports.h"
#include "ui/common/file_filters.h"
#include "ui/common/text.h"
#include "ui/main/editor.h"
#include "ui/main/main_window.h"

namespace velmora {

namespace {

// The page title the author gave for each project, by the project file's path.
constexpr const char* kPageTitlesKey = "pageTitles";

std::string RememberedPageTitle(const std::string& projectPath) {
    return U(QSettings().value(Q(kPageTitlesKey)).toMap().value(Q(projectPath)).toString());
}

void RememberPageTitle(const std::string& projectPath, const std::string& title) {
    QSettings settings;
    QVariantMap titles = settings.value(Q(kPageTitlesKey)).toMap();
    if (title.empty()) {
        titles.remove(Q(projectPath));
    } else {
        titles.insert(Q(projectPath), Q(title));
    }
    settings.setValue(Q(kPageTitlesKey), titles);
}

}  // namespace

ExportOptions TForm1::ChosenExportOptions() const {
    ExportOptions options;
    options.accessible = m_accessibleExport->isChecked();
    options.webImages = m_webImagesExport->isChecked();
    options.texts.title = RememberedPageTitle(m_data->project.ProjectPath);
    return options;
}

// "Экспорт в HTML".
void TForm1::N39Click() {
    COMMON_DATA& data = *m_data;
    // Without a project or picture the export refuses with its message before any dialog.
    if (!data.project.ProjectOpen || !data.canvas.PictureLoaded) {
        ExportToHtml(data, std::string(), U(m_programFolder));
        return;
    }
    // The page is offered under the project's name in its HTML folder, where the browser test
    // puts it too.
    const std::string suggested =
        JoinPath(data.project.WorkFolderPath("HTML"), PageName(data.project.ProjectPath) + ".html");
    const auto chosen = m_editor.GetPorts().fileDialogs.SaveFile(
        "Экспорт в HTML", ToQtFilter(kPageFilter), suggested);
    if (!chosen) {
        return;
    }
    // The page's title and heading; empty keeps the template's.
    const auto title = m_editor.GetPorts().prompter.AskText(
        "Заголовок страницы (пусто: «Dorvan Software - Velmora Demo»):", "Экспорт в HTML",
        RememberedPageTitle(data.project.ProjectPath));
    if (!title) {
        return;
    }
    RememberPageTitle(data.project.ProjectPath, *title);
    ExportOutcome outcome;
    const ExportOptions options = ChosenExportOptions();
    if (!RunLong([&](Progress& progress) {
            outcome = ExportToHtml(data, *chosen, U(m_programFolder), options, progress);
        })) {
        return;  // cancelled before a file was written
    }
    // The data script leaves the records of another area loaded.
    m_editor.AreasWindow().ListBox1Click();
    if (!outcome.pagePath.empty()) {
        ShowWritten(Q(kPageWrittenNote) + Q(outcome.pagePath));
    }
}

// "Протестировать в браузере".
void TForm1::N41Click() {
    COMMON_DATA& data = *m_data;
    // A project open for viewing gets its test page among the editor's own files.
    const std::string otherFolder =
        data.ViewOnly()
            ? U(QStandardPaths::writableLocation(QStandardPaths::CacheLocation) +
                Q("/test-pages/") + QString::number(qHash(Q(data.project.ProjectPath)), 16))
            : std::string();
    ExportOutcome outcome;
    const ExportOptions options = ChosenExportOptions();
    ThreadSafeShell shell(m_editor.GetPorts().shell);
    if (!RunLong([&](Progress& progress) {
            outcome =
                TestInBrowser(data, U(m_programFolder), shell, options, otherFolder, progress);
        })) {
        return;  // cancelled before a file was written
    }
    if (!outcome.pagePath.empty()) {
        m_editor.AreasWindow().ListBox1Click();
    }
}

}  // namespace velmora
