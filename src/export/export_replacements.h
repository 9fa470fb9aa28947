#pragma once

#include <optional>
#include <string>
#include <vector>

namespace velmora {

class COMMON_DATA;

// A file an export copies beside the page.
struct ExportCopy {
    std::string source;
    std::string destination;
};

// What an export copies: the picture into the page's folder and the pictures and sounds its
// data script names (background music, every painted named area's effects) into VLM there.
// Files missing from the project are left out; the data script reports them.
std::vector<ExportCopy> ExportCopies(COMMON_DATA& data, const std::string& pageFolder);

// Asks "Файл существует. Перезаписать?" with the path before each copy that would replace a
// file of other content; an identical file is no question. Nothing, with nothing written, when
// an answer was not Yes; else the copies that replace a file, to be made before the export
// writes its page (the data script only copies files that are missing).
std::optional<std::vector<ExportCopy>> AgreedReplacements(COMMON_DATA& data,
                                                          const std::string& pageFolder);

}  // namespace velmora
