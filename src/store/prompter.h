#pragma once

#include <string>

namespace velmora {

enum class Buttons { Ok, YesNo, YesNoCancel };
enum class Answer { Ok, Yes, No, Cancel };

// The core's only way to reach the user: the editor shows message boxes, the CLI prints to
// stderr and answers from its flags, tests record and answer from a script.
class Prompter {
public:
    virtual ~Prompter() = default;

    // A notice or error in a plain box with one OK button.
    virtual void Message(const std::string& text) = 0;
    virtual Answer Ask(const std::string& text, const std::string& caption, Buttons buttons) = 0;
    virtual void Beep() = 0;
};

// The caption of every question the system asks.
inline constexpr const char* kConfirmCaption = "Требуется подтверждение";
inline constexpr const char* kOverwriteQuestion = "Файл уже существует. Перезаписать?";

// Opens documents and addresses with the desktop's default program.
class Shell {
public:
    virtual ~Shell() = default;
    virtual bool Open(const std::string& pathOrUrl) = 0;
};

}  // namespace velmora
