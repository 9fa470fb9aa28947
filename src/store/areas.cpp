#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include "store/area_names.h"
#include "store/common_data.h"
#include "store/map_pixels.h"
#include "store/project_sql.h"
#include "store/record_io.h"
#include "store/store_messages.h"

namespace velmora {

bool COMMON_DATA::ListAreas() {
    areas.AreaNames.fill(std::string());
    areas.AreaCount = 0;
    bool complete = true;
    try {
        SQLite::Statement query(Project().Db(), sql::kListAreas);
        while (query.executeStep()) {
            const std::int64_t number = query.getColumn(0).getInt64();
            if (number >= 1 && number <= kMaxAreas) {
                areas.AreaNames[static_cast<std::size_t>(number)] = query.getColumn(1).getString();
            }
        }
    } catch (const std::exception&) {
        complete = false;
    }
    // A damaged file may give two names one number; counting the names held keeps the count
    // and the registry in agreement.
    for (int number = 1; number <= kMaxAreas; ++number) {
        areas.AreaCount += areas.AreaNames[number].empty() ? 0 : 1;
    }
    return complete;
}

void COMMON_DATA::DeleteAllAreas() {
    if (!project.ProjectOpen) {
        areas.AreaCount = 0;
        areas.AreaNames.fill(std::string());
        ClearMap();
        if (AreasRemoved) {
            AreasRemoved();
        }
        return;
    }
    // The rows and the emptied map are one change; should it fail, the areas and their
    // pixels are all still there, in the file and on screen.
    Bitmap previous = std::move(canvas.Map);
    const bool modified = canvas.MapModified;
    BeginChange();
    try {
        Project().Execute(sql::kDeleteAllAreas);
        ClearMap();
        SaveMap();
        CommitChange();
    } catch (...) {
        RollbackChange();
        canvas.Map = std::move(previous);
        canvas.MapModified = modified;
        throw;
    }
    areas.AreaCount = 0;
    areas.AreaNames.fill(std::string());
    if (AreasRemoved) {
        AreasRemoved();
    }
}

int COMMON_DATA::AddArea(const std::string& givenName, bool withRows, bool quiet) {
    const auto refuse = [&](const char* text, int code) {
        if (!quiet) {
            ShowMessage(text);
        }
        return code;
    };
    if (areas.AreaCount >= kMaxAreas) {
        return refuse(msg::kTooManyAreas, kTooManyAreas);
    }
    const std::string name = TrimAreaName(givenName);
    if (name.empty()) {
        return refuse(msg::kEmptyAreaName, kEmptyAreaName);
    }
    switch (CheckAreaName(name)) {
        case AreaNameFault::TooLong:
            return refuse(msg::kAreaNameTooLong, kAreaNameTooLong);
        case AreaNameFault::ControlCharacter:
            return refuse(msg::kAreaNameHasControl, kAreaNameHasControl);
        case AreaNameFault::None:
            break;
    }
    if (areas.FindArea(name) != 0) {
        return refuse(msg::kAreaExists, kAreaNameTaken);
    }
    int number = 1;
    while (number <= kMaxAreas && !areas.AreaNames[number].empty()) {
        ++number;
    }
    areas.AreaNames[number] = name;
    ++areas.AreaCount;
    if (withRows) {
        // The three rows exist together or not at all.
        BeginChange();
        try {
            for (int event = 0; event < kEventCount; ++event) {
                InsertAreaRows(name, number, EventName(event));
            }
            CommitChange();
        } catch (...) {
            RollbackChange();
            areas.AreaNames[number].clear();
            --areas.AreaCount;
            throw;
        }
    }
    return number;
}

bool COMMON_DATA::InsertAreaRows(const std::string& name, int number, const std::string& event) {
    SQLite::Statement insert(Project().Db(), sql::kInsertAreaRows);
    insert.bind(":FIELD", name);
    insert.bind(":COLOR", number);
    insert.bind(":EVENT", event);
    insert.exec();
    return true;
}

bool COMMON_DATA::RenameArea(const std::string& oldName, const std::string& givenName) {
    if (areas.AreaCount == 0) {
        ShowMessage(msg::kNoAreas);
        return false;
    }
    // Free numbers hold the empty name: an empty new name would make the area look free.
    const std::string newName = TrimAreaName(givenName);
    if (newName.empty()) {
        ShowMessage(msg::kEmptyAreaName);
        return false;
    }
    if (const AreaNameFault fault = CheckAreaName(newName); fault != AreaNameFault::None) {
        ShowMessage(fault == AreaNameFault::TooLong ? msg::kAreaNameTooLong
                                                    : msg::kAreaNameHasControl);
        return false;
    }
    if (areas.FindArea(newName) != 0) {
        ShowMessage(msg::kAreaExists);
        return false;
    }
    const int number = areas.FindArea(oldName);
    if (number == 0) {
        ShowMessage(msg::kAreaNotFound);
        return false;
    }
    {
        SQLite::Statement update(Project().Db(), sql::kRenameArea);
        update.bind(":FIELD", oldName);
        update.bind(":NEWFIELD", newName);
        update.exec();
    }
    areas.AreaNames[number] = newName;
    if (records.AttributesArea == oldName) {
        records.AttributesArea = newName;
    }
    return true;
}

bool COMMON_DATA::DeleteArea(const std::string& name) {
    if (areas.AreaCount == 0) {
        ShowMessage(msg::kNoAreas);
        return false;
    }
    const int number = areas.FindArea(name);
    if (number == 0) {
        ShowMessage(msg::kAreaNotFound);
        return false;
    }
    // The rows and the area's pixels go in one change: pixels left behind on disk would pass
    // to the next area given this number.
    std::vector<PixelRun> erased;
    BeginChange();
    try {
        {
            SQLite::Statement remove(Project().Db(), sql::kDeleteArea);
            remove.bind(":FIELD", name);
            remove.exec();
        }
        erased = EraseAreaPixels(canvas.Map, number);
        SaveMap();
        CommitChange();
    } catch (...) {
        RollbackChange();
        RestoreAreaPixels(canvas.Map, erased, number);
        throw;
    }
    areas.AreaNames[number].clear();
    --areas.AreaCount;
    canvas.MapModified = canvas.PictureLoaded;
    if (AreasRemoved) {
        AreasRemoved();
    }
    return true;
}

bool COMMON_DATA::AreaUntouched(const std::string& name) {
    if (records.AttributesArea == name && records.AttributesModified) {
        return false;
    }
    const ATTRIBUTES fresh = DefaultAttributes();
    for (int event = 0; event < kEventCount; ++event) {
        ATTRIBUTES stored;
        if (!ReadStoredRecord(name, event, stored) || stored != fresh) {
            return false;
        }
    }
    return true;
}

void COMMON_DATA::RemovePixellessArea(int number) {
    const std::string name = areas.AreaNames.at(static_cast<std::size_t>(number));
    if (name.empty()) {
        return;
    }
    {
        SQLite::Statement remove(Project().Db(), sql::kDeleteArea);
        remove.bind(":FIELD", name);
        remove.exec();
    }
    areas.AreaNames[number].clear();
    --areas.AreaCount;
    if (records.AttributesArea == name) {
        records.AttributesArea.clear();
    }
}

// The grid's transaction pair is a change like any other, so that it nests inside a
// command's own change.
void COMMON_DATA::BeginTransaction() {
    BeginChange();
}

void COMMON_DATA::CommitTransaction() {
    CommitChange();
}

bool COMMON_DATA::ReadStoredRecord(const std::string& name, int event, ATTRIBUTES& record) {
    SQLite::Statement query(Project().Db(), sql::kSelectRecord);
    query.bind(":FIELD", name);
    query.bind(":EVENT", EventName(event));
    if (!query.executeStep()) {
        return false;
    }
    ReadAttributesRow(query, 3, record);
    return true;
}

bool COMMON_DATA::ReadAttributes(const std::string& name) {
    for (int event = 0; event < kEventCount; ++event) {
        ReadStoredRecord(name, event, records.Attributes[event]);
    }
    records.AttributesArea = name;
    records.AttributesModified = false;
    return true;
}

bool COMMON_DATA::WriteAttributes(const std::string& name) {
    BeginChange();
    try {
        for (int event = 0; event < kEventCount; ++event) {
            const auto update = [&] {
                SQLite::Statement statement(Project().Db(), sql::kUpdateRecord);
                BindAttributes(statement, records.Attributes[event]);
                statement.bind(":FIELD", name);
                statement.bind(":EVENT", EventName(event));
                return statement.exec();
            };
            // A registered area that lacks the row gets it back: an edit is never reported as
            // stored while it went nowhere.
            if (update() == 0 && areas.FindArea(name) != 0) {
                InsertAreaRows(name, areas.FindArea(name), EventName(event));
                update();
            }
        }
        CommitChange();
    } catch (...) {
        RollbackChange();
        throw;
    }
    records.AttributesModified = false;
    return true;
}

void COMMON_DATA::WritePendingAttributes() {
    if (records.AttributesModified && project.ProjectOpen) {
        WriteAttributes(records.AttributesArea);
    }
}

bool COMMON_DATA::ResetAttributes(int event) {
    if (event < 0 || event >= kEventCount) {
        return false;
    }
    records.Attributes[event] = DefaultAttributes();
    return true;
}

bool COMMON_DATA::ResetAllAttributes() {
    for (int event = 0; event < kEventCount; ++event) {
        ResetAttributes(event);
    }
    return true;
}

bool COMMON_DATA::CopyAttributes(const std::string& name, int from, int to) {
    if (from == to || from < 0 || to < 0 || from >= kEventCount || to >= kEventCount) {
        return false;
    }
    if (!ReadAttributes(name)) {
        return false;
    }
    records.Attributes[to] = records.Attributes[from];
    return WriteAttributes(name);
}

}  // namespace velmora
