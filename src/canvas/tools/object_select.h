#pragma once

#include <cstdint>
#include <vector>

#include "canvas/map/rect.h"
#include "store/bitmap.h"

namespace velmora {

// Separates the object inside box (already clipped to the picture, at least 3 x 3 pixels)
// from its background. Returns box.width x box.height bytes, row by row, 1 where a pixel
// belongs to the object.
std::vector<std::uint8_t> SegmentObject(const Bitmap& picture, const Rect& box);

}  // namespace velmora
