#pragma once

#include <string>

namespace velmora {

class COMMON_DATA;

// Whether the file at path may make way for a new project: refused, with the holder named,
// while another program holds it. The open project itself may, since closing it frees its
// lock. Nothing at path may always.
bool MayReplaceProject(COMMON_DATA& data, const std::string& path);

// Deletes what lies at path so that a new project can be created there (the caller has asked):
// refused, with a message, while another program holds it or when it cannot be deleted.
bool MakeWayForProject(COMMON_DATA& data, const std::string& path);

// New: MakeWayForProject, then CreateProject; the project is left open. The caller has closed
// any project it had open.
bool NewProject(COMMON_DATA& data, const std::string& path);

}  // namespace velmora
