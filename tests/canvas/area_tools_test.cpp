#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "canvas/map/map_ops.h"
#include "canvas/tools/area_tools.h"
#include "store/errors.h"

namespace velmora::test {
namespace {

int CountValue(const Bitmap& map, int value) {
    int count = 0;
    for (int y = 0; y < map.Height(); ++y) {
        for (int x = 0; x < map.Width(); ++x) {
            count += AreaAt(map, x, y) == value;
        }
    }
    return count;
}

TEST(AreaTools, EllipseTakesPixelsWhoseCentreIsInside) {
    struct Case {
        const char* name;
        int left, top, width, height;
        int pixels;
        Rect changed;
    };
    const std::vector<Case> cases = {
        {"circle of diameter 4", 0, 0, 4, 4, 12, {0, 0, 4, 4}},
        {"clipped at the corner", -2, -2, 4, 4, 3, {0, 0, 2, 2}},
        {"flat ellipse", 1, 1, 8, 2, 12, {2, 1, 6, 2}},
        {"one pixel", 5, 5, 1, 1, 1, {5, 5, 1, 1}},
        {"zero width", 3, 3, 0, 5, 0, {}},
        {"off the picture", 20, 20, 5, 5, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bitmap map(10, 10);
        EXPECT_EQ(FillEllipse(map, c.left, c.top, c.width, c.height, 7, false), c.changed);
        EXPECT_EQ(CountValue(map, 7), c.pixels);
    }
}

TEST(AreaTools, PolygonUsesNonZeroWindingAndSharesNoEdgePixel) {
    Bitmap map(8, 8);
    // Two triangles that split a square along its diagonal: every pixel goes to one of them.
    EXPECT_EQ(FillPolygon(map, {{0, 0}, {4, 0}, {0, 4}}, 1, false), (Rect{0, 0, 3, 3}));
    EXPECT_EQ(FillPolygon(map, {{4, 0}, {4, 4}, {0, 4}}, 2, false), (Rect{0, 0, 4, 4}));
    EXPECT_EQ(CountValue(map, 1), 6);
    EXPECT_EQ(CountValue(map, 2), 10);

    // A pentagram drawn in one go winds twice round its middle: non-zero fills it.
    Bitmap star(40, 40);
    ShapeRing points;
    for (int i = 0; i < 5; ++i) {
        const double angle = -M_PI / 2 + i * 4 * M_PI / 5;
        points.push_back({20 + 18 * std::cos(angle), 20 + 18 * std::sin(angle)});
    }
    FillPolygon(star, points, 3, false);
    EXPECT_EQ(AreaAt(star, 20, 20), 3);
    EXPECT_EQ(AreaAt(star, 20, 10), 3);
    EXPECT_EQ(AreaAt(star, 2, 38), 0);

    // Without overwrite other areas keep their pixels; with it they give them up; 0 erases.
    FillMapRect(map, 0, 6, 8, 2, 5, true);
    EXPECT_EQ(FillPolygon(map, {{0, 5}, {8, 5}, {8, 8}, {0, 8}}, 4, false), (Rect{0, 5, 8, 1}));
    EXPECT_EQ(CountValue(map, 5), 16);
    FillPolygon(map, {{0, 5}, {8, 5}, {8, 8}, {0, 8}}, 0, true);
    EXPECT_EQ(CountValue(map, 5) + CountValue(map, 4), 0);

    EXPECT_THROW(FillPolygon(map, {{0, 0}, {5, 5}}, 1, false), Error);
}

TEST(AreaTools, RegionFillIsFourConnectedOnTheMap) {
    // A ring of area 1 round a hole of no area.
    Bitmap map(7, 7);
    FillMapRect(map, 1, 1, 5, 5, 1, true);
    FillMapRect(map, 2, 2, 3, 3, 0, true);
    struct Case {
        const char* name;
        int x, y;
        int value;
        bool overwrite;
        int area1, area9;
    };
    const std::vector<Case> cases = {
        {"the hole", 3, 3, 9, false, 16, 9},
        {"outside the ring", 0, 0, 9, false, 16, 24},
        {"the ring itself without overwrite", 1, 1, 9, false, 16, 0},
        {"the ring itself with overwrite", 1, 1, 9, true, 0, 16},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bitmap copy = map;
        FillRegion(copy, c.x, c.y, static_cast<std::uint8_t>(c.value), c.overwrite);
        EXPECT_EQ(CountValue(copy, 1), c.area1);
        EXPECT_EQ(CountValue(copy, 9), c.area9);
    }
    EXPECT_THROW(FillRegion(map, 7, 0, 9, false), Error);
    EXPECT_THROW(FillRegion(map, -1, 3, 9, false), Error);
}

TEST(AreaTools, WandTakesColoursWithinTheTolerancePerChannel) {
    // Left half grey 100 with a stripe of 130 in the middle, right half grey 100 again, split
    // by a column of 200: contiguous stops at the column, global jumps it.
    Bitmap picture(11, 4);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 11; ++x) {
            const int grey = x == 5 ? 200 : x == 2 ? 130 : 100;
            std::uint8_t* p = picture.Pixel(x, y);
            p[0] = p[1] = p[2] = static_cast<std::uint8_t>(grey);
        }
    }
    picture.Pixel(2, 0)[1] = 131;  // one channel just past the tolerance of 30
    struct Case {
        const char* name;
        int tolerance;
        bool contiguous;
        int pixels;
    };
    const std::vector<Case> cases = {
        {"exact colour, contiguous", 0, true, 8},
        {"30 takes the stripe but one pixel", 30, true, 19},
        {"31 takes it all", 31, true, 20},
        {"global jumps the column", 0, false, 36},
        {"255 takes everything", 255, false, 44},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bitmap map(11, 4);
        FillSimilarColour(picture, map, 0, 0, c.tolerance, c.contiguous, 1, false);
        EXPECT_EQ(CountValue(map, 1), c.pixels);
    }
    Bitmap map(11, 4);
    EXPECT_THROW(FillSimilarColour(picture, map, 11, 0, 32, true, 1, false), Error);
}

// A dark disc on a light, noisy background: the object inside a box around it is the disc.
// The larger case goes through the reduced copy and the full-size refinement of its edge.
TEST(AreaTools, SelectObjectFindsTheDiscInTheBox) {
    for (const int radius : {40, 200}) {
        SCOPED_TRACE(radius);
        const int size = radius * 3;
        Bitmap picture(size, size);
        std::mt19937 random(5);
        const double c = size / 2.0;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const bool inside = std::hypot(x + 0.5 - c, y + 0.5 - c) < radius;
                const int base = inside ? 60 : 190;
                std::uint8_t* p = picture.Pixel(x, y);
                for (int k = 0; k < 3; ++k) {
                    p[k] = static_cast<std::uint8_t>(base + static_cast<int>(random() % 30) - 15 +
                                                     (inside ? k * 20 : -k * 20));
                }
            }
        }
        Bitmap map(size, size);
        const int left = static_cast<int>(c) - radius - radius / 5;
        const int side = 2 * (radius + radius / 5);
        FillObject(picture, map, left, left, side, side, 1, false);
        int right = 0;
        int wrong = 0;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const bool inside = std::hypot(x + 0.5 - c, y + 0.5 - c) < radius;
                const bool taken = AreaAt(map, x, y) == 1;
                right += inside && taken;
                wrong += inside != taken;
            }
        }
        const double disc = M_PI * radius * radius;
        EXPECT_GT(right, 0.97 * disc);
        EXPECT_LT(wrong, 0.03 * disc);
    }
    Bitmap picture(50, 50);
    Bitmap map(50, 50);
    EXPECT_THROW(FillObject(picture, map, 60, 0, 10, 10, 1, false), Error);
    EXPECT_THROW(FillObject(picture, map, 0, 0, 0, 10, 1, false), Error);
    EXPECT_THROW(FillObject(picture, map, 48, 48, 10, 10, 1, false), Error);  // 2 x 2 inside
}

}  // namespace
}  // namespace velmora::test
