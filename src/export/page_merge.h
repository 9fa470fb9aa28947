#pragma once

#include <string>
#include <vector>

namespace velmora {

class Prompter;

enum class MergeResult {
    TooFewPages,  // fewer than two pages: a beep, nothing asked or written
    Declined,     // the chosen file exists and the user kept it
    Refused,      // the chosen name has no page name; a message said so
    Merged,       // page and data script written, "Операция выполнена!" shown
};

// The merged page's path for what the save dialog gave: ".html" appended unless the name
// already ends so in any letter case.
std::string MergedPagePath(const std::string& chosenPath);

// Merges exported pages, in the given order (duplicates allowed), into one page at
// MergedPagePath(chosenPath) with one data script in VLM beside it. Pages from another folder
// bring their picture and VLM files along when missing there, so the merged page works.
// An unreadable page or data script throws FileError before anything is written.
MergeResult MergePages(const std::vector<std::string>& pagePaths, const std::string& chosenPath,
                       Prompter& prompter);

}  // namespace velmora
