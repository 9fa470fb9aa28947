// Every long operation stops at its first report when the user cancels there, and leaves the
// project as it was: the map, the areas in memory and in the file, and the files beside it.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "canvas/canvas_fixtures.h"
#include "canvas/history/draw_history.h"
#include "canvas/map/map_writer.h"
#include "canvas/tools/area_grid.h"
#include "canvas/tools/area_tools.h"
#include "export/export_commands.h"
#include "shapes/outline_text.h"
#include "shapes/shape_file.h"
#include "shapes/shape_import.h"
#include "store/image_file.h"
#include "store/progress.h"
#include "store/store_fixture.h"

namespace velmora::test {
namespace {

// Gives up at the first report, as a user pressing Cancel as soon as the work began.
class CancelAtFirstReport : public Progress {
public:
    void Report(std::int64_t, std::int64_t) override { ++reports; }
    bool Cancelled() const override { return reports > 0; }
    int reports = 0;
};

// Everything of a project a cancelled operation must leave alone.
struct ProjectState {
    std::vector<std::uint8_t> map;
    std::array<std::string, 256> names;
    int areaCount = 0;
    std::string pictureName;
    std::vector<std::vector<std::string>> rows;
    std::map<std::string, std::uintmax_t> files;  // every file under the folder, by its size

    bool operator==(const ProjectState&) const = default;
};

constexpr int kSide = 600;

class CancelTest : public StoreTest {
public:
    void SetUp() override {
        ASSERT_TRUE(data.CreateProject(ProjectPath()));
        // Uniform, so that the wand and the fill reach the whole picture.
        SaveImageFile(Bitmap(kSide, kSide), folder / "hall.png");
        ASSERT_TRUE(data.ImportPicture(folder / "hall.png"));
        ASSERT_GT(data.AddArea("Door", true), 0);
        data.SaveProject();
        history.Reset(data.canvas.Map);
        data.AreasRemoved = [this] { history.Reset(data.canvas.Map); };

        // What the importing cases bring in: another picture, shapes, another project.
        std::filesystem::create_directories(Other(""));
        Bitmap other = Noise(kSide, kSide, 7);
        SaveImageFile(other, Other("street.png"));
        WriteFile(Other("shapes.html"),
                  "<map name=\"m\"><area shape=\"rect\" coords=\"10,10,300,300\" alt=\"Roof\">"
                  "<area shape=\"circle\" coords=\"400,400,80\" alt=\"Sun\"></map>");
        {
            ScriptedPrompter quiet;
            DbConnection db;
            COMMON_DATA source(quiet);
            source.project.ProjectDb = &db;
            ASSERT_TRUE(source.CreateProject(Other("source.vlm")));
            ASSERT_GT(source.AddArea("Window", true), 0);
            ASSERT_GT(source.AddArea("Gate", true), 0);
            source.CloseProject();
        }
    }

    // A file of the folder beside the project's, which the project does not hold.
    std::string Other(const std::string& name) const { return folder / ("other/" + name); }

    ProjectState State() {
        ProjectState state;
        const Bitmap& map = data.canvas.Map;
        for (int y = 0; y < map.Height(); ++y) {
            state.map.insert(state.map.end(), map.Row(y), map.Row(y) + map.Width() * 3);
        }
        state.names = data.areas.AreaNames;
        state.areaCount = data.areas.AreaCount;
        state.pictureName = data.canvas.PictureFileName;
        state.rows = Rows(ProjectPath(), "SELECT field, color, event FROM properties ORDER BY id");
        const auto pictures = Rows(ProjectPath(), "SELECT picture, map FROM pictures");
        state.rows.insert(state.rows.end(), pictures.begin(), pictures.end());
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder.Path())) {
            state.files[entry.path().string()] = entry.is_regular_file() ? entry.file_size() : 0;
        }
        return state;
    }

    DRAW_HISTORY history;
    RecordingShell shell;
};

struct CancelCase {
    const char* name;
    std::function<void(CancelTest&, COMMON_DATA&, DRAW_HISTORY&, Progress&)> run;
};

void WriteMap(COMMON_DATA& data, const std::function<void(MapWriter&)>& tool) {
    MapWriter writer(data.canvas.Map, 1, true);
    tool(writer);
}

const std::vector<CancelCase>& Cases() {
    static const std::vector<CancelCase> cases = {
        {"object selection",
         [](CancelTest&, COMMON_DATA& data, DRAW_HISTORY&, Progress& progress) {
             WriteMap(data, [&](MapWriter& writer) {
                 FillObject(writer, data.canvas.Picture, 20, 20, kSide - 40, kSide - 40, progress);
             });
         }},
        {"wand, contiguous",
         [](CancelTest&, COMMON_DATA& data, DRAW_HISTORY&, Progress& progress) {
             WriteMap(data, [&](MapWriter& writer) {
                 FillSimilarColour(writer, data.canvas.Picture, 5, 5, 10, true, progress);
             });
         }},
        {"wand, whole picture",
         [](CancelTest&, COMMON_DATA& data, DRAW_HISTORY&, Progress& progress) {
             WriteMap(data, [&](MapWriter& writer) {
                 FillSimilarColour(writer, data.canvas.Picture, 5, 5, 10, false, progress);
             });
         }},
        {"region fill",
         [](CancelTest&, COMMON_DATA& data, DRAW_HISTORY&, Progress& progress) {
             WriteMap(data, [&](MapWriter& writer) {
                 FillRegion(writer, data.canvas.Map, 5, 5, progress);
             });
         }},
        {"picture import",
         [](CancelTest& test, COMMON_DATA& data, DRAW_HISTORY&, Progress& progress) {
             data.ImportPicture(test.Other("street.png"), COMMON_DATA::PixelsOf::PictureAndMap,
                                progress);
         }},
        {"shape import",
         [](CancelTest& test, COMMON_DATA& data, DRAW_HISTORY& history, Progress& progress) {
             const ShapeFileContents contents =
                 ReadShapeFile(test.Other("shapes.html"), kSide, kSide);
             ImportShapes(data, history, contents, "Фигура_", progress);
         }},
        {"contour export",
         [](CancelTest&, COMMON_DATA& data, DRAW_HISTORY&, Progress& progress) {
             TraceOutlinesWithin(data.canvas.Map, 1, data.areas.AreaNames, false,
                                 kMaxOutlineTextBytes, progress);
         }},
        {"page export",
         [](CancelTest& test, COMMON_DATA& data, DRAW_HISTORY&, Progress& progress) {
             ExportOptions options;
             options.accessible = true;
             ExportToHtml(data, test.Other("page.html"), test.Other(""), options, progress);
         }},
        {"browser test",
         [](CancelTest& test, COMMON_DATA& data, DRAW_HISTORY&, Progress& progress) {
             TestInBrowser(data, test.Other(""), test.shell, {}, {}, progress);
         }},
        {"area import",
         [](CancelTest& test, COMMON_DATA& data, DRAW_HISTORY&, Progress& progress) {
             data.ImportAreas(test.Other("source.vlm"), progress);
         }},
        {"grid",
         [](CancelTest&, COMMON_DATA& data, DRAW_HISTORY& history, Progress& progress) {
             GridRequest request;
             request.columns = 4;
             request.rows = 3;
             AddAreaGrid(data, history, request, progress);
         }},
    };
    return cases;
}

TEST_F(CancelTest, EveryLongOperationStopsAtTheFirstReportAndChangesNothing) {
    for (const CancelCase& c : Cases()) {
        SCOPED_TRACE(c.name);
        const ProjectState before = State();
        const std::size_t undoSteps = history.UndoCount();
        CancelAtFirstReport progress;
        EXPECT_THROW(c.run(*this, data, history, progress), OperationCancelled);
        EXPECT_EQ(progress.reports, 1);
        EXPECT_TRUE(State() == before);
        EXPECT_EQ(history.UndoCount(), undoSteps);
        EXPECT_FALSE(data.InChange());
    }
    EXPECT_TRUE(prompter.messages.empty());
    EXPECT_TRUE(shell.opened.empty());
}

TEST_F(CancelTest, OperationsThatAreNotCancelledStillFinish) {
    // The same operations with a progress that never cancels do their work.
    Progress never;
    MapWriter writer(data.canvas.Map, 1, true);
    FillSimilarColour(writer, data.canvas.Picture, 5, 5, 10, false, never);
    EXPECT_EQ(writer.Changed(), (Rect{0, 0, kSide, kSide}));
    EXPECT_TRUE(data.ImportAreas(Other("source.vlm"), never));
    EXPECT_EQ(data.areas.AreaCount, 3);
}

}  // namespace
}  // namespace velmora::test
