// The life of a change to an open project: one SQLite transaction, and the map file written
// with it; plus what opening and closing do so that the file and the map always agree.
#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include "store/common_data.h"
#include "store/errors.h"
#include "store/files.h"
#include "store/image_file.h"
#include "store/paths.h"
#include "store/project_sql.h"
#include "store/store_messages.h"

namespace velmora {

namespace {

constexpr const char* kMarkMapPending = "PRAGMA user_version=1986817392;";
constexpr const char* kClearMark = "PRAGMA user_version=0;";
constexpr const char* kReadMark = "PRAGMA user_version;";
constexpr const char* kBeginImmediate = "BEGIN IMMEDIATE;";
constexpr const char* kRollback = "ROLLBACK;";
constexpr const char* kFreePages = "PRAGMA freelist_count;";
constexpr const char* kSelectMapName = "SELECT map FROM pictures WHERE id=0;";

static_assert(sql::kMapPendingMark == 1986817392);

int ReadInt(DbConnection& db, const char* sql) {
    SQLite::Statement query(db.Db(), sql);
    return query.executeStep() ? query.getColumn(0).getInt() : 0;
}

}  // namespace

bool MayWritePath(const std::string& path) {
    return ::euidaccess(path.c_str(), W_OK) == 0;
}

bool COMMON_DATA::TakeLock(const std::string& path, ProjectAccess access, DbConnection& db) {
    project.HeldElsewhere = false;
    m_writable = false;
    const int wait = access == ProjectAccess::Read ? 0 : WriterWaitMs(project.Holder);
    const ProjectLock::Result taken = m_lock.Take(path, project.Holder, wait);
    const std::string folder = ExtractFolder(path).empty() ? "." : ExtractFolder(path);
    const bool readOnly = taken == ProjectLock::Result::ReadOnlyFolder || db.ReadOnly() ||
                          !m_mayWrite(path) || !m_mayWrite(folder);
    if (access == ProjectAccess::Read) {
        // A reader reads what the writer committed last; only a reader alone may repair.
        m_writable = taken == ProjectLock::Result::Taken && !readOnly;
        if (!m_writable) {
            m_lock.Release();
        }
        return true;
    }
    if (taken == ProjectLock::Result::HeldElsewhere) {
        project.HeldElsewhere = true;
        ShowMessage(HeldElsewhereMessage(m_lock.Owner()));
        return false;
    }
    if (const std::string refusal = LockRefusalMessage(taken, m_lock.BlockedPath());
        !refusal.empty()) {
        ShowMessage(refusal);
        return false;
    }
    if (readOnly) {
        m_lock.Release();
        if (access == ProjectAccess::WriteOrView) {
            return true;
        }
        ShowMessage(msg::kReadOnlyProject);
        return false;
    }
    m_writable = true;
    return true;
}

std::string COMMON_DATA::StagedMapPath() const {
    // Hidden, and ending in the map's own extension so that it is read and written as the map.
    return canvas.MapFileName.empty()
               ? std::string()
               : project.WorkFilePath("Maps", "." + canvas.MapFileName + ".pending" +
                                                  ExtractExtension(canvas.MapFileName));
}

std::string COMMON_DATA::CurrentMapPath() {
    const std::string staged = StagedMapPath();
    if (!staged.empty() && EntryExists(staged) && MapCommitPending()) {
        return staged;
    }
    return project.WorkFilePath("Maps", canvas.MapFileName);
}

bool COMMON_DATA::MapCommitPending() {
    return ReadInt(Project(), kReadMark) == sql::kMapPendingMark;
}

void COMMON_DATA::RepairPendingMap() {
    {
        SQLite::Statement query(Project().Db(), kSelectMapName);
        canvas.MapFileName = query.executeStep() ? query.getColumn(0).getString() : std::string();
    }
    const std::string staged = StagedMapPath();
    const std::string map = project.WorkFilePath("Maps", canvas.MapFileName);
    try {
        project.RequireWritableWorkFolder("Maps");
    } catch (const FileError&) {
        return;  // nothing is renamed or deleted there; a writer is refused when it writes
    }
    if (MapCommitPending()) {
        // The change was committed before its map got its name: finish it.
        if (!staged.empty() && FileExists(staged) &&
            std::rename(staged.c_str(), map.c_str()) != 0) {
            throw FileError("Ошибка записи файла " + map);
        }
        Project().Execute(kClearMark);
    } else if (!staged.empty() && FileExists(staged)) {
        // The map of a change that never committed.
        DeleteFileIfPresent(staged);
    }
}

void COMMON_DATA::BeginChange() {
    if (m_changeDepth > 0) {
        ++m_changeDepth;
        return;
    }
    DbConnection& db = Project();
    db.Db();  // no project file connected: the usual error
    if (!m_writable) {
        throw Error(msg::kReadOnlyProject);
    }
    // A mark left by a commit whose tidying failed is settled first, on its own: rolled back
    // with this change, it would crown this change's staged map should the change be killed.
    if (MapCommitPending()) {
        RepairPendingMap();
    }
    db.Execute(kBeginImmediate);
    m_changeDepth = 1;
    m_changeDoomed = false;
    m_changeHasMap = false;
    m_changesAtBegin = db.Db().getTotalChanges();
}

void COMMON_DATA::CommitChange() {
    if (m_changeDepth == 0) {
        return;
    }
    if (--m_changeDepth > 0) {
        return;
    }
    if (m_changeDoomed) {
        RollbackNow();
        throw Error(msg::kChangeNotWritten);
    }
    DbConnection& db = Project();
    const bool rowsChanged = db.Db().getTotalChanges() != m_changesAtBegin;
    const std::string map = project.WorkFilePath("Maps", canvas.MapFileName);
    // A map name without a known image extension was never written, as before.
    const bool withMap = m_changeHasMap && !canvas.Map.Empty() && !map.empty() &&
                         FormatOfPath(map) != ImageFormat::Unknown;
    m_changeHasMap = false;
    if (withMap) {
        try {
            project.RequireWritableWorkFolder("Maps");
        } catch (...) {
            RollbackNow();
            throw;
        }
    }
    if (!withMap || !rowsChanged) {
        try {
            db.Execute(sql::kCommit);
        } catch (...) {
            RollbackNow();
            throw;
        }
        // A map alone is replaced in one rename; nothing else has to agree with it.
        if (withMap) {
            ++m_mapWrites;
            SaveImageFile(canvas.Map, map);
        }
        return;
    }
    // The map is written under its staged name first; the commit makes it the project's map,
    // and renaming it only finishes what the commit decided. A kill before the commit leaves
    // the old file and the old map (the staged one is deleted on opening); after the commit,
    // opening finds the mark and renames the staged map.
    const std::string staged = StagedMapPath();
    // Counted before the attempt: a write that fails may still have reached the disk.
    ++m_mapWrites;
    try {
        SaveImageFile(canvas.Map, staged);
        db.Execute(kMarkMapPending);
        db.Execute(sql::kCommit);
    } catch (...) {
        RollbackNow();
        DeleteFileIfPresent(staged);
        throw;
    }
    // Committed: what follows only tidies up, and a failure here is finished on the next open.
    if (std::rename(staged.c_str(), map.c_str()) == 0) {
        try {
            db.Execute(kClearMark);
        } catch (const std::exception&) {
        }
    }
}

void COMMON_DATA::RollbackChange() {
    if (m_changeDepth == 0) {
        return;
    }
    if (--m_changeDepth > 0) {
        m_changeDoomed = true;
        return;
    }
    RollbackNow();
}

void COMMON_DATA::RollbackNow() {
    m_changeDepth = 0;
    m_changeDoomed = false;
    m_changeHasMap = false;
    try {
        // SQLite may have ended the transaction itself after a full disk or an I/O error.
        if (Project().Connected() && sqlite3_get_autocommit(Project().Db().getHandle()) == 0) {
            Project().Execute(kRollback);
        }
    } catch (const std::exception&) {
    }
}

void COMMON_DATA::CompactIfAlone() {
    DbConnection& db = Project();
    if (!m_lock.Held() || !m_writable || !m_projectVerified) {
        return;
    }
    // Compaction is tidying only: a file that another program is reading is left as it is and
    // compacted by a later close, and a failed compaction changes nothing in the file.
    try {
        if (ReadInt(db, kFreePages) == 0) {
            return;
        }
        db.Db().setBusyTimeout(0);
        db.Execute(sql::kVacuum);
    } catch (const std::exception&) {
    }
    try {
        db.Db().setBusyTimeout(DbConnection::kBusyTimeoutMs);
    } catch (const std::exception&) {
    }
}

}  // namespace velmora
