#pragma once

#include <cstdint>

#include "canvas/history/draw_history.h"
#include "canvas/map/area_map.h"
#include "canvas/map/rect.h"
#include "store/common_data.h"

namespace velmora {

// Turns a brush stroke into map pixels and one step of the drawing history, as the mouse
// paints: the press fixes the value and the brush size and paints nothing, each move paints
// one segment, the release closes the step. A click without a move leaves the map as it was
// and closes an empty step, which records nothing, unless the release asks for the dab that
// paint programs leave on a click.
class StrokeRecorder {
public:
    StrokeRecorder(COMMON_DATA& data, DRAW_HISTORY& history)
        : m_data(data), m_history(history), m_surface(data) {}

    // The press at (x, y): a stroke of value (0 erases, 1..255 an area) at the current
    // BrushSize begins; sets Painting.
    void Press(std::int32_t x, std::int32_t y, int value);
    // A move to (x, y) while the stroke lasts (Painting): paints the segment from the last
    // point and marks the map modified. Returns the rectangle of map pixels it wrote.
    Rect Move(std::int32_t x, std::int32_t y);
    // The release of any button: ends the stroke and closes its step. With ClickDab::Paint a
    // stroke that never moved paints one dab of the brush at the press, recorded as a segment
    // of no length so that the history replays the same dab; returns the dab's rectangle.
    enum class ClickDab { None, Paint };
    Rect Release(ClickDab dab = ClickDab::None);

private:
    COMMON_DATA& m_data;
    DRAW_HISTORY& m_history;
    AreaMap m_surface;
    bool m_moved = false;
    std::int32_t m_pressX = 0;
    std::int32_t m_pressY = 0;
};

}  // namespace velmora
