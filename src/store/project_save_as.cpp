#include "store/project_save_as.h"

#include <sqlite3.h>

#include <filesystem>
#include <set>
#include <utility>
#include <vector>

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include "store/common_data.h"
#include "store/errors.h"
#include "store/files.h"
#include "store/paths.h"
#include "store/project_lock.h"
#include "store/project_sql.h"
#include "store/store_messages.h"

namespace velmora {

namespace {

using NamedFile = std::pair<std::string, std::string>;  // working folder, file name

// Where the header of a project file keeps its user version (four bytes, big-endian).
constexpr std::size_t kUserVersionOffset = 60;

std::vector<NamedFile> NamedFiles(SQLite::Database& db) {
    std::set<NamedFile> files;
    auto note = [&files](const char* folder, const std::string& name) {
        if (!name.empty()) {
            files.insert({folder, name});
        }
    };
    SQLite::Statement pictures(db, sql::kSelectPictureFiles);
    while (pictures.executeStep()) {
        note("Images", pictures.getColumn(0).getString());
        note("Maps", pictures.getColumn(1).getString());
        note("Sounds", pictures.getColumn(2).getString());
    }
    SQLite::Statement records(db, sql::kSelectRecordFiles);
    while (records.executeStep()) {
        note("Pictures", records.getColumn(0).getString());
        note("Pictures", records.getColumn(1).getString());
        note("Sounds", records.getColumn(2).getString());
    }
    return {files.begin(), files.end()};
}

// The bytes of the project file as last committed: SQLite reads them in one snapshot, so a
// writer elsewhere never leaves half a change in the copy.
std::string CommittedProjectBytes(DbConnection& db) {
    sqlite3_int64 size = 0;
    unsigned char* bytes = sqlite3_serialize(db.Db().getHandle(), "main", &size, 0);
    if (!bytes) {
        throw Error("Ошибка чтения проекта " + db.Path());
    }
    std::string copy(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(size));
    sqlite3_free(bytes);
    // The mark of a committed change whose map still waits under its staged name: the copy gets
    // the committed map under its own name, and the mark left in it would crown whatever staged
    // map lies beside the copy.
    if (copy.size() >= kUserVersionOffset + 4) {
        std::uint32_t mark = 0;
        for (std::size_t i = 0; i < 4; ++i) {
            mark = mark << 8 | static_cast<unsigned char>(copy[kUserVersionOffset + i]);
        }
        if (mark == static_cast<std::uint32_t>(sql::kMapPendingMark)) {
            copy.replace(kUserVersionOffset, 4, 4, '\0');
        }
    }
    return copy;
}

// A project given without a folder lies in the current folder.
std::string FolderOf(const std::string& path) {
    const std::string folder = ExtractFolder(path);
    if (folder.empty()) {
        return path.rfind(kSeparator, 0) == 0 ? std::string(1, kSeparator) : std::string(".");
    }
    return folder;
}

bool SameFolder(const std::string& a, const std::string& b) {
    std::error_code error;
    return std::filesystem::equivalent(std::filesystem::u8path(a), std::filesystem::u8path(b),
                                       error);
}

// Copies the files the project names into the working folders under folder; false when the
// user gave up. A file missing at the source is left for the export to report.
bool CopyNamedFiles(COMMON_DATA& data, const std::string& folder) {
    const ReadScope scope = data.project.ProjectReadScope();
    for (const auto& [workFolder, name] : NamedFiles(data.project.ProjectDb->Db())) {
        if (!IsPlainFileName(name)) {
            continue;
        }
        // A committed map that still waits under its staged name is the map.
        const std::string source =
            workFolder == std::string("Maps") && name == data.canvas.MapFileName
                ? data.CurrentMapPath()
                : data.project.WorkFilePath(workFolder, name);
        const std::string target = JoinPath(JoinPath(folder, workFolder), name);
        if (!FileExists(source)) {
            continue;
        }
        RequireFolderWithin(JoinPath(folder, workFolder), folder, "папки проекта");
        if (!EntryExists(target)) {
            CopyFileNoOverwrite(source, target, scope);
            continue;
        }
        if (FileExists(target) && SameContent(source, target)) {
            continue;
        }
        const Answer answer = data.UserPrompter().Ask(Naming(kOverwriteQuestion, target),
                                                      kConfirmCaption, Buttons::YesNoCancel);
        if (answer == Answer::Cancel) {
            return false;
        }
        if (answer == Answer::Yes) {
            CopyFileReplacing(source, target, scope);
        }
    }
    return true;
}

}  // namespace

bool WriteProjectCopy(COMMON_DATA& data, const std::string& path) {
    Prompter& prompter = data.UserPrompter();
    if (!data.project.ProjectOpen || !data.project.ProjectDb) {
        prompter.Message(msg::kNoProjectOpen);
        return false;
    }
    if (SameFile(path, data.project.ProjectPath)) {
        return true;
    }
    const std::string folder = FolderOf(path);
    ProjectLock lock;
    const ProjectLock::Result taken =
        lock.Take(path, data.project.Holder, WriterWaitMs(data.project.Holder));
    switch (taken) {
        case ProjectLock::Result::HeldElsewhere:
            prompter.Message(HeldElsewhereMessage(lock.Owner()));
            return false;
        case ProjectLock::Result::ReadOnlyFolder:
            prompter.Message(msg::kFolderNotWritable + folder);
            return false;
        case ProjectLock::Result::FolderInTheWay:
        case ProjectLock::Result::LinkInTheWay:
        case ProjectLock::Result::FileNotWritable:
            prompter.Message(LockRefusalMessage(taken, lock.BlockedPath()));
            return false;
        case ProjectLock::Result::Taken:
            break;
    }
    if (EntryExists(path) && prompter.AskSafely(Naming(msg::kReplaceFileQuestion, path),
                                                kConfirmCaption, Buttons::YesNo) != Answer::Yes) {
        return false;
    }
    if (!data.CreateWorkFolders(folder)) {
        prompter.Message(msg::kFolderNotWritable + folder);
        return false;
    }
    if (!SameFolder(folder, data.project.ProjectFolder) && !CopyNamedFiles(data, folder)) {
        return false;
    }
    const std::string bytes = CommittedProjectBytes(*data.project.ProjectDb);
    // The journal of a transaction cut short in the file being replaced belongs to that file;
    // left beside the copy, opening it would play the old pages into the copy.
    DeleteFileIfPresent(path + "-journal");
    WriteFileAtomically(path, bytes);
    return true;
}

bool SaveProjectAs(COMMON_DATA& data, const std::string& path) {
    if (!data.project.ProjectOpen) {
        data.UserPrompter().Message(msg::kNoProjectOpen);
        return false;
    }
    // A project open for viewing has nothing to save: its copy is what becomes writable.
    if (data.Writable()) {
        data.SaveProject();
    }
    data.canvas.MapModified = false;
    if (SameFile(path, data.project.ProjectPath)) {
        return true;
    }
    if (!WriteProjectCopy(data, path)) {
        return false;
    }
    const bool pictureLoaded = data.canvas.PictureLoaded;
    data.CloseProject();
    if (!data.OpenProject(path)) {
        data.UserPrompter().Message(msg::kOpenProjectFailed);
        return false;
    }
    // A project without a picture stays without one.
    data.canvas.PictureLoaded = pictureLoaded;
    return true;
}

}  // namespace velmora
