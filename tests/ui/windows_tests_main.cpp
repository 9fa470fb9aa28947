// Runs the QtTest classes of the effect pages and their preview, the music, grid, merging and about
// windows and the link menus and the help page; with a class name as first argument only that one.
#include "ui_test_support.h"

int RunMusicDialogTest(int argc, char** argv);
int RunGridDialogTest(int argc, char** argv);
int RunMergeWindowTest(int argc, char** argv);
int RunAboutBoxTest(int argc, char** argv);
int RunEffectPagesTest(int argc, char** argv);
int RunEffectPreviewTest(int argc, char** argv);
int RunAuthoringTest(int argc, char** argv);
int RunHelpPageTest(int argc, char** argv);

int main(int argc, char** argv) {
    return velmora::test::RunQtSuites(argc, argv,
                                      {{"MusicDialogTest", RunMusicDialogTest},
                                       {"GridDialogTest", RunGridDialogTest},
                                       {"MergeWindowTest", RunMergeWindowTest},
                                       {"AboutBoxTest", RunAboutBoxTest},
                                       {"EffectPagesTest", RunEffectPagesTest},
                                       {"EffectPreviewTest", RunEffectPreviewTest},
                                       {"AuthoringTest", RunAuthoringTest},
                                       {"HelpPageTest", RunHelpPageTest}});
}
