#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "canvas/map/polygon_raster.h"

namespace velmora {
namespace {

// Pixel by pixel, the rule the rasteriser promises: a pixel is inside when the winding of the
// edges crossing its row's centre line at or left of its centre says so.
std::vector<int> ReferenceMask(const std::vector<ShapeRing>& rings, FillRule rule, int width,
                               int height) {
    std::vector<int> mask(static_cast<std::size_t>(width) * height, 0);
    for (int y = 0; y < height; ++y) {
        const double centre = y + 0.5;
        for (int x = 0; x < width; ++x) {
            long winding = 0;
            for (const ShapeRing& ring : rings) {
                for (std::size_t i = 0; i < ring.size(); ++i) {
                    ShapePoint a = ring[i];
                    ShapePoint b = ring[(i + 1) % ring.size()];
                    if (a.y == b.y) {
                        continue;
                    }
                    const int w = a.y < b.y ? 1 : -1;
                    if (a.y > b.y) {
                        std::swap(a, b);
                    }
                    if (!(centre >= a.y && centre < b.y)) {
                        continue;
                    }
                    const double t = (centre - a.y) / (b.y - a.y);
                    if (a.x + t * (b.x - a.x) <= x + 0.5) {
                        winding += w;
                    }
                }
            }
            const bool in = rule == FillRule::NonZero ? winding != 0 : (winding & 1) != 0;
            mask[static_cast<std::size_t>(y) * width + x] = in ? 1 : 0;
        }
    }
    return mask;
}

std::vector<int> RasterMask(const std::vector<ShapeRing>& rings, FillRule rule, int width,
                            int height) {
    std::vector<int> mask(static_cast<std::size_t>(width) * height, 0);
    int lastY = -1;
    int lastEnd = -1;
    RasterizeRings(rings, rule, width, height, [&](int y, int x0, int x1) {
        EXPECT_TRUE(y > lastY || (y == lastY && x0 > lastEnd)) << "spans out of order";
        EXPECT_TRUE(0 <= x0 && x0 < x1 && x1 <= width && 0 <= y && y < height);
        lastY = y;
        lastEnd = x1;
        for (int x = x0; x < x1; ++x) {
            mask[static_cast<std::size_t>(y) * width + x] += 1;
        }
    });
    return mask;
}

ShapeRing RandomRing(std::mt19937& random, int points, double from, double to, bool onGrid) {
    std::uniform_real_distribution<double> coordinate(from, to);
    ShapeRing ring;
    for (int i = 0; i < points; ++i) {
        double x = coordinate(random);
        double y = coordinate(random);
        if (onGrid) {  // corners and edges through pixel centres and on pixel borders
            x = std::round(x * 2) / 2;
            y = std::round(y * 2) / 2;
        }
        ring.push_back({x, y});
    }
    return ring;
}

ShapeRing ZigZag(int teeth, double width, double height) {
    ShapeRing ring;
    for (int i = 0; i <= teeth; ++i) {
        ring.push_back({width * i / teeth, i % 2 == 0 ? 0.2 : height - 0.2});
    }
    ring.push_back({width, height});
    ring.push_back({0, height});
    return ring;
}

TEST(PolygonRasterTest, EveryPixelFollowsTheWindingOfItsCentre) {
    struct Case {
        std::string name;
        std::vector<ShapeRing> rings;
        FillRule rule;
    };
    std::mt19937 random(7);
    std::vector<Case> cases = {
        {"triangle", {{{0, 0}, {4, 0}, {0, 4}}}, FillRule::NonZero},
        {"square with a hole, even-odd",
         {{{2, 2}, {30, 2}, {30, 30}, {2, 30}}, {{10, 10}, {20, 10}, {20, 20}, {10, 20}}},
         FillRule::EvenOdd},
        {"square with a hole wound the other way",
         {{{2, 2}, {30, 2}, {30, 30}, {2, 30}}, {{10, 10}, {10, 20}, {20, 20}, {20, 10}}},
         FillRule::NonZero},
        {"overlapping rings wound alike",
         {{{2, 2}, {20, 2}, {20, 20}, {2, 20}}, {{10, 10}, {30, 10}, {30, 30}, {10, 30}}},
         FillRule::NonZero},
        {"far beyond the picture", {{{-1e6, -50}, {1e6, 3}, {5, 1e6}}}, FillRule::NonZero},
        {"left of the picture", {{{-40, 2}, {-3, 2}, {-3, 30}}}, FillRule::NonZero},
        {"zig-zag", {ZigZag(301, 40, 32)}, FillRule::NonZero},
    };
    for (int i = 0; i < 12; ++i) {
        cases.push_back({"random " + std::to_string(i),
                         {RandomRing(random, 3 + i * 5, -4, 36, i % 2 == 0)},
                         i % 3 == 0 ? FillRule::EvenOdd : FillRule::NonZero});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(RasterMask(c.rings, c.rule, 32, 32), ReferenceMask(c.rings, c.rule, 32, 32));
    }
}

// A million teeth, each far narrower than a pixel: whether a pixel's centre falls inside a
// tooth is a coin toss, so about half of the picture is filled, every row ending inside it.
TEST(PolygonRasterTest, AMillionPointZigZagFillsAboutHalfThePicture) {
    const ShapeRing ring = ZigZag(1'000'000, 640, 400);
    long long pixels = 0;
    RasterizeRings({ring}, FillRule::NonZero, 640, 400,
                   [&](int, int x0, int x1) { pixels += x1 - x0; });
    EXPECT_GT(pixels, 640LL * 400 * 4 / 10);
    EXPECT_LT(pixels, 640LL * 400 * 6 / 10);
}

}  // namespace
}  // namespace velmora
