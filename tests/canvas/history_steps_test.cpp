#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <variant>
#include <vector>

#include "canvas/canvas_fixtures.h"
#include "canvas/history/draw_history.h"
#include "canvas/history/map_commands.h"
#include "canvas/history/stroke_recorder.h"
#include "canvas/map/grid_geometry.h"
#include "canvas/map/map_ops.h"
#include "canvas/tools/area_tool_step.h"
#include "canvas/tools/area_tools.h"
#include "store/common_data.h"
#include "store/errors.h"
#include "support/test_support.h"

namespace velmora::test {
namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 48;

// A map with painting from before the history began, and its history.
struct Canvas {
    Canvas() : data(prompter) {
        data.canvas.Width = kWidth;
        data.canvas.Height = kHeight;
        data.canvas.PictureLoaded = true;
        data.canvas.Map = Bitmap(kWidth, kHeight);
        FillMapRect(data.canvas.Map, 10, 8, 20, 14, 9, true);
        history.Reset(data.canvas.Map);
    }
    ScriptedPrompter prompter;
    COMMON_DATA data;
    DRAW_HISTORY history;
};

bool HasNoDifferenceOutside(const Bitmap& a, const Bitmap& b, const Rect& rect) {
    for (int y = 0; y < a.Height(); ++y) {
        for (int x = 0; x < a.Width(); ++x) {
            if (rect.Intersected({x, y, 1, 1}).Empty() && AreaAt(a, x, y) != AreaAt(b, x, y)) {
                return false;
            }
        }
    }
    return true;
}

// One kind of step: how to make it on the canvas, and what it must hold.
struct StepCase {
    const char* name;
    std::function<void(Canvas&)> make;
    std::function<void(const DRAW_HISTORY_RECORD&)> check;
};

std::vector<StepCase> StepCases() {
    return {
        {"stroke",
         [](Canvas& c) {
             c.data.BrushSize = 5;
             PaintLikeMouse(c.data, c.history, 3, {{2, 2}, {40, 30}, {60, 5}});
         },
         [](const DRAW_HISTORY_RECORD& step) {
             const auto& stroke = std::get<StrokeStep>(step);
             EXPECT_EQ(stroke.Color, 0x030303);
             EXPECT_EQ(stroke.Width, 5);
             EXPECT_EQ(stroke.Points, (std::vector<HistoryPoint>{{2, 2}, {40, 30}, {60, 5}}));
         }},
        {"erasing stroke",
         [](Canvas& c) {
             c.data.BrushSize = 9;
             PaintLikeMouse(c.data, c.history, 0, {{0, 10}, {63, 12}});
         },
         [](const DRAW_HISTORY_RECORD& step) { EXPECT_EQ(std::get<StrokeStep>(step).Color, 0); }},
        {"clear", [](Canvas& c) { ClearMapAsStep(c.data, c.history); },
         [](const DRAW_HISTORY_RECORD& step) {
             EXPECT_TRUE(std::holds_alternative<ClearStep>(step));
         }},
        {"grid without overwrite",
         [](Canvas& c) {
             const std::vector<int> values = {4, kSkippedCell, 6, 7};
             std::size_t k = 0;
             for (int column = 0; column < 2; ++column) {
                 for (int row = 0; row < 2; ++row, ++k) {
                     const Rect cell = GridCellRect(kWidth, kHeight, 2, 2, column, row);
                     if (values[k] > 0) {
                         FillMapRect(c.data.canvas.Map, cell.x, cell.y, cell.width, cell.height,
                                     static_cast<std::uint8_t>(values[k]), false);
                     }
                 }
             }
             c.history.RecordGrid(2, 2, false, values);
         },
         [](const DRAW_HISTORY_RECORD& step) {
             const auto& grid = std::get<GridStep>(step);
             EXPECT_EQ(grid.Columns, 2);
             EXPECT_EQ(grid.Rows, 2);
             EXPECT_FALSE(grid.Overwrite);
             EXPECT_EQ(grid.CellValues, (std::vector<std::int32_t>{4, kSkippedCell, 6, 7}));
         }},
        {"tool pixels",
         [](Canvas& c) {
             ApplyAreaTool(c.data, c.history, 5, false,
                           [](MapWriter& w) { FillEllipse(w, 5, 4, 40, 30); });
         },
         [](const DRAW_HISTORY_RECORD& step) {
             const auto& pixels = std::get<PixelsStep>(step);
             EXPECT_EQ(pixels.Value, 5);
             EXPECT_FALSE(pixels.Mask.empty());
         }},
        {"many values",
         [](Canvas& c) {
             FillMapRect(c.data.canvas.Map, 40, 30, 10, 10, 11, true);
             FillMapRect(c.data.canvas.Map, 50, 30, 10, 10, 12, true);
             c.history.RecordValues(c.data.canvas.Map, {40, 30, 20, 10});
         },
         [](const DRAW_HISTORY_RECORD& step) {
             EXPECT_EQ(std::get<ValuesStep>(step).Changed, (Rect{40, 30, 20, 10}));
         }},
    };
}

// Each kind of step, made after a stroke and followed by another: it is one step of its own
// kind holding its own fields, replay rebuilds the map after it pixel for pixel, undo gives
// back the map before it and names a rectangle holding every pixel it changed, redo brings
// it back, and the steps after it still replay on top.
TEST(HistorySteps, EveryKindReplaysUndoesAndRedoesExactly) {
    for (const StepCase& c : StepCases()) {
        SCOPED_TRACE(c.name);
        Canvas canvas;
        Bitmap& map = canvas.data.canvas.Map;
        canvas.data.BrushSize = 3;
        PaintLikeMouse(canvas.data, canvas.history, 2, {{0, 40}, {63, 47}});
        const Bitmap before = map;
        c.make(canvas);
        const Bitmap after = map;
        ASSERT_FALSE(before == after);
        ASSERT_EQ(canvas.history.UndoCount(), 2);
        c.check(canvas.history.UndoStep(1));
        PaintLikeMouse(canvas.data, canvas.history, 8, {{30, 0}, {33, 47}});
        const Bitmap last = map;

        Bitmap replayed;
        for (const auto& [n, expected] :
             std::vector<std::pair<int, const Bitmap*>>{{1, &before}, {2, &after}, {3, &last}}) {
            canvas.history.Replay(replayed, n);
            EXPECT_TRUE(replayed == *expected) << "replay of " << n;
        }
        ASSERT_TRUE(canvas.history.Undo(map));
        ASSERT_TRUE(canvas.history.Undo(map));
        EXPECT_TRUE(map == before);
        EXPECT_TRUE(HasNoDifferenceOutside(before, after, canvas.history.LastChanged()));
        ASSERT_TRUE(canvas.history.Redo(map));
        EXPECT_TRUE(map == after);
        EXPECT_TRUE(HasNoDifferenceOutside(before, after, canvas.history.LastChanged()));
        ASSERT_TRUE(canvas.history.Redo(map));
        EXPECT_TRUE(map == last);
    }
}

// A step kept by the merge at the capacity is painted into the snapshot as replay paints it.
TEST(HistorySteps, MergingAtCapacityPaintsEveryKindIntoTheSnapshot) {
    Canvas canvas;
    Bitmap& map = canvas.data.canvas.Map;
    const std::vector<StepCase> cases = StepCases();
    // The map after each appended step; a tool's use that changed nothing appends none.
    std::vector<Bitmap> after;
    for (std::size_t i = 0; after.size() < DRAW_HISTORY::kStepCapacity; ++i) {
        const int steps = canvas.history.UndoCount();
        cases[i % cases.size()].make(canvas);
        if (canvas.history.UndoCount() != steps) {
            after.push_back(map);
        }
    }
    ASSERT_EQ(canvas.history.UndoCount(), DRAW_HISTORY::kStepCapacity / 2);
    while (canvas.history.Undo(map)) {
    }
    EXPECT_TRUE(map == after[DRAW_HISTORY::kStepCapacity / 2 - 1]);
}

// The recorder paints as the mouse does: the press paints nothing, a click without a move
// leaves the map and both lists as they were (the release closes an empty step), and a
// stroke past the point capacity is split into steps that replay as it was painted.
TEST(StrokeRecorder, PaintsMovesOnlyAndSplitsLongStrokes) {
    struct Case {
        const char* name;
        int points;
        int steps;
    };
    for (const Case& c : {Case{"click without a move", 1, 0}, Case{"short stroke", 30, 1},
                          Case{"25,000 points", 25'000, 3}}) {
        SCOPED_TRACE(c.name);
        Canvas canvas;
        canvas.data.BrushSize = 4;
        PaintLikeMouse(canvas.data, canvas.history, 6, {{1, 1}, {20, 20}});
        ASSERT_TRUE(canvas.history.Undo(canvas.data.canvas.Map));  // one step to redo
        const Bitmap before = canvas.data.canvas.Map;
        canvas.data.canvas.MapModified = false;

        const auto path = RandomPath(7, c.points, kWidth, kHeight);
        StrokeRecorder stroke(canvas.data, canvas.history);
        stroke.Press(path[0].x, path[0].y, 3);
        EXPECT_TRUE(canvas.data.Painting);
        EXPECT_TRUE(canvas.data.canvas.Map == before) << "the press painted";
        Rect painted;
        for (std::size_t i = 1; i < path.size(); ++i) {
            painted = painted.United(stroke.Move(path[i].x, path[i].y));
        }
        stroke.Release();
        EXPECT_FALSE(canvas.data.Painting);

        EXPECT_EQ(canvas.history.UndoCount(), c.steps);
        EXPECT_EQ(canvas.data.canvas.MapModified, c.points > 1);
        if (c.steps == 0) {
            EXPECT_TRUE(canvas.data.canvas.Map == before);
            EXPECT_EQ(canvas.history.RedoCount(), 1);
            continue;
        }
        EXPECT_EQ(canvas.history.RedoCount(), 0);
        EXPECT_TRUE(HasNoDifferenceOutside(before, canvas.data.canvas.Map, painted));
        Bitmap replayed;
        canvas.history.Replay(replayed, c.steps);
        EXPECT_TRUE(replayed == canvas.data.canvas.Map);
        for (int i = 0; i < c.steps; ++i) {
            const auto& step = std::get<StrokeStep>(canvas.history.UndoStep(i));
            EXPECT_LE(step.Count(), DRAW_HISTORY::kPointCapacity);
            EXPECT_EQ(step.Color, 0x030303);
            EXPECT_EQ(step.Width, 4);
        }
    }
}

// A click that asks for a dab paints one disc of the brush about the press, as one step that
// undo takes back and redo and a replay paint again exactly.
TEST(StrokeRecorder, AClickDabIsOneReplayableStep) {
    Canvas canvas;
    canvas.data.BrushSize = 7;
    const Bitmap before = canvas.data.canvas.Map;
    StrokeRecorder stroke(canvas.data, canvas.history);
    stroke.Press(30, 20, 3);
    const Rect dab = stroke.Release(StrokeRecorder::ClickDab::Paint);
    EXPECT_EQ(dab.x, 27);
    EXPECT_EQ(dab.width, 7);
    EXPECT_EQ(AreaAt(canvas.data.canvas.Map, 30, 20), 3);
    EXPECT_EQ(AreaAt(canvas.data.canvas.Map, 27, 17), AreaAt(before, 27, 17));  // round
    EXPECT_TRUE(HasNoDifferenceOutside(before, canvas.data.canvas.Map, dab));
    EXPECT_TRUE(canvas.data.canvas.MapModified);
    ASSERT_EQ(canvas.history.UndoCount(), 1);
    const Bitmap painted = canvas.data.canvas.Map;
    Bitmap replayed;
    canvas.history.Replay(replayed, 1);
    EXPECT_TRUE(replayed == painted);
    ASSERT_TRUE(canvas.history.Undo(canvas.data.canvas.Map));
    EXPECT_TRUE(canvas.data.canvas.Map == before);
    ASSERT_TRUE(canvas.history.Redo(canvas.data.canvas.Map));
    EXPECT_TRUE(canvas.data.canvas.Map == painted);

    // A stroke that moved gets no dab at its press beyond what it painted.
    StrokeRecorder moved(canvas.data, canvas.history);
    moved.Press(60, 40, 4);
    moved.Move(70, 40);
    EXPECT_TRUE(moved.Release(StrokeRecorder::ClickDab::Paint).Empty());
}

// A move outside a stroke (after a middle click cleared Painting) records and paints nothing.
TEST(StrokeRecorder, AMoveOutsideAStrokeDoesNothing) {
    Canvas canvas;
    const Bitmap before = canvas.data.canvas.Map;
    StrokeRecorder stroke(canvas.data, canvas.history);
    stroke.Press(5, 5, 3);
    canvas.data.Painting = false;
    EXPECT_TRUE(stroke.Move(40, 40).Empty());
    stroke.Release();
    EXPECT_TRUE(canvas.data.canvas.Map == before);
    EXPECT_EQ(canvas.history.UndoCount(), 0);
    EXPECT_FALSE(canvas.data.canvas.MapModified);
}

// The pixels a tool's step holds, painted with a value no pixel has: exactly those where the
// map before and after the use differ.
Bitmap StepPixels(const DRAW_HISTORY_RECORD& step, int width, int height) {
    Bitmap marked(width, height);
    ApplyStep(marked, step);
    return marked;
}

// One use of each tool, with and without overwrite, over a map holding other areas: the step
// holds exactly the changed pixels and their tight rectangle, no more bytes than a mask of
// that rectangle, and undo restores the map.
TEST(AreaToolStep, RecordsExactlyTheChangedPixels) {
    Bitmap picture(kWidth, kHeight);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            std::uint8_t* p = picture.Pixel(x, y);
            p[0] = p[1] = p[2] = static_cast<std::uint8_t>(
                (x - 40) * (x - 40) + (y - 20) * (y - 20) < 120 ? 30 : 220);
        }
    }
    struct Use {
        const char* name;
        AreaToolPass tool;
    };
    const std::vector<Use> uses = {
        {"rectangle", [](MapWriter& w) { FillRectangle(w, -5, 4, 30, 12); }},
        {"ellipse", [](MapWriter& w) { FillEllipse(w, 3, 3, 50, 40); }},
        {"polygon",
         [](MapWriter& w) {
             FillPolygon(w, {{0, 0}, {63, 5}, {20, 47}});
         }},
        {"region", [](MapWriter& w) { FillRegion(w, 0, 47); }},
        {"wand", [&picture](MapWriter& w) { FillSimilarColour(w, picture, 40, 20, 5, true); }},
        {"object", [&picture](MapWriter& w) { FillObject(w, picture, 28, 8, 26, 26); }},
    };
    for (const Use& use : uses) {
        for (const bool overwrite : {false, true}) {
            SCOPED_TRACE(std::string(use.name) + (overwrite ? " with overwrite" : ""));
            Canvas canvas;
            PaintLikeMouse(canvas.data, canvas.history, 4, {{0, 30}, {63, 33}});
            canvas.data.canvas.MapModified = false;
            const Bitmap before = canvas.data.canvas.Map;
            const Rect changed =
                ApplyAreaTool(canvas.data, canvas.history, 200, overwrite, use.tool);
            const Bitmap& after = canvas.data.canvas.Map;
            ASSERT_FALSE(changed.Empty());
            ASSERT_EQ(canvas.history.UndoCount(), 2);
            EXPECT_TRUE(canvas.data.canvas.MapModified);

            const auto& step = std::get<PixelsStep>(canvas.history.UndoStep(1));
            EXPECT_EQ(step.Changed, changed);
            const Bitmap marked = StepPixels(canvas.history.UndoStep(1), kWidth, kHeight);
            Rect tight;
            for (int y = 0; y < kHeight; ++y) {
                for (int x = 0; x < kWidth; ++x) {
                    const bool differs = AreaAt(before, x, y) != AreaAt(after, x, y);
                    ASSERT_EQ(AreaAt(marked, x, y) == 200, differs) << x << "," << y;
                    if (differs) {
                        ASSERT_EQ(AreaAt(after, x, y), 200);
                        tight = tight.United({x, y, 1, 1});
                    }
                }
            }
            EXPECT_EQ(changed, tight);
            EXPECT_LE(StepBytes(canvas.history.UndoStep(1)),
                      sizeof(DRAW_HISTORY_RECORD) + 64 +
                          static_cast<std::size_t>((tight.width + 7) / 8) * tight.height);

            ASSERT_TRUE(canvas.history.Undo(canvas.data.canvas.Map));
            EXPECT_TRUE(canvas.data.canvas.Map == before);
            EXPECT_EQ(canvas.history.LastChanged(), changed);
        }
    }
}

// A small use on a large map keeps a small step: the map is never copied into the history.
TEST(AreaToolStep, ASmallUseOnALargeMapKeepsASmallStep) {
    ScriptedPrompter prompter;
    COMMON_DATA data(prompter);
    data.canvas.Map = Bitmap(3000, 2000);
    DRAW_HISTORY history;
    const Rect changed = ApplyAreaTool(data, history, 7, false,
                                       [](MapWriter& w) { FillEllipse(w, 1500, 900, 20, 10); });
    EXPECT_GT(changed.width, 0);
    EXPECT_LE(changed.width, 20);
    EXPECT_LE(changed.height, 10);
    EXPECT_EQ(std::get<PixelsStep>(history.UndoStep(0)).Changed, changed);
    EXPECT_LT(history.StepBytes(), 256u);
}

// A use that changes nothing or is refused is no step and leaves the map unmarked.
TEST(AreaToolStep, NothingChangedOrRefusedRecordsNothing) {
    Canvas canvas;
    const Bitmap before = canvas.data.canvas.Map;
    struct Use {
        const char* name;
        AreaToolPass tool;
        bool refused;
    };
    for (const Use& use :
         {Use{"off the map", [](MapWriter& w) { FillEllipse(w, 90, 90, 5, 5); }, false},
          Use{"into another area", [](MapWriter& w) { FillRectangle(w, 12, 10, 5, 5); }, false},
          Use{"region off the map", [](MapWriter& w) { FillRegion(w, -1, 3); }, true},
          Use{"two-point polygon",
              [](MapWriter& w) {
                  FillPolygon(w, {{0, 0}, {9, 9}});
              },
              true}}) {
        SCOPED_TRACE(use.name);
        if (use.refused) {
            EXPECT_THROW(ApplyAreaTool(canvas.data, canvas.history, 3, false, use.tool), Error);
        } else {
            EXPECT_TRUE(ApplyAreaTool(canvas.data, canvas.history, 3, false, use.tool).Empty());
        }
        EXPECT_TRUE(canvas.data.canvas.Map == before);
        EXPECT_EQ(canvas.history.UndoCount(), 0);
        EXPECT_FALSE(canvas.data.canvas.MapModified);
    }
}

}  // namespace
}  // namespace velmora::test
