#pragma once

#include <string>

namespace velmora {

// Why the project file at path cannot be opened, as a sentence for the user: it is missing,
// a folder, unreadable, or not a project at all (damaged or another kind of file).
std::string ProjectFileProblem(const std::string& path);

// The report of a project that could not be opened: the failure, the path and the reason,
// each on a line of its own.
std::string ProjectOpenFailure(const std::string& failure, const std::string& path);

}  // namespace velmora
