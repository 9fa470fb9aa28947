#include "canvas/view/tinted_row_kernels.h"

#if VELMORA_SSE2_ROWS

#include <emmintrin.h>

#include <algorithm>
#include <cstring>

namespace velmora {

namespace {

constexpr int kBlockPixels = 16;
constexpr int kBlockBytes = kBlockPixels * 3;  // three vectors

__m128i Load(const std::uint8_t* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

void Store(std::uint8_t* p, __m128i v) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
}

// Per byte (a + b) / 2 rounded down: the rounding-up average less the lost half.
__m128i HalfSum(__m128i a, __m128i b) {
    return _mm_sub_epi8(_mm_avg_epu8(a, b), _mm_and_si128(_mm_xor_si128(a, b), _mm_set1_epi8(1)));
}

// A bit per byte of the block's map, set where the byte is v.
std::uint64_t EqualBytes(const __m128i (&map)[3], std::uint8_t v) {
    const __m128i same = _mm_set1_epi8(static_cast<char>(v));
    std::uint64_t bits = 0;
#pragma GCC unroll 3
    for (int k = 0; k < 3; ++k) {
        const auto part = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(map[k], same)));
        bits |= std::uint64_t{part} << (16 * k);
    }
    return bits;
}

// Composes one block of 16 pixels from 48 bytes of picture and map into out.
[[gnu::always_inline]] inline void ComposeBlock(const std::uint8_t* src, const std::uint8_t* m,
                                                const TintTable& tints, std::uint8_t* out) {
    constexpr std::uint64_t kWholeBlock = (std::uint64_t{1} << kBlockBytes) - 1;
    const __m128i map[3] = {Load(m), Load(m + 16), Load(m + 32)};
    const __m128i pixels[3] = {Load(src), Load(src + 16), Load(src + 32)};
    std::uint8_t value = m[2];
    std::uint64_t equal = EqualBytes(map, value);
    if (equal == kWholeBlock) {
        // Mostly the whole block is one area.
        const TintPattern* tint = tints[value];
#pragma GCC unroll 3
        for (int k = 0; k < 3; ++k) {
            Store(out + 16 * k, tint ? HalfSum(pixels[k], Load(tint->bytes + 16 * k)) : pixels[k]);
        }
        return;
    }
    // Where areas meet, run by run: the bytes of each tinted run are picked by their index.
    const __m128i firstIndex = _mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
    const __m128i index[3] = {firstIndex, _mm_add_epi8(firstIndex, _mm_set1_epi8(16)),
                              _mm_add_epi8(firstIndex, _mm_set1_epi8(32))};
    __m128i composed[3] = {pixels[0], pixels[1], pixels[2]};
    for (int first = 0; first < kBlockPixels;) {
        const int end = RunEndInBlock<kBlockBytes>(equal, 0, first);
        if (const TintPattern* tint = tints[value]) {
            const __m128i beforeRun = _mm_set1_epi8(static_cast<char>(3 * first - 1));
            const __m128i afterRun = _mm_set1_epi8(static_cast<char>(3 * end));
#pragma GCC unroll 3
            for (int k = 0; k < 3; ++k) {
                const __m128i inRun = _mm_and_si128(_mm_cmpgt_epi8(index[k], beforeRun),
                                                    _mm_cmpgt_epi8(afterRun, index[k]));
                const __m128i mixed = HalfSum(pixels[k], Load(tint->bytes + 16 * k));
                composed[k] =
                    _mm_or_si128(_mm_and_si128(inRun, mixed), _mm_andnot_si128(inRun, composed[k]));
            }
        }
        first = end;
        if (first < kBlockPixels) {
            value = m[3 * first + 2];
            equal = EqualBytes(map, value);
        }
    }
#pragma GCC unroll 3
    for (int k = 0; k < 3; ++k) {
        Store(out + 16 * k, composed[k]);
    }
}

}  // namespace

void ComposeRowInBlocksSse2(const std::uint8_t* src, const std::uint8_t* mapRow, int mapWidth,
                            int x0, int x1, const TintTable& tints, std::uint8_t* dst) {
    const int mapEnd = std::min(x1, mapWidth);
    const auto at = [](int x) { return static_cast<std::size_t>(x) * 3; };
    int x = x0;
    for (; x + kBlockPixels <= mapEnd; x += kBlockPixels) {
        ComposeBlock(src + at(x), mapRow + at(x), tints, dst + at(x - x0));
    }
    if (x < mapEnd) {
        // The map's last pixels as a block of their own, filled up with no area, so nothing
        // is read or written past the row.
        const std::size_t bytes = at(mapEnd - x);
        alignas(16) std::uint8_t srcPart[kBlockBytes]{};
        alignas(16) std::uint8_t mapPart[kBlockBytes]{};
        alignas(16) std::uint8_t outPart[kBlockBytes];
        std::memcpy(srcPart, src + at(x), bytes);
        std::memcpy(mapPart, mapRow + at(x), bytes);
        ComposeBlock(srcPart, mapPart, tints, outPart);
        std::memcpy(dst + at(x - x0), outPart, bytes);
        x = mapEnd;
    }
    if (x < x1) {
        // Beyond the map: no area.
        std::memcpy(dst + at(x - x0), src + at(x), at(x1 - x));
    }
}

}  // namespace velmora

#endif
