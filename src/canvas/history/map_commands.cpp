#include "canvas/history/map_commands.h"

#include "canvas/map/area_presence.h"

namespace velmora {

namespace {

// After the undo of a step that made areas: each that owns no pixel, whose rows were never
// edited and whose name is still its own goes too. Only while the stored map predates the
// step can it hold none of their pixels; once it was written, they all stay.
void TakeBackUnusedAreas(COMMON_DATA& data, StepAreas& areas) {
    if (data.MapWrites() != areas.MapWritesBefore || !data.project.ProjectOpen) {
        return;
    }
    const AreaPresence present = AreasOnMap(data.canvas.Map);
    data.BeginChange();
    try {
        for (StepArea& area : areas.Made) {
            const auto number = static_cast<std::size_t>(area.Number);
            if (number < 1 || number >= present.size() || present[number] ||
                data.areas.AreaNames[number] != area.Name || !data.AreaUntouched(area.Name)) {
                continue;
            }
            data.RemovePixellessArea(area.Number);
            area.TakenBack = true;
        }
        data.CommitChange();
    } catch (...) {
        data.RollbackChange();
        data.ListAreas();
        for (StepArea& area : areas.Made) {
            area.TakenBack = data.areas.AreaNames[static_cast<std::size_t>(area.Number)].empty();
        }
        throw;
    }
}

// Before the redo of such a step: the areas its undo took back are made again under their
// numbers and names. False, with nothing made, when a number or a name has been taken since.
bool RemakeAreas(COMMON_DATA& data, StepAreas& areas) {
    for (const StepArea& area : areas.Made) {
        if (area.TakenBack &&
            (!data.areas.AreaNames[static_cast<std::size_t>(area.Number)].empty() ||
             data.areas.FindArea(area.Name) != 0)) {
            return false;
        }
    }
    data.BeginChange();
    try {
        // Numbers are given lowest first, and the step's were the lowest free when it was made;
        // nothing but these has been freed since, or the history would have restarted.
        bool same = true;
        for (const StepArea& area : areas.Made) {
            same = same && (!area.TakenBack || data.AddArea(area.Name, true, true) == area.Number);
        }
        if (!same) {
            data.RollbackChange();
            data.ListAreas();
            return false;
        }
        data.CommitChange();
    } catch (...) {
        data.RollbackChange();
        data.ListAreas();
        throw;
    }
    for (StepArea& area : areas.Made) {
        area.TakenBack = false;
    }
    return true;
}

}  // namespace

void ClearMapAsStep(COMMON_DATA& data, DRAW_HISTORY& history) {
    data.ClearMap();
    history.MarkClear();
}

bool UndoMap(COMMON_DATA& data, DRAW_HISTORY& history) {
    if (!history.Undo(data.canvas.Map)) {
        return false;
    }
    data.canvas.MapModified = true;
    if (StepAreas* areas = history.NextRedoAreas()) {
        TakeBackUnusedAreas(data, *areas);
    }
    return true;
}

bool RedoMap(COMMON_DATA& data, DRAW_HISTORY& history) {
    if (StepAreas* areas = history.NextRedoAreas();
        areas != nullptr && !RemakeAreas(data, *areas)) {
        // The step would paint into areas that are no longer its own.
        history.DropRedo();
        return false;
    }
    if (!history.Redo(data.canvas.Map)) {
        return false;
    }
    data.canvas.MapModified = true;
    return true;
}

}  // namespace velmora
