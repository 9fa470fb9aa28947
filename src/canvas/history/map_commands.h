#pragma once

#include "canvas/history/draw_history.h"
#include "store/common_data.h"

namespace velmora {

// The edit menu's map commands on the map of data and its history; each sets MapModified
// when it changed the map.

// Clears the map (ClearMap) and records the clearing as one step, so that it can be undone.
void ClearMapAsStep(COMMON_DATA& data, DRAW_HISTORY& history);
// Takes back the last step; false when there is none, and nothing changes. Areas the step made
// go with it while they own no pixel and nothing else has used them.
bool UndoMap(COMMON_DATA& data, DRAW_HISTORY& history);
// Brings back the last step taken back, with the areas its undo took away; false when there
// is none, or when one of those areas' numbers or names has been taken since (the undone steps
// are then forgotten), and nothing changes.
bool RedoMap(COMMON_DATA& data, DRAW_HISTORY& history);

}  // namespace velmora
