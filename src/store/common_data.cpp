#include "store/common_data.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include "store/errors.h"
#include "store/files.h"
#include "store/image_file.h"
#include "store/paths.h"
#include "store/project_sql.h"
#include "store/store_messages.h"

namespace velmora {

namespace {

// A project given without a folder lies in the current folder; its working folders must
// never land in the file system's root.
std::string FolderOfProject(const std::string& path) {
    std::string folder = ExtractFolder(path);
    if (folder.empty()) {
        return path.rfind(kSeparator, 0) == 0 ? std::string() : std::string(".");
    }
    return folder;
}

bool ValidPictureSize(std::int64_t width, std::int64_t height) {
    return width > 0 && height > 0 && width <= kMaxImageSide && height <= kMaxImageSide &&
           width * height <= kMaxImagePixels;
}

}  // namespace

COMMON_DATA::COMMON_DATA(Prompter& prompter) : Palette(AreaPalette), m_prompter(&prompter) {}

DbConnection& COMMON_DATA::Project() {
    if (!ProjectDb) {
        throw Error("Нет соединения с базой данных");
    }
    return *ProjectDb;
}

std::string COMMON_DATA::WorkFolderPath(const std::string& folder) const {
    return JoinPath(ProjectFolder, folder);
}

std::string COMMON_DATA::WorkFilePath(const std::string& folder, const std::string& name) const {
    return IsPlainFileName(name) ? JoinPath(WorkFolderPath(folder), name) : std::string();
}

ReadScope COMMON_DATA::ProjectReadScope() const {
    std::vector<std::string> folders = {ProjectFolder};
    for (const char* folder : kWorkFolders) {
        folders.push_back(WorkFolderPath(folder));
    }
    return ReadScope(folders);
}

void COMMON_DATA::RequireWritableWorkFolder(const std::string& folder) const {
    RequireFolderWithin(WorkFolderPath(folder), ProjectFolder, "папки проекта");
}

std::string COMMON_DATA::CopyIntoWorkFolder(const std::string& source, const std::string& folder) {
    RequireWritableWorkFolder(folder);
    const std::string name = ExtractName(source);
    const std::string target = WorkFilePath(folder, name);
    if (target.empty()) {
        ShowMessage(msg::kBadFileName + name);
        return std::string();
    }
    if (FileExists(target)) {
        const Answer answer = m_prompter->Ask(Naming(kOverwriteQuestion, target), kConfirmCaption,
                                              Buttons::YesNoCancel);
        if (answer == Answer::Cancel) {
            return std::string();
        }
        // The stored copy chosen again: deleting it would lose the only copy, so it is used
        // as it is whatever the answer.
        if (answer == Answer::Yes && !SameFile(source, target)) {
            if (!DeleteFileIfPresent(target)) {
                ShowMessage(msg::kDeleteFailed);
                return std::string();
            }
            CopyFileNoOverwrite(source, target);
        }
    } else {
        CopyFileNoOverwrite(source, target);
    }
    return name;
}

bool COMMON_DATA::CreateWorkFolders(const std::string& folder) {
    for (const char* name : kWorkFolders) {
        const std::string path = JoinPath(folder, name);
        if (!FolderExists(path)) {
            // "HTML/VLM" is made inside "HTML", which may be a link.
            RequireFolderWithin(path, folder, "папки проекта");
            ::mkdir(path.c_str(), 0755);
        }
        if (!FolderExists(path)) {
            return false;
        }
    }
    return true;
}

bool COMMON_DATA::CreateProject(const std::string& path) {
    ProjectPath.clear();
    ProjectOpen = false;
    m_projectVerified = false;
    DbConnection& db = Project();
    try {
        db.Connect(path, DbConnection::Mode::Create);
        if (!TakeLock(path, ProjectAccess::Write, db)) {
            db.Disconnect();
            AttributesModified = false;
            return false;
        }
        for (const char* statement : sql::kCreateProject) {
            db.Execute(statement);
        }
        m_projectVerified = true;
        ProjectFolder = FolderOfProject(path);
        CreateWorkFolders(ProjectFolder);
        ProjectOpen = true;
        ProjectPath = path;
        PictureFileName.clear();
        MapFileName.clear();
        BackgroundSound.clear();
        BackgroundVolume = 100;
        Width = 0;
        Height = 0;
    } catch (const std::exception&) {
        db.Disconnect();
        m_lock.Release();
        m_projectVerified = false;
        m_writable = false;
        ProjectOpen = false;
        ProjectPath.clear();
        ShowMessage(msg::kCreateFailed);
    }
    AttributesModified = false;
    MapModified = false;
    return ProjectOpen;
}

bool COMMON_DATA::OpenProject(const std::string& path, ProjectAccess access) {
    ProjectPath.clear();
    ProjectOpen = false;
    m_projectVerified = false;
    HeldElsewhere = false;
    DbConnection& db = Project();
    try {
        db.Connect(path, DbConnection::Mode::OpenExisting);
        // Locked before the first read: a writer must never repair or read a file while
        // another writer is half-way through a change of it.
        if (!TakeLock(path, access, db)) {
            db.Disconnect();
            AttributesModified = false;
            return false;
        }
        std::string version = sql::kProjectVersion;
        {
            SQLite::Statement query(db.Db(), sql::kSelectVersion);
            if (query.executeStep()) {
                version = query.getColumn(0).getString();
            }
        }
        m_projectVerified = true;
        if (version != sql::kProjectVersion) {
            ShowMessage(msg::kVersionNotSupported);
            CloseProject();
            return false;
        }
        ProjectFolder = FolderOfProject(path);
        if (m_writable) {
            CreateWorkFolders(ProjectFolder);
            RepairPendingMap();
            HealAreas();
        }
        ProjectOpen = true;
        ProjectPath = path;
    } catch (const std::exception& e) {
        // Waiting for another program's transaction ran out: the file is busy, not damaged.
        const auto* sqlite = dynamic_cast<const SQLite::Exception*>(&e);
        const int code = sqlite ? sqlite->getErrorCode() & 0xff : SQLITE_ERROR;
        ShowMessage(code == SQLITE_BUSY || code == SQLITE_LOCKED ? msg::kProjectBusy
                                                                 : msg::kOpenFailed);
        ProjectPath.clear();
        m_projectVerified = false;
        CloseProject();
    }
    AttributesModified = false;
    MapModified = false;
    return ProjectOpen;
}

void COMMON_DATA::CloseProject() {
    DbConnection& db = Project();
    // A change still open here was cut short by an error: nothing of it is kept.
    if (m_changeDepth > 0) {
        RollbackNow();
    }
    if (db.Connected()) {
        CompactIfAlone();
    }
    m_projectVerified = false;
    m_writable = false;
    ProjectOpen = false;
    PictureLoaded = false;
    MapModified = false;
    db.Disconnect();
    m_lock.Release();
}

void COMMON_DATA::SaveProject() {
    // Records written inside a change that then fails are still pending.
    const bool pending = AttributesModified;
    BeginChange();
    try {
        SaveMap();
        WritePendingAttributes();
        CommitChange();
    } catch (...) {
        RollbackChange();
        AttributesModified = pending;
        throw;
    }
    MapModified = false;
}

bool COMMON_DATA::ImportPicture(const std::string& source) {
    if (!ProjectOpen) {
        ShowMessage(msg::kOpenProjectFirst);
        return false;
    }
    PictureLoaded = false;
    // The pictures row and the new empty map are one change: a kill leaves the old picture
    // with its map, or the new one with an empty map.
    BeginChange();
    try {
        PictureFileName = ExtractName(source);
        if (CopyIntoWorkFolder(source, "Images").empty()) {
            RollbackChange();
            return false;
        }
        if (!LoadImageFile(Picture, WorkFilePath("Images", PictureFileName), ProjectReadScope())) {
            RollbackChange();
            return false;
        }
        Width = Picture.Width();
        Height = Picture.Height();
        MapFileName = StripExtension(PictureFileName) + ".png";
        ClearMap();
        m_changeHasMap = true;
        try {
            SQLite::Statement update(Project().Db(), sql::kUpdatePicture);
            update.bind(":PICTURE", PictureFileName);
            update.bind(":MAP", MapFileName);
            update.bind(":WIDTH", Width);
            update.bind(":HEIGHT", Height);
            update.exec();
        } catch (const std::exception&) {
            RollbackChange();
            ShowMessage(msg::kWriteFailed);
            return false;
        }
        CommitChange();
    } catch (...) {
        RollbackChange();
        throw;
    }
    PictureLoaded = true;
    CurrentArea = 1;
    // The new picture's empty map is written.
    MapModified = false;
    return true;
}

void COMMON_DATA::ClearMap() {
    if (ValidPictureSize(Width, Height)) {
        Map.Resize(Width, Height);
    } else {
        Map.Resize(0, 0);
    }
    MapModified = PictureLoaded;
}

bool COMMON_DATA::SaveMap() {
    // Without a loaded picture the map in memory is not this project's map; writing it would
    // destroy the stored one.
    if (!PictureLoaded || Map.Empty()) {
        return true;
    }
    if (WorkFilePath("Maps", MapFileName).empty()) {
        return true;
    }
    // Inside a change the map is written by its commit; alone it is a change of its own.
    if (InChange()) {
        m_changeHasMap = true;
        return true;
    }
    BeginChange();
    m_changeHasMap = true;
    try {
        CommitChange();
    } catch (...) {
        RollbackChange();
        throw;
    }
    return true;
}

bool COMMON_DATA::LoadPictureRecord() {
    if (!ProjectOpen) {
        ShowMessage(msg::kOpenProjectFirst);
        return false;
    }
    PictureLoaded = false;
    {
        SQLite::Statement query(Project().Db(), sql::kSelectPicture);
        if (!query.executeStep()) {
            return false;
        }
        PictureFileName = query.getColumn(0).getString();
        MapFileName = query.getColumn(1).getString();
        Width = query.getColumn(2).getInt();
        Height = query.getColumn(3).getInt();
        BackgroundSound = query.getColumn(4).getString();
        BackgroundVolume = query.getColumn(5).getInt();
    }
    return !PictureFileName.empty();
}

bool COMMON_DATA::LoadPicture() {
    if (!LoadPictureRecord()) {
        return false;
    }
    const std::string picturePath = WorkFilePath("Images", PictureFileName);
    const std::string mapPath = WorkFilePath("Maps", MapFileName);
    if (picturePath.empty() || mapPath.empty()) {
        ShowMessage(msg::kBadFileName + (picturePath.empty() ? PictureFileName : MapFileName));
        return false;
    }
    const ReadScope scope = ProjectReadScope();
    if (!LoadImageFile(Picture, picturePath, scope)) {
        return false;
    }
    // The decoded picture decides the size; the stored numbers may be stale or damaged.
    Width = Picture.Width();
    Height = Picture.Height();
    // A committed change whose map has not been renamed yet: its staged map is the map.
    const std::string current = CurrentMapPath();
    if (!LoadImageFile(Map, current, scope) &&
        (current == mapPath || !LoadImageFile(Map, mapPath, scope))) {
        return false;
    }
    FitMapToPicture();
    PictureLoaded = true;
    return true;
}

void COMMON_DATA::FitMapToPicture() {
    if (Map.Width() == Width && Map.Height() == Height) {
        return;
    }
    Bitmap fitted(Width, Height);
    const int columns = std::min(Width, Map.Width());
    const int rows = std::min(Height, Map.Height());
    for (int y = 0; y < rows; ++y) {
        std::copy_n(Map.Row(y), static_cast<std::size_t>(columns) * 3, fitted.Row(y));
    }
    Map = std::move(fitted);
    ShowMessage(msg::kMapSizeFitted);
}

bool COMMON_DATA::SaveBackgroundSound() {
    try {
        SQLite::Statement update(Project().Db(), sql::kUpdateSound);
        update.bind(":SOUND", BackgroundSound);
        update.bind(":VOLUME", BackgroundVolume);
        update.exec();
    } catch (const std::exception&) {
        ShowMessage(msg::kWriteFailed);
        return false;
    }
    return true;
}

}  // namespace velmora
