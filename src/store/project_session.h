#pragma once

#include <array>
#include <string>

#include "store/db_connection.h"
#include "store/files.h"
#include "store/project_lock.h"

namespace velmora {

// The names of the working folders beside a project file, in the order they are created.
inline constexpr std::array<const char*, 6> kWorkFolders = {"Images", "Pictures", "Sounds",
                                                            "Maps",   "HTML",     "HTML/VLM"};

// The open project file: where it lies, its connections, and who holds it. Also the one place
// that turns a stored file name into a path, so that no name leads outside the working folders.
struct ProjectSession {
    bool ProjectOpen = false;
    std::string ProjectPath;
    std::string ProjectFolder;
    DbConnection* ProjectDb = nullptr;
    DbConnection* SourceDb = nullptr;
    std::string PageId;
    // The program that opens projects: the editor, or a command of the CLI, which waits a
    // while for another command to finish with a project.
    LockHolder Holder = LockHolder::Editor;
    // OpenProject or CreateProject was refused because another program holds the project.
    bool HeldElsewhere = false;

    // Full paths of the files a project names; empty when name is not a plain file name
    // (a stored name may never lead outside the working folders).
    std::string WorkFolderPath(const std::string& folder) const;
    std::string WorkFilePath(const std::string& folder, const std::string& name) const;
    // Where the project's own files may be read from: the project folder and the working
    // folders, wherever links among them lead, and nowhere else.
    ReadScope ProjectReadScope() const;
    // Throws FileError when the working folder, wherever its links lead, lies outside the
    // project's folder: nothing may be written, renamed or deleted through it.
    void RequireWritableWorkFolder(const std::string& folder) const;
};

}  // namespace velmora
