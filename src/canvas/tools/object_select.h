#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "canvas/map/rect.h"
#include "store/bitmap.h"
#include "store/progress.h"

namespace velmora {

// One row of an object mask: box.width bytes, 1 where a pixel belongs to the object.
using ObjectRow = std::function<void(int boxRow, const std::uint8_t* row)>;

// Separates the object inside box (already clipped to the picture, at least 3 x 3 pixels)
// from its background and hands over the result row by row, top to bottom. Whatever the
// box's size, the working memory stays a few megabytes beside the picture. Progress hears of
// each iteration of the cut and each full-size tile; a cancel throws OperationCancelled
// before the first row is handed over, or between two stripes of rows.
void SegmentObject(const Bitmap& picture, const Rect& box, const ObjectRow& onRow,
                   Progress& progress = NoProgress());

// The same as one mask of box.width x box.height bytes, row by row.
std::vector<std::uint8_t> SegmentObject(const Bitmap& picture, const Rect& box,
                                        Progress& progress = NoProgress());

}  // namespace velmora
