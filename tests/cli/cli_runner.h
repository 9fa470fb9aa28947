#pragma once

#include <string>
#include <vector>

namespace velmora::test {

struct CliResult {
    int status = -1;  // exit status; -1 when the program ended by a signal
    std::string out;
    std::string err;
};

// Runs velmora-cli with the arguments (no shell involved) in the given folder.
CliResult RunCli(const std::vector<std::string>& args, const std::string& folder = ".");

}  // namespace velmora::test
