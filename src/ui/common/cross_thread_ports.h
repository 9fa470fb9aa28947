#pragma once

#include "store/prompter.h"

namespace velmora {

// Passes every message and question to another prompter on the UI thread, so that a core
// operation running on a worker thread (LongOperation) can still ask the user; on the UI
// thread itself it passes them straight on.
class ThreadSafePrompter : public Prompter {
public:
    explicit ThreadSafePrompter(Prompter& target) : m_target(target) {}

    void Message(const std::string& text) override;
    Answer Ask(const std::string& text, const std::string& caption, Buttons buttons) override;
    Answer AskSafely(const std::string& text, const std::string& caption, Buttons buttons) override;
    void Notice(const std::string& text) override;
    std::optional<std::string> AskText(const std::string& text, const std::string& caption,
                                       const std::string& initial) override;
    void Beep() override;

private:
    Prompter& m_target;
};

// The same for the desktop's default programs (the browser test opens its page from the
// export's thread).
class ThreadSafeShell : public Shell {
public:
    explicit ThreadSafeShell(Shell& target) : m_target(target) {}
    bool Open(const std::string& pathOrUrl) override;

private:
    Shell& m_target;
};

}  // namespace velmora
