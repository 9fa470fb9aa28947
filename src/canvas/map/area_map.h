#pragma once

#include <cstdint>

#include "canvas/map/pen.h"
#include "canvas/map/rect.h"
#include "store/common_data.h"

namespace velmora {

// The drawing surface of COMMON_DATA's area map: the brush strokes, the rectangle fill and
// the look-up under a point. Every painting call returns the rectangle of map pixels it
// wrote, so that the view recomposes only that.
class AreaMap {
public:
    explicit AreaMap(COMMON_DATA& data) : m_data(data) {}

    // Starts a stroke of value (0 erases, 1..255 an area) at the current BrushSize and puts
    // the pen at (x, y). The press paints nothing; it sets Painting.
    Rect BeginStroke(std::int32_t x, std::int32_t y, int value);
    // Paints one segment from the pen position to (x, y). Outside a stroke (Painting false)
    // it only moves the pen, so a stray move never paints with an old value.
    Rect ContinueStroke(std::int32_t x, std::int32_t y);
    // Ends the stroke; paints nothing.
    Rect EndStroke();

    Rect FillMapRect(std::int64_t left, std::int64_t top, std::int64_t width, std::int64_t height,
                     int value, bool overwrite);
    int AreaAt(std::int64_t x, std::int64_t y) const;

private:
    COMMON_DATA& m_data;
    Pen m_pen;
};

}  // namespace velmora
