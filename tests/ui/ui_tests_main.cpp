// Runs the editor's QtTest classes; with a class name as first argument only that one.
#include "ui_test_support.h"

int RunMainWindowTest(int argc, char** argv);
int RunAreasWindowTest(int argc, char** argv);
int RunProjectCommandsTest(int argc, char** argv);
int RunPortsTest(int argc, char** argv);
int RunCanvasZoomTest(int argc, char** argv);
int RunEditorHabitsTest(int argc, char** argv);
int RunAreaToolsTest(int argc, char** argv);
int RunLongOperationTest(int argc, char** argv);
int RunViewOnlyTest(int argc, char** argv);

int main(int argc, char** argv) {
    return velmora::test::RunQtSuites(argc, argv,
                                      {{"MainWindowTest", RunMainWindowTest},
                                       {"AreasWindowTest", RunAreasWindowTest},
                                       {"ProjectCommandsTest", RunProjectCommandsTest},
                                       {"PortsTest", RunPortsTest},
                                       {"CanvasZoomTest", RunCanvasZoomTest},
                                       {"EditorHabitsTest", RunEditorHabitsTest},
                                       {"AreaToolsTest", RunAreaToolsTest},
                                       {"LongOperationTest", RunLongOperationTest},
                                       {"ViewOnlyTest", RunViewOnlyTest}});
}
