#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace velmora::test {

// How one run of velmora-cli ended and what it printed.
struct CliRun {
    bool signalled = false;  // ended by a signal (a crash, or our SIGKILL)
    int status = -1;         // exit status when not signalled
    std::string out;
    std::string err;
    long long peakKb = 0;  // the most memory the run held resident at once (its own rusage)
};

// Limits for a run: a file size limit in bytes (0: none) stands in for a full disk where no
// small file system can be mounted; writes past it fail with EFBIG instead of a signal.
// An address space limit (0: none) makes the run fail as on a machine without that much memory;
// it does not work under the sanitizers, which reserve terabytes of address space up front. A
// time limit in seconds (0: none) ends a hanging run with SIGALRM, reported as signalled.
struct CliLimits {
    long long fileSizeLimit = 0;
    long long addressSpaceLimit = 0;
    unsigned timeLimit = 0;
};

// Runs velmora-cli in folder with the arguments (no shell) and waits for it.
CliRun RunCli(const std::vector<std::string>& args, const std::string& folder,
              const CliLimits& limits = {});

// A velmora-cli run in the background, for killing it at a chosen moment.
class CliProcess {
public:
    CliProcess(const std::vector<std::string>& args, const std::string& folder);
    ~CliProcess();
    CliProcess(const CliProcess&) = delete;
    CliProcess& operator=(const CliProcess&) = delete;

    void Kill();
    // Waits for the end; true when the program exited 0 by itself.
    bool Wait();

private:
    pid_t m_pid = -1;
    int m_waitStatus = 0;
    bool m_waited = false;
};

}  // namespace velmora::test
