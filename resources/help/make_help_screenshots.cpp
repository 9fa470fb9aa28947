// Makes the help page's screenshots from the real editor: the program's own windows, style and
// fonts on a project opened as the command line opens it, each window brought into the state
// the help describes and taken from the screen with its window manager's frame. Run it under
// Xvfb with a window manager (scripts/help-screenshots does), never on an author's desktop.
//   make_help_screenshots <project.vlm> <output folder>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QGuiApplication>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <cstdio>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "canvas/history/draw_history.h"
#include "ui/areas/areas_window.h"
#include "ui/common/editor_application.h"
#include "ui/common/qt_ports.h"
#include "ui/common/text.h"
#include "ui/main/editor.h"
#include "ui/main/main_window.h"
#include "ui/main/merge_window.h"

static void InitResources() {
    Q_INIT_RESOURCE(resources);
}

namespace velmora {
namespace {

// Time for the window manager to place a window and for the editor to repaint it.
constexpr int kSettleMs = 900;

// The screen's pixels under the frames of the given windows, as one picture.
QPixmap GrabFrames(const std::vector<QWidget*>& windows) {
    QRect area;
    for (QWidget* window : windows) {
        area = area.united(window->frameGeometry());
    }
    return QGuiApplication::primaryScreen()->grabWindow(0, area.x(), area.y(), area.width(),
                                                        area.height());
}

QAction* FindAction(QWidget& window, const QString& name) {
    for (QAction* action : window.findChildren<QAction*>()) {
        if (action->objectName() == name || action->text().remove(QLatin1Char('&')) == name) {
            return action;
        }
    }
    return nullptr;
}

// Runs the steps one after another with time to settle between them; a step may open a modal
// dialog, since the next one runs inside the dialog's own event loop.
class Script {
public:
    void Then(std::function<void()> step) { m_steps.push_back(std::move(step)); }
    void Start() {
        QTimer::singleShot(kSettleMs, [this] { Next(); });
    }
    int Failures() const { return m_failures; }
    void Fail(const char* what) {
        std::fprintf(stderr, "make_help_screenshots: %s\n", what);
        ++m_failures;
    }

private:
    void Next() {
        if (m_next == m_steps.size()) {
            QApplication::exit(m_failures);
            return;
        }
        auto step = m_steps[m_next++];
        step();
        QTimer::singleShot(kSettleMs, [this] { Next(); });
    }
    std::vector<std::function<void()>> m_steps;
    std::size_t m_next = 0;
    int m_failures = 0;
};

}  // namespace
}  // namespace velmora

int main(int argc, char** argv) {
    using namespace velmora;
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_help_screenshots <project.vlm> <output folder>\n");
        return 2;
    }
    auto history = std::make_unique<DRAW_HISTORY>();
    EditorApplication application(argc, argv);
    InitResources();
    QtPrompter prompter;
    QtFileDialogs fileDialogs;
    QtShell shell;
    QtClipboard clipboard;
    application.SetPrompter(&prompter);
    application.setQuitOnLastWindowClosed(false);
    ApplySlateClassico(application);
    application.setFont(EditorFont());
    application.setApplicationName(Q("Velmora Editor"));

    const QString output = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(output);
    auto editor = std::make_unique<Editor>(Ports{prompter, fileDialogs, shell, clipboard}, *history,
                                           QStringList{QString::fromLocal8Bit(argv[1])});
    TForm1& main = editor->MainWindow();
    TForm4& areas = editor->AreasWindow();
    main.show();

    Script script;
    const auto save = [&script, &output](const QPixmap& shot, const char* name) {
        if (shot.isNull() || !shot.save(output + QLatin1Char('/') + Q(name), "PNG")) {
            script.Fail(name);
        }
    };
    const auto trigger = [&script, &main](const QString& name) {
        if (QAction* action = FindAction(main, name)) {
            action->trigger();
        } else {
            script.Fail("a menu command is missing");
        }
    };
    // Shows one area's event and effect page in the areas window.
    const auto showPage = [&areas](int row, int event, int page) {
        areas.findChild<QListWidget*>(Q("ListBox1"))->setCurrentRow(row);
        areas.findChild<QTabBar*>(Q("TabControl1"))->setCurrentIndex(event);
        areas.findChild<QTabWidget*>(Q("PageControl1"))->setCurrentIndex(page);
    };
    // The dialog a menu command opens, taken once the window manager shows it and then closed
    // as Esc would close it.
    std::function<void(const char*, int)> grabWhenShown = [&](const char* name, int triesLeft) {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog) {
            dialog = QApplication::activeWindow();
        }
        const bool shown = dialog && dialog != &main && dialog != &areas &&
                           dialog->windowHandle() && dialog->windowHandle()->isExposed();
        if (!shown) {
            if (triesLeft == 0) {
                script.Fail(name);
            } else {
                QTimer::singleShot(300,
                                   [&, name, triesLeft] { grabWhenShown(name, triesLeft - 1); });
            }
            return;
        }
        save(GrabFrames({dialog}), name);
        if (auto* modal = qobject_cast<QDialog*>(dialog)) {
            modal->reject();
        } else {
            dialog->close();
        }
    };
    const auto grabDialog = [&](const QString& command, const char* name) {
        QTimer::singleShot(kSettleMs, [&, name] { grabWhenShown(name, 10); });
        trigger(command);
    };

    script.Then([&] { showPage(0, 0, 0); });
    script.Then([&] { save(GrabFrames({&main, &areas}), "main.png"); });
    script.Then([&] { save(GrabFrames({&areas}), "areas.png"); });
    script.Then([&] { showPage(2, 0, 2); });
    script.Then([&] { save(GrabFrames({&main, &areas}), "overlay-page.png"); });
    script.Then([&] { showPage(0, 1, 5); });
    script.Then([&] { save(GrabFrames({&areas}), "sound-page.png"); });
    script.Then([&] { showPage(1, 0, 7); });
    script.Then([&] { save(GrabFrames({&areas}), "effects-page.png"); });
    // The lake's "over" greys the rest of the picture: the preview shows it on the picture
    // alone, without the mask.
    script.Then([&] {
        trigger(Q("N18"));
        areas.findChild<QCheckBox*>(Q(TForm4::kPreviewSwitchName))->setChecked(true);
    });
    script.Then([&] { save(GrabFrames({&main, &areas}), "effects-preview.png"); });
    script.Then([&] {
        areas.findChild<QCheckBox*>(Q(TForm4::kPreviewSwitchName))->setChecked(false);
        trigger(Q("N19"));
    });
    // The wand with its tolerance in the tool bar, the picture at 200 % and the navigator.
    script.Then([&] {
        areas.hide();
        trigger(Q("WandTool"));
        trigger(Q("NavigatorAction"));
        trigger(Q("ZoomActualSize"));
        trigger(Q("ZoomIn"));
        trigger(Q("ZoomIn"));
    });
    script.Then([&] { save(GrabFrames({&main}), "tools.png"); });
    script.Then([&] {
        trigger(Q("ZoomToFit"));
        trigger(Q("NavigatorAction"));
        trigger(Q("BrushTool"));
        areas.show();
    });
    script.Then([&] { grabDialog(Q("N24"), "grid.png"); });
    script.Then([&] { grabDialog(Q("N26"), "music.png"); });
    script.Then([&] { trigger(Q("N68")); });
    script.Then([&] {
        QWidget& merge = editor->MergeWindow();
        save(GrabFrames({&merge}), "merge.png");
        merge.close();
    });
    script.Then([&] { grabDialog(Q("О программе"), "about.png"); });
    script.Start();
    const int failures = application.exec();
    editor.reset();
    history.reset();
    return failures;
}
