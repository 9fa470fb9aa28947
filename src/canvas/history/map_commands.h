#pragma once

#include "canvas/history/draw_history.h"
#include "store/common_data.h"

namespace velmora {

// The edit menu's map commands on the map of data and its history; each sets MapModified
// when it changed the map.

// Clears the map (ClearMap) and records the clearing as one step, so that it can be undone.
void ClearMapAsStep(COMMON_DATA& data, DRAW_HISTORY& history);
// Takes back the last step; false when there is none, and nothing changes.
bool UndoMap(COMMON_DATA& data, DRAW_HISTORY& history);
// Brings back the last step taken back; false when there is none, and nothing changes.
bool RedoMap(COMMON_DATA& data, DRAW_HISTORY& history);

}  // namespace velmora
