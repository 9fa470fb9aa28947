#include <gtest/gtest.h>

#include <map>
#include <string>
#include <variant>
#include <vector>

#include "canvas/canvas_fixtures.h"
#include "canvas/history/draw_history.h"
#include "canvas/history/map_commands.h"
#include "canvas/history/stroke_recorder.h"
#include "canvas/map/grid_geometry.h"
#include "canvas/map/map_ops.h"
#include "support/test_support.h"

namespace velmora::test {
namespace {

enum class Op {
    Stroke,   // a: stroke number
    Release,  // a mouse release that closes a step without points
    Click,    // a left click without a move: a press and a release at one point
    Clear,    // "Очистить карту"
    Grid,     // a 3 x 2 grid; a: overwrite
    Reset,
    Undo,    // a: expected result
    Redo,    // a: expected result
    Keep,    // a: remember the map under this number
    Expect,  // a: the map equals the one remembered under this number (0: the start)
    Counts,  // a: undo count, b: redo count
};

// One step of a scripted case: an operation and its arguments.
struct Action {
    Op op;
    int a = 0;
    int b = 0;
};

// A named sequence of actions run on a fresh map and history.
struct HistoryCase {
    std::string name;
    std::vector<Action> actions;
};

constexpr int kWidth = 120;
constexpr int kHeight = 90;

// A map, its brush and a history driven action by action, with maps kept for comparison.
class HistoryScript {
public:
    HistoryScript() : data(prompter) {
        data.canvas.Width = kWidth;
        data.canvas.Height = kHeight;
        data.canvas.Map = Bitmap(kWidth, kHeight);
        FillMapRect(data.canvas.Map, 30, 20, 40, 30, 9, true);  // painting from before the reset
        history.Reset(data.canvas.Map);
        kept[0] = data.canvas.Map;
    }

    void Run(const Action& action, std::size_t index) {
        SCOPED_TRACE("action " + std::to_string(index));
        switch (action.op) {
            case Op::Stroke:
                data.BrushSize = 1 + (action.a * 7) % 30;
                PaintLikeMouse(
                    data, history, 1 + action.a % 200,
                    RandomPath(static_cast<std::uint32_t>(action.a), 15, kWidth, kHeight));
                break;
            case Op::Release:
                StrokeRecorder(data, history).Release();
                break;
            case Op::Click: {
                StrokeRecorder click(data, history);
                click.Press(40, 40, 1);
                click.Release();
                break;
            }
            case Op::Clear:
                ClearMapAsStep(data, history);
                break;
            case Op::Grid: {
                std::vector<int> values;
                for (int column = 0; column < 3; ++column) {
                    for (int row = 0; row < 2; ++row) {
                        const int value = 11 + static_cast<int>(values.size());
                        const Rect cell = GridCellRect(kWidth, kHeight, 3, 2, column, row);
                        FillMapRect(data.canvas.Map, cell.x, cell.y, cell.width, cell.height,
                                    static_cast<std::uint8_t>(value), action.a != 0);
                        values.push_back(value);
                    }
                }
                history.RecordGrid(3, 2, action.a != 0, values);
                break;
            }
            case Op::Reset:
                history.Reset(data.canvas.Map);
                break;
            case Op::Undo:
                EXPECT_EQ(history.Undo(data.canvas.Map), action.a != 0);
                break;
            case Op::Redo:
                EXPECT_EQ(history.Redo(data.canvas.Map), action.a != 0);
                break;
            case Op::Keep:
                kept[action.a] = data.canvas.Map;
                break;
            case Op::Expect:
                EXPECT_TRUE(data.canvas.Map == kept.at(action.a))
                    << "map differs from " << action.a;
                break;
            case Op::Counts:
                EXPECT_EQ(history.UndoCount(), action.a);
                EXPECT_EQ(history.RedoCount(), action.b);
                break;
        }
    }

    ScriptedPrompter prompter;
    COMMON_DATA data;
    DRAW_HISTORY history;
    std::map<int, Bitmap> kept;
};

std::vector<Action> Strokes(int first, int count) {
    std::vector<Action> actions;
    for (int i = 0; i < count; ++i) {
        actions.push_back({Op::Stroke, first + i});
    }
    return actions;
}

std::vector<Action> Repeat(Action action, int count) {
    return std::vector<Action>(count, action);
}

std::vector<Action> Join(std::initializer_list<std::vector<Action>> parts) {
    std::vector<Action> all;
    for (const auto& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

std::vector<HistoryCase> Cases() {
    const Action undo{Op::Undo, 1}, redo{Op::Redo, 1};
    const Action noUndo{Op::Undo, 0}, noRedo{Op::Redo, 0};
    return {
        {"undo_right_after_reset", {noUndo, {Op::Expect, 0}, {Op::Counts, 0, 0}}},
        {"three_strokes_undo_twice_redo_once",
         {{Op::Stroke, 1},
          {Op::Stroke, 2},
          {Op::Keep, 1},
          {Op::Stroke, 3},
          {Op::Keep, 2},
          undo,
          undo,
          redo,
          {Op::Expect, 1},
          redo,
          {Op::Expect, 2},
          noRedo,
          {Op::Expect, 2}}},
        {"stroke_after_undo_empties_redo",
         {{Op::Stroke, 1},
          {Op::Stroke, 2},
          undo,
          {Op::Stroke, 3},
          {Op::Keep, 1},
          {Op::Counts, 2, 0},
          noRedo,
          {Op::Expect, 1}}},
        // Steps that paint nothing are not recorded, so the next undo always shows.
        {"release_without_stroke_records_nothing",
         {{Op::Stroke, 1}, {Op::Release}, {Op::Click}, {Op::Counts, 1, 0}, undo, {Op::Expect, 0}}},
        {"empty_release_after_undo_keeps_redo",
         {{Op::Stroke, 1},
          {Op::Stroke, 2},
          {Op::Keep, 2},
          undo,
          {Op::Release},
          {Op::Click},
          {Op::Counts, 1, 1},
          {Op::Redo, 1},
          {Op::Expect, 2}}},
        {"clear_then_undo_restores_the_painting",
         {{Op::Stroke, 1},
          {Op::Stroke, 2},
          {Op::Keep, 1},
          {Op::Clear},
          {Op::Keep, 2},
          undo,
          {Op::Expect, 1},
          redo,
          {Op::Expect, 2}}},
        {"grid_without_overwrite_undone_and_redone",
         {{Op::Stroke, 1},
          {Op::Keep, 1},
          {Op::Grid, 0},
          {Op::Keep, 2},
          undo,
          {Op::Expect, 1},
          redo,
          {Op::Expect, 2}}},
        {"grid_with_overwrite_undone_and_redone",
         {{Op::Stroke, 1},
          {Op::Keep, 1},
          {Op::Grid, 1},
          {Op::Keep, 2},
          undo,
          {Op::Expect, 1},
          redo,
          {Op::Expect, 2},
          {Op::Stroke, 2},
          {Op::Keep, 3},
          undo,
          {Op::Expect, 2}}},
        {"reset_forgets_every_step",
         {{Op::Stroke, 1},
          {Op::Stroke, 2},
          undo,
          {Op::Reset},
          {Op::Keep, 1},
          noUndo,
          noRedo,
          {Op::Expect, 1}}},
        {"ninety_nine_steps_are_all_undoable", Join({Strokes(1, 99),
                                                     {{Op::Counts, 99, 0}},
                                                     Repeat(undo, 99),
                                                     {noUndo, {Op::Expect, 0}},
                                                     Repeat(redo, 99),
                                                     {noRedo}})},
        {"the_hundredth_step_merges_the_oldest_fifty", Join({Strokes(1, 50),
                                                             {{Op::Keep, 1}},
                                                             Strokes(51, 49),
                                                             {{Op::Counts, 99, 0}},
                                                             Strokes(100, 1),
                                                             {{Op::Keep, 2}, {Op::Counts, 50, 0}},
                                                             Repeat(undo, 50),
                                                             {noUndo, {Op::Expect, 1}},
                                                             Repeat(redo, 50),
                                                             {{Op::Expect, 2}}})},
    };
}

TEST(DrawHistory, FollowsEveryScriptedCase) {
    for (const HistoryCase& c : Cases()) {
        SCOPED_TRACE(c.name);
        HistoryScript script;
        for (std::size_t i = 0; i < c.actions.size(); ++i) {
            script.Run(c.actions[i], i);
        }
    }
}

TEST(DrawHistory, ALongStrokeSplitsIntoStepsThatReplayAsItWasPainted) {
    ScriptedPrompter prompter;
    COMMON_DATA data(prompter);
    data.canvas.Map = Bitmap(300, 200);
    DRAW_HISTORY history;
    history.Reset(data.canvas.Map);
    const Bitmap start = data.canvas.Map;
    data.BrushSize = 3;
    const auto path = RandomPath(5, 25'000, 300, 200);
    PaintLikeMouse(data, history, 42, path);

    ASSERT_EQ(history.UndoCount(), 3);
    // Each split repeats its last point as the next step's first, so no segment is lost.
    EXPECT_EQ(std::get<StrokeStep>(history.UndoStep(0)).Count(), DRAW_HISTORY::kPointCapacity);
    EXPECT_EQ(std::get<StrokeStep>(history.UndoStep(1)).Points.front(), path[9'999]);
    EXPECT_EQ(std::get<StrokeStep>(history.UndoStep(2)).Points.back(), path.back());
    Bitmap replayed;
    history.Replay(replayed, 3);
    EXPECT_TRUE(replayed == data.canvas.Map);

    // Each undo takes away one step: what is left equals painting the shorter path live.
    for (const std::size_t kept : {std::size_t{19'999}, std::size_t{10'000}}) {
        ASSERT_TRUE(history.Undo(data.canvas.Map));
        COMMON_DATA other(prompter);
        other.canvas.Map = start;
        other.BrushSize = 3;
        DRAW_HISTORY scratch;
        PaintLikeMouse(other, scratch, 42,
                       std::vector<HistoryPoint>(path.begin(), path.begin() + kept));
        EXPECT_TRUE(data.canvas.Map == other.canvas.Map) << kept << " points";
    }
    ASSERT_TRUE(history.Undo(data.canvas.Map));
    EXPECT_TRUE(data.canvas.Map == start);
}

TEST(DrawHistory, ReplayEqualsLivePaintingForEveryBrushSize) {
    ScriptedPrompter prompter;
    COMMON_DATA data(prompter);
    data.canvas.Map = Bitmap(157, 101);  // rows padded to four bytes
    DRAW_HISTORY history;
    history.Reset(data.canvas.Map);
    std::mt19937 random(3);
    for (int stroke = 0; stroke < 60; ++stroke) {
        data.BrushSize = 1 + stroke % 100;
        const int value = stroke % 7 == 0 ? 0 : 1 + static_cast<int>(random() % 255);
        PaintLikeMouse(data, history, value,
                       RandomPath(random(), 1 + static_cast<int>(random() % 40), 157, 101));
    }
    Bitmap replayed;
    history.Replay(replayed, history.UndoCount());
    EXPECT_TRUE(replayed == data.canvas.Map);
}

TEST(DrawHistory, CoordinatesBeyondSixteenBitsUndoExactly) {
    ScriptedPrompter prompter;
    COMMON_DATA data(prompter);
    data.canvas.Map = Bitmap(40'000, 3);
    DRAW_HISTORY history;
    history.Reset(data.canvas.Map);
    data.BrushSize = 1;
    PaintLikeMouse(data, history, 8, {{33'000, 1}, {39'999, 1}});
    const Bitmap painted = data.canvas.Map;
    PaintLikeMouse(data, history, 0, {{39'000, 1}, {39'500, 1}});
    ASSERT_TRUE(history.Undo(data.canvas.Map));
    EXPECT_TRUE(data.canvas.Map == painted);
    EXPECT_EQ(AreaAt(data.canvas.Map, 39'999, 1), 8);
    EXPECT_EQ(AreaAt(data.canvas.Map, 32'999, 1), 0);
}

}  // namespace
}  // namespace velmora::test

namespace velmora::test {
namespace {

// Undo and redo name the rectangle they may have changed; every changed pixel lies in it.
TEST(DrawHistory, UndoAndRedoNameTheRectangleTheyChanged) {
    ScriptedPrompter prompter;
    COMMON_DATA data(prompter);
    data.canvas.Map = Bitmap(90, 70);
    DRAW_HISTORY history;
    history.Reset(data.canvas.Map);
    std::mt19937 random(12);
    for (int stroke = 0; stroke < 12; ++stroke) {
        data.BrushSize = 1 + static_cast<int>(random() % 10);
        PaintLikeMouse(data, history, 1 + static_cast<int>(random() % 5),
                       RandomPath(random(), 2 + static_cast<int>(random() % 6), 90, 70));
    }
    data.canvas.Map.Clear();
    history.MarkClear();
    auto check = [&](bool undo) {
        const Bitmap before = data.canvas.Map;
        ASSERT_TRUE(undo ? history.Undo(data.canvas.Map) : history.Redo(data.canvas.Map));
        const Rect changed = history.LastChanged();
        for (int y = 0; y < 70; ++y) {
            for (int x = 0; x < 90; ++x) {
                if (before.Pixel(x, y)[0] != data.canvas.Map.Pixel(x, y)[0]) {
                    ASSERT_FALSE(changed.Intersected({x, y, 1, 1}).Empty()) << x << "," << y;
                }
            }
        }
    };
    check(true);  // the clear: all of the map
    EXPECT_EQ(history.LastChanged(), (Rect{0, 0, 90, 70}));
    for (int i = 0; i < 8; ++i) {
        check(true);
        EXPECT_LT(history.LastChanged().width * history.LastChanged().height, 90 * 70);
    }
    for (int i = 0; i < 5; ++i) {
        check(false);
    }
}

}  // namespace
}  // namespace velmora::test
