#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "canvas/canvas_fixtures.h"
#include "canvas/history/draw_history.h"
#include "canvas/map/map_ops.h"
#include "canvas/tools/area_grid.h"
#include "store/image_file.h"
#include "store/store_fixture.h"

namespace velmora::test {
namespace {

// A project with a 100 x 60 picture, its history reset as after opening the picture, and the
// history reset again whenever areas are removed.
class GridTest : public StoreTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(data.CreateProject(ProjectPath()));
        SaveImageFile(Bitmap(100, 60), folder / "hall.png");
        ASSERT_TRUE(data.ImportPicture(folder / "hall.png"));
        history.Reset(data.canvas.Map);
        data.AreasRemoved = [this] { history.Reset(data.canvas.Map); };
    }

    // The bounding box and pixel count of one area value.
    struct Extent {
        Rect box;
        long long pixels = 0;
    };
    Extent ExtentOf(int value) const {
        Extent e;
        for (int y = 0; y < data.canvas.Map.Height(); ++y) {
            for (int x = 0; x < data.canvas.Map.Width(); ++x) {
                if (AreaAt(data.canvas.Map, x, y) == value) {
                    e.box = e.box.United({x, y, 1, 1});
                    ++e.pixels;
                }
            }
        }
        return e;
    }

    DRAW_HISTORY history;
};

// One expected cell: its area's name and the rectangle it fills.
struct CellCase {
    std::string name;
    Rect box;  // x, y, width, height; filled wholly
};

// A grid shape over the 100 x 60 picture and the cells it must give.
struct GeometryCase {
    const char* title;
    int columns;
    int rows;
    std::vector<CellCase> cells;  // in number order 1, 2, ...
    long long unpainted;
};

TEST_F(GridTest, NamesAndPaintsEachCellColumnByColumn) {
    const GeometryCase cases[] = {
        {"3x2",
         3,
         2,
         {{"Область_1_1", {0, 0, 33, 30}},
          {"Область_1_2", {0, 30, 33, 30}},
          {"Область_2_1", {33, 0, 33, 30}},
          {"Область_2_2", {33, 30, 33, 30}},
          {"Область_3_1", {66, 0, 33, 30}},
          {"Область_3_2", {66, 30, 33, 30}}},
         60},  // pixel column 99 stays unpainted
        {"1x4",
         1,
         4,
         {{"Область_1", {0, 0, 100, 15}},
          {"Область_2", {0, 15, 100, 15}},
          {"Область_3", {0, 30, 100, 15}},
          {"Область_4", {0, 45, 100, 15}}},
         0},
        {"4x1",
         4,
         1,
         {{"Область_1", {0, 0, 25, 60}},
          {"Область_2", {25, 0, 25, 60}},
          {"Область_3", {50, 0, 25, 60}},
          {"Область_4", {75, 0, 25, 60}}},
         0},
    };
    for (const GeometryCase& c : cases) {
        SCOPED_TRACE(c.title);
        data.DeleteAllAreas();
        const GridResult result = AddAreaGrid(data, history, {c.columns, c.rows});
        ASSERT_TRUE(result.done);
        ASSERT_EQ(data.areas.AreaCount, static_cast<int>(c.cells.size()));
        for (std::size_t i = 0; i < c.cells.size(); ++i) {
            const int number = static_cast<int>(i) + 1;
            EXPECT_EQ(data.areas.AreaNames[number], c.cells[i].name);
            EXPECT_EQ(result.cellValues[i], number);
            const Extent e = ExtentOf(number);
            EXPECT_EQ(e.box, c.cells[i].box) << c.cells[i].name;
            EXPECT_EQ(e.pixels, static_cast<long long>(e.box.width) * e.box.height);
        }
        EXPECT_EQ(ExtentOf(0).pixels, c.unpainted);
        EXPECT_TRUE(BytesAlike(data.canvas.Map));
    }
    // Every area got its three event rows inside the one transaction.
    EXPECT_EQ(Rows(ProjectPath(), "select count(*) from properties")[0][0], "12");
}

TEST_F(GridTest, OverwritesOtherAreasOnlyWhenAskedTo) {
    for (const bool overwrite : {false, true}) {
        SCOPED_TRACE(overwrite ? "overwrite" : "keep");
        data.DeleteAllAreas();
        const int hall = data.AddArea("Зал", true);
        FillMapRect(data.canvas.Map, 10, 10, 20, 20, static_cast<std::uint8_t>(hall), true);
        ASSERT_TRUE(AddAreaGrid(data, history, {2, 1, "Кадр ", overwrite}).done);
        EXPECT_EQ(data.areas.AreaNames[2], "Кадр 1");
        EXPECT_EQ(ExtentOf(hall).pixels, overwrite ? 0 : 400);
        EXPECT_EQ(ExtentOf(2).pixels, 50 * 60 - (overwrite ? 0 : 400));
        EXPECT_EQ(ExtentOf(3).pixels, 50 * 60);
    }
}

TEST_F(GridTest, RefusesCellsBeyondTheAreaLimitBeforeChangingAnything) {
    data.BeginTransaction();
    for (int i = 1; i <= 250; ++i) {
        ASSERT_EQ(data.AddArea("a" + std::to_string(i), false), i);
    }
    data.CommitTransaction();
    const Bitmap before = data.canvas.Map;

    const GridResult refused = AddAreaGrid(data, history, {2, 3});
    EXPECT_FALSE(refused.done);
    ASSERT_EQ(prompter.messages, std::vector<std::string>{kGridLimitMessage});
    EXPECT_EQ(data.areas.AreaCount, 250);
    EXPECT_TRUE(data.canvas.Map == before);
    EXPECT_EQ(history.UndoCount(), 0);

    ASSERT_TRUE(AddAreaGrid(data, history, {5, 1}).done);
    EXPECT_EQ(data.areas.AreaCount, 255);
    EXPECT_EQ(data.areas.AreaNames[255], "Область_5");
    EXPECT_EQ(prompter.messages.size(), 1u);
}

TEST_F(GridTest, ACellWhoseNameIsRefusedIsSkippedNotGivenAnotherNumber) {
    const int taken = data.AddArea("Область_2", true);
    FillMapRect(data.canvas.Map, 40, 0, 10, 10, static_cast<std::uint8_t>(taken), true);
    history.Reset(data.canvas.Map);  // as if the project had been opened with this map
    const Bitmap before = data.canvas.Map;

    const GridResult result = AddAreaGrid(data, history, {3, 1, "Область_", true});
    ASSERT_TRUE(result.done);
    EXPECT_EQ(prompter.messages,
              std::vector<std::string>{std::string(kGridNamesTaken) + "\nОбласть_2"});
    EXPECT_EQ(result.refusedNames, std::vector<std::string>{"Область_2"});
    EXPECT_EQ(result.cellValues, (std::vector<int>{2, kSkippedCell, 3}));
    EXPECT_EQ(ExtentOf(2).box, (Rect{0, 0, 33, 60}));
    EXPECT_EQ(ExtentOf(3).box, (Rect{66, 0, 33, 60}));
    // The middle cell keeps what it held, even though the grid overwrites.
    EXPECT_EQ(ExtentOf(taken).pixels, 100);
    EXPECT_EQ(AreaAt(data.canvas.Map, 50, 30), 0);

    // Undo takes the whole grid away at once; redo brings it back the same way.
    const Bitmap after = data.canvas.Map;
    ASSERT_EQ(history.UndoCount(), 1);
    ASSERT_TRUE(history.Undo(data.canvas.Map));
    EXPECT_TRUE(data.canvas.Map == before);
    ASSERT_TRUE(history.Redo(data.canvas.Map));
    EXPECT_TRUE(data.canvas.Map == after);
    EXPECT_EQ(data.areas.AreaCount, 3);  // the areas stay registered either way
}

TEST_F(GridTest, AGridOverAllExistingNamesShowsOneMessageListingThem) {
    ASSERT_TRUE(AddAreaGrid(data, history, {10, 1}).done);
    const Bitmap before = data.canvas.Map;
    ASSERT_TRUE(AddAreaGrid(data, history, {10, 1, "Область_", true}).done);
    EXPECT_EQ(prompter.messages,
              std::vector<std::string>{std::string(kGridNamesTaken) +
                                       "\nОбласть_1, Область_2, Область_3, Область_4, "
                                       "Область_5, Область_6, Область_7, Область_8, "
                                       "Область_9, Область_10"});
    EXPECT_EQ(data.areas.AreaCount, 10);
    EXPECT_TRUE(data.canvas.Map == before);
}

TEST_F(GridTest, DeletingAnAreaRestartsTheHistorySoUndoCannotBringItBack) {
    ASSERT_TRUE(AddAreaGrid(data, history, {2, 1}).done);
    ASSERT_TRUE(data.DeleteArea("Область_1"));
    EXPECT_EQ(ExtentOf(1).pixels, 0);
    EXPECT_FALSE(history.Undo(data.canvas.Map));
    EXPECT_EQ(ExtentOf(1).pixels, 0);
    EXPECT_EQ(ExtentOf(2).pixels, 50 * 60);
}

TEST(GridNames, FollowTheShapeOfTheGrid) {
    EXPECT_EQ(GridCellName("Область_", 1, 5, 0, 4), "Область_5");
    EXPECT_EQ(GridCellName("Область_", 10, 1, 9, 0), "Область_10");
    EXPECT_EQ(GridCellName("", 3, 2, 2, 1), "3_2");
    EXPECT_EQ(GridCellName("x", 1, 1, 0, 0), "x1");
}

}  // namespace
}  // namespace velmora::test
