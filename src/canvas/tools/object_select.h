#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "canvas/map/rect.h"
#include "store/bitmap.h"

namespace velmora {

// One row of an object mask: box.width bytes, 1 where a pixel belongs to the object.
using ObjectRow = std::function<void(int boxRow, const std::uint8_t* row)>;

// Separates the object inside box (already clipped to the picture, at least 3 x 3 pixels)
// from its background and hands over the result row by row, top to bottom. Whatever the
// box's size, the working memory stays a few megabytes beside the picture.
void SegmentObject(const Bitmap& picture, const Rect& box, const ObjectRow& onRow);

// The same as one mask of box.width x box.height bytes, row by row.
std::vector<std::uint8_t> SegmentObject(const Bitmap& picture, const Rect& box);

}  // namespace velmora
