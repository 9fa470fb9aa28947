#include <gtest/gtest.h>

#include "canvas/map/area_presence.h"
#include "export/map_encode.h"

namespace velmora {
namespace {

void Set(Bitmap& map, int x, int y, int b, int g, int r) {
    std::uint8_t* p = map.Pixel(x, y);
    p[0] = static_cast<std::uint8_t>(b);
    p[1] = static_cast<std::uint8_t>(g);
    p[2] = static_cast<std::uint8_t>(r);
}

// The one-pass table must agree with the per-area scan for every number, on maps whose widths
// do and do not fill the word-at-a-time steps and whose changes fall on every pixel position.
TEST(AreaPresence, OnePassAgreesWithScanPerArea) {
    for (int width : {1, 7, 8, 9, 16, 17, 41}) {
        Bitmap map(width, 5);
        for (int x = 0; x < width; ++x) {
            for (int y = 0; y < 5; ++y) {
                const int v = (x * 7 + y * 3) % 5 == 0 ? (x + 1) * (y + 2) % 256 : 0;
                Set(map, x, y, v, v, v);
            }
        }
        Set(map, width - 1, 4, 200, 200, 200);
        const AreaPresence present = AreasOnMap(map);
        for (int area = 0; area < 256; ++area) {
            ASSERT_EQ(present[area], AreaOnMap(map, area)) << "width " << width << " area " << area;
        }
        EXPECT_TRUE(present[200]);
    }
}

// The export finds the painted areas while it encodes the map; that must find the same areas
// as a pass of its own, rows beyond the picture's height included, and leave the text alone.
TEST(AreaPresence, EncodingPassMarksTheSameAreas) {
    Bitmap map(37, 9);
    for (int y = 0; y < 9; ++y) {
        for (int x = 0; x < 37; ++x) {
            const int v = (x / 5 + y) % 4 == 0 ? 10 + x + y : (x > 30 ? 7 : 0);
            Set(map, x, y, v, v, v);
        }
    }
    Set(map, 36, 8, 99, 99, 99);
    AreaPresence painted{};
    const std::string text = EncodeMap(map, 37, 8, &painted);
    EXPECT_EQ(text, EncodeMap(map, 37, 8));
    EXPECT_EQ(painted, AreasOnMap(map));
    EXPECT_TRUE(painted[99]);
}

// The export reads the first (blue) byte; a pixel whose other bytes differ names only that area.
TEST(AreaPresence, ReadsTheFirstByteOfEachPixel) {
    Bitmap map(12, 2);
    Set(map, 10, 1, 3, 4, 5);
    const AreaPresence present = AreasOnMap(map);
    EXPECT_TRUE(present[3]);
    EXPECT_FALSE(present[4]);
    EXPECT_FALSE(present[5]);
    EXPECT_TRUE(AreaOnMap(map, 3));
    EXPECT_FALSE(AreaOnMap(map, 4));
}

TEST(AreaPresence, EmptyMapHoldsNoArea) {
    const AreaPresence present = AreasOnMap(Bitmap());
    for (bool p : present) {
        EXPECT_FALSE(p);
    }
    EXPECT_FALSE(AreaOnMap(Bitmap(), 0));
}

}  // namespace
}  // namespace velmora
