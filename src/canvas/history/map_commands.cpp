#include "canvas/history/map_commands.h"

namespace velmora {

void ClearMapAsStep(COMMON_DATA& data, DRAW_HISTORY& history) {
    data.ClearMap();
    history.MarkClear();
}

bool UndoMap(COMMON_DATA& data, DRAW_HISTORY& history) {
    if (!history.Undo(data.canvas.Map)) {
        return false;
    }
    data.canvas.MapModified = true;
    return true;
}

bool RedoMap(COMMON_DATA& data, DRAW_HISTORY& history) {
    if (!history.Redo(data.canvas.Map)) {
        return false;
    }
    data.canvas.MapModified = true;
    return true;
}

}  // namespace velmora
