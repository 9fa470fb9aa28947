#include "ui/main/project_copy.h"

#include <SQLiteCpp/SQLiteCpp.h>

#include <filesystem>
#include <set>
#include <utility>
#include <vector>

#include "store/common_data.h"
#include "store/files.h"
#include "store/paths.h"

namespace velmora {

namespace {

using NamedFile = std::pair<std::string, std::string>;  // working folder, file name

std::vector<NamedFile> ReferencedFiles(COMMON_DATA& data) {
    std::set<NamedFile> files;
    auto note = [&files](const char* folder, const std::string& name) {
        if (!name.empty()) {
            files.insert({folder, name});
        }
    };
    SQLite::Database& db = data.ProjectDb->Db();
    SQLite::Statement pictures(db, "SELECT picture,map,sound FROM pictures WHERE id=0;");
    while (pictures.executeStep()) {
        note("Images", pictures.getColumn(0).getString());
        note("Maps", pictures.getColumn(1).getString());
        note("Sounds", pictures.getColumn(2).getString());
    }
    SQLite::Statement properties(
        db, "SELECT picture_file_name,overlay_file_name,sound_file_name FROM properties;");
    while (properties.executeStep()) {
        note("Pictures", properties.getColumn(0).getString());
        note("Pictures", properties.getColumn(1).getString());
        note("Sounds", properties.getColumn(2).getString());
    }
    return {files.begin(), files.end()};
}

bool SameFolder(const std::string& a, const std::string& b) {
    std::error_code error;
    return std::filesystem::equivalent(a, b, error);
}

}  // namespace

void CopyProjectFiles(COMMON_DATA& data, const std::string& oldFolder) {
    if (!data.ProjectOpen || SameFolder(oldFolder, data.ProjectFolder)) {
        return;
    }
    for (const auto& [folder, name] : ReferencedFiles(data)) {
        if (!IsPlainFileName(name)) {
            continue;
        }
        const std::string source = JoinPath(JoinPath(oldFolder, folder), name);
        const std::string target = data.WorkFilePath(folder, name);
        if (!FileExists(source)) {
            continue;
        }
        if (FileExists(target) && SameContent(source, target)) {
            continue;
        }
        if (data.CopyIntoWorkFolder(source, folder).empty()) {
            return;
        }
    }
}

}  // namespace velmora
