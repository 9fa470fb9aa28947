// Runs the editor's QtTest classes; with a class name as first argument only that one.
#include <QStandardPaths>
#include <cstring>
#include <vector>

#include "ui/common/editor_application.h"

int RunMainWindowTest(int argc, char** argv);
int RunAreasWindowTest(int argc, char** argv);
int RunProjectCommandsTest(int argc, char** argv);
int RunPortsTest(int argc, char** argv);

static void InitResources() {
    Q_INIT_RESOURCE(resources);
}

int main(int argc, char** argv) {
    // Nothing a test does may touch the real user profile.
    QStandardPaths::setTestModeEnabled(true);
    velmora::EditorApplication application(argc, argv);
    InitResources();
    application.setQuitOnLastWindowClosed(false);
    application.setFont(velmora::EditorFont());

    struct Suite {
        const char* name;
        int (*run)(int, char**);
    };
    const Suite suites[] = {{"MainWindowTest", RunMainWindowTest},
                            {"AreasWindowTest", RunAreasWindowTest},
                            {"ProjectCommandsTest", RunProjectCommandsTest},
                            {"PortsTest", RunPortsTest}};
    const char* only = argc > 1 && argv[1][0] != '-' ? argv[1] : nullptr;
    std::vector<char*> arguments(argv, argv + argc);
    if (only) {
        arguments.erase(arguments.begin() + 1);
    }
    int failures = 0;
    for (const Suite& suite : suites) {
        if (!only || std::strcmp(only, suite.name) == 0) {
            failures += suite.run(static_cast<int>(arguments.size()), arguments.data());
        }
    }
    return failures;
}
