#include "canvas/map/grid_geometry.h"

#include <cmath>

namespace velmora {

namespace {

// Start and length of cell index along a side of size split into count parts.
void CellSpan(int size, int count, int index, int& start, int& length) {
    const double step = static_cast<double>(size) / count;
    start = static_cast<int>(std::trunc(index * step));
    length = static_cast<int>(std::trunc((index + 1) * step - index * step));
}

}  // namespace

Rect GridCellRect(int width, int height, int columns, int rows, int column, int row) {
    if (columns <= 0 || rows <= 0) {
        return {};
    }
    Rect cell;
    CellSpan(width, columns, column, cell.x, cell.width);
    CellSpan(height, rows, row, cell.y, cell.height);
    return cell;
}

}  // namespace velmora
