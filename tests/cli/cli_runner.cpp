#include "cli/cli_runner.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

#include "support/test_support.h"

namespace velmora::test {

CliResult RunCli(const std::vector<std::string>& args, const std::string& folder) {
    TempFolder capture;
    const std::string outPath = capture / "out";
    const std::string errPath = capture / "err";
    const pid_t pid = ::fork();
    if (pid < 0) {
        throw std::runtime_error("fork failed");
    }
    if (pid == 0) {
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(out, 1);
        ::dup2(err, 2);
        if (::chdir(folder.c_str()) != 0) {
            ::_exit(127);
        }
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(VELMORA_CLI));
        for (const auto& a : args) {
            argv.push_back(const_cast<char*>(a.c_str()));
        }
        argv.push_back(nullptr);
        ::execv(VELMORA_CLI, argv.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    CliResult result;
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = ReadFile(outPath);
    result.err = ReadFile(errPath);
    return result;
}

}  // namespace velmora::test
