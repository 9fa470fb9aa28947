#include "reliability/project_state.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include "store/bitmap.h"
#include "store/image_file.h"

namespace velmora::test {

std::map<std::string, AreaRows> ReadAreaRows(const std::string& projectPath) {
    std::map<std::string, AreaRows> areas;
    SQLite::Database db(projectPath, SQLite::OPEN_READWRITE);
    db.setBusyTimeout(10000);
    SQLite::Statement query(db, "SELECT field,color,event FROM properties;");
    while (query.executeStep()) {
        AreaRows& area = areas[query.getColumn(0).getString()];
        area.number = query.getColumn(1).getInt();
        ++area.events[query.getColumn(2).getString()];
    }
    return areas;
}

bool Whole(const AreaRows& rows) {
    const std::map<std::string, int> whole = {{"over", 1}, {"click", 1}, {"dblclick", 1}};
    return rows.events == whole;
}

std::array<long long, 256> CountMapPixels(const std::string& mapPath) {
    std::array<long long, 256> counts{};
    Bitmap map;
    if (!LoadImageFile(map, mapPath)) {
        return counts;
    }
    for (int y = 0; y < map.Height(); ++y) {
        const std::uint8_t* p = map.Row(y);
        for (int x = 0; x < map.Width(); ++x, p += 3) {
            ++counts[p[0]];
        }
    }
    return counts;
}

}  // namespace velmora::test
