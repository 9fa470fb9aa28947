#include <unordered_map>

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include "store/area_names.h"
#include "store/common_data.h"
#include "store/errors.h"
#include "store/files.h"
#include "store/project_sql.h"
#include "store/record_io.h"
#include "store/store_messages.h"

namespace velmora {

namespace {

// The record's own strings outlive the insert, so they are bound without a copy.
void BindValue(SQLite::Statement& statement, int slot, const std::string& text) {
    statement.bindNoCopy(slot, text);
}
void BindValue(SQLite::Statement& statement, int slot, std::int32_t number) {
    statement.bind(slot, number);
}

}  // namespace

bool COMMON_DATA::ImportAreas(const std::string& source, Progress& progress) {
    if (!project.ProjectOpen) {
        ShowMessage(msg::kOpenProjectFirst);
        return false;
    }
    if (!project.SourceDb) {
        throw Error("Нет соединения для импорта");
    }
    DbConnection& from = *project.SourceDb;
    from.Disconnect();
    // Reading the open file through a second connection while writing it through the first
    // would fail at the first insert, after the names were already registered.
    if (SameFile(source, project.ProjectPath)) {
        ShowMessage(msg::kImportFromItself);
        return false;
    }
    // Statements end before any disconnect: a connection never closes under a live query.
    std::string version = sql::kProjectVersion;
    try {
        from.Connect(source, DbConnection::Mode::OpenExisting);
        SQLite::Statement query(from.Db(), sql::kSelectVersion);
        if (query.executeStep()) {
            version = query.getColumn(0).getString();
        }
    } catch (const std::exception&) {
        ShowMessage(msg::kImportOpenFailed);
        from.Disconnect();
        return false;
    }
    if (version != sql::kProjectVersion) {
        ShowMessage(msg::kVersionNotSupported);
        from.Disconnect();
        return false;
    }

    std::array<std::string, 256> sourceNames;
    std::array<std::string, 256> newNames;
    int noted = 0;
    bool any = false;
    // The names and every row of the import are one change: a failure, a cancel or a kill
    // leaves the project as it was.
    BeginChange();
    try {
        std::int64_t total = 0;
        {
            SQLite::Statement count(from.Db(), sql::kImportNames);
            while (count.executeStep()) {
                ++total;
            }
        }
        progress.Step(0, total);
        {
            SQLite::Statement names(from.Db(), sql::kImportNames);
            std::int64_t read = 0;
            while (noted < kMaxAreas && names.executeStep()) {
                progress.Step(++read, total);
                any = true;
                sourceNames[noted] = names.getColumn(0).getString();
                newNames[noted] = areas.UniqueAreaName(TrimAreaName(sourceNames[noted]));
                // A refused name is not noted: a taken fallback name must not receive the rows.
                const int number = AddArea(newNames[noted], false);
                if (number == kTooManyAreas) {
                    break;
                }
                if (number < 1) {
                    continue;  // this name was refused and said why; the others come in
                }
                newNames[noted] = areas.AreaNames[number];
                ++noted;
            }
        }
        if (!any) {
            RollbackChange();
            ShowMessage(msg::kNothingToImport);
            from.Disconnect();
            return false;
        }
        ImportRowsFrom(from, sourceNames, newNames, noted, progress);
        CommitChange();
    } catch (...) {
        RollbackChange();
        ListAreas();
        from.Disconnect();
        throw;
    }
    from.Disconnect();
    return true;
}

bool COMMON_DATA::ImportRowsFrom(DbConnection& source,
                                 const std::array<std::string, 256>& sourceNames,
                                 const std::array<std::string, 256>& newNames, int noted,
                                 Progress& progress) {
    // Source name -> index among the noted names; the new name's number is looked up once.
    std::unordered_map<std::string, int> indexOf;
    std::array<int, 256> numbers{};
    for (int index = 0; index < noted; ++index) {
        indexOf.emplace(sourceNames[index], index);
        numbers[index] = areas.FindArea(newNames[index]);
    }
    std::array<std::array<bool, kEventCount>, 256> imported{};

    SQLite::Statement rows(source.Db(), sql::kImportRows);
    if (!rows.executeStep()) {
        ShowMessage(msg::kNothingToImport);
        return false;
    }
    SQLite::Statement insert(Project().Db(), sql::kImportInsert);
    // Parameters are looked up by name once: per row, 33 name look-ups cost more than the
    // insert itself.
    const int fieldSlot = insert.getIndex(":FIELD");
    const int colorSlot = insert.getIndex(":COLOR");
    const int eventSlot = insert.getIndex(":EVENT");
    std::array<int, kAttributeFieldCount> slots{};
    for (int i = 0; i < kAttributeFieldCount; ++i) {
        slots[i] = insert.getIndex(AttributeFields()[i].parameter);
    }
    ATTRIBUTES record;
    std::int64_t read = 0;
    do {
        // The rows come after the names in the work reported; their count is not known.
        if (++read % 64 == 0) {
            progress.Step(read, read + 64);
        }
        const auto found = indexOf.find(rows.getColumn(0).getString());
        if (found == indexOf.end()) {
            continue;
        }
        const int index = found->second;
        if (numbers[index] == 0) {
            continue;
        }
        const std::string event = rows.getColumn(2).getString();
        ReadAttributesRow(rows, 3, record);
        insert.reset();
        insert.bindNoCopy(fieldSlot, newNames[index]);
        insert.bind(colorSlot, numbers[index]);
        insert.bindNoCopy(eventSlot, event);
        for (int i = 0; i < kAttributeFieldCount; ++i) {
            std::visit([&](auto member) { BindValue(insert, slots[i], record.*member); },
                       AttributeFields()[i].member);
        }
        insert.exec();
        if (const auto kind = EventFromName(event)) {
            imported[index][*kind] = true;
        }
    } while (rows.executeStep());

    // A source area that lacked a row arrives whole, the missing rows with their defaults.
    std::string completed;
    for (int index = 0; index < noted; ++index) {
        bool any = false;
        for (int event = 0; event < kEventCount; ++event) {
            any = any || imported[index][event];
        }
        if (!any || numbers[index] == 0) {
            continue;
        }
        bool healed = false;
        for (int event = 0; event < kEventCount; ++event) {
            if (!imported[index][event]) {
                InsertAreaRows(newNames[index], numbers[index], EventName(event));
                healed = true;
            }
        }
        if (healed) {
            completed += (completed.empty() ? "" : ", ") + newNames[index];
        }
    }
    if (!completed.empty()) {
        ShowMessage(msg::kAreasHealed + completed + ".");
    }
    return true;
}

}  // namespace velmora
