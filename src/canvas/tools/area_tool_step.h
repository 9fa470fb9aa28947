#pragma once

#include <cstdint>
#include <functional>

#include "canvas/history/draw_history.h"
#include "canvas/map/map_writer.h"
#include "canvas/map/rect.h"
#include "store/common_data.h"

namespace velmora {

// One use of an area tool: it writes through the writer it is given (FillRegion, FillEllipse
// and the other tools of area_tools.h).
using AreaToolPass = std::function<void(MapWriter& writer)>;

// Applies an area tool to the map of data as one step of the drawing history. The tool writes
// value through a writer that notes every pixel it changes, so exactly those pixels become
// the step without a copy of the map, and MapModified is set. Returns the rectangle of the
// changed pixels; when none changed, nothing is recorded. A refusal of the tool (an Error)
// reaches the caller before anything was written.
Rect ApplyAreaTool(COMMON_DATA& data, DRAW_HISTORY& history, std::uint8_t value, bool overwrite,
                   const AreaToolPass& tool);

}  // namespace velmora
