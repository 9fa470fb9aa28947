#include "ui/common/long_operation.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QEventLoop>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <exception>
#include <memory>

namespace velmora {

namespace {

LongOperation* g_current = nullptr;
std::function<void(LongOperation&)> g_reportWatch;

constexpr int kRefreshMs = 100;
// How long the UI thread simply waits before it starts handling events again.
constexpr int kQuietMs = 200;
constexpr int kBarSteps = 1000;

// "Подождите…" with a bar and "Отмена". Closing it from the window manager (Alt+F4) means the
// user wants the editor closed: the work is cancelled and the main window closes after it.
class WaitDialog : public QDialog {
public:
    WaitDialog(QWidget* parent, LongOperation& operation)
        : QDialog(parent), m_operation(operation) {
        setObjectName(QStringLiteral("LongOperationDialog"));
        setWindowTitle(LongOperation::WaitText());
        setWindowModality(Qt::ApplicationModal);
        auto* layout = new QVBoxLayout(this);
        m_label = new QLabel(LongOperation::WaitText(), this);
        layout->addWidget(m_label);
        m_bar = new QProgressBar(this);
        m_bar->setObjectName(QStringLiteral("LongOperationBar"));
        m_bar->setRange(0, 0);
        m_bar->setMinimumWidth(320);
        layout->addWidget(m_bar);
        m_cancel = new QPushButton(LongOperation::CancelText(), this);
        m_cancel->setObjectName(QStringLiteral("LongOperationCancel"));
        layout->addWidget(m_cancel, 0, Qt::AlignRight);
        connect(m_cancel, &QPushButton::clicked, this, [this] { CancelWork(); });
    }

    void ShowProgress(std::int64_t done, std::int64_t total) {
        if (total <= 0) {
            return;
        }
        m_bar->setRange(0, kBarSteps);
        m_bar->setValue(static_cast<int>(std::min(done, total) * kBarSteps / total));
    }

    // Esc cancels; the dialog itself stays until the work has stopped.
    void reject() override { CancelWork(); }

protected:
    void closeEvent(QCloseEvent* event) override {
        if (event->spontaneous()) {
            m_operation.RequestClose();
        }
        CancelWork();
        event->ignore();
    }

private:
    void CancelWork() {
        m_operation.Cancel();
        m_cancel->setEnabled(false);
        m_label->setText(QStringLiteral("Отмена…"));
    }

    LongOperation& m_operation;
    QLabel* m_label = nullptr;
    QProgressBar* m_bar = nullptr;
    QPushButton* m_cancel = nullptr;
};

}  // namespace

// What the worker reports, read by the UI thread's refresh timer.
class LongOperation::WorkerProgress : public Progress {
public:
    explicit WorkerProgress(LongOperation& operation) : m_operation(operation) {}

    void Report(std::int64_t done, std::int64_t total) override {
        m_done = done;
        m_total = total;
        if (g_reportWatch) {
            g_reportWatch(m_operation);
        }
    }
    bool Cancelled() const override { return m_operation.CancelRequested(); }

    std::atomic<std::int64_t> m_done{0};
    std::atomic<std::int64_t> m_total{0};

private:
    LongOperation& m_operation;
};

QString LongOperation::WaitText() {
    return QStringLiteral("Подождите…");
}

QString LongOperation::CancelText() {
    return QStringLiteral("Отмена");
}

LongOperation* LongOperation::Current() {
    return g_current;
}

void LongOperation::WatchReports(std::function<void(LongOperation&)> watch) {
    g_reportWatch = std::move(watch);
}

bool LongOperation::Run(QWidget* parent, const std::function<void(Progress&)>& work) {
    LongOperation operation;
    WorkerProgress progress(operation);
    LongOperation* const outer = g_current;
    g_current = &operation;
    struct Restore {
        LongOperation* outer;
        ~Restore() { g_current = outer; }
    } restore{outer};

    std::exception_ptr failure;
    bool cancelled = false;
    bool finished = false;
    QEventLoop loop;
    std::unique_ptr<QThread> thread(QThread::create([&] {
        try {
            work(progress);
        } catch (const OperationCancelled&) {
            cancelled = true;
        } catch (...) {
            failure = std::current_exception();
        }
    }));
    // finished comes from the worker thread, so it arrives queued and wakes the loop below.
    QObject::connect(thread.get(), &QThread::finished, &loop, [&finished] { finished = true; });

    WaitDialog dialog(parent, operation);
    operation.m_dialog = &dialog;
    QTimer showTimer;
    showTimer.setSingleShot(true);
    QObject::connect(&showTimer, &QTimer::timeout, &dialog, [&dialog] { dialog.show(); });
    QTimer refresh;
    QObject::connect(&refresh, &QTimer::timeout, &dialog,
                     [&] { dialog.ShowProgress(progress.m_done, progress.m_total); });
    thread->start();
    // Most operations end within moments: for them no event is handled before they are done,
    // exactly as when they ran on this thread.
    if (thread->wait(QDeadlineTimer(kQuietMs))) {
        QCoreApplication::removePostedEvents(&loop);
        finished = true;
    } else {
        showTimer.start(kShowAfterMs - kQuietMs);
        refresh.start(kRefreshMs);
    }
    while (!finished) {
        // Until the dialog shows, typed keys and clicks wait for the work to end; afterwards the
        // modal dialog keeps them from the other windows. Painting, timers and the core's
        // questions go on all the time.
        loop.processEvents(
            QEventLoop::WaitForMoreEvents |
            (dialog.isVisible() ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents));
    }
    thread->wait();
    refresh.stop();
    showTimer.stop();
    // The dialog had the keyboard: give it back to the window the work was started from, so
    // that its shortcuts work at once and not only when the window system gets round to it.
    const bool hadFocus = dialog.isActiveWindow();
    dialog.hide();
    if (hadFocus && parent) {
        parent->window()->activateWindow();
    }
    operation.m_dialog = nullptr;
    if (operation.CloseRequested() && parent) {
        // Closing is the window's own business once the project is its own again.
        QTimer::singleShot(0, parent, [parent] { parent->window()->close(); });
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
    return !cancelled;
}

}  // namespace velmora
