#include <algorithm>
#include <bit>
#include <cstring>

#include "canvas/view/tinted_row_kernels.h"

namespace velmora {

namespace {

constexpr std::uint64_t kEveryByte = 0x0101010101010101ULL;
constexpr std::uint64_t kHighSevenBits = 0xFEFEFEFEFEFEFEFEULL;
constexpr std::size_t kPatternPeriod = 48;  // bytes of sixteen whole pixels

// Per byte: (a + b) / 2 rounded down, without carries between bytes.
std::uint64_t HalfSum(std::uint64_t a, std::uint64_t b) {
    return (a & b) + (((a ^ b) & kHighSevenBits) >> 1);
}

void BlendRun(std::uint8_t* dst, const std::uint8_t* src, std::size_t pixels,
              const TintPattern& pattern) {
    const std::size_t bytes = pixels * 3;
    std::size_t i = 0;
    for (; i + kPatternPeriod <= bytes; i += kPatternPeriod) {
        for (std::size_t k = 0; k < kPatternPeriod; k += 8) {
            std::uint64_t a;
            std::uint64_t b;
            std::memcpy(&a, src + i + k, 8);
            std::memcpy(&b, pattern.bytes + k, 8);
            a = HalfSum(a, b);
            std::memcpy(dst + i + k, &a, 8);
        }
    }
    for (; i < bytes; ++i) {
        dst[i] = static_cast<std::uint8_t>((src[i] + pattern.bytes[i % kPatternPeriod]) >> 1);
    }
}

// The first index in [begin, end) whose byte is not v; end when there is none.
std::size_t FindOtherByte(const std::uint8_t* p, std::size_t begin, std::size_t end,
                          std::uint8_t v) {
    std::size_t i = begin;
    const std::uint64_t same = v * kEveryByte;
    for (; i + 8 <= end; i += 8) {
        std::uint64_t w;
        std::memcpy(&w, p + i, 8);
        const std::uint64_t diff = w ^ same;
        if (diff != 0) {
            if constexpr (std::endian::native == std::endian::little) {
                return i + static_cast<std::size_t>(std::countr_zero(diff) / 8);
            } else {
                return i + static_cast<std::size_t>(std::countl_zero(diff) / 8);
            }
        }
    }
    while (i < end && p[i] == v) {
        ++i;
    }
    return i;
}

}  // namespace

void ComposeRowByRuns(const std::uint8_t* src, const std::uint8_t* mapRow, int mapWidth, int x0,
                      int x1, const TintTable& tints, std::uint8_t* dst) {
    const int mapEnd = std::min(x1, mapWidth);
    // Untinted runs next to each other are copied in one go.
    int copyFrom = x0;
    auto copyUpTo = [&](int x) {
        if (x <= copyFrom) {
            return;
        }
        const std::size_t offset = static_cast<std::size_t>(copyFrom) * 3;
        std::memcpy(dst + offset - static_cast<std::size_t>(x0) * 3, src + offset,
                    static_cast<std::size_t>(x - copyFrom) * 3);
    };
    int x = x0;
    while (x < mapEnd) {
        const std::uint8_t* m = mapRow + static_cast<std::size_t>(x) * 3;
        const std::uint8_t v = m[2];
        int end = x + 1;
        // Painting writes one value into all three bytes, so a run of equal pixels is a run of
        // equal bytes and can be found eight bytes at a time.
        if (m[0] == v && m[1] == v) {
            const std::size_t other = FindOtherByte(mapRow, static_cast<std::size_t>(x) * 3 + 3,
                                                    static_cast<std::size_t>(mapEnd) * 3, v);
            end = static_cast<int>(other / 3);
        }
        if (const TintPattern* tint = tints[v]) {
            copyUpTo(x);
            const std::size_t offset = static_cast<std::size_t>(x) * 3;
            BlendRun(dst + offset - static_cast<std::size_t>(x0) * 3, src + offset,
                     static_cast<std::size_t>(end - x), *tint);
            copyFrom = end;
        }
        x = end;
    }
    copyUpTo(x1);
}

}  // namespace velmora
