#pragma once

#include <string>
#include <vector>

namespace velmora {

inline constexpr std::size_t kRecentProjectsKept = 8;

// The list of recently used projects after path was opened or saved: path first, an earlier
// entry of the same file dropped, at most kRecentProjectsKept entries.
std::vector<std::string> RememberRecent(std::vector<std::string> recent, const std::string& path);

// The list without the entries whose file no longer exists.
std::vector<std::string> WithoutMissing(const std::vector<std::string>& recent);

// What a file dropped on the main window is: a project to open, a picture to import, or
// neither; judged by its extension, without regard to case.
enum class FileKind { Project, Picture, Other };
FileKind KindOfFile(const std::string& path);

}  // namespace velmora
