#pragma once

#include <cstdint>

#include "canvas/view/view_compose.h"
#include "store/bitmap.h"
#include "store/common_data.h"

namespace velmora {

// view becomes a copy of picture with overlay pasted opaquely, its top-left corner at (x, y);
// the parts that fall outside the picture are cut off.
void PasteOverlay(const Bitmap& picture, const Bitmap& overlay, std::int64_t x, std::int64_t y,
                  Bitmap& view);

// The overlay preview of the area being edited for one event: the picture with that event's
// overlay pasted at its offset, whatever the map and view mode. Without an overlay file name
// it is the normal composition of mode. A file name that names no file leaves view as it was
// (false); a file that cannot be decoded pastes nothing. True when view was redrawn.
bool DrawOverlay(COMMON_DATA& data, int event, ViewMode mode, Bitmap& view);

}  // namespace velmora
