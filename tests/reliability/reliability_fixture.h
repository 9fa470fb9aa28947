#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "reliability/cli_process.h"
#include "support/test_support.h"

namespace velmora::test {

// Every regular file under root (hidden ones included), by path relative to root.
std::map<std::string, std::string> FilesUnder(const std::string& root);

// What a damaged or hostile input must get from the CLI: exit status 1 (never a signal), a
// message on stderr, and no crash or sanitizer report.
void ExpectCleanFailure(const CliRun& run);
// Either a success or a clean failure, never a crash.
void ExpectNoCrash(const CliRun& run);

// A written web file is whole: the byte-order mark, and the last line of its template.
bool CompletePage(const std::string& bytes);
bool CompleteDataScript(const std::string& bytes);

// A folder holding a project "tour.vlm" made through the CLI: a gradient picture "pic.png",
// the areas "Зал" and "Холл" painted into the map, and a first export "site/page.html".
// The CLI runs in `work`, the temporary folder unless a test points it elsewhere first.
class ReliabilityTest : public ::testing::Test {
protected:
    void MakeProject(int width = 64, int height = 48);

    CliRun Cli(const std::vector<std::string>& args, const CliLimits& limits = {}) const {
        return RunCli(args, work, limits);
    }
    std::string Work(const std::string& name) const { return work + "/" + name; }
    std::string ProjectPath() const { return Work("tour.vlm"); }
    std::string MapPath() const { return Work("Maps/pic.png"); }

    TempFolder folder;
    std::string work = folder.Path();
};

}  // namespace velmora::test
