#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "canvas/canvas_fixtures.h"
#include "canvas/history/draw_history.h"
#include "canvas/map/map_ops.h"
#include "canvas/tools/area_tool_step.h"
#include "canvas/tools/area_tools.h"
#include "shapes/shape_import.h"
#include "store/common_data.h"
#include "support/test_support.h"

namespace velmora::test {
namespace {

// Every pixel where two maps differ lies inside rect.
bool DifferencesInside(const Bitmap& a, const Bitmap& b, const Rect& rect) {
    for (int y = 0; y < a.Height(); ++y) {
        for (int x = 0; x < a.Width(); ++x) {
            const bool inside = x >= rect.x && x < rect.Right() && y >= rect.y && y < rect.Bottom();
            if (!inside && AreaAt(a, x, y) != AreaAt(b, x, y)) {
                return false;
            }
        }
    }
    return true;
}

// Every area tool used as one history step among brush strokes and an import of shapes into
// several areas at once: undo walks back through the maps as they were after each step, pixel
// for pixel, and redo walks forward again; each reports a changed rectangle that holds every
// pixel it changed, so that a view redrawing only that stays true.
TEST(ToolHistory, EveryToolIsOneStepThatUndoesAndRedoesExactly) {
    Bitmap picture(80, 60);
    for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < 80; ++x) {
            std::uint8_t* p = picture.Pixel(x, y);
            const bool dark = (x - 55) * (x - 55) + (y - 30) * (y - 30) < 150;
            p[0] = p[1] = p[2] = static_cast<std::uint8_t>(dark ? 20 + (x + y) % 7 : 200 + x % 9);
        }
    }
    ScriptedPrompter prompter;
    COMMON_DATA data(prompter);
    data.canvas.Map = Bitmap(80, 60);
    data.canvas.Width = 80;
    data.canvas.Height = 60;
    data.BrushSize = 5;
    Bitmap& map = data.canvas.Map;
    DRAW_HISTORY history;
    history.Reset(map);

    struct Use {
        const char* name;
        std::uint8_t value;
        bool overwrite;
        AreaToolPass tool;
    };
    const std::vector<Use> uses = {
        {"ellipse", 1, false, [](MapWriter& w) { FillEllipse(w, 5, 5, 30, 20); }},
        {"polygon over it", 2, false,
         [](MapWriter& w) {
             FillPolygon(w, {{0, 0}, {40, 10}, {10, 40}});
         }},
        {"region around them", 3, false, [](MapWriter& w) { FillRegion(w, 79, 59); }},
        {"region with overwrite", 4, true, [](MapWriter& w) { FillRegion(w, 20, 15); }},
        {"wand", 5, true,
         [&picture](MapWriter& w) { FillSimilarColour(w, picture, 55, 30, 10, true); }},
        {"nothing to write", 6, false, [](MapWriter& w) { FillEllipse(w, 90, 90, 5, 5); }},
        {"object", 7, true, [&picture](MapWriter& w) { FillObject(w, picture, 38, 13, 34, 34); }},
        {"erase", 0, true,
         [](MapWriter& w) {
             FillPolygon(w, {{0, 0}, {80, 0}, {80, 8}, {0, 8}});
         }},
    };
    std::vector<Bitmap> after = {map};
    for (std::size_t i = 0; i < uses.size(); ++i) {
        SCOPED_TRACE(uses[i].name);
        if (i == 3) {
            // A brush stroke between the tools is a step of its own.
            PaintLikeMouse(data, history, 8, {{0, 50}, {30, 55}, {60, 20}});
            after.push_back(map);
        }
        const int steps = history.UndoCount();
        const Rect changed =
            ApplyAreaTool(data, history, uses[i].value, uses[i].overwrite, uses[i].tool);
        // A use that changes nothing is no step.
        EXPECT_EQ(history.UndoCount(), steps + (changed.Empty() ? 0 : 1));
        if (!changed.Empty()) {
            after.push_back(map);
        }
        EXPECT_TRUE(BytesAlike(map));
    }
    {
        // Two shapes into two areas in the erased band, a hole kept free, as one step.
        std::vector<ImportedShape> shapes(3);
        shapes[0].rings = {{{60, 0}, {78, 0}, {78, 8}, {60, 8}}};
        shapes[1].hole = true;
        shapes[1].rings = {{{10, 2}, {20, 2}, {20, 6}, {10, 6}}};
        shapes[2].rings = {{{0, 0}, {50, 0}, {50, 8}, {0, 8}}};
        const Rect changed = PaintShapes(map, shapes, {9, 0, 10});
        history.RecordValues(map, changed);
        after.push_back(map);
        EXPECT_TRUE(BytesAlike(map));
        EXPECT_EQ(AreaAt(map, 70, 4), 9);
        EXPECT_EQ(AreaAt(map, 5, 4), 10);
        EXPECT_EQ(AreaAt(map, 15, 4), 0);
    }
    const int steps = static_cast<int>(after.size()) - 1;
    ASSERT_EQ(history.UndoCount(), steps);
    for (int i = steps; i > 0; --i) {
        ASSERT_TRUE(history.Undo(map));
        EXPECT_TRUE(map == after[i - 1]) << "undo of step " << i;
        EXPECT_TRUE(DifferencesInside(after[i], after[i - 1], history.LastChanged()))
            << "undo of step " << i;
    }
    EXPECT_FALSE(history.Undo(map));
    for (int i = 1; i <= steps; ++i) {
        ASSERT_TRUE(history.Redo(map));
        EXPECT_TRUE(map == after[i]) << "redo of step " << i;
        EXPECT_TRUE(DifferencesInside(after[i], after[i - 1], history.LastChanged()))
            << "redo of step " << i;
    }
}

}  // namespace
}  // namespace velmora::test
