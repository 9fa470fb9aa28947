#pragma once

#include <QStringList>
#include <optional>

class QCoreApplication;

namespace velmora {

// What the editor was asked to do at start: the project to open and, for scripted runs, when to
// close again.
struct EditorCommandLine {
    QStringList projects;
    // Milliseconds after which the main window closes as the Exit command closes it.
    std::optional<int> quitAfter;
};

// True when the command line asks only for the help or the version text, which need no display.
bool OnlyPrintsText(int argc, const char* const* argv);

// Reads the command line; --help and --version print their text and end the program, a wrong
// call prints what is wrong and ends it with status 2.
EditorCommandLine ParseCommandLine(const QCoreApplication& application);

}  // namespace velmora
