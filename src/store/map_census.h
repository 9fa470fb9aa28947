#pragma once

#include <array>
#include <string>

#include "store/files.h"

namespace velmora {

// Pixels per area number, index 0 being the pixels of no area.
using AreaPixelCounts = std::array<long long, 256>;

// Counts the pixels of each area in the map file at mapPath, as the map reads once fitted to a
// width × height picture (pixels beyond it left out). A PNG map is read one row at a time, so
// memory does not grow with the map; other maps are decoded whole. False when nothing or a folder
// is there or the extension names no known format; a damaged map throws ImageError, something that
// is no regular file or lies outside the scope throws FileError.
bool CountAreaPixels(const std::string& mapPath, int width, int height, AreaPixelCounts& counts,
                     const ReadScope& scope = {});

}  // namespace velmora
