#include "canvas/map/map_ops.h"

#include <algorithm>
#include <cstring>

namespace velmora {

Rect ClipToMap(const Bitmap& map, std::int64_t left, std::int64_t top, std::int64_t width,
               std::int64_t height) {
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
    return {static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1 - x0),
            static_cast<int>(y1 - y0)};
}

Rect FillMapRect(Bitmap& map, std::int64_t left, std::int64_t top, std::int64_t width,
                 std::int64_t height, std::uint8_t value, bool overwrite) {
    const Rect clipped = ClipToMap(map, left, top, width, height);
    for (int y = clipped.y; y < clipped.Bottom(); ++y) {
        std::uint8_t* p = map.Row(y) + static_cast<std::size_t>(clipped.x) * 3;
        if (overwrite) {
            std::memset(p, value, static_cast<std::size_t>(clipped.width) * 3);
            continue;
        }
        for (int x = 0; x < clipped.width; ++x, p += 3) {
            if (p[0] == 0) {
                p[0] = p[1] = p[2] = value;
            }
        }
    }
    return clipped;
}

int AreaAt(const Bitmap& map, std::int64_t x, std::int64_t y) {
    if (x < 0 || y < 0 || x >= map.Width() || y >= map.Height()) {
        return 0;
    }
    return map.Pixel(static_cast<int>(x), static_cast<int>(y))[2];
}

}  // namespace velmora
