#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "store/area_palette.h"
#include "store/attributes.h"
#include "store/bitmap.h"
#include "store/db_connection.h"
#include "store/files.h"
#include "store/project_lock.h"
#include "store/prompter.h"

namespace velmora {

// How a command uses a project. Any number of readers share a project with its one writer;
// a reader that finds the project free also repairs and compacts it.
enum class ProjectAccess { Read, Write };

inline constexpr int kMaxAreas = 255;

// The names of the working folders beside a project file, in the order they are created.
inline constexpr std::array<const char*, 6> kWorkFolders = {"Images", "Pictures", "Sounds",
                                                            "Maps",   "HTML",     "HTML/VLM"};

// Refusals of AddArea.
inline constexpr int kTooManyAreas = -1;
inline constexpr int kEmptyAreaName = -2;
inline constexpr int kAreaNameTaken = -3;
inline constexpr int kAreaNameTooLong = -4;
inline constexpr int kAreaNameHasControl = -5;

// The one state object of the open project: its file, picture, area map, background sound,
// area registry and the effect records of the area being edited. Windows read and write the
// fields directly and refresh themselves after each operation.
class COMMON_DATA {
public:
    explicit COMMON_DATA(Prompter& prompter);
    COMMON_DATA(const COMMON_DATA&) = delete;
    COMMON_DATA& operator=(const COMMON_DATA&) = delete;

    Prompter& UserPrompter() { return *m_prompter; }
    void SetPrompter(Prompter& prompter) { m_prompter = &prompter; }

    // --- the project session -----------------------------------------------------------

    // Creates every missing working folder under folder; true when all six exist.
    bool CreateWorkFolders(const std::string& folder);
    bool CreateProject(const std::string& path);
    // Opens for writing unless told otherwise. A writer is refused, with a message, while
    // another program holds the project or when the file or its folder is read-only.
    bool OpenProject(const std::string& path, ProjectAccess access = ProjectAccess::Write);
    void CloseProject();
    bool ImportPicture(const std::string& source);
    void ClearMap();
    // Reads the picture's record (file names, size, background sound) without decoding
    // anything; false when the project holds no picture.
    bool LoadPictureRecord();
    // LoadPictureRecord, then decodes the picture and the map.
    bool LoadPicture();
    bool SaveMap();
    bool SaveBackgroundSound();
    // Save: the map and the pending records in one change.
    void SaveProject();

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

    // Copies a chosen file into a working folder ("Images", "Pictures", "Sounds") under its
    // own name. An existing file of that name asks "Файл уже существует. Перезаписать?":
    // Yes replaces it, No uses the existing file, Cancel gives up. Returns the stored name, or
    // an empty text when the user cancelled or the old file could not be deleted (reported).
    // A refused copy throws FileError.
    std::string CopyIntoWorkFolder(const std::string& source, const std::string& folder);

    // --- areas and their records --------------------------------------------------------

    bool ListAreas();
    void DeleteAllAreas();
    // Names are trimmed at both ends (TrimAreaName); an empty result is refused. A quiet add
    // shows no message for a refusal, for callers that report several refusals at once.
    int AddArea(const std::string& name, bool withRows, bool quiet = false);
    bool RenameArea(const std::string& oldName, const std::string& newName);
    bool DeleteArea(const std::string& name);
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
    bool ReadAttributes(const std::string& name);
    bool WriteAttributes(const std::string& name);
    bool ResetAttributes(int event);
    bool ResetAllAttributes();
    bool CopyAttributes(const std::string& name, int from, int to);

    // Writes the loaded records when they were edited; what every command that leaves the
    // current area or saves the project does first.
    void WritePendingAttributes();

    // The author's edits of the loaded records: each changes Attributes[event] in memory and
    // sets AttributesModified, so that the next WriteAttributes stores it. An event outside
    // 0..2 changes nothing and gives false.
    bool SetAttribute(int event, std::string ATTRIBUTES::*field, std::string value);
    bool SetAttribute(int event, std::int32_t ATTRIBUTES::*field, std::int32_t value);
    bool SetAttributes(int event, const ATTRIBUTES& record);

    // --- area import ----------------------------------------------------------------------

    int FindArea(const std::string& name) const;
    std::string UniqueAreaName(const std::string& name) const;
    bool ImportAreas(const std::string& source);

    // --- fields, in declaration order ----------------------------------------------------

    std::int32_t Width = 0;
    std::int32_t Height = 0;
    std::int32_t BrushSize = 10;
    std::int32_t CurrentArea = 1;
    std::int32_t AreaCount = 0;
    std::array<std::uint32_t, 256> Palette;
    std::int32_t BackgroundVolume = 0;
    std::array<std::string, 256> AreaNames;
    bool ProjectOpen = false;
    bool PictureLoaded = false;
    bool Painting = false;
    Bitmap Picture;
    Bitmap Map;
    std::string PictureFileName;
    std::string MapFileName;
    std::string ProjectPath;
    std::string ProjectFolder;
    std::string BackgroundSound;
    DbConnection* ProjectDb = nullptr;
    DbConnection* SourceDb = nullptr;
    std::array<ATTRIBUTES, kEventCount> Attributes;
    ATTRIBUTES AttributesClipboard;
    // Set by the edits of the loaded records, cleared when they are read or written.
    bool AttributesModified = false;
    // The map in memory differs from the one last loaded or saved. Set by the operations that
    // change the map (the brush, the tools, clear, grid, shape import, undo, redo), cleared by
    // opening, creating, saving and closing.
    bool MapModified = false;
    std::string AttributesArea;
    std::string PageId;

    // Called after DeleteArea and DeleteAllAreas removed pixels from the map, so that the
    // drawing history restarts from the current map and undo never brings a deleted area back.
    std::function<void()> AreasRemoved;

    // The program that opens projects: the editor, or a command of the CLI, which waits a
    // while for another command to finish with a project.
    LockHolder Holder = LockHolder::Editor;
    // The file that holds the committed map: while a committed change still waits for its
    // map's rename, that is the staged map. Empty without a map name.
    std::string CurrentMapPath();
    // OpenProject or CreateProject was refused because another program holds the project.
    bool HeldElsewhere = false;

private:
    void ShowMessage(const std::string& text) { m_prompter->Message(text); }
    DbConnection& Project();
    bool ImportRowsFrom(DbConnection& source, const std::array<std::string, 256>& sourceNames,
                        const std::array<std::string, 256>& newNames, int noted);
    void FitMapToPicture();
    bool TakeLock(const std::string& path, ProjectAccess access, DbConnection& db);
    void RepairPendingMap();
    void HealAreas();
    void CompactIfAlone();
    void RollbackNow();
    std::string StagedMapPath() const;
    bool MapCommitPending();

    Prompter* m_prompter;
    ProjectLock m_lock;
    bool m_writable = false;
    int m_changeDepth = 0;
    bool m_changeDoomed = false;
    bool m_changeHasMap = false;
    int m_changesAtBegin = 0;
    // The open file passed the version check, so closing it may compact it.
    bool m_projectVerified = false;
};

}  // namespace velmora
