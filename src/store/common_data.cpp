#include "store/common_data.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <utility>

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include "store/errors.h"
#include "store/files.h"
#include "store/image_file.h"
#include "store/image_size.h"
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

// What a picture import replaces on the canvas, kept aside so that a failed import puts the
// old picture, its map and its names back exactly.
struct PictureFields {
    bool loaded = false;
    std::string pictureName;
    std::string mapName;
    std::int32_t width = 0;
    std::int32_t height = 0;
    Bitmap picture;
    Bitmap map;
};

void SwapPicture(ProjectCanvas& canvas, PictureFields& fields) {
    std::swap(canvas.PictureLoaded, fields.loaded);
    std::swap(canvas.PictureFileName, fields.pictureName);
    std::swap(canvas.MapFileName, fields.mapName);
    std::swap(canvas.Width, fields.width);
    std::swap(canvas.Height, fields.height);
    std::swap(canvas.Picture, fields.picture);
    std::swap(canvas.Map, fields.map);
}

}  // namespace

COMMON_DATA::COMMON_DATA(Prompter& prompter) : m_prompter(&prompter) {}

DbConnection& COMMON_DATA::Project() {
    if (!project.ProjectDb) {
        throw Error("Нет соединения с базой данных");
    }
    return *project.ProjectDb;
}

std::string COMMON_DATA::CopyIntoWorkFolder(const std::string& source, const std::string& folder) {
    m_cancelled = false;
    project.RequireWritableWorkFolder(folder);
    const std::string name = ExtractName(source);
    const std::string target = project.WorkFilePath(folder, name);
    if (target.empty()) {
        ShowMessage(msg::kBadFileName + name);
        return std::string();
    }
    if (FileExists(target)) {
        const Answer answer = m_prompter->Ask(Naming(kOverwriteQuestion, target), kConfirmCaption,
                                              Buttons::YesNoCancel);
        if (answer == Answer::Cancel) {
            m_cancelled = true;
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
    project.ProjectPath.clear();
    project.ProjectOpen = false;
    m_projectVerified = false;
    DbConnection& db = Project();
    try {
        db.Connect(path, DbConnection::Mode::Create);
        if (!TakeLock(path, ProjectAccess::Write, db)) {
            db.Disconnect();
            records.AttributesModified = false;
            return false;
        }
        for (const char* statement : sql::kCreateProject) {
            db.Execute(statement);
        }
        m_projectVerified = true;
        project.ProjectFolder = FolderOfProject(path);
        CreateWorkFolders(project.ProjectFolder);
        project.ProjectOpen = true;
        project.ProjectPath = path;
        canvas.PictureFileName.clear();
        canvas.MapFileName.clear();
        canvas.BackgroundSound.clear();
        canvas.BackgroundVolume = 100;
        canvas.Width = 0;
        canvas.Height = 0;
    } catch (const std::exception&) {
        db.Disconnect();
        m_lock.Release();
        m_projectVerified = false;
        m_writable = false;
        project.ProjectOpen = false;
        project.ProjectPath.clear();
        ShowMessage(msg::kCreateFailed);
    }
    records.AttributesModified = false;
    canvas.MapModified = false;
    return project.ProjectOpen;
}

bool COMMON_DATA::OpenProject(const std::string& path, ProjectAccess access) {
    project.ProjectPath.clear();
    project.ProjectOpen = false;
    m_projectVerified = false;
    project.HeldElsewhere = false;
    DbConnection& db = Project();
    try {
        db.Connect(path, DbConnection::Mode::OpenExisting);
        // Locked before the first read: a writer must never repair or read a file while
        // another writer is half-way through a change of it.
        if (!TakeLock(path, access, db)) {
            db.Disconnect();
            records.AttributesModified = false;
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
        project.ProjectFolder = FolderOfProject(path);
        if (m_writable) {
            CreateWorkFolders(project.ProjectFolder);
            RepairPendingMap();
            HealAreas();
        }
        project.ProjectOpen = true;
        project.ProjectPath = path;
    } catch (const std::exception& e) {
        // Waiting for another program's transaction ran out: the file is busy, not damaged.
        const auto* sqlite = dynamic_cast<const SQLite::Exception*>(&e);
        const int code = sqlite ? sqlite->getErrorCode() & 0xff : SQLITE_ERROR;
        ShowMessage(code == SQLITE_BUSY || code == SQLITE_LOCKED ? msg::kProjectBusy
                                                                 : msg::kOpenFailed);
        project.ProjectPath.clear();
        m_projectVerified = false;
        CloseProject();
    }
    records.AttributesModified = false;
    canvas.MapModified = false;
    return project.ProjectOpen;
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
    project.ProjectOpen = false;
    canvas.PictureLoaded = false;
    canvas.MapModified = false;
    db.Disconnect();
    m_lock.Release();
}

void COMMON_DATA::SaveProject() {
    // Records written inside a change that then fails are still pending.
    const bool pending = records.AttributesModified;
    BeginChange();
    try {
        SaveMap();
        WritePendingAttributes();
        CommitChange();
    } catch (...) {
        RollbackChange();
        records.AttributesModified = pending;
        throw;
    }
    canvas.MapModified = false;
}

bool COMMON_DATA::ImportPicture(const std::string& source, PixelsOf what, Progress& progress) {
    m_cancelled = false;
    if (!project.ProjectOpen) {
        ShowMessage(msg::kOpenProjectFirst);
        return false;
    }
    const ProgressScope reported(progress);
    // The chosen file is decoded where it lies before anything is copied or changed: a missing,
    // unknown or damaged picture leaves the project, its Images folder included, as it was.
    const ReadScope chosen({source});
    const InputFile probe(source, chosen);  // a missing file or no regular file throws FileError
    // With MapOnly every row is decoded, so a damaged file is refused, but none is kept.
    const auto decode = [what](Bitmap& picture, std::int32_t& width, std::int32_t& height,
                               const std::string& path, const ReadScope& scope) {
        if (what == PixelsOf::MapOnly) {
            picture = Bitmap();
            return ForEachImageRow(
                path, scope,
                [&](int w, int h) {
                    width = w;
                    height = h;
                },
                [](int, const std::uint8_t*) {});
        }
        if (!LoadImageFile(picture, path, scope)) {
            return false;
        }
        width = picture.Width();
        height = picture.Height();
        return true;
    };
    PictureFields next;
    if (!decode(next.picture, next.width, next.height, source, chosen)) {
        return false;
    }
    next.loaded = true;
    next.pictureName = ExtractName(source);
    next.mapName = StripExtension(next.pictureName) + ".png";
    const std::string stored = project.WorkFilePath("Images", next.pictureName);
    const bool storedBefore = !stored.empty() && EntryExists(stored);
    // The canvas takes the new picture for the change; a failure swaps the old one back.
    SwapPicture(canvas, next);
    bool copied = false;
    const auto giveUp = [&] {
        RollbackChange();
        SwapPicture(canvas, next);
        if (copied && !storedBefore) {
            DeleteFileIfPresent(stored);
        }
    };
    // The pictures row and the new empty map are one change: a kill leaves the old picture
    // with its map, or the new one with an empty map.
    BeginChange();
    try {
        if (CopyIntoWorkFolder(source, "Images").empty()) {
            giveUp();
            return false;
        }
        copied = true;
        // "No" to overwriting keeps the file already stored under that name: that one is used.
        if (!SameContent(source, stored) && !decode(canvas.Picture, canvas.Width, canvas.Height,
                                                    stored, project.ProjectReadScope())) {
            giveUp();
            return false;
        }
        canvas.Map = ValidPictureSize(canvas.Width, canvas.Height)
                         ? Bitmap(canvas.Width, canvas.Height)
                         : Bitmap();
        m_changeHasMap = true;
        try {
            SQLite::Statement update(Project().Db(), sql::kUpdatePicture);
            update.bind(":PICTURE", canvas.PictureFileName);
            update.bind(":MAP", canvas.MapFileName);
            update.bind(":WIDTH", canvas.Width);
            update.bind(":HEIGHT", canvas.Height);
            update.exec();
        } catch (const std::exception&) {
            giveUp();
            ShowMessage(msg::kWriteFailed);
            return false;
        }
        CommitChange();
    } catch (...) {
        giveUp();
        throw;
    }
    areas.CurrentArea = 1;
    // The new picture's empty map is written.
    canvas.MapModified = false;
    return true;
}

void COMMON_DATA::ClearMap() {
    if (ValidPictureSize(canvas.Width, canvas.Height)) {
        canvas.Map.Resize(canvas.Width, canvas.Height);
    } else {
        canvas.Map.Resize(0, 0);
    }
    canvas.MapModified = canvas.PictureLoaded;
}

bool COMMON_DATA::SaveMap() {
    // Without a loaded picture the map in memory is not this project's map; writing it would
    // destroy the stored one.
    if (!canvas.PictureLoaded || canvas.Map.Empty()) {
        return true;
    }
    if (project.WorkFilePath("Maps", canvas.MapFileName).empty()) {
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
    if (!project.ProjectOpen) {
        ShowMessage(msg::kOpenProjectFirst);
        return false;
    }
    canvas.PictureLoaded = false;
    {
        SQLite::Statement query(Project().Db(), sql::kSelectPicture);
        if (!query.executeStep()) {
            return false;
        }
        canvas.PictureFileName = query.getColumn(0).getString();
        canvas.MapFileName = query.getColumn(1).getString();
        canvas.Width = query.getColumn(2).getInt();
        canvas.Height = query.getColumn(3).getInt();
        canvas.BackgroundSound = query.getColumn(4).getString();
        canvas.BackgroundVolume = query.getColumn(5).getInt();
    }
    return !canvas.PictureFileName.empty();
}

bool COMMON_DATA::DecodePicture(Bitmap& picture) {
    if (!LoadPictureRecord()) {
        return false;
    }
    const std::string path = project.WorkFilePath("Images", canvas.PictureFileName);
    if (path.empty()) {
        ShowMessage(msg::kBadFileName + canvas.PictureFileName);
        return false;
    }
    return LoadImageFile(picture, path, project.ProjectReadScope());
}

bool COMMON_DATA::LoadPicture(PixelsOf what) {
    if (!LoadPictureRecord()) {
        return false;
    }
    const std::string picturePath = project.WorkFilePath("Images", canvas.PictureFileName);
    const std::string mapPath = project.WorkFilePath("Maps", canvas.MapFileName);
    if (picturePath.empty() || mapPath.empty()) {
        ShowMessage(msg::kBadFileName +
                    (picturePath.empty() ? canvas.PictureFileName : canvas.MapFileName));
        return false;
    }
    const ReadScope scope = project.ProjectReadScope();
    // The picture decides the size; the stored numbers may be stale or damaged.
    if (what == PixelsOf::MapOnly) {
        canvas.Picture = Bitmap();
        const std::optional<ImageSize> size = ReadImageSize(picturePath, scope);
        if (!size) {
            if (!EntryExists(picturePath)) {
                return false;
            }
            throw ImageError("Не удалось прочитать изображение " + picturePath +
                             ": заголовок повреждён");
        }
        canvas.Width = size->width;
        canvas.Height = size->height;
    } else {
        if (!LoadImageFile(canvas.Picture, picturePath, scope)) {
            return false;
        }
        canvas.Width = canvas.Picture.Width();
        canvas.Height = canvas.Picture.Height();
    }
    // A committed change whose map has not been renamed yet: its staged map is the map.
    const std::string current = CurrentMapPath();
    if (!LoadImageFile(canvas.Map, current, scope) &&
        (current == mapPath || !LoadImageFile(canvas.Map, mapPath, scope))) {
        return false;
    }
    FitMapToPicture();
    canvas.PictureLoaded = true;
    return true;
}

void COMMON_DATA::FitMapToPicture() {
    if (canvas.Map.Width() == canvas.Width && canvas.Map.Height() == canvas.Height) {
        return;
    }
    Bitmap fitted(canvas.Width, canvas.Height);
    const int columns = std::min(canvas.Width, canvas.Map.Width());
    const int rows = std::min(canvas.Height, canvas.Map.Height());
    for (int y = 0; y < rows; ++y) {
        std::copy_n(canvas.Map.Row(y), static_cast<std::size_t>(columns) * 3, fitted.Row(y));
    }
    canvas.Map = std::move(fitted);
    ShowMessage(msg::kMapSizeFitted);
}

bool COMMON_DATA::SaveBackgroundSound() {
    try {
        SQLite::Statement update(Project().Db(), sql::kUpdateSound);
        update.bind(":SOUND", canvas.BackgroundSound);
        update.bind(":VOLUME", canvas.BackgroundVolume);
        update.exec();
    } catch (const std::exception&) {
        ShowMessage(msg::kWriteFailed);
        return false;
    }
    return true;
}

}  // namespace velmora
