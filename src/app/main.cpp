#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>
#include <exception>
#include <memory>

#include "app/command_line.h"
#include "canvas/history/draw_history.h"
#include "ui/common/editor_application.h"
#include "ui/common/qt_ports.h"
#include "ui/common/text.h"
#include "ui/main/editor.h"
#include "ui/main/main_window.h"

// The resources live in the UI library; a static library needs them registered by hand.
static void InitResources() {
    Q_INIT_RESOURCE(resources);
}

int main(int argc, char** argv) {
    // The drawing history exists before any window and outlives them all.
    auto history = std::make_unique<velmora::DRAW_HISTORY>();

    // The help and the version are printed even where there is no display.
    if (velmora::OnlyPrintsText(argc, argv)) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    velmora::EditorApplication application(argc, argv);
    InitResources();
    velmora::QtPrompter prompter;
    velmora::QtFileDialogs fileDialogs;
    velmora::QtShell shell;
    velmora::QtClipboard clipboard;
    application.SetPrompter(&prompter);
    // Qt's own dialogs in Russian when the translations are installed; English otherwise.
    QTranslator qtTranslations;
    if (qtTranslations.load(QLocale(QLocale::Russian), velmora::Q("qtbase"), velmora::Q("_"),
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        application.installTranslator(&qtTranslations);
    }
    application.setQuitOnLastWindowClosed(false);

    std::unique_ptr<velmora::Editor> editor;
    try {
        velmora::ApplySlateClassico(application);
        application.setFont(velmora::EditorFont());
        // The title the desktop shows for the program; the window captions stay as they are.
        application.setApplicationName(velmora::Q("Velmora Editor"));
        application.setDesktopFileName(velmora::Q("velmora-editor"));
        application.setApplicationVersion(velmora::Q("4.0"));
        const velmora::EditorCommandLine commandLine = velmora::ParseCommandLine(application);
        editor = std::make_unique<velmora::Editor>(
            velmora::Ports{prompter, fileDialogs, shell, clipboard}, *history,
            commandLine.projects);
        editor->MainWindow().show();
        if (commandLine.quitAfter) {
            velmora::TForm1* window = &editor->MainWindow();
            QTimer::singleShot(*commandLine.quitAfter, window, [window] { window->close(); });
        }
    } catch (const std::exception& error) {
        velmora::ReportError(&prompter, error.what());
        return 1;
    }
    const int status = application.exec();
    editor.reset();
    history.reset();
    return status;
}
