#pragma once

#include <QString>
#include <atomic>
#include <functional>

#include "store/progress.h"

class QWidget;

namespace velmora {

// Runs a long core operation on a worker thread while the windows keep painting, with
// "Подождите…" and an "Отмена" button once it has lasted kShowAfterMs, so quick operations
// look as they always did.
//
// While the work runs it owns COMMON_DATA, the drawing history and the project's database
// connection: the UI thread takes no user input (held back until the dialog shows, then
// blocked by the application-modal dialog), the canvas paints its last composed frame, and
// questions of the core reach the user through ThreadSafePrompter. Nothing else on the UI
// thread touches the project until Run returns, so the connection is used by one thread at a
// time.
class LongOperation {
public:
    static constexpr int kShowAfterMs = 500;

    // Runs work(progress) on a worker thread. True when it finished; false when it was
    // cancelled (it threw OperationCancelled). Any other exception of work is thrown again
    // here, on the UI thread.
    static bool Run(QWidget* parent, const std::function<void(Progress&)>& work);

    // The operation now running, or nullptr.
    static LongOperation* Current();

    // Asks the running work to stop at its next report.
    void Cancel() { m_cancelled = true; }
    bool CancelRequested() const { return m_cancelled; }
    // The user closed the window during the work: once it stopped, the window closes as usual.
    void RequestClose() { m_closeRequested = true; }
    bool CloseRequested() const { return m_closeRequested; }
    // The progress dialog, once shown (for tests and screenshots).
    QWidget* Dialog() const { return m_dialog; }

    // Calls watch on the worker thread at every report of the work, for tests that cancel at
    // a known point (at the first report) instead of after some time. Empty stops watching.
    static void WatchReports(std::function<void(LongOperation&)> watch);

    // The dialog's texts.
    static QString WaitText();
    static QString CancelText();

private:
    class WorkerProgress;
    LongOperation() = default;

    std::atomic<bool> m_cancelled{false};
    bool m_closeRequested = false;
    QWidget* m_dialog = nullptr;
};

}  // namespace velmora
