#include "canvas/view/tinted_row_kernels.h"

#if VELMORA_AVX2_ROWS

#include <immintrin.h>

#include <algorithm>
#include <cstring>

namespace velmora {

namespace {

constexpr int kBlockPixels = 32;
constexpr int kBlockBytes = kBlockPixels * 3;  // three vectors

[[gnu::target("avx2")]] __m256i Load(const std::uint8_t* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

[[gnu::target("avx2")]] void Store(std::uint8_t* p, __m256i v) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v);
}

// Per byte (a + b) / 2 rounded down: the rounding-up average less the lost half.
[[gnu::target("avx2")]] __m256i HalfSum(__m256i a, __m256i b) {
    return _mm256_sub_epi8(_mm256_avg_epu8(a, b),
                           _mm256_and_si256(_mm256_xor_si256(a, b), _mm256_set1_epi8(1)));
}

// A bit per byte of the block's map, set where the byte is v: bytes 0..63 in low, the rest in
// high.
[[gnu::target("avx2")]] void EqualBytes(const __m256i (&map)[3], std::uint8_t v, std::uint64_t& low,
                                        std::uint64_t& high) {
    const __m256i same = _mm256_set1_epi8(static_cast<char>(v));
    std::uint64_t part[3];
#pragma GCC unroll 3
    for (int k = 0; k < 3; ++k) {
        part[k] = static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(map[k], same)));
    }
    low = part[0] | part[1] << 32;
    high = part[2];
}

// Composes one block of 32 pixels from 96 bytes of picture and map into out.
[[gnu::target("avx2"), gnu::always_inline]] inline void ComposeBlock(const std::uint8_t* src,
                                                                     const std::uint8_t* m,
                                                                     const TintTable& tints,
                                                                     std::uint8_t* out) {
    const __m256i map[3] = {Load(m), Load(m + 32), Load(m + 64)};
    const __m256i pixels[3] = {Load(src), Load(src + 32), Load(src + 64)};
    std::uint8_t value = m[2];
    std::uint64_t equalLow;
    std::uint64_t equalHigh;
    EqualBytes(map, value, equalLow, equalHigh);
    if (equalLow == ~std::uint64_t{0} && equalHigh == 0xFFFFFFFFu) {
        // Mostly the whole block is one area.
        const TintPattern* tint = tints[value];
#pragma GCC unroll 3
        for (int k = 0; k < 3; ++k) {
            Store(out + 32 * k, tint ? HalfSum(pixels[k], Load(tint->bytes + 32 * k)) : pixels[k]);
        }
        return;
    }
    // Where areas meet, run by run: the bytes of each tinted run are picked by their index.
    const __m256i firstIndex =
        _mm256_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20,
                         21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31);
    const __m256i index[3] = {firstIndex, _mm256_add_epi8(firstIndex, _mm256_set1_epi8(32)),
                              _mm256_add_epi8(firstIndex, _mm256_set1_epi8(64))};
    __m256i composed[3] = {pixels[0], pixels[1], pixels[2]};
    for (int first = 0; first < kBlockPixels;) {
        const int end = RunEndInBlock<kBlockBytes>(equalLow, equalHigh, first);
        if (const TintPattern* tint = tints[value]) {
            const __m256i beforeRun = _mm256_set1_epi8(static_cast<char>(3 * first - 1));
            const __m256i afterRun = _mm256_set1_epi8(static_cast<char>(3 * end));
#pragma GCC unroll 3
            for (int k = 0; k < 3; ++k) {
                const __m256i inRun = _mm256_and_si256(_mm256_cmpgt_epi8(index[k], beforeRun),
                                                       _mm256_cmpgt_epi8(afterRun, index[k]));
                const __m256i mixed = HalfSum(pixels[k], Load(tint->bytes + 32 * k));
                composed[k] = _mm256_blendv_epi8(composed[k], mixed, inRun);
            }
        }
        first = end;
        if (first < kBlockPixels) {
            value = m[3 * first + 2];
            EqualBytes(map, value, equalLow, equalHigh);
        }
    }
#pragma GCC unroll 3
    for (int k = 0; k < 3; ++k) {
        Store(out + 32 * k, composed[k]);
    }
}

}  // namespace

[[gnu::target("avx2")]] void ComposeRowInBlocksAvx2(const std::uint8_t* src,
                                                    const std::uint8_t* mapRow, int mapWidth,
                                                    int x0, int x1, const TintTable& tints,
                                                    std::uint8_t* dst) {
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
        alignas(32) std::uint8_t srcPart[kBlockBytes]{};
        alignas(32) std::uint8_t mapPart[kBlockBytes]{};
        alignas(32) std::uint8_t outPart[kBlockBytes];
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
