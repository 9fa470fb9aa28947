#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "store/prompter.h"

namespace velmora::test {

// A prompter that records every message and question and answers from a script.
// Questions with no scripted answer get No (or Cancel where Cancel is offered).
class ScriptedPrompter : public Prompter {
public:
    void Message(const std::string& text) override { messages.push_back(text); }
    velmora::Answer Ask(const std::string& text, const std::string& caption,
                        Buttons buttons) override;
    velmora::Answer AskSafely(const std::string& text, const std::string& caption,
                              Buttons buttons) override {
        safeQuestions.push_back(text);
        return Ask(text, caption, buttons);
    }
    void Beep() override { ++beeps; }
    // The next scripted text answer (nothing: cancelled), or the initial text when none is left.
    std::optional<std::string> AskText(const std::string& text, const std::string&,
                                       const std::string& initial) override {
        textQuestions.push_back({text, initial});
        if (textAnswers.empty()) {
            return initial;
        }
        std::optional<std::string> answer = textAnswers.front();
        textAnswers.pop_front();
        return answer;
    }

    void Reply(velmora::Answer answer) { answers.push_back(answer); }

    std::vector<std::string> messages;
    std::vector<std::string> questions;
    // The questions among them asked with No as the default answer.
    std::vector<std::string> safeQuestions;
    std::vector<std::string> captions;
    std::deque<velmora::Answer> answers;
    // Text questions as asked (the question, the text offered) and their scripted answers.
    std::vector<std::pair<std::string, std::string>> textQuestions;
    std::deque<std::optional<std::string>> textAnswers;
    int beeps = 0;
};

// Records what the program asked the desktop to open, and answers as told.
class RecordingShell : public Shell {
public:
    bool Open(const std::string& pathOrUrl) override {
        opened.push_back(pathOrUrl);
        return answer;
    }
    std::vector<std::string> opened;
    bool answer = true;
};

// A fresh folder under the system's temporary folder, removed with everything in it at the end.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);

}  // namespace velmora::test
