#pragma once

#include <string>
#include <vector>

#include "canvas/history/draw_history.h"
#include "canvas/map/rect.h"
#include "store/common_data.h"

namespace velmora {

inline constexpr int kGridMaxSide = 20;
inline constexpr const char* kGridDefaultPrefix = "Область_";
inline constexpr const char* kGridLimitMessage = "Превышен лимит областей. Максимум 255.";
inline constexpr const char* kGridNamesTaken =
    "Области с такими названиями уже существуют, эти ячейки не добавлены:";

// What the grid dialog's OK (or the CLI's grid verb) asks for.
struct GridRequest {
    int columns = 10;
    int rows = 1;
    std::string prefix = kGridDefaultPrefix;
    bool overwrite = false;
};

// What a grid fill did: whether it ran, and the cells it added.
struct GridResult {
    bool done = false;
    // The area number of every cell in the grid's order; kSkippedCell where the name was
    // refused.
    std::vector<int> cellValues;
    // The names refused because an area of that name exists, in the grid's order.
    std::vector<std::string> refusedNames;
    Rect touched;
};

// The name of cell (column, row), both counted from 0: the prefix and the 1-based column or
// row, or both joined by "_" when the grid has more than one of each.
std::string GridCellName(const std::string& prefix, int columns, int rows, int column, int row);

// Registers one area per cell, column by column, inside one transaction, fills each cell
// into the map, records the whole grid as one history step and sets MapModified. Refused
// when the cells would take the project past 255 areas (message shown, nothing changed). A
// cell whose name is refused is neither painted nor given another area's number; the refused
// names are shown in one message after the fill.
// columns and rows must lie in 1..kGridMaxSide; other sides throw Error.
// Progress hears of each cell; a cancel (OperationCancelled) takes everything back.
GridResult AddAreaGrid(COMMON_DATA& data, DRAW_HISTORY& history, const GridRequest& request,
                       Progress& progress = NoProgress());

// The one message that lists the cells whose names were taken.
std::string GridRefusalMessage(const std::vector<std::string>& names);

}  // namespace velmora
