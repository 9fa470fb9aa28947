#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "canvas/history/draw_history.h"
#include "canvas/history/map_commands.h"
#include "canvas/history/stroke_recorder.h"
#include "canvas/tools/area_grid.h"
#include "canvas/tools/area_tool_step.h"
#include "canvas/tools/area_tools.h"
#include "shapes/shape_import.h"
#include "store/image_file.h"
#include "store/store_fixture.h"

namespace velmora::test {
namespace {

// What an operation works on: the project, its history and its folder.
struct Scene {
    COMMON_DATA& data;
    DRAW_HISTORY& history;
    std::string folder;
};

using Step = std::function<void(Scene&)>;

// What an operation must leave in the two flags; nullopt where it must leave a flag alone.
struct FlagCase {
    const char* name;
    Step before;
    Step operation;
    std::optional<bool> map;
    std::optional<bool> attributes;
};

// A project with a 60 x 40 picture and two areas, the first painted, its records loaded,
// nothing unsaved.
class UnsavedFlagsTest : public StoreTest, public ::testing::WithParamInterface<FlagCase> {
protected:
    void SetUp() override {
        CreateWithAreas({"Дверь", "Окно"});
        SaveImageFile(Bitmap(60, 40), folder / "hall.png");
        ASSERT_TRUE(data.ImportPicture(folder / "hall.png"));
        history.Reset(data.canvas.Map);
        StrokeRecorder stroke(data, history);
        stroke.Press(5, 5, 1);
        stroke.Move(30, 20);
        stroke.Release();
        data.SaveProject();
        ASSERT_TRUE(data.ReadAttributes("Дверь"));
        ASSERT_FALSE(data.canvas.MapModified);
        ASSERT_FALSE(data.records.AttributesModified);
    }

    DRAW_HISTORY history;
};

const Step kNothing = [](Scene&) {};

void MarkBoth(Scene& s) {
    s.data.canvas.MapModified = true;
    s.data.records.AttributesModified = true;
}

std::vector<FlagCase> FlagCases() {
    return {
        {"a brush move", kNothing,
         [](Scene& s) {
             StrokeRecorder stroke(s.data, s.history);
             stroke.Press(50, 30, 2);
             stroke.Move(55, 35);
             stroke.Release();
         },
         true, false},
        {"a click without a move", kNothing,
         [](Scene& s) {
             StrokeRecorder stroke(s.data, s.history);
             stroke.Press(50, 30, 2);
             stroke.Release();
         },
         false, false},
        {"a tool that changed pixels", kNothing,
         [](Scene& s) {
             ApplyAreaTool(s.data, s.history, 2, false,
                           [](MapWriter& w) { FillEllipse(w, 40, 20, 15, 15); });
         },
         true, false},
        {"a tool that changed nothing", kNothing,
         [](Scene& s) {
             ApplyAreaTool(s.data, s.history, 2, false,
                           [](MapWriter& w) { FillEllipse(w, 100, 100, 5, 5); });
         },
         false, false},
        {"clearing the map", kNothing, [](Scene& s) { ClearMapAsStep(s.data, s.history); }, true,
         false},
        {"undo", kNothing, [](Scene& s) { EXPECT_TRUE(UndoMap(s.data, s.history)); }, true, false},
        {"undo with nothing to undo", [](Scene& s) { s.history.Reset(s.data.canvas.Map); },
         [](Scene& s) { EXPECT_FALSE(UndoMap(s.data, s.history)); }, false, false},
        {"redo", [](Scene& s) { s.history.Undo(s.data.canvas.Map); },
         [](Scene& s) { EXPECT_TRUE(RedoMap(s.data, s.history)); }, true, false},
        {"redo with nothing to redo", kNothing,
         [](Scene& s) { EXPECT_FALSE(RedoMap(s.data, s.history)); }, false, false},
        {"a grid of areas", kNothing,
         [](Scene& s) {
             GridRequest request;
             request.columns = 2;
             request.rows = 1;
             EXPECT_TRUE(AddAreaGrid(s.data, s.history, request).done);
         },
         true, false},
        {"shapes imported", kNothing,
         [](Scene& s) {
             ShapeFileContents contents;
             contents.shapes.resize(1);
             contents.shapes[0].name = "Крыша";
             contents.shapes[0].rings = {{{40, 0}, {59, 0}, {59, 10}}};
             const int steps = s.history.UndoCount();
             EXPECT_FALSE(ImportShapes(s.data, s.history, contents, "Область_").changed.Empty());
             EXPECT_EQ(s.history.UndoCount(), steps + 1);
         },
         true, false},
        {"an area deleted", kNothing, [](Scene& s) { EXPECT_TRUE(s.data.DeleteArea("Окно")); },
         true, false},
        {"a refused deletion", kNothing,
         [](Scene& s) { EXPECT_FALSE(s.data.DeleteArea("Крыльцо")); }, false, false},
        {"all areas deleted", kNothing, [](Scene& s) { s.data.DeleteAllAreas(); }, true, false},
        {"a text field set", kNothing,
         [](Scene& s) {
             EXPECT_TRUE(s.data.records.SetAttribute(1, &ATTRIBUTES::message_text, "Привет"));
             EXPECT_EQ(s.data.records.Attributes[1].message_text, "Привет");
         },
         false, true},
        {"a number field set", kNothing,
         [](Scene& s) {
             EXPECT_TRUE(s.data.records.SetAttribute(2, &ATTRIBUTES::sound_volume, 35));
             EXPECT_EQ(s.data.records.Attributes[2].sound_volume, 35);
         },
         false, true},
        {"a whole record set", kNothing,
         [](Scene& s) {
             ATTRIBUTES record = DefaultAttributes();
             record.link = "https://example.org/";
             EXPECT_TRUE(s.data.records.SetAttributes(0, record));
             EXPECT_EQ(s.data.records.Attributes[0].link, record.link);
         },
         false, true},
        {"a field of no event", kNothing,
         [](Scene& s) {
             EXPECT_FALSE(s.data.records.SetAttribute(3, &ATTRIBUTES::sound_volume, 35));
             EXPECT_FALSE(s.data.records.SetAttributes(-1, DefaultAttributes()));
         },
         false, false},
        {"saving", MarkBoth, [](Scene& s) { s.data.SaveProject(); }, false, false},
        {"closing", MarkBoth, [](Scene& s) { s.data.CloseProject(); }, false, std::nullopt},
        {"opening", MarkBoth,
         [](Scene& s) {
             s.data.CloseProject();
             EXPECT_TRUE(s.data.OpenProject(s.folder + "/tour.vlm"));
         },
         false, false},
        {"creating", MarkBoth,
         [](Scene& s) {
             s.data.CloseProject();
             EXPECT_TRUE(s.data.CreateProject(s.folder + "/other.vlm"));
         },
         false, false},
        {"a picture imported", MarkBoth,
         [](Scene& s) {
             SaveImageFile(Bitmap(30, 20), s.folder + "/porch.png");
             EXPECT_TRUE(s.data.ImportPicture(s.folder + "/porch.png"));
         },
         false, std::nullopt},
    };
}

TEST_P(UnsavedFlagsTest, EachOperationSetsTheFlagOfWhatItChanged) {
    const FlagCase& c = GetParam();
    Scene scene{data, history, folder.Path()};
    c.before(scene);
    const bool mapBefore = data.canvas.MapModified;
    const bool attributesBefore = data.records.AttributesModified;
    c.operation(scene);
    EXPECT_EQ(data.canvas.MapModified, c.map.value_or(mapBefore));
    EXPECT_EQ(data.records.AttributesModified, c.attributes.value_or(attributesBefore));
}

INSTANTIATE_TEST_SUITE_P(Operations, UnsavedFlagsTest, ::testing::ValuesIn(FlagCases()),
                         [](const ::testing::TestParamInfo<FlagCase>& info) {
                             std::string name;
                             for (const char* p = info.param.name; *p; ++p) {
                                 name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                             }
                             return name;
                         });

}  // namespace
}  // namespace velmora::test
