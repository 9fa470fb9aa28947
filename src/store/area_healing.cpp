// Areas left half-made by an earlier program (a row per event missing) are completed when the
// project is opened for writing, rather than trusted: an edit of a missing row would otherwise
// go nowhere while the area still looks present.
#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include <vector>

#include "store/common_data.h"
#include "store/store_messages.h"

namespace velmora {

namespace {

// Names of areas (numbers 1..255, as the registry reads them) that lack a row of some event,
// with their number and which events they have.
constexpr const char* kHalfMadeAreas =
    "SELECT field,max(color),max(event='over'),max(event='click'),max(event='dblclick') "
    "FROM properties WHERE field IS NOT NULL GROUP BY field "
    "HAVING max(color) BETWEEN 1 AND 255 AND "
    "(max(event='over')=0 OR max(event='click')=0 OR max(event='dblclick')=0);";

struct HalfMadeArea {
    std::string name;
    int number = 0;
    bool has[kEventCount] = {};
};

}  // namespace

void COMMON_DATA::HealAreas() {
    std::vector<HalfMadeArea> areas;
    {
        SQLite::Statement query(Project().Db(), kHalfMadeAreas);
        while (query.executeStep()) {
            HalfMadeArea area;
            area.name = query.getColumn(0).getString();
            area.number = query.getColumn(1).getInt();
            for (int event = 0; event < kEventCount; ++event) {
                area.has[event] = query.getColumn(2 + event).getInt() != 0;
            }
            areas.push_back(std::move(area));
        }
    }
    if (areas.empty()) {
        return;
    }
    std::string names;
    BeginChange();
    try {
        for (const HalfMadeArea& area : areas) {
            for (int event = 0; event < kEventCount; ++event) {
                if (!area.has[event]) {
                    InsertAreaRows(area.name, area.number, EventName(event));
                }
            }
            names += (names.empty() ? "" : ", ") + area.name;
        }
        CommitChange();
    } catch (...) {
        RollbackChange();
        throw;
    }
    ShowMessage(msg::kAreasHealed + names + ".");
}

}  // namespace velmora
