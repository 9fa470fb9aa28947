#include "store/map_census.h"

#include <algorithm>

#include "store/errors.h"
#include "store/image_file.h"

namespace velmora {

namespace {

// The area number is the blue byte of each BGR pixel.
void CountRow(const std::uint8_t* row, int columns, AreaPixelCounts& counts) {
    for (int x = 0; x < columns; ++x, row += 3) {
        ++counts[row[0]];
    }
}

}  // namespace

bool CountAreaPixels(const std::string& mapPath, int width, int height, AreaPixelCounts& counts,
                     const ReadScope& scope) {
    counts.fill(0);
    int columns = 0;
    int rows = 0;
    try {
        return ForEachImageRow(
            mapPath, scope,
            [&](int mapWidth, int mapHeight) {
                columns = std::min(width, mapWidth);
                rows = std::min(height, mapHeight);
            },
            [&](int y, const std::uint8_t* row) {
                if (y < rows) {
                    CountRow(row, columns, counts);
                }
            });
    } catch (...) {
        counts.fill(0);
        throw;
    }
}

}  // namespace velmora
