#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace velmora {

// A palette colour repeated in the view's byte order blue, green, red: 96 bytes hold 32 whole
// pixels, so a block of pixels blends without splitting one, and the 48-byte period of sixteen
// pixels fits twice.
struct alignas(32) TintPattern {
    std::uint8_t bytes[96];
};

TintPattern MakeTintPattern(std::uint32_t color);

// The tint of each area value; none where the view shows the picture pixel unchanged.
using TintTable = std::array<const TintPattern*, 256>;

// The ways of composing a row. All give the same bytes; the block ones compose whole blocks of
// one area with a few vector operations and go pixel run by pixel run only where areas meet.
enum class RowKernel { Runs, Sse2Blocks, Avx2Blocks };

// The kernels this build and processor can run, Runs first.
std::vector<RowKernel> AvailableRowKernels();
// The fastest of them, chosen once from what the processor offers.
RowKernel FastestRowKernel();

// Composes pixels x0 .. x1 - 1 of one row into dst[0] onwards, 3 bytes each: a picture pixel
// whose area value (the red byte of its map pixel) has a tint becomes the even mix of the two,
// channel by channel rounded down; the others are copied. src and mapRow start at column 0;
// columns from mapWidth on count as no area. A kernel the machine lacks composes by runs.
void ComposeTintedRow(RowKernel kernel, const std::uint8_t* src, const std::uint8_t* mapRow,
                      int mapWidth, int x0, int x1, const TintTable& tints, std::uint8_t* dst);

}  // namespace velmora
