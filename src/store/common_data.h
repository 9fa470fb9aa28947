#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "store/area_records.h"
#include "store/area_registry.h"
#include "store/progress.h"
#include "store/project_canvas.h"
#include "store/project_session.h"
#include "store/prompter.h"

namespace velmora {

// How a command uses a project. Any number of readers share a project with its one writer;
// a reader that finds the project free also repairs and compacts it. WriteOrView is the
// editor's: a writer where the project can be written, else a viewer that changes nothing
// (a read-only copy such as an installed example is shown rather than refused).
enum class ProjectAccess { Read, Write, WriteOrView };

// Whether this program may write at a path (a file or a folder); the default asks the system
// with the program's effective rights. Root passes every such check, so tests play a user
// without rights by giving COMMON_DATA another one.
using WriteCheck = std::function<bool(const std::string& path)>;
bool MayWritePath(const std::string& path);

// Refusals of AddArea.
inline constexpr int kTooManyAreas = -1;
inline constexpr int kEmptyAreaName = -2;
inline constexpr int kAreaNameTaken = -3;
inline constexpr int kAreaNameTooLong = -4;
inline constexpr int kAreaNameHasControl = -5;

// The one state object of the open project, the front of four parts it owns: the project file
// (project), the picture with its area map and background sound (canvas), the areas (areas)
// and the effect records of the area being edited (records). Its operations keep the parts
// and the project file in step; windows read the parts and refresh after each operation.
class COMMON_DATA {
public:
    explicit COMMON_DATA(Prompter& prompter);
    COMMON_DATA(const COMMON_DATA&) = delete;
    COMMON_DATA& operator=(const COMMON_DATA&) = delete;

    Prompter& UserPrompter() { return *m_prompter; }
    void SetPrompter(Prompter& prompter) { m_prompter = &prompter; }
    void SetWriteCheck(WriteCheck check) { m_mayWrite = std::move(check); }

    // --- the project session -----------------------------------------------------------

    // Creates every missing working folder under folder; true when all six exist.
    bool CreateWorkFolders(const std::string& folder);
    bool CreateProject(const std::string& path);
    // Opens for writing unless told otherwise. A writer is refused, with a message, while
    // another program holds the project or when the file or its folder is read-only.
    bool OpenProject(const std::string& path, ProjectAccess access = ProjectAccess::Write);
    void CloseProject();
    // Decodes the chosen picture where it lies, then copies it into Images and starts its empty
    // map; a refusal at any point leaves the project as it was. With MapOnly every row is
    // checked but none kept, for a caller that never shows the picture.
    enum class PixelsOf { PictureAndMap, MapOnly };
    // Progress hears of the decoding; a cancel (OperationCancelled) leaves the project as it
    // was, as a refusal does.
    bool ImportPicture(const std::string& source, PixelsOf what = PixelsOf::PictureAndMap,
                       Progress& progress = NoProgress());
    void ClearMap();
    // Reads the picture's record (file names, size, background sound) without decoding
    // anything; false when the project holds no picture.
    bool LoadPictureRecord();
    // LoadPictureRecord, then decodes the picture and the map. With MapOnly the picture's size
    // is read from its header and its pixels stay undecoded, for the work that never looks at
    // them (painting, shapes, export): a big picture then costs only its map.
    bool LoadPicture(PixelsOf what = PixelsOf::PictureAndMap);
    // Decodes the stored picture into picture and changes nothing else, for work that needs
    // the pixels before the map (a selection on a picture too big to hold beside its map).
    // False when the project holds no picture (said), or its file is missing.
    bool DecodePicture(Bitmap& picture);
    bool SaveMap();
    bool SaveBackgroundSound();
    // Save: the map and the pending records in one change.
    void SaveProject();

    // Copies a chosen file into a working folder ("Images", "Pictures", "Sounds") under its
    // own name. An existing file of that name asks "Файл уже существует. Перезаписать?":
    // Yes replaces it, No uses the existing file, Cancel gives up. Returns the stored name, or
    // an empty text when the user cancelled or the old file could not be deleted (reported).
    // A refused copy throws FileError.
    std::string CopyIntoWorkFolder(const std::string& source, const std::string& folder);
    // The last copy or picture import gave up because the user answered Cancel, which is no
    // failure to report.
    bool Cancelled() const { return m_cancelled; }

    // --- areas and their records --------------------------------------------------------

    bool ListAreas();
    void DeleteAllAreas();
    // Names are trimmed at both ends (TrimAreaName); an empty result is refused. A quiet add
    // shows no message for a refusal, for callers that report several refusals at once.
    int AddArea(const std::string& name, bool withRows, bool quiet = false);
    bool RenameArea(const std::string& oldName, const std::string& newName);
    bool DeleteArea(const std::string& name);
    // Whether the area's rows still hold a new area's values for every event, with no edit of
    // them waiting to be written.
    bool AreaUntouched(const std::string& name);
    // Takes back an area that owns no pixel in memory or on disk (the caller knows): its rows
    // and its number go, the map is not touched and the history stays.
    void RemovePixellessArea(int number);
    bool InsertAreaRows(const std::string& name, int number, const std::string& event);
    void BeginTransaction();
    void CommitTransaction();

    // --- changes: a command's statements and its map, all of them or none ------------------

    // A change nests: only the outermost commit writes. The map joins the change through
    // SaveMap (or an operation that rewrites it) and is written with the commit, so that a
    // kill at any moment leaves the file and the map both old or both new.
    void BeginChange();
    void CommitChange();
    // Takes back the statements of the change; an inner rollback dooms the outer change.
    void RollbackChange();
    bool InChange() const { return m_changeDepth > 0; }
    // The open project may be changed: it was opened for writing, or for reading while nobody
    // else held it, and neither the file nor its folder is read-only.
    bool Writable() const { return m_writable; }
    // A project is open but only for viewing: nothing of it may be changed or saved.
    bool ViewOnly() const { return project.ProjectOpen && !m_writable; }
    bool ReadAttributes(const std::string& name);
    bool WriteAttributes(const std::string& name);
    bool ResetAttributes(int event);
    bool ResetAllAttributes();
    bool CopyAttributes(const std::string& name, int from, int to);

    // Writes the loaded records when they were edited; what every command that leaves the
    // current area or saves the project does first.
    void WritePendingAttributes();

    // --- area import ----------------------------------------------------------------------

    // A cancel (OperationCancelled) between two areas takes back what was imported.
    bool ImportAreas(const std::string& source, Progress& progress = NoProgress());

    // --- the parts ------------------------------------------------------------------------

    ProjectSession project;
    ProjectCanvas canvas;
    AreaRegistry areas;
    AreaRecords records;

    // The pen of the editor.
    std::int32_t BrushSize = 10;
    bool Painting = false;

    // Called after DeleteArea and DeleteAllAreas removed pixels from the map, so that the
    // drawing history restarts from the current map and undo never brings a deleted area back.
    std::function<void()> AreasRemoved;

    // The file that holds the committed map: while a committed change still waits for its
    // map's rename, that is the staged map. Empty without a map name.
    std::string CurrentMapPath();
    // How many times the map has been written to the project's folder in this run; a step
    // taken at an equal count knows the stored map predates it.
    std::uint64_t MapWrites() const { return m_mapWrites; }

private:
    void ShowMessage(const std::string& text) { m_prompter->Message(text); }
    DbConnection& Project();
    // The stored record of one area and event; false, with record unchanged, when it has none.
    bool ReadStoredRecord(const std::string& name, int event, ATTRIBUTES& record);
    bool ImportRowsFrom(DbConnection& source, const std::array<std::string, 256>& sourceNames,
                        const std::array<std::string, 256>& newNames, int noted,
                        Progress& progress);
    void FitMapToPicture();
    bool TakeLock(const std::string& path, ProjectAccess access, DbConnection& db);
    void RepairPendingMap();
    void HealAreas();
    void CompactIfAlone();
    void RollbackNow();
    std::string StagedMapPath() const;
    bool MapCommitPending();

    Prompter* m_prompter;
    WriteCheck m_mayWrite = MayWritePath;
    ProjectLock m_lock;
    bool m_writable = false;
    bool m_cancelled = false;
    int m_changeDepth = 0;
    bool m_changeDoomed = false;
    bool m_changeHasMap = false;
    int m_changesAtBegin = 0;
    std::uint64_t m_mapWrites = 0;
    // The open file passed the version check, so closing it may compact it.
    bool m_projectVerified = false;
};

}  // namespace velmora
