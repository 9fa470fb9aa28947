#include "store/project_session.h"

#include <vector>

#include "store/paths.h"

namespace velmora {

std::string ProjectSession::WorkFolderPath(const std::string& folder) const {
    return JoinPath(ProjectFolder, folder);
}

std::string ProjectSession::WorkFilePath(const std::string& folder, const std::string& name) const {
    return IsPlainFileName(name) ? JoinPath(WorkFolderPath(folder), name) : std::string();
}

ReadScope ProjectSession::ProjectReadScope() const {
    std::vector<std::string> folders = {ProjectFolder};
    for (const char* folder : kWorkFolders) {
        folders.push_back(WorkFolderPath(folder));
    }
    return ReadScope(folders);
}

void ProjectSession::RequireWritableWorkFolder(const std::string& folder) const {
    RequireFolderWithin(WorkFolderPath(folder), ProjectFolder, "папки проекта");
}

}  // namespace velmora
