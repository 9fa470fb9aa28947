#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "canvas/map/line_raster.h"
#include "canvas/map/map_ops.h"
#include "canvas/map/outline_trace.h"
#include "canvas/map/polygon_raster.h"
#include "shapes/outline_text.h"

namespace velmora::test {
namespace {

// A map drawn from text: '.' is no area, a digit is that area.
Bitmap MapFromRows(const std::vector<std::string>& rows) {
    Bitmap map(static_cast<int>(rows.front().size()), static_cast<int>(rows.size()));
    for (int y = 0; y < map.Height(); ++y) {
        for (int x = 0; x < map.Width(); ++x) {
            const char c = rows[y][x];
            const std::uint8_t v = c == '.' ? 0 : static_cast<std::uint8_t>(c - '0');
            std::uint8_t* p = map.Pixel(x, y);
            p[0] = p[1] = p[2] = v;
        }
    }
    return map;
}

// The pixels the rings of one area cover under the non-zero rule, as a map of that value.
Bitmap Refill(const AreaOutline& outline, int width, int height) {
    Bitmap map(width, height);
    std::vector<ShapeRing> rings;
    for (const OutlineRing& ring : outline.rings) {
        ShapeRing shape;
        for (const OutlinePoint& p : ring.points) {
            shape.push_back({static_cast<double>(p.x), static_cast<double>(p.y)});
        }
        rings.push_back(shape);
    }
    RasterizeRings(rings, FillRule::NonZero, width, height, [&](int y, int x0, int x1) {
        FillMapRect(map, x0, y, x1 - x0, 1, static_cast<std::uint8_t>(outline.area), true);
    });
    return map;
}

// Pixels of value in map that refill also has, and pixels refill has that map gives another
// value.
struct Match {
    int kept = 0;
    int total = 0;
    int foreign = 0;
};

Match Compare(const Bitmap& map, const Bitmap& refill, int value) {
    Match m;
    for (int y = 0; y < map.Height(); ++y) {
        for (int x = 0; x < map.Width(); ++x) {
            const bool inMap = AreaAt(map, x, y) == value;
            const bool inRefill = AreaAt(refill, x, y) == value;
            m.total += inMap;
            m.kept += inMap && inRefill;
            m.foreign += !inMap && inRefill;
        }
    }
    return m;
}

struct TraceCase {
    const char* name;
    std::vector<std::string> rows;
    // area -> (outer rings, holes)
    std::map<int, std::pair<int, int>> rings;
};

TEST(OutlineTrace, RingsOfSmallMapsRefillExactly) {
    const std::vector<TraceCase> cases = {
        {"one pixel", {"...", ".1.", "..."}, {{1, {1, 0}}}},
        {"whole map", {"22", "22"}, {{2, {1, 0}}}},
        {"frame with a hole holding another area",
         {"11111", "1...1", "1.2.1", "1...1", "11111"},
         {{1, {1, 1}}, {2, {1, 0}}}},
        {"corner touch makes two outlines", {"1.", ".1"}, {{1, {2, 0}}}},
        {"hole touching the outline at a corner", {"111.", "1.1.", "111.", "...1"}, {{1, {2, 1}}}},
        {"comb", {"1.1.1", "1.1.1", "11111"}, {{1, {1, 0}}}},
        {"spiral",
         {"1111111", "1.....1", "1.111.1", "1.1.1.1", "1.1...1", "1.11111", "1......"},
         {{1, {1, 0}}}},
    };
    for (const TraceCase& c : cases) {
        SCOPED_TRACE(c.name);
        const Bitmap map = MapFromRows(c.rows);
        const std::vector<AreaOutline> outlines = TraceOutlines(map, 0);
        ASSERT_EQ(outlines.size(), c.rings.size());
        for (const AreaOutline& outline : outlines) {
            const auto expected = c.rings.at(outline.area);
            const auto holes = std::count_if(outline.rings.begin(), outline.rings.end(),
                                             [](const OutlineRing& r) { return r.hole; });
            EXPECT_EQ(static_cast<int>(outline.rings.size() - holes), expected.first);
            EXPECT_EQ(holes, expected.second);
            for (const OutlineRing& ring : outline.rings) {
                EXPECT_EQ(RingDoubleArea(ring.points) < 0, ring.hole);
            }
            const Match m = Compare(map, Refill(outline, map.Width(), map.Height()), outline.area);
            EXPECT_EQ(m.kept, m.total);
            EXPECT_EQ(m.foreign, 0);
        }
    }
}

TEST(OutlineTrace, OnePixelRingRunsClockwiseOnItsCorners) {
    const auto outlines = TraceOutlines(MapFromRows({"..", ".3"}), 0);
    ASSERT_EQ(outlines.size(), 1u);
    EXPECT_EQ(outlines[0].area, 3);
    std::vector<OutlinePoint> ring = outlines[0].rings.at(0).points;
    std::rotate(ring.begin(), std::find(ring.begin(), ring.end(), OutlinePoint{1, 1}), ring.end());
    EXPECT_EQ(ring, (std::vector<OutlinePoint>{{1, 1}, {2, 1}, {2, 2}, {1, 2}}));
}

// Brush strokes of several widths: simplified rings stay within the tolerance of every traced
// corner and use only traced corners; up to a tolerance of 1 they refill each area exactly.
TEST(OutlineTrace, SimplifiedRingsStayWithinToleranceAndRefillTheAreas) {
    Bitmap map(160, 120);
    DrawLine(map, 10, 10, 140, 30, 25, 1);
    DrawLine(map, 30, 100, 120, 60, 31, 2);
    DrawLine(map, 80, 10, 80, 110, 11, 3);
    FillMapRect(map, 60, 45, 15, 10, 0, true);  // a hole in area 3
    for (const double tolerance : {0.5, 1.0, 2.0}) {
        SCOPED_TRACE(tolerance);
        const auto exact = TraceOutlines(map, 0);
        const auto simple = TraceOutlines(map, tolerance);
        ASSERT_EQ(exact.size(), simple.size());
        for (std::size_t a = 0; a < exact.size(); ++a) {
            ASSERT_EQ(exact[a].rings.size(), simple[a].rings.size());
            for (std::size_t r = 0; r < exact[a].rings.size(); ++r) {
                const auto& traced = exact[a].rings[r].points;
                const auto& polygon = simple[a].rings[r].points;
                EXPECT_LE(polygon.size(), traced.size());
                for (const OutlinePoint& p : polygon) {
                    EXPECT_NE(std::find(traced.begin(), traced.end(), p), traced.end());
                }
                for (const OutlinePoint& p : traced) {
                    double nearest = 1e9;
                    for (std::size_t i = 0; i < polygon.size(); ++i) {
                        const OutlinePoint& s = polygon[i];
                        const OutlinePoint& e = polygon[(i + 1) % polygon.size()];
                        const double dx = e.x - s.x;
                        const double dy = e.y - s.y;
                        double t = ((p.x - s.x) * dx + (p.y - s.y) * dy) / (dx * dx + dy * dy);
                        t = std::clamp(t, 0.0, 1.0);
                        nearest =
                            std::min(nearest, std::hypot(p.x - s.x - t * dx, p.y - s.y - t * dy));
                    }
                    EXPECT_LE(nearest, tolerance + 1e-9);
                }
            }
            const Match m = Compare(map, Refill(simple[a], 160, 120), simple[a].area);
            if (tolerance <= 1.0) {
                EXPECT_EQ(m.kept, m.total) << "area " << simple[a].area;
                EXPECT_EQ(m.foreign, 0) << "area " << simple[a].area;
            } else {
                EXPECT_GE(m.kept, m.total * 0.95) << "area " << simple[a].area;
            }
        }
    }
}

// Within the limit the budgeted tracing gives what TraceOutlines gives (without unnamed areas
// when asked); past it, the refusal names the heaviest areas first, and only as many as must go.
TEST(OutlineBudget, UnderTheLimitTracesOverItNamesTheHeaviestAreas) {
    const Bitmap map = MapFromRows({"11..3.3.3.", "11...3.3.3", "....3.3.3.", "22........"});
    std::array<std::string, 256> names;
    names[1] = "Кухня";
    names[3] = "Сад";
    const std::vector<AreaOutline> all = TraceOutlines(map, 0);
    const std::vector<AreaOutline> named = TraceOutlinesWithin(map, 0, names, true);
    ASSERT_EQ(named.size(), 2u);
    EXPECT_EQ(named[0].area, 1);
    EXPECT_EQ(named[1].area, 3);
    EXPECT_EQ(named[1].rings.size(), all[2].rings.size());
    EXPECT_EQ(named[1].rings.back().points, all[2].rings.back().points);
    EXPECT_EQ(TraceOutlinesWithin(map, 0, names, false).size(), 3u);

    struct Case {
        std::int64_t limit;
        const char* names;  // the list the message ends with
    };
    // The garden's nine one-pixel rings weigh far more than the kitchen's one.
    const Case cases[] = {{600, "Упростите области: «Сад» (0,0 МБ)."},
                          {10, "Упростите области: «Сад» (0,0 МБ), «Кухня» (0,0 МБ)."}};
    for (const Case& c : cases) {
        try {
            TraceOutlinesWithin(map, 0, names, true, c.limit);
            ADD_FAILURE() << "no refusal under a limit of " << c.limit;
        } catch (const OutlinesTooLarge& refusal) {
            const std::string text = refusal.what();
            EXPECT_EQ(text.rfind("Контуры областей слишком сложны: их текст занял бы ", 0), 0u)
                << text;
            EXPECT_NE(text.find(c.names), std::string::npos) << text;
        }
    }
}

}  // namespace
}  // namespace velmora::test
