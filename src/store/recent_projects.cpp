#include "store/recent_projects.h"

#include <algorithm>
#include <array>

#include "store/files.h"
#include "store/paths.h"

namespace velmora {

std::vector<std::string> RememberRecent(std::vector<std::string> recent, const std::string& path) {
    std::erase_if(recent, [&path](const std::string& entry) {
        return entry == path || SameFile(entry, path);
    });
    recent.insert(recent.begin(), path);
    if (recent.size() > kRecentProjectsKept) {
        recent.resize(kRecentProjectsKept);
    }
    return recent;
}

std::vector<std::string> WithoutMissing(const std::vector<std::string>& recent) {
    std::vector<std::string> kept;
    std::copy_if(recent.begin(), recent.end(), std::back_inserter(kept),
                 [](const std::string& entry) { return FileExists(entry); });
    return kept;
}

FileKind KindOfFile(const std::string& path) {
    const auto dot = path.find_last_of("./");
    if (dot == std::string::npos || path[dot] != '.') {
        return FileKind::Other;
    }
    const std::string extension = AsciiLower(path.substr(dot + 1));
    if (extension == "vlm") {
        return FileKind::Project;
    }
    constexpr std::array<const char*, 5> kPictures = {"png", "jpg", "jpeg", "gif", "bmp"};
    const bool picture = std::any_of(kPictures.begin(), kPictures.end(),
                                     [&extension](const char* e) { return extension == e; });
    return picture ? FileKind::Picture : FileKind::Other;
}

}  // namespace velmora
