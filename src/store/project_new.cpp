#include "store/project_new.h"

#include "store/common_data.h"
#include "store/files.h"
#include "store/project_lock.h"
#include "store/store_messages.h"

namespace velmora {

bool MayReplaceProject(COMMON_DATA& data, const std::string& path) {
    if (!EntryExists(path) ||
        (data.project.ProjectOpen && SameFile(path, data.project.ProjectPath))) {
        return true;
    }
    ProjectLock probe;
    if (probe.Take(path, data.project.Holder, 0) == ProjectLock::Result::HeldElsewhere) {
        data.UserPrompter().Message(HeldElsewhereMessage(probe.Owner()));
        return false;
    }
    return true;
}

bool MakeWayForProject(COMMON_DATA& data, const std::string& path) {
    if (!EntryExists(path)) {
        return true;
    }
    if (!MayReplaceProject(data, path)) {
        return false;
    }
    if (!DeleteFileIfPresent(path)) {
        data.UserPrompter().Message(msg::kDeleteFailed);
        return false;
    }
    return true;
}

bool NewProject(COMMON_DATA& data, const std::string& path) {
    return MakeWayForProject(data, path) && data.CreateProject(path);
}

}  // namespace velmora
