#include "reliability/cli_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

#include "support/test_support.h"

namespace velmora::test {

namespace {

// In the child: output to files (or /dev/null), limits applied, then velmora-cli.
[[noreturn]] void ExecCli(const std::vector<std::string>& args, const std::string& folder,
                          const std::string& outPath, const std::string& errPath,
                          const CliLimits& limits) {
    const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::dup2(out, 1);
    ::dup2(err, 2);
    ::signal(SIGPIPE, SIG_DFL);
    if (limits.fileSizeLimit > 0) {
        // Ignored, SIGXFSZ turns a write past the limit into EFBIG, as ENOSPC on a full disk.
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{static_cast<rlim_t>(limits.fileSizeLimit),
                           static_cast<rlim_t>(limits.fileSizeLimit)};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    if (limits.addressSpaceLimit > 0) {
        const rlimit limit{static_cast<rlim_t>(limits.addressSpaceLimit),
                           static_cast<rlim_t>(limits.addressSpaceLimit)};
        ::setrlimit(RLIMIT_AS, &limit);
    }
    if (limits.timeLimit > 0) {
        // A pending alarm survives exec.
        ::alarm(limits.timeLimit);
    }
    if (::chdir(folder.c_str()) != 0) {
        ::_exit(127);
    }
    // VELMORA_CLI_UNDER_TEST runs the tests against another build, e.g. an older one.
    const char* env = std::getenv("VELMORA_CLI_UNDER_TEST");
    const char* program = env && *env ? env : VELMORA_CLI;
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program));
    for (const auto& a : args) {
        argv.push_back(const_cast<char*>(a.c_str()));
    }
    argv.push_back(nullptr);
    ::execv(program, argv.data());
    ::_exit(127);
}

}  // namespace

CliRun RunCli(const std::vector<std::string>& args, const std::string& folder,
              const CliLimits& limits) {
    TempFolder capture;
    const std::string outPath = capture / "out";
    const std::string errPath = capture / "err";
    const pid_t pid = ::fork();
    if (pid < 0) {
        throw std::runtime_error("fork failed");
    }
    if (pid == 0) {
        ExecCli(args, folder, outPath, errPath, limits);
    }
    int status = 0;
    rusage usage{};
    // The child's own figures, not the maximum over every child this process has waited for.
    ::wait4(pid, &status, 0, &usage);
    CliRun run;
    run.peakKb = usage.ru_maxrss;
    run.signalled = WIFSIGNALED(status);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = ReadFile(outPath);
    run.err = ReadFile(errPath);
    return run;
}

CliProcess::CliProcess(const std::vector<std::string>& args, const std::string& folder) {
    m_pid = ::fork();
    if (m_pid < 0) {
        throw std::runtime_error("fork failed");
    }
    if (m_pid == 0) {
        ExecCli(args, folder, "/dev/null", "/dev/null", {});
    }
}

CliProcess::~CliProcess() {
    if (!m_waited) {
        Kill();
        Wait();
    }
}

void CliProcess::Kill() {
    if (!m_waited) {
        ::kill(m_pid, SIGKILL);
    }
}

bool CliProcess::Wait() {
    if (!m_waited) {
        ::waitpid(m_pid, &m_waitStatus, 0);
        m_waited = true;
    }
    return WIFEXITED(m_waitStatus) && WEXITSTATUS(m_waitStatus) == 0;
}

}  // namespace velmora::test
