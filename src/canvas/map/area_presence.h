#pragma once

#include <array>
#include <cstdint>

#include "store/bitmap.h"

namespace velmora {

class COMMON_DATA;

// Which area numbers own at least one pixel, read from the first byte of every pixel of the
// whole map in one pass.
using AreaPresence = std::array<bool, 256>;
AreaPresence AreasOnMap(const Bitmap& map);
// Marks the areas of one row of pixels; what AreasOnMap does for each row.
void MarkAreasInRow(const std::uint8_t* row, int width, AreaPresence& present);

// True when at least one pixel of the map (full resolution) carries the area number; stops at
// the first match.
bool AreaOnMap(const Bitmap& map, int area);
bool AreaOnMap(const COMMON_DATA& data, int area);

}  // namespace velmora
