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

bool COMMON_DATA::ImportAreas(const std::string& source) {
    if (!ProjectOpen) {
        ShowMessage(msg::kOpenProjectFirst);
        return false;
    }
    if (!SourceDb) {
        throw Error("Нет соединения для импорта");
    }
    DbConnection& from = *SourceDb;
    from.Disconnect();
    // Reading the open file through a second connection while writing it through the first
    // would fail at the first insert, after the names were already registered.
    if (SameFile(source, ProjectPath)) {
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
    {
        SQLite::Statement names(from.Db(), sql::kImportNames);
        while (noted < kMaxAreas && names.executeStep()) {
            any = true;
            sourceNames[noted] = names.getColumn(0).getString();
            newNames[noted] = UniqueAreaName(TrimAreaName(sourceNames[noted]));
            // A refused name is not noted: a taken fallback name must not receive the rows.
            const int number = AddArea(newNames[noted], false);
            if (number < 1) {
                break;
            }
            newNames[noted] = AreaNames[number];
            ++noted;
        }
    }
    if (!any) {
        ShowMessage(msg::kNothingToImport);
        from.Disconnect();
        return false;
    }

    ImportRowsFrom(from, sourceNames, newNames, noted);
    from.Disconnect();
    return true;
}

bool COMMON_DATA::ImportRowsFrom(DbConnection& source,
                                 const std::array<std::string, 256>& sourceNames,
                                 const std::array<std::string, 256>& newNames, int noted) {
    SQLite::Statement rows(source.Db(), sql::kImportRows);
    if (!rows.executeStep()) {
        ShowMessage(msg::kNothingToImport);
        return false;
    }
    ATTRIBUTES record;
    do {
        const std::string field = rows.getColumn(0).getString();
        int index = 0;
        while (index < noted && sourceNames[index] != field) {
            ++index;
        }
        if (index == noted) {
            continue;
        }
        const int number = FindArea(newNames[index]);
        if (number == 0) {
            continue;
        }
        ReadAttributesRow(rows, 3, record);
        SQLite::Statement insert(Project().Db(), sql::kImportInsert);
        insert.bind(":FIELD", newNames[index]);
        insert.bind(":COLOR", number);
        insert.bind(":EVENT", rows.getColumn(2).getString());
        BindAttributes(insert, record);
        insert.exec();
    } while (rows.executeStep());
    return true;
}

}  // namespace velmora
