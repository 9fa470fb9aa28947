#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "canvas/canvas_fixtures.h"
#include "canvas/history/draw_history.h"
#include "canvas/history/map_commands.h"
#include "canvas/history/tile_codec.h"
#include "canvas/map/grid_geometry.h"
#include "canvas/map/line_raster.h"
#include "canvas/map/map_ops.h"
#include "canvas/tools/area_tool_step.h"
#include "canvas/tools/area_tools.h"
#include "store/common_data.h"
#include "support/test_support.h"

namespace velmora::test {
namespace {

// The history as the author drives it, beside a model that keeps every step since the reset
// and rebuilds the map from the start by applying them all, as undo once did.
class HistoryAgainstFullReplay {
public:
    HistoryAgainstFullReplay(const Bitmap& start, std::uint32_t seed)
        : data(prompter), m_start(start), m_random(seed) {
        data.canvas.Width = start.Width();
        data.canvas.Height = start.Height();
        data.canvas.Map = start;
        history.Reset(data.canvas.Map);
    }

    void RunOneAction() {
        const int width = data.canvas.Width;
        const int height = data.canvas.Height;
        const int roll = static_cast<int>(m_random() % 100);
        const auto value = static_cast<std::uint8_t>(1 + m_random() % 255);
        const int before = history.UndoCount();
        const bool redoBefore = history.RedoCount() > 0;
        if (roll < 30) {
            data.BrushSize = 1 + static_cast<int>(m_random() % 40);
            PaintLikeMouse(
                data, history, m_random() % 9 == 0 ? 0 : value,
                RandomPath(m_random(), 2 + static_cast<int>(m_random() % 30), width, height));
        } else if (roll < 45) {
            const int kind = static_cast<int>(m_random() % 3);
            const std::int64_t x = m_random() % width;
            const std::int64_t y = m_random() % height;
            ApplyAreaTool(data, history, value, m_random() % 2 == 0, [&](MapWriter& writer) {
                if (kind == 0) {
                    FillRegion(writer, x, y);
                } else if (kind == 1) {
                    FillEllipse(writer, x - 150, y - 90, 300, 180);
                } else {
                    FillPolygon(writer, {{static_cast<double>(x), 0.0},
                                         {static_cast<double>(width), static_cast<double>(y)},
                                         {0.0, static_cast<double>(height)}});
                }
            });
        } else if (roll < 50) {
            const Rect rect{static_cast<int>(m_random() % width),
                            static_cast<int>(m_random() % height), 1 + width / 3, 1 + height / 4};
            FillMapRect(data.canvas.Map, rect.x, rect.y, rect.width, rect.height, value, true);
            FillMapRect(data.canvas.Map, rect.x + 3, rect.y + 2, 5, 5, 0, true);
            history.RecordValues(data.canvas.Map, rect);
        } else if (roll < 54) {
            const bool overwrite = m_random() % 2 == 0;
            std::vector<int> values;
            for (int column = 0; column < 3; ++column) {
                for (int row = 0; row < 2; ++row) {
                    const int cell = row == 1 && column == 1 ? kSkippedCell : value + column;
                    values.push_back(cell);
                    if (cell != kSkippedCell) {
                        const Rect r = GridCellRect(width, height, 3, 2, column, row);
                        FillMapRect(data.canvas.Map, r.x, r.y, r.width, r.height,
                                    static_cast<std::uint8_t>(cell % 256), overwrite);
                    }
                }
            }
            history.RecordGrid(3, 2, overwrite, values);
        } else if (roll < 56) {
            ClearMapAsStep(data, history);
        } else if (roll < 80) {
            const bool undone = history.Undo(data.canvas.Map);
            EXPECT_EQ(undone, before > 0);
            if (undone) {
                m_redo.push_back(m_done.back());
                m_done.pop_back();
                EXPECT_EQ(history.LastChanged(), StepReach(m_redo.back(), width, height));
            }
            return;
        } else {
            const bool redone = history.Redo(data.canvas.Map);
            EXPECT_EQ(redone, redoBefore);
            if (redone) {
                m_done.push_back(m_redo.back());
                m_redo.pop_back();
            }
            return;
        }
        if (history.UndoCount() != before || (redoBefore && history.RedoCount() == 0)) {
            m_done.push_back(history.UndoStep(history.UndoCount() - 1));
            m_redo.clear();
        }
    }

    // The map the start and the steps done so far make, painted one after another.
    Bitmap FullReplay(std::size_t steps) const {
        Bitmap map = m_start;
        for (std::size_t i = 0; i < steps; ++i) {
            ApplyStep(map, m_done[i]);
        }
        return map;
    }

    std::size_t Done() const { return m_done.size(); }

    ScriptedPrompter prompter;
    COMMON_DATA data;
    DRAW_HISTORY history;

private:
    Bitmap m_start;
    std::mt19937 m_random;
    std::vector<DRAW_HISTORY_RECORD> m_done;
    std::vector<DRAW_HISTORY_RECORD> m_redo;
};

// A start map with painting in it; noisy ones carry pixels whose three bytes differ, which
// undo must give back byte for byte all the same.
Bitmap StartMap(int width, int height, bool noisy) {
    Bitmap map = noisy ? Noise(width, height, 5) : Bitmap(width, height);
    FillMapRect(map, width / 4, height / 4, width / 3, height / 3, 9, true);
    return map;
}

struct SequenceCase {
    const char* name;
    int width;
    int height;
    bool noisy;
    std::uint32_t seed;
    int actions;
    bool passesCapacity;  // more steps are done than the history keeps, so old ones merge
};

class HistoryTilesTest : public ::testing::TestWithParam<SequenceCase> {};

// Random sequences of strokes, fills, area tools, shapes, grids, clears, undo and redo, past
// the step capacity so that old steps merge: after every action the map, and the history's
// own replay, equal painting all remaining steps onto the start.
TEST_P(HistoryTilesTest, UndoAndRedoEqualAFullReplay) {
    const SequenceCase& c = GetParam();
    HistoryAgainstFullReplay run(StartMap(c.width, c.height, c.noisy), c.seed);
    for (int i = 0; i < c.actions; ++i) {
        SCOPED_TRACE("action " + std::to_string(i));
        run.RunOneAction();
        ASSERT_TRUE(run.data.canvas.Map == run.FullReplay(run.Done()));
        if (i % 37 == 0 && run.history.UndoCount() > 0) {
            const int n = i % run.history.UndoCount();
            Bitmap replayed;
            run.history.Replay(replayed, n);
            const std::size_t kept =
                run.Done() - static_cast<std::size_t>(run.history.UndoCount() - n);
            EXPECT_TRUE(replayed == run.FullReplay(kept)) << "replay of " << n << " steps";
        }
    }
    if (c.passesCapacity) {
        EXPECT_GT(run.Done(), static_cast<std::size_t>(DRAW_HISTORY::kStepCapacity));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, HistoryTilesTest,
    ::testing::Values(SequenceCase{"tiles_with_ragged_edges", 700, 530, false, 1, 420, true},
                      SequenceCase{"start_with_unequal_bytes", 300, 290, true, 2, 160, false},
                      SequenceCase{"one_tile", 120, 90, false, 3, 200, false},
                      SequenceCase{"one_row_of_pixels", 1000, 1, false, 4, 120, false}),
    [](const auto& info) { return std::string(info.param.name); });

// A fresh map of one value is kept in a few bytes per tile, not as a second copy.
TEST(HistoryTiles, AnEmptyMapIsKeptInAFewBytes) {
    DRAW_HISTORY history;
    const Bitmap map(4000, 3000);
    history.Reset(map);
    EXPECT_LT(history.MapBytes(), map.SizeInBytes() / 1000);
    Bitmap replayed;
    history.Replay(replayed, 0);
    EXPECT_TRUE(replayed == map);
}

struct PackCase {
    const char* name;
    int width;
    int height;
    std::function<std::uint8_t(int x, int y, int channel)> byte;
};

// Tiles of every kind unpack to the same pixels, across row padding; damaged bytes are
// refused rather than read past.
TEST(HistoryTiles, PackedPixelsUnpackExactly) {
    const std::vector<PackCase> cases = {
        {"one_value", 256, 256, [](int, int, int) { return std::uint8_t{0}; }},
        {"one_colour_of_unequal_bytes", 37, 5, [](int, int, int c) { return std::uint8_t(c + 1); }},
        {"runs_longer_than_a_piece", 255, 3, [](int x, int, int) { return std::uint8_t(x / 200); }},
        {"noise", 33, 17, [](int x, int y, int c) { return std::uint8_t(x * 7 + y * 13 + c * 5); }},
        {"pairs", 9, 9, [](int x, int, int) { return std::uint8_t(x / 2); }},
        {"one_pixel", 1, 1, [](int, int, int) { return std::uint8_t{200}; }},
    };
    for (const PackCase& c : cases) {
        SCOPED_TRACE(c.name);
        Bitmap tile(c.width, c.height);
        for (int y = 0; y < c.height; ++y) {
            for (int x = 0; x < c.width; ++x) {
                for (int k = 0; k < 3; ++k) {
                    tile.Pixel(x, y)[k] = c.byte(x, y, k);
                }
            }
        }
        const std::vector<std::uint8_t> packed =
            PackPixels(tile.Data(), tile.BytesPerLine(), c.width, c.height);
        Bitmap back(c.width, c.height);
        ASSERT_TRUE(UnpackPixels(packed, back.Data(), back.BytesPerLine(), c.width, c.height));
        EXPECT_TRUE(back == tile);
        if (packed.size() > 3) {
            std::vector<std::uint8_t> cut(packed.begin(), packed.end() - 1);
            EXPECT_FALSE(UnpackPixels(cut, back.Data(), back.BytesPerLine(), c.width, c.height));
            EXPECT_FALSE(UnpackPixels(packed, back.Data(), back.BytesPerLine(), c.width,
                                      c.height - 1 > 0 ? c.height - 1 : c.height) &&
                         c.height > 1);
        }
    }
}

// A line drawn window by window writes exactly what it writes on the whole map, for thin and
// wide pens, odd and even widths, and ends outside the map.
TEST(HistoryTiles, LinesDrawnThroughWindowsEqualLinesOnTheWholeMap) {
    constexpr int kMapWidth = 97;
    constexpr int kMapHeight = 61;
    std::mt19937 random(11);
    for (const int width : {1, 2, 3, 8, 25}) {
        for (int line = 0; line < 20; ++line) {
            const auto coordinate = [&](int size) {
                return static_cast<std::int32_t>(random() % (size + 40)) - 20;
            };
            const std::int32_t x0 = coordinate(kMapWidth), y0 = coordinate(kMapHeight);
            const std::int32_t x1 = coordinate(kMapWidth), y1 = coordinate(kMapHeight);
            Bitmap whole(kMapWidth, kMapHeight);
            DrawLine(whole, x0, y0, x1, y1, width, 7);
            Bitmap pieced(kMapWidth, kMapHeight);
            for (int top = 0; top < kMapHeight; top += 16) {
                for (int left = 0; left < kMapWidth; left += 23) {
                    Bitmap part(std::min(23, kMapWidth - left), std::min(16, kMapHeight - top));
                    DrawLineWithin({part, left, top, kMapWidth, kMapHeight}, x0, y0, x1, y1, width,
                                   7);
                    for (int y = 0; y < part.Height(); ++y) {
                        std::memcpy(pieced.Pixel(left, top + y), part.Row(y),
                                    static_cast<std::size_t>(part.Width()) * 3);
                    }
                }
            }
            EXPECT_TRUE(pieced == whole) << "width " << width << " line " << line;
        }
    }
}

}  // namespace
}  // namespace velmora::test
