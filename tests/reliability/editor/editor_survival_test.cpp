// The editor survives whatever its menus are asked to do: every menu item with no project,
// with a project without picture and with a full project, and a command that fails shows its
// error and lets the editor go on.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QPointer>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "store/common_data.h"
#include "ui/common/editor_application.h"
#include "ui/common/text.h"
#include "ui/main/main_window.h"
#include "ui_test_support.h"

using velmora::Q;
using velmora::test::EditorFixture;

namespace {

enum class State { NoProject, ProjectWithoutPicture, FullProject };

// Rejects every modal dialog a command opens, as a user pressing Escape would, so that the
// command runs to its end under the offscreen platform.
class DialogCloser {
public:
    DialogCloser() {
        m_timer.setInterval(20);
        QObject::connect(&m_timer, &QTimer::timeout, [] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                if (auto* dialog = qobject_cast<QDialog*>(modal)) {
                    dialog->reject();
                } else {
                    modal->close();
                }
            }
        });
        m_timer.start();
    }

private:
    QTimer m_timer;
};

// Triggers an action the way a click does: from the event loop, so that an error escaping its
// handler goes where the program catches it.
void Click(QAction* action) {
    QTimer::singleShot(0, action, [action] { action->trigger(); });
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::processEvents();
    }
}

// The editor's menu items, Exit last since it closes the project.
QList<QAction*> MenuItems(velmora::TForm1& window) {
    QList<QAction*> items;
    QAction* exit = nullptr;
    for (QAction* action : window.findChildren<QAction*>()) {
        if (action->isSeparator() || action->menu() || action->objectName().isEmpty()) {
            continue;
        }
        if (action->objectName() == Q("N11")) {
            exit = action;
        } else {
            items << action;
        }
    }
    if (exit) {
        items << exit;
    }
    return items;
}

// Every enabled button of the windows on screen (the areas window among them), except those of
// modal dialogs, which the closer answers.
QList<QPointer<QAbstractButton>> WindowButtons() {
    QList<QPointer<QAbstractButton>> buttons;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (!window->isVisible() || window->isModal()) {
            continue;
        }
        for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
            if (button->isVisible() && button->isEnabled()) {
                buttons << button;
            }
        }
    }
    return buttons;
}

// Clicks the buttons that still stand; how many it clicked.
int Press(const QList<QPointer<QAbstractButton>>& buttons) {
    int pressed = 0;
    for (const QPointer<QAbstractButton>& button : buttons) {
        if (button && button->isVisible() && button->isEnabled()) {
            QAbstractButton* target = button.data();
            QTimer::singleShot(0, target, [target] { target->click(); });
            ++pressed;
            for (int i = 0; i < 5; ++i) {
                QCoreApplication::processEvents();
            }
        }
    }
    return pressed;
}

}  // namespace

class EditorSurvivalTest : public QObject {
    Q_OBJECT

private slots:
    void everyMenuItemInEveryState_data();
    void everyMenuItemInEveryState();
    void failingCommandShowsItsErrorAndTheEditorGoesOn();
};

void EditorSurvivalTest::everyMenuItemInEveryState_data() {
    QTest::addColumn<int>("state");
    QTest::newRow("no project") << int(State::NoProject);
    QTest::newRow("project without picture") << int(State::ProjectWithoutPicture);
    QTest::newRow("full project") << int(State::FullProject);
}

void EditorSurvivalTest::everyMenuItemInEveryState() {
    QFETCH(int, state);
    EditorFixture fixture;
    auto* application = static_cast<velmora::EditorApplication*>(QCoreApplication::instance());
    application->SetPrompter(&fixture.prompter);
    if (state == int(State::ProjectWithoutPicture)) {
        fixture.dialogs.Answer(fixture.folder / "tour.vlm");
        fixture.Trigger("N2");
        QVERIFY(fixture.data().project.ProjectOpen);
    } else if (state == int(State::FullProject)) {
        fixture.OpenProjectWithPicture(120, 80, {"Зал", "Холл"});
        QVERIFY(fixture.data().canvas.PictureLoaded);
        fixture.form1().ImageMouseDown(Qt::LeftButton, Qt::NoModifier, 10, 10);
        fixture.form1().ImageMouseMove(Qt::LeftButton, 60, 40);
        fixture.form1().ImageMouseUp();
    }
    const DialogCloser closer;
    const QList<QAction*> items = MenuItems(fixture.form1());
    QVERIFY(items.size() >= 15);
    // Twice: the first round leaves windows open and states changed for the second. Exit comes
    // last in each round, so the buttons are pressed while the project is still open.
    int pressed = 0;
    for (int round = 0; round < 2; ++round) {
        for (QAction* action : items) {
            if (action == items.last()) {
                pressed += Press(WindowButtons());
            }
            Click(action);
        }
    }
    // With a full project the areas window is open and its buttons were pressed too.
    QVERIFY(state != int(State::FullProject) || pressed >= 10);
    application->SetPrompter(nullptr);
    // Errors may have been reported; none of them may be one the program did not expect.
    for (const std::string& message : fixture.prompter.messages) {
        QVERIFY2(message != "Неизвестная ошибка", message.c_str());
    }
    // Still working: a project can be created and given a picture after all that.
    fixture.dialogs.answers.clear();
    fixture.dialogs.Answer(fixture.folder / "after.vlm");
    fixture.Trigger("N2");
    QVERIFY(fixture.data().project.ProjectOpen);
    fixture.dialogs.Answer(fixture.MakePicture("after.png", 40, 30));
    fixture.Trigger("N9");
    QVERIFY(fixture.data().canvas.PictureLoaded);
    QCOMPARE(fixture.data().canvas.Width, 40);
}

void EditorSurvivalTest::failingCommandShowsItsErrorAndTheEditorGoesOn() {
    EditorFixture fixture;
    auto* application = static_cast<velmora::EditorApplication*>(QCoreApplication::instance());
    application->SetPrompter(&fixture.prompter);
    fixture.OpenProjectWithPicture(120, 80, {"Зал"});
    fixture.form1().ImageMouseDown(Qt::LeftButton, Qt::NoModifier, 10, 10);
    fixture.form1().ImageMouseMove(Qt::LeftButton, 60, 40);
    fixture.form1().ImageMouseUp();
    fixture.prompter.messages.clear();

    // A file where the map folder belongs: saving the map must fail.
    const std::string maps = fixture.folder / "Maps";
    std::filesystem::rename(maps, maps + ".aside");
    velmora::test::WriteFile(maps, "not a folder");
    QAction* save = fixture.form1().findChild<QAction*>(Q("N6"));
    QVERIFY(save);
    Click(save);
    QCOMPARE(fixture.prompter.messages.size(), std::size_t{1});
    QVERIFY2(fixture.prompter.messages[0].find("Maps") != std::string::npos,
             fixture.prompter.messages[0].c_str());

    // The editor goes on: the same command works once the folder is back.
    std::filesystem::remove(maps);
    std::filesystem::rename(maps + ".aside", maps);
    Click(save);
    QCOMPARE(fixture.prompter.messages.size(), std::size_t{1});
    QVERIFY(fixture.data().project.ProjectOpen);
    QVERIFY(std::filesystem::exists(maps + "/source.png"));
    application->SetPrompter(nullptr);
}

static void InitResources() {
    Q_INIT_RESOURCE(resources);
}

int main(int argc, char** argv) {
    // Nothing a test does may touch the real user profile.
    QStandardPaths::setTestModeEnabled(true);
    velmora::EditorApplication application(argc, argv);
    InitResources();
    application.setQuitOnLastWindowClosed(false);
    EditorSurvivalTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "editor_survival_test.moc"
