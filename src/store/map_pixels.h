#pragma once

#include <cstdint>
#include <vector>

#include "store/bitmap.h"

namespace velmora {

// A horizontal run of map pixels: row y, columns x .. x + length - 1.
struct PixelRun {
    std::int32_t y = 0;
    std::int32_t x = 0;
    std::int32_t length = 0;
};

// Takes every pixel of area number out of the map (all three bytes 0) and returns where they
// were, so that a change that fails afterwards can put them back.
std::vector<PixelRun> EraseAreaPixels(Bitmap& map, int number);
void RestoreAreaPixels(Bitmap& map, const std::vector<PixelRun>& runs, int number);

}  // namespace velmora
