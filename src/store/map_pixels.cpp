#include "store/map_pixels.h"

#include <algorithm>

namespace velmora {

std::vector<PixelRun> EraseAreaPixels(Bitmap& map, int number) {
    std::vector<PixelRun> runs;
    for (int y = 0; y < map.Height(); ++y) {
        std::uint8_t* row = map.Row(y);
        for (int x = 0; x < map.Width();) {
            if (row[x * 3] != number) {
                ++x;
                continue;
            }
            PixelRun run{y, x, 0};
            for (; x < map.Width() && row[x * 3] == number; ++x, ++run.length) {
                row[x * 3] = row[x * 3 + 1] = row[x * 3 + 2] = 0;
            }
            runs.push_back(run);
        }
    }
    return runs;
}

void RestoreAreaPixels(Bitmap& map, const std::vector<PixelRun>& runs, int number) {
    const auto value = static_cast<std::uint8_t>(number);
    for (const PixelRun& run : runs) {
        if (run.y < map.Height() && run.x + run.length <= map.Width()) {
            std::fill_n(map.Row(run.y) + static_cast<std::size_t>(run.x) * 3,
                        static_cast<std::size_t>(run.length) * 3, value);
        }
    }
}

}  // namespace velmora
