// Runs the QtTest classes of the effect pages, the music, grid, merging and about windows and
// the link menus; with a class name as first argument only that one.
#include <QStandardPaths>
#include <cstring>
#include <vector>

#include "ui/common/editor_application.h"

int RunMusicDialogTest(int argc, char** argv);
int RunGridDialogTest(int argc, char** argv);
int RunMergeWindowTest(int argc, char** argv);
int RunAboutBoxTest(int argc, char** argv);
int RunEffectPagesTest(int argc, char** argv);
int RunAuthoringTest(int argc, char** argv);

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
    const Suite suites[] = {
        {"MusicDialogTest", RunMusicDialogTest}, {"GridDialogTest", RunGridDialogTest},
        {"MergeWindowTest", RunMergeWindowTest}, {"AboutBoxTest", RunAboutBoxTest},
        {"EffectPagesTest", RunEffectPagesTest}, {"AuthoringTest", RunAuthoringTest}};
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
