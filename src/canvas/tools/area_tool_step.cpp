#include "canvas/tools/area_tool_step.h"

namespace velmora {

namespace {

void Record(COMMON_DATA& data, DRAW_HISTORY& history, const ChangeMask& changes,
            std::uint8_t value) {
    if (!changes.Bounds().Empty()) {
        history.RecordPixels(changes, value);
        data.canvas.MapModified = true;
    }
}

}  // namespace

Rect ApplyAreaTool(COMMON_DATA& data, DRAW_HISTORY& history, std::uint8_t value, bool overwrite,
                   const AreaToolPass& tool) {
    ChangeMask changes(data.canvas.Map.Width(), data.canvas.Map.Height());
    MapWriter writer(data.canvas.Map, value, overwrite, &changes);
    try {
        tool(writer);
    } catch (...) {
        // Tools refuse before they write; should one fail half-way all the same, what it
        // wrote is a step, so that undo and the map still agree.
        Record(data, history, changes, value);
        throw;
    }
    Record(data, history, changes, value);
    return changes.Bounds();
}

}  // namespace velmora
