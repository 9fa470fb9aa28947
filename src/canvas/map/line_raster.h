#pragma once

#include <cstdint>

#include "canvas/map/map_window.h"
#include "canvas/map/rect.h"
#include "store/bitmap.h"

namespace velmora {

// Widths beyond this are drawn at this width; the brush never comes near it.
inline constexpr int kMaxLineWidth = 4096;
// Pen positions further out than this from the origin are drawn as if they stood at this
// distance; it keeps the exact coverage test within 64-bit arithmetic.
inline constexpr std::int32_t kPenCoordinateLimit = 1 << 24;

// Draws a solid line of the given width with round ends from (x0, y0) to (x1, y1), writing
// value into all three bytes of every covered pixel (copy mode, no smoothing), and returns
// the rectangle of map pixels it wrote. A pixel is covered when its centre lies within
// width / 2 of the segment; an odd width centres the pen on the pixel, an even width on the
// pixel's top-left corner, so that every band is exactly width pixels across.
// Width 1 is a one-pixel line instead: one pixel per column, or per row when the line is
// steeper than 45 degrees, the one nearest to the line; it starts and ends on the end points.
// The whole test is integer arithmetic: live painting and undo replay give the same pixels.
Rect DrawLine(Bitmap& map, std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1,
              int width, std::uint8_t value);

// The same line drawn onto a part of a map: writes exactly the pixels of the window that
// DrawLine writes on the whole map, and returns them in map coordinates.
Rect DrawLineWithin(const MapWindow& window, std::int32_t x0, std::int32_t y0, std::int32_t x1,
                    std::int32_t y1, int width, std::uint8_t value);

}  // namespace velmora
