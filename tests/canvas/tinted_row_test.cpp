#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "canvas/view/tinted_row.h"

namespace velmora::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

const char* KernelName(RowKernel kernel) {
    switch (kernel) {
        case RowKernel::Runs:
            return "runs";
        case RowKernel::Sse2Blocks:
            return "sse2 blocks";
        case RowKernel::Avx2Blocks:
            return "avx2 blocks";
    }
    return "?";
}

// Odd channel values, so that every mix has a half to round away.
std::array<TintPattern, 256> Patterns() {
    std::array<TintPattern, 256> patterns{};
    for (int v = 0; v < 256; ++v) {
        patterns[v] = MakeTintPattern(0x01'03'05u * static_cast<std::uint32_t>(v) ^ 0x8F'3B'C1u);
    }
    return patterns;
}

// The mask view tints every area; the current-area view area 3 alone.
TintTable Tints(const std::array<TintPattern, 256>& patterns, bool onlyThree) {
    TintTable tints{};
    for (int v = 1; v < 256; ++v) {
        if (!onlyThree || v == 3) {
            tints[v] = &patterns[v];
        }
    }
    return tints;
}

// The rule, pixel by pixel.
Bytes ComposedPixelByPixel(const Bytes& src, const Bytes& map, int mapWidth, int x0, int x1,
                           const TintTable& tints) {
    Bytes out;
    for (int x = x0; x < x1; ++x) {
        const TintPattern* tint = x < mapWidth ? tints[map[x * 3 + 2]] : nullptr;
        for (int c = 0; c < 3; ++c) {
            const int s = src[x * 3 + c];
            out.push_back(static_cast<std::uint8_t>(tint ? (s + tint->bytes[c]) >> 1 : s));
        }
    }
    return out;
}

// A map row of runs (value, length), each value in all three bytes as painting writes it.
Bytes MapOfRuns(const std::vector<std::pair<int, int>>& runs) {
    Bytes map;
    for (const auto& [value, length] : runs) {
        map.insert(map.end(), static_cast<std::size_t>(length) * 3,
                   static_cast<std::uint8_t>(value));
    }
    return map;
}

Bytes RandomBytes(std::size_t count, std::uint32_t seed) {
    std::mt19937 random(seed);
    Bytes bytes(count);
    for (auto& b : bytes) {
        b = static_cast<std::uint8_t>(random());
    }
    return bytes;
}

// Composes with kernel into a buffer that ends in guard bytes and expects the rule's bytes and
// untouched guards. The rows are exactly as long as they are, so a sanitizer build sees any
// read past them.
void ExpectTheRule(RowKernel kernel, const Bytes& src, const Bytes& map, int x0, int x1,
                   const TintTable& tints) {
    constexpr std::size_t kGuard = 40;
    const int mapWidth = static_cast<int>(map.size() / 3);
    const std::size_t bytes = static_cast<std::size_t>(x1 - x0) * 3;
    Bytes out(bytes + kGuard, 0xA5);
    ComposeTintedRow(kernel, src.data(), map.data(), mapWidth, x0, x1, tints, out.data());
    const Bytes expected = ComposedPixelByPixel(src, map, mapWidth, x0, x1, tints);
    ASSERT_EQ(Bytes(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(bytes)), expected);
    EXPECT_EQ(Bytes(out.begin() + static_cast<std::ptrdiff_t>(bytes), out.end()),
              Bytes(kGuard, 0xA5));
}

TEST(TintedRow, EveryKernelComposesAwkwardRowsAsThePixelRuleDoes) {
    struct Case {
        const char* name;
        Bytes map;
        int width;  // of the picture row; the map may be narrower
        int x0;
        int x1;
    };
    // Pixels whose blue or green byte says another area than the red one, at block starts too.
    Bytes redDecides = MapOfRuns({{4, 64}});
    for (const int byte : {0 * 3, 16 * 3 + 1, 32 * 3, 63 * 3}) {
        redDecides[byte] = 9;  // still area 4
    }
    redDecides[20 * 3 + 2] = 9;  // area 9 though its blue and green say 4
    Bytes lastByteDiffers = MapOfRuns({{5, 64}});
    lastByteDiffers.back() = 6;
    Bytes alternating;
    for (int x = 0; x < 70; ++x) {
        alternating.insert(alternating.end(), 3, static_cast<std::uint8_t>(x % 5 == 4 ? 0 : x % 5));
    }
    const Case cases[] = {
        {"runs_of_one_pixel", alternating, 70, 0, 70},
        {"runs_across_block_edges",
         MapOfRuns({{3, 15}, {7, 17}, {3, 31}, {0, 33}, {9, 1}, {3, 47}, {255, 16}, {1, 32}}), 192,
         0, 192},
        {"one_area_width_not_a_block_multiple", MapOfRuns({{3, 67}}), 67, 0, 67},
        {"no_area_width_not_a_block_multiple", MapOfRuns({{0, 45}}), 45, 0, 45},
        {"last_pixel_another_area", MapOfRuns({{9, 64}, {3, 1}}), 65, 0, 65},
        {"last_pixel_of_a_block_no_area", MapOfRuns({{3, 31}, {0, 1}, {3, 32}}), 64, 0, 64},
        {"only_the_rows_last_byte_differs", lastByteDiffers, 64, 0, 64},
        {"blue_and_green_disagree_with_red", redDecides, 64, 0, 64},
        {"span_starting_inside_the_row", MapOfRuns({{3, 20}, {2, 30}, {3, 46}}), 96, 5, 91},
        {"span_of_one_pixel", MapOfRuns({{3, 50}}), 50, 33, 34},
        {"map_narrower_than_the_row", MapOfRuns({{3, 40}}), 100, 0, 100},
        {"span_beyond_the_map", MapOfRuns({{3, 40}}), 100, 50, 97},
        {"map_ends_inside_a_block", MapOfRuns({{3, 20}, {8, 21}}), 70, 2, 70},
    };
    const auto patterns = Patterns();
    for (const Case& c : cases) {
        const Bytes src = RandomBytes(static_cast<std::size_t>(c.width) * 3, 11);
        for (const bool onlyThree : {false, true}) {
            for (const RowKernel kernel : AvailableRowKernels()) {
                SCOPED_TRACE(testing::Message() << c.name << (onlyThree ? ", area 3 alone" : "")
                                                << ", " << KernelName(kernel));
                ExpectTheRule(kernel, src, c.map, c.x0, c.x1, Tints(patterns, onlyThree));
            }
        }
    }
}

TEST(TintedRow, EveryKernelComposesRandomRowsOfShortRunsAsThePixelRuleDoes) {
    const auto patterns = Patterns();
    const TintTable tints = Tints(patterns, false);
    std::mt19937 random(23);
    for (int width = 1; width <= 200; ++width) {
        // Mostly short runs of a few areas, now and then a long one, and no area among them.
        std::vector<std::pair<int, int>> runs;
        for (int filled = 0; filled < width;) {
            const int length =
                std::min(width - filled,
                         1 + static_cast<int>(random() % 5 == 0 ? random() % 70 : random() % 6));
            runs.emplace_back(static_cast<int>(random() % 4), length);
            filled += length;
        }
        const Bytes map = MapOfRuns(runs);
        const Bytes src = RandomBytes(static_cast<std::size_t>(width) * 3, width);
        const int x0 = static_cast<int>(random() % static_cast<unsigned>(width));
        for (const RowKernel kernel : AvailableRowKernels()) {
            SCOPED_TRACE(testing::Message()
                         << "width " << width << " from " << x0 << ", " << KernelName(kernel));
            ExpectTheRule(kernel, src, map, 0, width, tints);
            ExpectTheRule(kernel, src, map, x0, width, tints);
        }
    }
}

}  // namespace
}  // namespace velmora::test
