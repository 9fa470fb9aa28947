#pragma once

#include "ui/common/ports.h"

class QWidget;

namespace velmora {

// Message boxes with the Russian buttons, the system beep. Boxes open over the active window
// with the icon that fits: a warning for refusals, errors and questions that risk work, a
// question mark for other questions, information for notices.
class QtPrompter : public Prompter {
public:
    void Message(const std::string& text) override;
    void Notice(const std::string& text) override;
    Answer Ask(const std::string& text, const std::string& caption, Buttons buttons) override;
    Answer AskSafely(const std::string& text, const std::string& caption, Buttons buttons) override;
    std::optional<std::string> AskText(const std::string& text, const std::string& caption,
                                       const std::string& initial) override;
    void Beep() override;
};

// Qt's file dialogs; patterns match without regard to case, as on the desktop the program
// came from.
class QtFileDialogs : public FileDialogs {
public:
    std::optional<std::string> OpenFile(const std::string& caption, const std::string& filter,
                                        const std::string& start) override;
    std::optional<std::string> SaveFile(const std::string& caption, const std::string& filter,
                                        const std::string& start) override;
    std::vector<std::string> OpenFiles(const std::string& caption, const std::string& filter,
                                       const std::string& start) override;
};

// Opens files and addresses with the desktop's default program.
class QtShell : public Shell {
public:
    bool Open(const std::string& pathOrUrl) override;
};

// The system clipboard through QClipboard.
class QtClipboard : public Clipboard {
public:
    std::string Text() override;
    void SetText(const std::string& text) override;
};

}  // namespace velmora
