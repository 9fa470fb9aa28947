#pragma once

#include <QPixmap>

namespace velmora {

// One of the about box's nine views of its figure, 100 × 100 on a transparent ground:
// column and row are -1, 0 or 1 for where the figure looks (left/up, ahead, right/down).
QPixmap AboutFigure(int column, int row);

}  // namespace velmora
