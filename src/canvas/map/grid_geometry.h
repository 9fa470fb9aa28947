#pragma once

#include "canvas/map/rect.h"

namespace velmora {

// The cell (column, row) of a grid of columns x rows over a picture of width x height.
// Cell sides are truncated differences of real positions, so a cell may end one pixel before
// the next begins and the last column or row may stop one pixel short of the edge; the grid
// dialog and the history's replay both use this, so undo and redo repeat the same cells.
Rect GridCellRect(int width, int height, int columns, int rows, int column, int row);

}  // namespace velmora
