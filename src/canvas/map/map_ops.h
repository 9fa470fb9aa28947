#pragma once

#include <cstdint>

#include "canvas/map/rect.h"
#include "store/bitmap.h"

namespace velmora {

// Fills the part of the rectangle that lies inside the map with value (all three bytes).
// Without overwrite only pixels of no area (blue byte 0) are filled, so other areas keep
// their pixels. Returns the clipped rectangle, whether or not a pixel changed.
// The part of the rectangle (left, top, width, height) that lies on the map; empty when none.
// Any 64-bit values are safe: the far edges are computed in 128 bits.
Rect ClipToMap(const Bitmap& map, std::int64_t left, std::int64_t top, std::int64_t width,
               std::int64_t height);

Rect FillMapRect(Bitmap& map, std::int64_t left, std::int64_t top, std::int64_t width,
                 std::int64_t height, std::uint8_t value, bool overwrite);

// The area value at (x, y), read from the red byte; 0 outside the map.
int AreaAt(const Bitmap& map, std::int64_t x, std::int64_t y);

}  // namespace velmora
