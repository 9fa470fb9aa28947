#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "store/area_palette.h"
#include "store/attributes.h"
#include "store/bitmap.h"
#include "store/db_connection.h"
#include "store/prompter.h"

namespace velmora {

inline constexpr int kMaxAreas = 255;

// The names of the working folders beside a project file, in the order they are created.
inline constexpr std::array<const char*, 6> kWorkFolders = {"Images", "Pictures", "Sounds",
                                                            "Maps",   "HTML",     "HTML/VLM"};

// Refusals of AddArea.
inline constexpr int kTooManyAreas = -1;
inline constexpr int kEmptyAreaName = -2;
inline constexpr int kAreaNameTaken = -3;

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
    bool OpenProject(const std::string& path);
    void CloseProject();
    bool ImportPicture(const std::string& source);
    void ClearMap();
    bool LoadPicture();
    bool SaveMap();
    bool SaveBackgroundSound();

    // Full paths of the files a project names; empty when name is not a plain file name
    // (a stored name may never lead outside the working folders).
    std::string WorkFolderPath(const std::string& folder) const;
    std::string WorkFilePath(const std::string& folder, const std::string& name) const;

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
    bool ReadAttributes(const std::string& name);
    bool WriteAttributes(const std::string& name);
    bool ResetAttributes(int event);
    bool ResetAllAttributes();
    bool CopyAttributes(const std::string& name, int from, int to);

    // Writes the loaded records when they were edited; what every command that leaves the
    // current area or saves the project does first.
    void WritePendingAttributes();

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
    bool AttributesModified = false;
    // The map in memory differs from the one last loaded or saved; the editor keeps it.
    bool MapModified = false;
    std::string AttributesArea;
    std::string PageId;

    // Called after DeleteArea and DeleteAllAreas removed pixels from the map, so that the
    // drawing history restarts from the current map and undo never brings a deleted area back.
    std::function<void()> AreasRemoved;

private:
    void ShowMessage(const std::string& text) { m_prompter->Message(text); }
    DbConnection& Project();
    bool ImportRowsFrom(DbConnection& source, const std::array<std::string, 256>& sourceNames,
                        const std::array<std::string, 256>& newNames, int noted);
    void FitMapToPicture();

    Prompter* m_prompter;
    // The open file passed the version check, so closing it may compact it.
    bool m_projectVerified = false;
};

}  // namespace velmora
