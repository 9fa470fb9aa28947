// Brightness, contrast, gamma and grey scale as the exported page shows them: levels worked out
// by hand from the page's formulas, each step of the filter ending on a whole level.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "canvas/view/pixel_effect.h"
#include "store/attributes.h"

namespace velmora::test {
namespace {

struct LevelCase {
    const char* what;
    PixelEffectSettings settings;
    int in;
    int out;
};

TEST(PixelEffectTest, LevelsFollowThePageFormulas) {
    const LevelCase cases[] = {
        {"brightness adds b levels", {60, 0, 100, false}, 100, 160},
        {"brightness stops at white", {127, 0, 100, false}, 200, 255},
        {"darkening stops at black", {-127, 0, 100, false}, 100, 0},
        // f = 382 / 128: the mid level parts both ways.
        {"highest contrast below the middle", {0, 127, 100, false}, 127, 126},
        {"highest contrast above the middle", {0, 127, 100, false}, 128, 128},
        // f = 128 / 382: black and white come near grey.
        {"lowest contrast lifts black", {0, -127, 100, false}, 0, 84},
        {"lowest contrast dims white", {0, -127, 100, false}, 255, 170},
        {"gamma 2 lifts dark levels", {0, 0, 200, false}, 64, 127},
        {"gamma 0.5 deepens them", {0, 0, 50, false}, 64, 16},
        {"gamma 5, the highest", {0, 0, 500, false}, 1, 84},
        {"gamma 0 counts as 0.01", {0, 0, 0, false}, 254, 172},
        // The order: brightness first, then gamma (the other way black would stay 100).
        {"brightness before gamma", {100, 0, 200, false}, 0, 159},
        {"out of range brightness is held at 127", {300, 0, 100, false}, 100, 227},
        {"out of range darkening is held at -127", {-1000, 0, 100, false}, 200, 73},
        {"out of range contrast is held at 127", {0, 255, 100, false}, 127, 126},
        {"out of range gamma is held at 5", {0, 0, 900, false}, 1, 84},
        {"negative gamma counts as 0.01", {0, 0, -40, false}, 254, 172},
    };
    for (const LevelCase& c : cases) {
        SCOPED_TRACE(c.what);
        const PixelEffect effect(c.settings);
        EXPECT_FALSE(effect.Neutral());
        EXPECT_EQ(effect.Level(static_cast<std::uint8_t>(c.in)), c.out);
    }
}

TEST(PixelEffectTest, NeutralSettingsChangeNothing) {
    const PixelEffect effect(PixelEffectSettings{0, 0, 100, false});
    EXPECT_TRUE(effect.Neutral());
    std::vector<std::uint8_t> pixels;
    for (int c = 0; c < 256; ++c) {
        EXPECT_EQ(effect.Level(static_cast<std::uint8_t>(c)), c);
        pixels.insert(pixels.end(),
                      {static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(255 - c),
                       static_cast<std::uint8_t>(c * 7)});
    }
    const std::vector<std::uint8_t> before = pixels;
    effect.Apply(pixels.data(), pixels.size() / 3);
    EXPECT_EQ(pixels, before);
    EXPECT_EQ(effect.Apply(0xFF123456u), 0xFF123456u);
}

TEST(PixelEffectTest, GreyComesFirstAndFillsEveryChannel) {
    struct GreyCase {
        const char* what;
        PixelEffectSettings settings;
        std::array<std::uint8_t, 3> bgr;
        std::uint8_t out;
    };
    const GreyCase cases[] = {
        // 0.2126 of red 255 is 54.2; brightening red first would give 101 + 60.
        {"pure red, then brighter", {60, 0, 100, true}, {0, 0, 255}, 114},
        {"pure green", {0, 0, 100, true}, {0, 255, 0}, 182},
        {"pure blue", {0, 0, 100, true}, {255, 0, 0}, 18},
        {"white stays white", {0, 0, 100, true}, {255, 255, 255}, 255},
        {"grey then darker", {-50, 0, 100, true}, {40, 120, 200}, 81},
    };
    for (const GreyCase& c : cases) {
        SCOPED_TRACE(c.what);
        const PixelEffect effect(c.settings);
        EXPECT_TRUE(effect.Grey());
        std::array<std::uint8_t, 3> pixel = c.bgr;
        effect.Apply(pixel.data(), 1);
        EXPECT_EQ(pixel, (std::array<std::uint8_t, 3>{c.out, c.out, c.out}));
        const std::uint32_t packed =
            0xFF000000u | std::uint32_t{c.bgr[2]} << 16 | std::uint32_t{c.bgr[1]} << 8 | c.bgr[0];
        EXPECT_EQ(effect.Apply(packed), 0xFF000000u | c.out * 0x010101u);
    }
}

TEST(PixelEffectTest, BothPixelFormsGiveTheSameLevels) {
    const PixelEffect effect(PixelEffectSettings{30, 40, 170, false});
    for (int c = 0; c < 256; c += 5) {
        const auto v = static_cast<std::uint8_t>(c);
        std::array<std::uint8_t, 3> pixel = {v, static_cast<std::uint8_t>(255 - c),
                                             static_cast<std::uint8_t>(c / 2)};
        const std::uint32_t packed =
            0x7F000000u | std::uint32_t{pixel[2]} << 16 | std::uint32_t{pixel[1]} << 8 | pixel[0];
        effect.Apply(pixel.data(), 1);
        EXPECT_EQ(effect.Apply(packed), 0x7F000000u | std::uint32_t{pixel[2]} << 16 |
                                            std::uint32_t{pixel[1]} << 8 | pixel[0]);
        EXPECT_EQ(pixel[0], effect.Level(v));
    }
}

TEST(PixelEffectTest, PreviewGivesTheAreaItsEffectAndTheRestTheBackgrounds) {
    ATTRIBUTES record = DefaultAttributes();
    record.area_brightness = 40;
    record.background_grayscale = 1;
    record.background_gamma = 200;
    const EffectPreview preview = PreviewOf(record, 7);
    EXPECT_FALSE(preview.Neutral());
    EXPECT_EQ(preview.For(7).Level(10), 50);
    EXPECT_FALSE(preview.For(7).Grey());
    for (const int other : {0, 3, 255}) {
        EXPECT_TRUE(preview.For(other).Grey());
        EXPECT_EQ(preview.For(other).Level(64), 127);
    }
    EXPECT_TRUE(PreviewOf(DefaultAttributes(), 7).Neutral());
}

}  // namespace
}  // namespace velmora::test
