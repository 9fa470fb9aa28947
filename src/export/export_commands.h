#pragma once

#include <string>

#include "export/page.h"
#include "store/progress.h"

namespace velmora {

class COMMON_DATA;
class Shell;

// What an export command wrote: the page's path (empty when the command was refused with a
// message before writing anything) and whether the data script was written too (false after a
// missing file was reported; the page then stays written).
struct ExportOutcome {
    std::string pagePath;
    bool scriptWritten = false;
};

// What the author asked of an export beyond the plain page.
struct ExportOptions {
    // The data script names every area, and the page carries an image map of the areas'
    // outlines with their names and links, which works without scripts too.
    bool accessible = false;
    // The page's title, heading and description; empty ones keep the template's.
    PageTexts texts;
    // The picture is offered in several widths as WebP with one fallback (WriteWebImages, in
    // VLM), the page has a viewport meta and loads its scripts deferred.
    bool webImages = false;
};

// The runtime file (vlm4.js, vlm4.css) in the program folder, or else in the installed layout's
// ../share/velmora-editor beside it; throws FileError when neither holds it.
std::string FindRuntimeFile(const std::string& programFolder, const std::string& name);

// Both commands first refuse, with a message and nothing written, when no project or no
// picture is loaded; the editor may call them for that message before it shows any dialog.

// "Экспорт в HTML": the page for chosenPath (its extension replaced by ".html"), its data script
// in VLM beside it, the runtime files copied there when missing, and a fresh copy of the
// picture beside the page. Copy and write failures throw FileError.
// Progress hears of the work done before the first file is written (the image map's
// tracing); a cancel there (OperationCancelled) leaves every file as it was. Once files are
// written the export finishes, so that no folder is left with half a page.
ExportOutcome ExportToHtml(COMMON_DATA& data, const std::string& chosenPath,
                           const std::string& programFolder, ExportOptions options = {},
                           Progress& progress = NoProgress());

// "Протестировать в браузере": the same export into the project's HTML working folder, named
// after the project file, then the page opened through the shell (not waited for). A project
// open for viewing gets its page in otherFolder instead, so nothing is written beside it.
ExportOutcome TestInBrowser(COMMON_DATA& data, const std::string& programFolder, Shell& shell,
                            ExportOptions options = {}, const std::string& otherFolder = {},
                            Progress& progress = NoProgress());

}  // namespace velmora
