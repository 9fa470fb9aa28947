#pragma once

#include <optional>
#include <string>
#include <vector>

#include "store/prompter.h"

namespace velmora {

// The file dialogs of the editor. Filters use Qt's syntax, "A (*.x);;B (*.y)"; an empty
// result means the user cancelled. start is the folder the dialog shows first, or a file
// path whose folder it shows with the file's name filled in; empty leaves it to the dialog.
class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    virtual std::optional<std::string> OpenFile(const std::string& caption,
                                                const std::string& filter,
                                                const std::string& start = {}) = 0;
    virtual std::optional<std::string> SaveFile(const std::string& caption,
                                                const std::string& filter,
                                                const std::string& start = {}) = 0;
    // An open dialog where several files may be chosen; the chosen paths in the dialog's
    // order, none when cancelled.
    virtual std::vector<std::string> OpenFiles(const std::string& caption,
                                               const std::string& filter,
                                               const std::string& start = {}) {
        auto one = OpenFile(caption, filter, start);
        return one ? std::vector<std::string>{*one} : std::vector<std::string>{};
    }
};

// The system clipboard's text.
class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual std::string Text() = 0;
    virtual void SetText(const std::string& text) = 0;
};

// Everything outside the program that the windows reach: messages and questions, file
// dialogs, the desktop's default programs and the clipboard. The editor passes the Qt
// implementations; tests pass scripted ones.
struct Ports {
    Prompter& prompter;
    FileDialogs& fileDialogs;
    Shell& shell;
    Clipboard& clipboard;
};

}  // namespace velmora
