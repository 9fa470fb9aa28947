#include "canvas/map/pen.h"

#include "canvas/map/line_raster.h"

namespace velmora {

Rect Pen::LineTo(Bitmap& map, std::int32_t x, std::int32_t y) {
    const Rect touched = DrawLine(map, m_x, m_y, x, y, m_width, m_value);
    MoveTo(x, y);
    return touched;
}

}  // namespace velmora
