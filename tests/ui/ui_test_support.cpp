#include "ui_test_support.h"

#include <QAction>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>
#include <cstring>

#include "store/common_data.h"
#include "store/image_file.h"
#include "ui/areas/areas_window.h"
#include "ui/common/editor_application.h"
#include "ui/common/text.h"
#include "ui/main/canvas_view.h"
#include "ui/main/main_window.h"

static void InitResources() {
    Q_INIT_RESOURCE(resources);
}

namespace velmora::test {

int RunQtSuites(int argc, char** argv, const std::vector<QtSuite>& suites) {
    // Nothing a test does may touch the real user profile.
    QStandardPaths::setTestModeEnabled(true);
    EditorApplication application(argc, argv);
    InitResources();
    application.setQuitOnLastWindowClosed(false);
    application.setFont(EditorFont());

    const char* only = argc > 1 && argv[1][0] != '-' ? argv[1] : nullptr;
    std::vector<char*> arguments(argv, argv + argc);
    if (only) {
        arguments.erase(arguments.begin() + 1);
    }
    int failures = 0;
    for (const QtSuite& suite : suites) {
        if (!only || std::strcmp(only, suite.name) == 0) {
            failures += suite.run(static_cast<int>(arguments.size()), arguments.data());
        }
    }
    return failures;
}

int ShownRed(TForm1& form, int x, int y) {
    const auto color = form.Canvas()->ShownColorOf(QPoint(x, y));
    return color ? static_cast<int>((*color >> 16) & 0xFF) : -1;
}

QString ShownTitle(const QWidget& window) {
    QString title = window.windowTitle();
    return title.replace(Q("[*]"), window.isWindowModified() ? Q("*") : QString());
}

std::optional<std::string> ScriptedFileDialogs::Next(const std::string& filter,
                                                     const std::string& start) {
    ++asked;
    filters.push_back(filter);
    starts.push_back(start);
    if (answers.empty()) {
        return std::nullopt;
    }
    auto answer = answers.front();
    answers.pop_front();
    return answer;
}

std::optional<std::string> ScriptedFileDialogs::OpenFile(const std::string&,
                                                         const std::string& filter,
                                                         const std::string& start) {
    return Next(filter, start);
}

std::optional<std::string> ScriptedFileDialogs::SaveFile(const std::string&,
                                                         const std::string& filter,
                                                         const std::string& start) {
    return Next(filter, start);
}

EditorFixture::EditorFixture(const QStringList& arguments) {
    // Each test starts as a first run: no window places, no recent projects.
    QSettings().clear();
    m_editor =
        std::make_unique<Editor>(Ports{prompter, dialogs, shell, clipboard}, history, arguments);
    form1().show();
}

EditorFixture::~EditorFixture() {
    // The tests leave projects open; closing them keeps the temporary folder removable.
    if (data().project.ProjectOpen) {
        data().CloseProject();
    }
    m_editor.reset();
}

COMMON_DATA& EditorFixture::data() {
    return m_editor->Data();
}
TForm1& EditorFixture::form1() {
    return m_editor->Form1();
}
TForm4& EditorFixture::form4() {
    return m_editor->Form4();
}

std::string EditorFixture::MakePicture(const std::string& name, int width, int height) {
    Bitmap picture(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = picture.Pixel(x, y);
            p[0] = static_cast<std::uint8_t>(x * 255 / std::max(1, width - 1));
            p[1] = static_cast<std::uint8_t>(y * 255 / std::max(1, height - 1));
            p[2] = 200;
        }
    }
    const std::string path = folder / name;
    SaveImageFile(picture, path);
    return path;
}

std::string EditorFixture::OpenProjectWithPicture(int width, int height,
                                                  const std::vector<std::string>& areas) {
    const std::string picture = MakePicture("source.png", width, height);
    const std::string project = folder / "tour.vlm";
    dialogs.Answer(project);
    Trigger("N2");
    dialogs.Answer(picture);
    Trigger("N9");
    for (const std::string& name : areas) {
        data().AddArea(name, true);
    }
    form4().UpdateFieldsList();
    return project;
}

void EditorFixture::Trigger(const char* actionName) {
    QAction* action = form1().findChild<QAction*>(Q(actionName));
    QVERIFY2(action, actionName);
    action->trigger();
}

}  // namespace velmora::test
