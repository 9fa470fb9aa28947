// A change of the project and its map is all or nothing: a change whose map cannot be written
// leaves the file, the map and the memory as they were, and opening finishes or drops a change
// that a killed program left between its commit and its map's rename.
#include <filesystem>
#include <functional>

#include "canvas/history/draw_history.h"
#include "canvas/map/map_ops.h"
#include "canvas/tools/area_grid.h"
#include "store/image_file.h"
#include "store/map_census.h"
#include "store_fixture.h"

namespace velmora::test {
namespace {

namespace fs = std::filesystem;

// The project file's user version while a committed change's map waits under its staged name.
constexpr const char* kMarkPending = "PRAGMA user_version=1986817392;";

class ChangeTest : public StoreTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(SaveImageFile(Bitmap(40, 30), folder / "hall.png"));
        CreateWithAreas({"A", "B"});
        ASSERT_TRUE(data.ImportPicture(folder / "hall.png"));
        FillMapRect(data.canvas.Map, 0, 0, 20, 30, 1, true);
        FillMapRect(data.canvas.Map, 20, 0, 20, 30, 2, true);
        data.SaveProject();
        savedMap = ReadFile(MapPath());
        savedRows = RowsOfAreas();
    }

    std::string MapPath() const { return folder / "Maps/hall.png"; }
    std::string StagedPath() const { return folder / "Maps/.hall.png.pending.png"; }
    std::vector<std::vector<std::string>> RowsOfAreas() const {
        return Rows(ProjectPath(),
                    "SELECT field,color,event,message_text FROM properties ORDER BY id");
    }
    long long Pixels(int value) const {
        long long count = 0;
        for (int y = 0; y < data.canvas.Map.Height(); ++y) {
            for (int x = 0; x < data.canvas.Map.Width(); ++x) {
                count += AreaAt(data.canvas.Map, x, y) == value ? 1 : 0;
            }
        }
        return count;
    }
    void ExpectAsSaved() {
        EXPECT_EQ(RowsOfAreas(), savedRows);
        EXPECT_EQ(ReadFile(MapPath()), savedMap);
        EXPECT_FALSE(fs::exists(StagedPath()));
        EXPECT_EQ(data.areas.FindArea("A"), 1);
        EXPECT_EQ(data.areas.FindArea("B"), 2);
        EXPECT_EQ(data.areas.AreaCount, 2);
        EXPECT_EQ(Pixels(1), 20 * 30);
        EXPECT_EQ(Pixels(2), 20 * 30);
    }

    std::string savedMap;
    std::vector<std::vector<std::string>> savedRows;
};

TEST_F(ChangeTest, ChangeWhoseMapCannotBeWrittenLeavesEverythingAsItWas) {
    struct Case {
        const char* label;
        std::function<void(COMMON_DATA&)> change;
    };
    DRAW_HISTORY history;
    const Case cases[] = {
        {"delete", [](COMMON_DATA& d) { d.DeleteArea("A"); }},
        {"delete all", [](COMMON_DATA& d) { d.DeleteAllAreas(); }},
        {"grid",
         [&](COMMON_DATA& d) {
             history.Reset(d.canvas.Map);
             AddAreaGrid(d, history, GridRequest{2, 2, "G", true});
         }},
        {"save",
         [](COMMON_DATA& d) {
             d.ReadAttributes("B");
             d.records.Attributes[kClick].message_text = "lost";
             d.records.AttributesModified = true;
             d.SaveProject();
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        // The staged map's folder refuses the write.
        fs::rename(folder / "Maps", folder / "Maps.aside");
        WriteFile(folder / "Maps", "a file where the folder belongs");
        EXPECT_ANY_THROW(c.change(data));
        fs::remove(folder / "Maps");
        fs::rename(folder / "Maps.aside", folder / "Maps");
        ExpectAsSaved();
        EXPECT_FALSE(data.InChange());
    }
}

TEST_F(ChangeTest, CommittedChangeLeavesNoTrace) {
    data.DeleteArea("A");
    EXPECT_EQ(Rows(ProjectPath(), "PRAGMA user_version"),
              (std::vector<std::vector<std::string>>{{"0"}}));
    EXPECT_FALSE(fs::exists(StagedPath()));
    Bitmap map;
    ASSERT_TRUE(LoadImageFile(map, MapPath()));
    EXPECT_EQ(AreaAt(map, 5, 5), 0);
    EXPECT_EQ(AreaAt(map, 25, 5), 2);
}

// What a kill leaves between the commit and the rename (the mark and the staged map), and
// before the commit (a staged map alone).
TEST_F(ChangeTest, OpeningFinishesACommittedMapAndDropsAnUncommittedOne) {
    Bitmap staged(40, 30);
    FillMapRect(staged, 0, 0, 5, 5, 2, true);
    for (const bool committed : {true, false}) {
        SCOPED_TRACE(committed ? "committed" : "not committed");
        data.CloseProject();
        ASSERT_TRUE(SaveImageFile(staged, StagedPath()));
        if (committed) {
            SQLite::Database db(ProjectPath(), SQLite::OPEN_READWRITE);
            db.exec(kMarkPending);
        }
        // A reader while a writer holds the project sees the committed map, and repairs nothing.
        {
            ProjectLock lock;
            ASSERT_EQ(lock.Take(ProjectPath(), LockHolder::Editor, 0), ProjectLock::Result::Taken);
            ASSERT_TRUE(data.OpenProject(ProjectPath(), ProjectAccess::Read));
            ASSERT_TRUE(data.LoadPicture());
            EXPECT_EQ(AreaAt(data.canvas.Map, 1, 1), committed ? 2 : 1);
            // Counting the pixels without decoding reads the same map.
            AreaPixelCounts counts{};
            ASSERT_TRUE(CountAreaPixels(data.CurrentMapPath(), 40, 30, counts));
            EXPECT_EQ(counts[1], committed ? 0 : 20 * 30);
            data.CloseProject();
            EXPECT_TRUE(fs::exists(StagedPath()));
        }
        ASSERT_TRUE(data.OpenProject(ProjectPath()));
        EXPECT_FALSE(fs::exists(StagedPath()));
        ASSERT_TRUE(data.LoadPicture());
        EXPECT_EQ(AreaAt(data.canvas.Map, 1, 1), committed ? 2 : 1);
        EXPECT_EQ(Rows(ProjectPath(), "PRAGMA user_version"),
                  (std::vector<std::vector<std::string>>{{"0"}}));
        FillMapRect(data.canvas.Map, 0, 0, 20, 30, 1, true);
        data.SaveProject();
    }
}

}  // namespace
}  // namespace velmora::test
