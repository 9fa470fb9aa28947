// Undoing a shape import takes back the areas it made along with their pixels, unless something
// else has made use of them since; redoing it makes them again under the same numbers.
#include <gtest/gtest.h>

#include <array>
#include <cctype>
#include <functional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "canvas/history/draw_history.h"
#include "canvas/history/map_commands.h"
#include "canvas/history/stroke_recorder.h"
#include "canvas/map/map_ops.h"
#include "shapes/shape_import.h"
#include "store/image_file.h"
#include "store/store_fixture.h"
#include "support/test_support.h"

namespace velmora::test {
namespace {

constexpr int kDoor = 1;
constexpr int kWindow = 2;  // the areas the import makes
constexpr int kRoof = 3;

// A 60 x 40 picture with the area "Дверь" painted and saved; the file of shapes names two
// rectangles in the unpainted part.
class ShapeImportUndoTest : public StoreTest {
protected:
    void SetUp() override {
        CreateWithAreas({"Дверь"});
        SaveImageFile(Bitmap(60, 40), folder / "hall.png");
        ASSERT_TRUE(data.ImportPicture(folder / "hall.png"));
        history.Reset(data.canvas.Map);
        StrokeRecorder stroke(data, history);
        stroke.Press(3, 3, kDoor);
        stroke.Move(8, 3);
        stroke.Release();
        data.SaveProject();
        WriteFile(folder / "shapes.html",
                  "<map name=\"m\"><area shape=\"rect\" coords=\"30,5,50,20\" alt=\"Окно\">"
                  "<area shape=\"rect\" coords=\"5,25,20,35\" alt=\"Крыша\"></map>");
        before = data.canvas.Map;
        const ShapeImportResult result =
            ImportShapes(data, history, ReadShapeFile(folder / "shapes.html", 60, 40), "Фигура_");
        ASSERT_EQ(result.newAreas, (std::vector<int>{kWindow, kRoof}));
        imported = data.canvas.Map;
    }

    int RowsOf(const std::string& name) {
        return std::stoi(Rows(ProjectPath(),
                              "select count(*) from properties where field='" + name + "'")[0][0]);
    }

    DRAW_HISTORY history;
    Bitmap before;
    Bitmap imported;
};

TEST_F(ShapeImportUndoTest, UndoTakesTheNewAreasBackAndRedoMakesThemAgain) {
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(UndoMap(data, history));
        EXPECT_TRUE(data.canvas.Map == before);
        EXPECT_EQ(data.areas.AreaCount, 1);
        EXPECT_EQ(data.areas.FindArea("Окно"), 0);
        EXPECT_EQ(data.areas.FindArea("Крыша"), 0);
        EXPECT_EQ(RowsOf("Окно") + RowsOf("Крыша"), 0) << "the rows are gone from the file";
        EXPECT_EQ(RowsOf("Дверь"), 3);

        ASSERT_TRUE(RedoMap(data, history));
        EXPECT_TRUE(data.canvas.Map == imported);
        EXPECT_EQ(data.areas.FindArea("Окно"), kWindow);
        EXPECT_EQ(data.areas.FindArea("Крыша"), kRoof);
        EXPECT_EQ(RowsOf("Окно"), 3);
        EXPECT_EQ(RowsOf("Крыша"), 3);
    }
    // A brush step painted into a new area afterwards goes back first, then the import.
    StrokeRecorder stroke(data, history);
    stroke.Press(40, 30, kWindow);
    stroke.Move(45, 30);
    stroke.Release();
    ASSERT_TRUE(UndoMap(data, history));
    ASSERT_TRUE(UndoMap(data, history));
    EXPECT_EQ(data.areas.AreaCount, 1);
    ASSERT_TRUE(RedoMap(data, history));
    ASSERT_TRUE(RedoMap(data, history));
    EXPECT_EQ(AreaAt(data.canvas.Map, 42, 30), kWindow);
}

// Each way of using the window area after the import; the roof area, unused, goes either way.
struct UseCase {
    const char* name;
    std::function<void(COMMON_DATA&)> use;
    const char* windowNameAfter;
};

void PrintTo(const UseCase& use, std::ostream* out) {
    *out << use.name;
}

class ShapeImportUndoUse : public ShapeImportUndoTest,
                           public ::testing::WithParamInterface<UseCase> {};

TEST_P(ShapeImportUndoUse, KeepsAnAreaInUse) {
    GetParam().use(data);
    ASSERT_TRUE(UndoMap(data, history));
    EXPECT_TRUE(data.canvas.Map == before);
    EXPECT_EQ(data.areas.AreaNames[kWindow], GetParam().windowNameAfter);
    EXPECT_EQ(data.areas.FindArea("Крыша"), 0);

    ASSERT_TRUE(RedoMap(data, history));
    EXPECT_TRUE(data.canvas.Map == imported);
    EXPECT_EQ(data.areas.AreaNames[kWindow], GetParam().windowNameAfter);
    EXPECT_EQ(data.areas.FindArea("Крыша"), kRoof);
}

INSTANTIATE_TEST_SUITE_P(
    Uses, ShapeImportUndoUse,
    ::testing::Values(
        UseCase{"renamed", [](COMMON_DATA& d) { ASSERT_TRUE(d.RenameArea("Окно", "Окно кухни")); },
                "Окно кухни"},
        UseCase{"an effect stored",
                [](COMMON_DATA& d) {
                    ASSERT_TRUE(d.ReadAttributes("Окно"));
                    d.records.Attributes[kOver].area_brightness = 40;
                    ASSERT_TRUE(d.WriteAttributes("Окно"));
                },
                "Окно"},
        UseCase{"an effect being edited",
                [](COMMON_DATA& d) {
                    ASSERT_TRUE(d.ReadAttributes("Окно"));
                    d.records.Attributes[kClick].link = "https://example.org/";
                    d.records.AttributesModified = true;
                },
                "Окно"}),
    [](const auto& info) {
        std::string name;
        for (const char c : std::string(info.param.name)) {
            name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        }
        return name;
    });

TEST_F(ShapeImportUndoTest, KeepsTheAreasOnceTheMapWithTheirPixelsWasSaved) {
    data.SaveProject();
    ASSERT_TRUE(UndoMap(data, history));
    EXPECT_TRUE(data.canvas.Map == before);
    EXPECT_EQ(data.areas.FindArea("Окно"), kWindow) << "the stored map still holds its pixels";
    EXPECT_EQ(data.areas.FindArea("Крыша"), kRoof);
    ASSERT_TRUE(RedoMap(data, history));
    EXPECT_TRUE(data.canvas.Map == imported);
}

TEST_F(ShapeImportUndoTest, RedoIsRefusedOnceANumberOrNameWasTaken) {
    const std::vector<std::pair<const char*, std::function<void(COMMON_DATA&)>>> cases = {
        {"a new area took the number",
         [](COMMON_DATA& d) { ASSERT_EQ(d.AddArea("Сад", true), 2); }},
        {"an area took the name",
         [](COMMON_DATA& d) { ASSERT_TRUE(d.RenameArea("Дверь", "Крыша")); }},
    };
    for (const auto& [name, take] : cases) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(UndoMap(data, history));
        take(data);
        const std::array<std::string, 256> names = data.areas.AreaNames;
        EXPECT_FALSE(RedoMap(data, history));
        EXPECT_EQ(history.RedoCount(), 0) << "the step can never come back as it was";
        EXPECT_TRUE(data.canvas.Map == before);
        EXPECT_EQ(data.areas.AreaNames, names);
        // The next case starts from the import again.
        data.DeleteAllAreas();
        ASSERT_GT(data.AddArea("Дверь", true), 0);
        data.canvas.Map = before;
        history.Reset(data.canvas.Map);
        ASSERT_EQ(
            ImportShapes(data, history, ReadShapeFile(folder / "shapes.html", 60, 40), "Фигура_")
                .newAreas,
            (std::vector<int>{kWindow, kRoof}));
    }
}

}  // namespace
}  // namespace velmora::test
