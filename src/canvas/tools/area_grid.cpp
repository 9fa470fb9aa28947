#include "canvas/tools/area_grid.h"

#include "canvas/map/grid_geometry.h"
#include "canvas/map/map_ops.h"
#include "store/area_names.h"
#include "store/errors.h"

namespace velmora {

std::string GridCellName(const std::string& prefix, int columns, int rows, int column, int row) {
    if (columns == 1) {
        return prefix + std::to_string(row + 1);
    }
    if (rows == 1) {
        return prefix + std::to_string(column + 1);
    }
    return prefix + std::to_string(column + 1) + "_" + std::to_string(row + 1);
}

GridResult AddAreaGrid(COMMON_DATA& data, DRAW_HISTORY& history, const GridRequest& request,
                       Progress& progress) {
    if (request.columns < 1 || request.columns > kGridMaxSide || request.rows < 1 ||
        request.rows > kGridMaxSide) {
        throw Error("Столбцов и строк может быть от 1 до " + std::to_string(kGridMaxSide) + ".");
    }
    GridResult result;
    if (request.columns * request.rows + data.areas.AreaCount > kMaxAreas) {
        data.UserPrompter().Message(kGridLimitMessage);
        return result;
    }
    // The new areas, their rows and the painted cells are one change. The areas are all
    // registered before a pixel is painted, so that only a failing commit has cells to take
    // back; the map is then rebuilt from the history as it was before the grid.
    data.BeginTransaction();
    bool painted = false;
    // Registering and painting a cell are two units of work.
    const std::int64_t total = 2LL * request.columns * request.rows;
    std::int64_t done = 0;
    try {
        for (int column = 0; column < request.columns; ++column) {
            for (int row = 0; row < request.rows; ++row) {
                progress.Step(done++, total);
                const std::string name =
                    GridCellName(request.prefix, request.columns, request.rows, column, row);
                const int value = data.AddArea(name, true, true);
                result.cellValues.push_back(value < 1 ? kSkippedCell : value);
                if (value < 1) {
                    result.refusedNames.push_back(TrimAreaName(name));
                }
            }
        }
        painted = true;
        std::size_t index = 0;
        for (int column = 0; column < request.columns; ++column) {
            for (int row = 0; row < request.rows; ++row) {
                progress.Step(done++, total);
                const int value = result.cellValues[index++];
                if (value == kSkippedCell) {
                    continue;
                }
                const Rect cell = GridCellRect(data.canvas.Width, data.canvas.Height,
                                               request.columns, request.rows, column, row);
                result.touched = result.touched.United(
                    FillMapRect(data.canvas.Map, cell.x, cell.y, cell.width, cell.height,
                                static_cast<std::uint8_t>(value), request.overwrite));
            }
        }
        data.SaveMap();
        data.CommitTransaction();
    } catch (...) {
        data.RollbackChange();
        data.ListAreas();
        if (painted) {
            Bitmap before;
            history.Replay(before, history.UndoCount());
            if (before.Width() == data.canvas.Map.Width() &&
                before.Height() == data.canvas.Map.Height()) {
                data.canvas.Map = std::move(before);
            }
        }
        throw;
    }
    history.RecordGrid(request.columns, request.rows, request.overwrite, result.cellValues);
    data.canvas.MapModified = true;
    result.done = true;
    if (!result.refusedNames.empty()) {
        data.UserPrompter().Message(GridRefusalMessage(result.refusedNames));
    }
    return result;
}

std::string GridRefusalMessage(const std::vector<std::string>& names) {
    // A long list would push the box off the screen; the first names tell the author enough.
    constexpr std::size_t kShown = 20;
    std::string text = kGridNamesTaken;
    for (std::size_t i = 0; i < names.size() && i < kShown; ++i) {
        text += (i == 0 ? "\n" : ", ") + names[i];
    }
    if (names.size() > kShown) {
        text += " и ещё " + std::to_string(names.size() - kShown);
    }
    return text;
}

}  // namespace velmora
