#pragma once

#include "store/bitmap.h"

namespace velmora {

// A smaller copy of source, width × height, each pixel the average of the source pixels it
// covers, weighted by how much of each it covers (an area filter: no aliasing of fine detail,
// no blur beyond the covered area). The same size gives a copy; a larger or non-positive size
// is refused with std::invalid_argument, as nothing here enlarges.
Bitmap ShrinkByArea(const Bitmap& source, int width, int height);

}  // namespace velmora
