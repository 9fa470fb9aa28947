#pragma once

#include <QString>
#include <QWidget>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "canvas/history/draw_history.h"
#include "store/bitmap.h"
#include "support/test_support.h"
#include "ui/common/ports.h"
#include "ui/main/editor.h"

namespace velmora::test {

// The red byte the canvas shows for a picture pixel; -1 when the pixel is not in view.
int ShownRed(TForm1& form, int x, int y);

// One QtTest class of a test program: its name and the function that runs it.
struct QtSuite {
    const char* name;
    int (*run)(int, char**);
};

// The main of a QtTest program: sets up the editor's application in test mode and runs every
// suite, or only the one named by the first argument. Returns the number of failures.
int RunQtSuites(int argc, char** argv, const std::vector<QtSuite>& suites);

// The main window's title as the desktop shows it: the modified mark "*" in place of "[*]"
// while there are unsaved changes, nothing otherwise.
QString ShownTitle(const QWidget& window);

// File dialogs that answer from a script and record what they were asked. A dialog with no
// scripted answer is cancelled.
class ScriptedFileDialogs : public FileDialogs {
public:
    std::optional<std::string> OpenFile(const std::string& caption, const std::string& filter,
                                        const std::string& start) override;
    std::optional<std::string> SaveFile(const std::string& caption, const std::string& filter,
                                        const std::string& start) override;

    void Answer(const std::string& path) { answers.push_back(path); }
    void Cancel() { answers.push_back(std::nullopt); }

    std::deque<std::optional<std::string>> answers;
    std::vector<std::string> filters;
    // Where each dialog was asked to start.
    std::vector<std::string> starts;
    int asked = 0;

private:
    std::optional<std::string> Next(const std::string& filter, const std::string& start);
};

using ScriptedShell = RecordingShell;

class ScriptedClipboard : public Clipboard {
public:
    std::string Text() override { return text; }
    void SetText(const std::string& value) override { text = value; }
    std::string text;
};

// A whole editor with scripted ports over a temporary folder, the windows created in their
// start-up order as the program does.
class EditorFixture {
public:
    explicit EditorFixture(const QStringList& arguments = {});
    ~EditorFixture();

    Editor& editor() { return *m_editor; }
    COMMON_DATA& data();
    TForm1& form1();
    TForm4& form4();

    // A picture file w × h in a colour gradient, written as PNG.
    std::string MakePicture(const std::string& name, int width, int height);
    // A project "tour.vlm" with a picture of the size and the named areas, opened through
    // the menu as a user would, the areas window showing.
    std::string OpenProjectWithPicture(int width, int height,
                                       const std::vector<std::string>& areas);
    // Triggers the main window's menu item of that object name.
    void Trigger(const char* actionName);

    TempFolder folder;
    ScriptedPrompter prompter;
    ScriptedFileDialogs dialogs;
    ScriptedShell shell;
    ScriptedClipboard clipboard;
    DRAW_HISTORY history;

private:
    std::unique_ptr<Editor> m_editor;
};

}  // namespace velmora::test
