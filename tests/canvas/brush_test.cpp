#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <queue>
#include <set>
#include <string>
#include <vector>

#include "canvas/canvas_fixtures.h"
#include "canvas/history/draw_history.h"
#include "canvas/map/area_map.h"
#include "canvas/map/line_raster.h"
#include "canvas/map/map_ops.h"
#include "support/test_support.h"

namespace velmora::test {
namespace {

// The rule the rasteriser follows, checked naively pixel by pixel: a pixel is painted when
// its centre lies within width / 2 of the segment (odd widths centre the pen on a pixel,
// even widths on a pixel corner). Doubled coordinates keep it exact.
// Width 1 is the one-pixel line instead: along its longer axis every pixel between the ends,
// across it the pixel whose centre lies within half a pixel of the line (a tie goes to the
// larger coordinate).
bool NaivelyCovered(std::int64_t px, std::int64_t py, std::int64_t x0, std::int64_t y0,
                    std::int64_t x1, std::int64_t y1, std::int64_t width) {
    using i128 = __int128;
    if (width == 1) {
        const bool steep = std::abs(y1 - y0) > std::abs(x1 - x0);
        const i128 a = steep ? py : px, b = steep ? px : py;
        i128 a0 = steep ? y0 : x0, b0 = steep ? x0 : y0, a1 = steep ? y1 : x1, b1 = steep ? x1 : y1;
        if (a1 < a0) {
            std::swap(a0, a1);
            std::swap(b0, b1);
        }
        if (a < a0 || a > a1) {
            return false;
        }
        if (a0 == a1) {
            return b == b0;
        }
        // 2 * da * (b - exact) lies in (-da, da].
        const i128 da = a1 - a0;
        const i128 off = 2 * (b * da - b0 * da - (a - a0) * (b1 - b0));
        return off > -da && off <= da;
    }
    const std::int64_t c = width & 1;
    const i128 ax = 2 * x0 + c, ay = 2 * y0 + c, bx = 2 * x1 + c, by = 2 * y1 + c;
    const i128 qx = 2 * px + 1, qy = 2 * py + 1;
    const i128 dx = bx - ax, dy = by - ay;
    const i128 length2 = dx * dx + dy * dy;
    const i128 t = (qx - ax) * dx + (qy - ay) * dy;
    const i128 r2 = static_cast<i128>(width) * width;
    if (length2 == 0 || t <= 0) {
        return (qx - ax) * (qx - ax) + (qy - ay) * (qy - ay) <= r2;
    }
    if (t >= length2) {
        return (qx - bx) * (qx - bx) + (qy - by) * (qy - by) <= r2;
    }
    const i128 cross = (qx - ax) * dy - (qy - ay) * dx;
    return cross * cross <= r2 * length2;
}

// One line to draw: a name for the trace and its two end points.
struct LineCase {
    const char* name;
    int x0, y0, x1, y1;
};

// Inside, along and across every edge and corner, wholly outside, and far away.
const LineCase kLines[] = {
    {"inside_shallow", 10, 12, 50, 20},
    {"inside_steep", 30, 5, 36, 40},
    {"inside_diagonal", 5, 5, 40, 40},
    {"inside_backwards", 55, 40, 8, 3},
    {"one_point", 31, 23, 31, 23},
    {"across_left", -15, 10, 20, 30},
    {"across_right", 40, 5, 90, 30},
    {"across_top", 20, -25, 35, 20},
    {"across_bottom", 10, 30, 25, 80},
    {"across_top_left", -8, -9, 12, 10},
    {"across_bottom_right", 50, 38, 70, 60},
    {"along_top_edge", -5, 0, 70, 0},
    {"along_right_edge", 63, -5, 63, 60},
    {"outside_above", -10, -30, 80, -31},
    {"outside_but_near", 66, 10, 66, 30},
    {"far_away_ends", -900000, 3, 1200000, 44},
    {"beyond_pen_limit", 2000000000, -2000000000, 20, 20},
};

TEST(LineRaster, FollowsThePixelCentreRuleAndClipsAtEveryEdge) {
    for (const int width : {1, 2, 3, 8, 15, 30}) {
        for (const LineCase& line : kLines) {
            SCOPED_TRACE(std::string(line.name) + " width " + std::to_string(width));
            Bitmap map(64, 48);
            const Rect touched = DrawLine(map, line.x0, line.y0, line.x1, line.y1, width, 9);
            // Points past the pen limit are drawn as if they stood at it.
            auto held = [](std::int64_t v) {
                return std::clamp<std::int64_t>(v, -kPenCoordinateLimit, kPenCoordinateLimit);
            };
            Rect expectedBox;
            int mismatches = 0;
            for (int y = 0; y < map.Height(); ++y) {
                for (int x = 0; x < map.Width(); ++x) {
                    const bool covered = NaivelyCovered(x, y, held(line.x0), held(line.y0),
                                                        held(line.x1), held(line.y1), width);
                    if (covered) {
                        expectedBox = expectedBox.United({x, y, 1, 1});
                    }
                    if (covered != (map.Pixel(x, y)[0] == 9) && ++mismatches <= 3) {
                        ADD_FAILURE() << "pixel " << x << "," << y << " expected "
                                      << (covered ? "painted" : "blank");
                    }
                }
            }
            EXPECT_EQ(touched, expectedBox);
            EXPECT_TRUE(BytesAlike(map));
        }
    }
}

TEST(LineRaster, ClippedLineEqualsTheCropOfTheSameLineOnALargerMap) {
    constexpr int kShift = 100;
    for (const int width : {1, 4, 25}) {
        for (const LineCase& line : kLines) {
            if (std::abs(line.x0) > 10000 || std::abs(line.y0) > 10000) {
                continue;
            }
            SCOPED_TRACE(std::string(line.name) + " width " + std::to_string(width));
            Bitmap small(64, 48);
            Bitmap large(64 + 2 * kShift, 48 + 2 * kShift);
            DrawLine(small, line.x0, line.y0, line.x1, line.y1, width, 200);
            DrawLine(large, line.x0 + kShift, line.y0 + kShift, line.x1 + kShift, line.y1 + kShift,
                     width, 200);
            Bitmap crop(64, 48);
            for (int y = 0; y < 48; ++y) {
                std::copy_n(large.Pixel(kShift, y + kShift), 64 * 3, crop.Row(y));
            }
            EXPECT_TRUE(small == crop);
        }
    }
}

TEST(LineRaster, ExtremeArgumentsAreHeldToTheirLimitsAndNeverLeaveTheMap) {
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    struct Case {
        int width;
        int drawnAs;
    };
    for (const Case c : {Case{kMin, 1}, Case{0, 1}, Case{-7, 1}, Case{kMax, kMaxLineWidth}}) {
        SCOPED_TRACE(c.width);
        Bitmap map(40, 30);
        Bitmap expected(40, 30);
        const Rect touched = DrawLine(map, kMin, kMax, kMax, kMin, c.width, 3);
        DrawLine(expected, -kPenCoordinateLimit, kPenCoordinateLimit, kPenCoordinateLimit,
                 -kPenCoordinateLimit, c.drawnAs, 3);
        EXPECT_TRUE(map == expected);
        EXPECT_EQ(touched, touched.Intersected({0, 0, 40, 30}));
    }
    Bitmap map(40, 30);
    constexpr std::int64_t kHuge = std::numeric_limits<std::int64_t>::max();
    EXPECT_TRUE(FillMapRect(map, -kHuge - 1, -5, kHuge, 10, 1, true).Empty());  // ends at -1
    EXPECT_EQ(FillMapRect(map, -10, -5, kHuge, 10, 1, true), (Rect{0, 0, 40, 5}));
    Bitmap empty;
    EXPECT_TRUE(DrawLine(empty, 0, 0, 5, 5, 3, 1).Empty());
}

TEST(LineRaster, WidthOneLinesAreUnbrokenAndThin) {
    const LineCase lines[] = {
        {"east", 5, 20, 90, 20},       {"shallow", 3, 3, 95, 41},     {"steep", 50, 2, 61, 97},
        {"north_west", 90, 90, 4, 11}, {"south_west", 97, 1, 2, 60},  {"vertical", 40, 99, 40, 0},
        {"diagonal", 0, 99, 99, 0},    {"slope_2_3", 10, 10, 40, 30},
    };
    for (const LineCase& line : lines) {
        SCOPED_TRACE(line.name);
        Bitmap map(100, 100);
        DrawLine(map, line.x0, line.y0, line.x1, line.y1, 1, 1);
        std::set<std::pair<int, int>> painted;
        for (int y = 0; y < 100; ++y) {
            for (int x = 0; x < 100; ++x) {
                if (map.Pixel(x, y)[0] == 1) {
                    painted.insert({x, y});
                }
            }
        }
        ASSERT_TRUE(painted.count({line.x0, line.y0}));
        ASSERT_TRUE(painted.count({line.x1, line.y1}));
        // Every painted pixel is reached from the start through its eight neighbours.
        std::set<std::pair<int, int>> seen{{line.x0, line.y0}};
        std::queue<std::pair<int, int>> open;
        open.push({line.x0, line.y0});
        while (!open.empty()) {
            const auto [x, y] = open.front();
            open.pop();
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    const std::pair<int, int> next{x + dx, y + dy};
                    if (painted.count(next) && seen.insert(next).second) {
                        open.push(next);
                    }
                }
            }
        }
        EXPECT_EQ(seen.size(), painted.size());
        // A one-pixel line holds one pixel per column, or per row when steep, at every slope.
        const bool steep = std::abs(line.y1 - line.y0) > std::abs(line.x1 - line.x0);
        const int steps = std::max(std::abs(line.x1 - line.x0), std::abs(line.y1 - line.y0)) + 1;
        EXPECT_EQ(static_cast<int>(painted.size()), steps);
        std::set<int> lines;
        for (const auto& [x, y] : painted) {
            lines.insert(steep ? y : x);
        }
        EXPECT_EQ(static_cast<int>(lines.size()), steps);
        // Drawn backwards it covers the same pixels.
        Bitmap backwards(100, 100);
        DrawLine(backwards, line.x1, line.y1, line.x0, line.y0, 1, 1);
        EXPECT_TRUE(backwards == map);
    }
}

TEST(LineRaster, WideBandsAreWidthAcrossWithRoundEndsOfHalfTheWidth) {
    for (const int width : {21, 20, 100}) {
        SCOPED_TRACE("width " + std::to_string(width));
        const int r = width / 2;
        Bitmap map(400, 300);
        const int x0 = 120, x1 = 260, y = 150;
        DrawLine(map, x0, y, x1, y, width, 5);
        auto painted = [&](int x, int yy) { return map.Pixel(x, yy)[0] == 5; };
        auto columnCount = [&](int x) {
            int n = 0;
            for (int yy = 0; yy < map.Height(); ++yy) {
                n += painted(x, yy) ? 1 : 0;
            }
            return n;
        };
        EXPECT_EQ(columnCount((x0 + x1) / 2), width);
        // The cap reaches half the width past each end point, on the axis only.
        const int right = x1 + (width % 2 == 1 ? r : r - 1);
        EXPECT_TRUE(painted(right, y));
        EXPECT_FALSE(painted(right + 1, y));
        EXPECT_TRUE(painted(x0 - r, y));
        EXPECT_FALSE(painted(x0 - r - 1, y));
        EXPECT_LT(columnCount(right), width / 2);     // the cap narrows towards its tip
        EXPECT_FALSE(painted(right - 1, y + r - 1));  // a square end would cover this corner
        // The columns right of the end point's own column hold the part of a disc of radius
        // width / 2 that lies beyond 0.5 pixel off the pen's centre for odd widths (centred on
        // a pixel) and beyond 1 pixel for even ones (centred on the pixel's left corner).
        int capPixels = 0;
        for (int x = x1 + 1; x < map.Width(); ++x) {
            capPixels += columnCount(x);
        }
        const double radius = width / 2.0;
        const double a = width % 2 == 1 ? 0.5 : 1.0;
        const double segment =
            radius * radius * std::acos(a / radius) - a * std::sqrt(radius * radius - a * a);
        EXPECT_NEAR(capPixels, segment, segment * 0.05);
    }
}

TEST(AreaMapBrush, StrokesPaintOnlyAfterThePressAndAlwaysAllThreeBytes) {
    ScriptedPrompter prompter;
    COMMON_DATA data(prompter);
    data.canvas.Map = Bitmap(90, 70);
    // Existing areas whose bytes must stay alike under new strokes.
    FillMapRect(data.canvas.Map, 0, 0, 45, 70, 3, true);
    AreaMap surface(data);
    const Bitmap before = data.canvas.Map;

    data.BrushSize = 12;
    EXPECT_TRUE(surface.BeginStroke(40, 30, 7).Empty());
    EXPECT_TRUE(data.Painting);
    EXPECT_TRUE(data.canvas.Map == before);  // the press paints nothing
    EXPECT_TRUE(surface.EndStroke().Empty());
    EXPECT_FALSE(data.Painting);
    EXPECT_TRUE(data.canvas.Map == before);  // a click without a move leaves the map unchanged
    EXPECT_TRUE(surface.ContinueStroke(60, 30).Empty());  // no stroke: the pen only moves
    EXPECT_TRUE(data.canvas.Map == before);

    std::mt19937 random(7);
    for (int stroke = 0; stroke < 40; ++stroke) {
        data.BrushSize = 1 + static_cast<int>(random() % 100);
        const auto path = RandomPath(random(), 12, 90, 70);
        surface.BeginStroke(path[0].x, path[0].y, static_cast<int>(random() % 256));
        data.BrushSize = 1;  // a change during the stroke does not reach it
        for (std::size_t i = 1; i < path.size(); ++i) {
            surface.ContinueStroke(path[i].x, path[i].y);
        }
        surface.EndStroke();
    }
    EXPECT_TRUE(BytesAlike(data.canvas.Map));
}

TEST(AreaMapBrush, ReportsTheRectangleItTouched) {
    ScriptedPrompter prompter;
    COMMON_DATA data(prompter);
    AreaMap surface(data);
    std::mt19937 random(11);
    for (int stroke = 0; stroke < 30; ++stroke) {
        data.canvas.Map = Bitmap(80, 60);
        data.BrushSize = 1 + static_cast<int>(random() % 40);
        const auto path = RandomPath(random(), 6, 80, 60);
        Rect reported = surface.BeginStroke(path[0].x, path[0].y, 4);
        for (std::size_t i = 1; i < path.size(); ++i) {
            reported = reported.United(surface.ContinueStroke(path[i].x, path[i].y));
        }
        surface.EndStroke();
        Rect painted;
        for (int y = 0; y < 60; ++y) {
            for (int x = 0; x < 80; ++x) {
                if (data.canvas.Map.Pixel(x, y)[0] != 0) {
                    painted = painted.United({x, y, 1, 1});
                }
            }
        }
        EXPECT_EQ(reported, painted);
    }
}

TEST(AreaMapBrush, ErasingStrokeClearsEveryAreaItCrosses) {
    ScriptedPrompter prompter;
    COMMON_DATA data(prompter);
    data.canvas.Map = Bitmap(50, 20);
    FillMapRect(data.canvas.Map, 0, 0, 25, 20, 1, true);
    FillMapRect(data.canvas.Map, 25, 0, 25, 20, 2, true);
    AreaMap surface(data);
    data.BrushSize = 1;
    surface.BeginStroke(-5, 10, 0);
    surface.ContinueStroke(60, 10);
    surface.EndStroke();
    for (int x = 0; x < 50; ++x) {
        EXPECT_EQ(surface.AreaAt(x, 10), 0);
        EXPECT_EQ(surface.AreaAt(x, 9), x < 25 ? 1 : 2);
    }
}

TEST(MapLookUp, AreaAtReadsTheRedByteAndYieldsZeroOutside) {
    Bitmap map(4, 3);
    std::uint8_t* p = map.Pixel(2, 1);
    p[0] = 1;
    p[1] = 2;
    p[2] = 3;
    EXPECT_EQ(AreaAt(map, 2, 1), 3);
    for (const auto& [x, y] : std::vector<std::pair<int, int>>{{-1, 0}, {4, 0}, {0, -1}, {0, 3}}) {
        EXPECT_EQ(AreaAt(map, x, y), 0);
    }
}

TEST(MapFill, FillsOnlyTheInsideAndKeepsOtherAreasUnlessOverwriting) {
    struct Case {
        const char* name;
        bool overwrite;
        int expectedInArea3;
    };
    for (const Case& c : {Case{"keep", false, 3}, Case{"overwrite", true, 9}}) {
        SCOPED_TRACE(c.name);
        Bitmap map(20, 10);
        FillMapRect(map, 0, 0, 10, 10, 3, true);  // area 3 on the left half
        const Rect touched = FillMapRect(map, 5, -4, 100, 8, 9, c.overwrite);
        EXPECT_EQ(touched, (Rect{5, 0, 15, 4}));
        EXPECT_EQ(AreaAt(map, 6, 2), c.expectedInArea3);
        EXPECT_EQ(AreaAt(map, 12, 3), 9);
        EXPECT_EQ(AreaAt(map, 12, 4), 0);
        EXPECT_EQ(AreaAt(map, 4, 2), 3);
        EXPECT_TRUE(BytesAlike(map));
    }
    Bitmap map(5, 5);
    EXPECT_TRUE(FillMapRect(map, -10, -10, 5, 5, 1, true).Empty());
    EXPECT_TRUE(FillMapRect(map, 2, 2, 0, 3, 1, true).Empty());
    EXPECT_TRUE(map == Bitmap(5, 5));
}

}  // namespace
}  // namespace velmora::test
