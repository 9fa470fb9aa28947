#pragma once

#include <cstdint>

namespace velmora {

// Thrown out of a long operation once its Progress says the user gave up. It is no
// std::exception on purpose: handlers that turn errors into messages ("the file is damaged")
// let it pass, and whoever started the operation treats it as "nothing changed".
class OperationCancelled {
public:
    const char* what() const noexcept { return "Операция отменена."; }
};

// Where a long operation says how far it has come and learns whether the user gave up. The
// editor shows it in a dialog with a Cancel button; the CLI and most tests pass NoProgress(),
// which shows nothing and never cancels. Operations call Step often enough (every few tens of
// milliseconds of work) for Cancel to answer at once, from whatever thread they run on.
class Progress {
public:
    virtual ~Progress() = default;

    // done of total units of the work so far; total may grow as the work learns its size.
    virtual void Report(std::int64_t done, std::int64_t total) {
        (void)done;
        (void)total;
    }
    virtual bool Cancelled() const { return false; }

    // Reports, then throws OperationCancelled when the user gave up.
    void Step(std::int64_t done, std::int64_t total) {
        Report(done, total);
        if (Cancelled()) {
            throw OperationCancelled();
        }
    }
};

// Shows nothing and never cancels: the default of every operation that takes a Progress.
Progress& NoProgress();

// The progress of the operation running on this thread, for the loops deep below it (the image
// codecs' rows) that many operations reach through layers that do not pass it on. Set for the
// scope of an operation by ProgressScope; NoProgress() otherwise.
Progress& ThreadProgress();

// For row loops: reports at every 64th row of rows, a few milliseconds of work on the widest
// pictures.
inline void StepRows(Progress& progress, std::int64_t row, std::int64_t rows) {
    constexpr std::int64_t kRowsPerStep = 64;
    if (row % kRowsPerStep == 0) {
        progress.Step(row, rows);
    }
}

class ProgressScope {
public:
    explicit ProgressScope(Progress& progress);
    ~ProgressScope();
    ProgressScope(const ProgressScope&) = delete;
    ProgressScope& operator=(const ProgressScope&) = delete;

private:
    Progress* m_outer;
};

}  // namespace velmora
