#pragma once

#include <optional>
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
    // A question before a step that loses work: No is the answer offered first, so that
    // Enter or a hasty click keeps the work.
    virtual Answer AskSafely(const std::string& text, const std::string& caption, Buttons buttons) {
        return Ask(text, caption, buttons);
    }
    // A notice that something was done, as opposed to a refusal or an error.
    virtual void Notice(const std::string& text) { Message(text); }
    // A line of text, initial offered; nothing when cancelled. Where no one can be asked, the
    // initial text stands.
    virtual std::optional<std::string> AskText(const std::string& /*text*/,
                                               const std::string& /*caption*/,
                                               const std::string& initial) {
        return initial;
    }
    virtual void Beep() = 0;
};

// The caption of every question the system asks.
inline constexpr const char* kConfirmCaption = "Требуется подтверждение";
inline constexpr const char* kOverwriteQuestion = "Файл уже существует. Перезаписать?";

// A question or message followed, on a line of its own, by what it acts on (a file, an area),
// so the user never has to guess which one is meant.
inline std::string Naming(const std::string& text, const std::string& subject) {
    return text + "\n" + subject;
}

// Opens documents and addresses with the desktop's default program.
class Shell {
public:
    virtual ~Shell() = default;
    virtual bool Open(const std::string& pathOrUrl) = 0;
};

}  // namespace velmora
