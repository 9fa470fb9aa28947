#pragma once

#include <string>

namespace velmora {

// The folder of a page, script or chosen path; "." for a bare name and "/" for a name at the
// root, so that joining a file to it never lands somewhere else.
std::string FolderOfPath(const std::string& path);

// Creates folder with any missing parents; throws FileError when it does not exist afterwards.
void CreateFolderPath(const std::string& folder);

}  // namespace velmora
