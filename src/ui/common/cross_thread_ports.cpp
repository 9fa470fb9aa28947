#include "ui/common/cross_thread_ports.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

namespace velmora {

namespace {

// Runs call on the UI thread and waits for it.
template <typename Call>
void OnUiThread(const Call& call) {
    QCoreApplication* application = QCoreApplication::instance();
    if (!application || QThread::currentThread() == application->thread()) {
        call();
        return;
    }
    QMetaObject::invokeMethod(application, call, Qt::BlockingQueuedConnection);
}

}  // namespace

void ThreadSafePrompter::Message(const std::string& text) {
    OnUiThread([&] { m_target.Message(text); });
}

Answer ThreadSafePrompter::Ask(const std::string& text, const std::string& caption,
                               Buttons buttons) {
    Answer answer = Answer::Cancel;
    OnUiThread([&] { answer = m_target.Ask(text, caption, buttons); });
    return answer;
}

Answer ThreadSafePrompter::AskSafely(const std::string& text, const std::string& caption,
                                     Buttons buttons) {
    Answer answer = Answer::Cancel;
    OnUiThread([&] { answer = m_target.AskSafely(text, caption, buttons); });
    return answer;
}

void ThreadSafePrompter::Notice(const std::string& text) {
    OnUiThread([&] { m_target.Notice(text); });
}

std::optional<std::string> ThreadSafePrompter::AskText(const std::string& text,
                                                       const std::string& caption,
                                                       const std::string& initial) {
    std::optional<std::string> answer;
    OnUiThread([&] { answer = m_target.AskText(text, caption, initial); });
    return answer;
}

void ThreadSafePrompter::Beep() {
    OnUiThread([&] { m_target.Beep(); });
}

bool ThreadSafeShell::Open(const std::string& pathOrUrl) {
    bool opened = false;
    OnUiThread([&] { opened = m_target.Open(pathOrUrl); });
    return opened;
}

}  // namespace velmora
