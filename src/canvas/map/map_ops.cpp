#include "canvas/map/map_ops.h"

#include <algorithm>
#include <cstring>

namespace velmora {

Rect FillMapRect(Bitmap& map, std::int64_t left, std::int64_t top, std::int64_t width,
                 std::int64_t height, std::uint8_t value, bool overwrite) {
    if (width <= 0 || height <= 0) {
        return {};
    }
    // The far edges in 128 bits: left + width may not fit in 64.
    const std::int64_t x0 = std::max<std::int64_t>(left, 0);
    const std::int64_t y0 = std::max<std::int64_t>(top, 0);
    const auto x1 = static_cast<std::int64_t>(
        std::min<__int128>(static_cast<__int128>(left) + width, map.Width()));
    const auto y1 = static_cast<std::int64_t>(
        std::min<__int128>(static_cast<__int128>(top) + height, map.Height()));
    if (x0 >= x1 || y0 >= y1) {
        return {};
    }
    for (std::int64_t y = y0; y < y1; ++y) {
        std::uint8_t* p = map.Row(static_cast<int>(y)) + x0 * 3;
        if (overwrite) {
            std::memset(p, value, static_cast<std::size_t>(x1 - x0) * 3);
            continue;
        }
        for (std::int64_t x = x0; x < x1; ++x, p += 3) {
            if (p[0] == 0) {
                p[0] = p[1] = p[2] = value;
            }
        }
    }
    return {static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1 - x0),
            static_cast<int>(y1 - y0)};
}

int AreaAt(const Bitmap& map, std::int64_t x, std::int64_t y) {
    if (x < 0 || y < 0 || x >= map.Width() || y >= map.Height()) {
        return 0;
    }
    return map.Pixel(static_cast<int>(x), static_cast<int>(y))[2];
}

}  // namespace velmora
