#pragma once

#include <bit>
#include <cstdint>

#include "canvas/view/tinted_row.h"

// The row kernels of the view room, each in its own file; ComposeTintedRow picks one.

#if defined(__SSE2__)
#define VELMORA_SSE2_ROWS 1
#endif
// The AVX2 kernel is compiled for its function alone (a target attribute), so the build stays
// portable and the processor is asked before it runs.
#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
#define VELMORA_AVX2_ROWS 1
#endif

namespace velmora {

void ComposeRowByRuns(const std::uint8_t* src, const std::uint8_t* mapRow, int mapWidth, int x0,
                      int x1, const TintTable& tints, std::uint8_t* dst);
#if VELMORA_SSE2_ROWS
void ComposeRowInBlocksSse2(const std::uint8_t* src, const std::uint8_t* mapRow, int mapWidth,
                            int x0, int x1, const TintTable& tints, std::uint8_t* dst);
#endif
#if VELMORA_AVX2_ROWS
void ComposeRowInBlocksAvx2(const std::uint8_t* src, const std::uint8_t* mapRow, int mapWidth,
                            int x0, int x1, const TintTable& tints, std::uint8_t* dst);
#endif

// The bits of a block's map bytes (bit i of the 128 for byte i) that are red bytes, the area
// values: bytes 2, 5, 8, ... below blockBytes.
constexpr std::uint64_t RedByteBits(int firstByte, int blockBytes) {
    std::uint64_t bits = 0;
    for (int i = 0; i < 64 && firstByte + i < blockBytes; ++i) {
        if ((firstByte + i) % 3 == 2) {
            bits |= std::uint64_t{1} << i;
        }
    }
    return bits;
}

// Where a run of one area value that starts at pixel `first` of a block ends: the first pixel
// after it whose red byte differs, or blockBytes / 3. equalLow and equalHigh hold a bit per map
// byte of the block (bytes 0..63, 64..127) set where the byte equals the run's value.
template <int kBlockBytes>
int RunEndInBlock(std::uint64_t equalLow, std::uint64_t equalHigh, int first) {
    constexpr std::uint64_t kRedLow = RedByteBits(0, kBlockBytes);
    constexpr std::uint64_t kRedHigh = RedByteBits(64, kBlockBytes);
    const int from = 3 * first + 2;
    std::uint64_t low = ~equalLow & kRedLow;
    std::uint64_t high = ~equalHigh & kRedHigh;
    if (from < 64) {
        low &= ~std::uint64_t{0} << from;
    } else {
        low = 0;
        high &= ~std::uint64_t{0} << (from - 64);
    }
    if (low != 0) {
        return (std::countr_zero(low) - 2) / 3;
    }
    if (high != 0) {
        return (64 + std::countr_zero(high) - 2) / 3;
    }
    return kBlockBytes / 3;
}

}  // namespace velmora
