#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "canvas/map/map_ops.h"
#include "canvas/tools/area_grid.h"
#include "cli/cli_runner.h"
#include "store/area_palette.h"
#include "store/files.h"
#include "store/image_file.h"
#include "support/test_support.h"

namespace velmora::test {
namespace {

// A project "tour.vlm" with a 64 x 48 picture "hall.png" and the areas Door and Window.
class CanvasVerbs : public ::testing::Test {
protected:
    void SetUp() override {
        Bitmap picture(64, 48);
        for (int y = 0; y < 48; ++y) {
            for (int x = 0; x < 64; ++x) {
                std::uint8_t* p = picture.Pixel(x, y);
                p[0] = static_cast<std::uint8_t>(x * 4);
                p[1] = static_cast<std::uint8_t>(y * 5);
                p[2] = 200;
            }
        }
        ASSERT_TRUE(SaveImageFile(picture, folder / "hall.png"));
        Ok({"new", "tour"});
        Ok({"picture", "tour.vlm", "hall.png"});
        Ok({"area", "add", "tour.vlm", "Door", "Window"});
        this->picture = picture;
    }

    CliResult Run(std::vector<std::string> args) { return RunCli(args, folder.Path()); }

    std::string Ok(std::vector<std::string> args) {
        const CliResult r = Run(args);
        EXPECT_EQ(r.status, 0) << args[0] << ": " << r.err;
        return r.out;
    }

    Bitmap StoredMap() {
        Bitmap map;
        EXPECT_TRUE(LoadImageFile(map, folder / "Maps/hall.png"));
        return map;
    }

    Bitmap LoadPng(const std::string& name) {
        Bitmap bitmap;
        EXPECT_TRUE(LoadImageFile(bitmap, folder / name));
        return bitmap;
    }

    TempFolder folder;
    Bitmap picture;
};

TEST_F(CanvasVerbs, PaintAndEraseStrokesReachTheStoredMap) {
    // Width 5 reaches 2 pixels past each end point and 2 rows above and below.
    EXPECT_EQ(Ok({"paint", "tour.vlm", "Door", "--brush", "5", "--stroke", "10,10", "30,10"}),
              "8,8,25,5\n");
    Bitmap map = StoredMap();
    EXPECT_EQ(AreaAt(map, 8, 10), 1);
    EXPECT_EQ(AreaAt(map, 32, 10), 1);
    EXPECT_EQ(AreaAt(map, 30, 12), 1);
    EXPECT_EQ(AreaAt(map, 32, 12), 0);  // round ends leave the corners
    EXPECT_EQ(AreaAt(map, 33, 10), 0);

    // Erasing is allowed without naming an area; the press point alone paints nothing.
    EXPECT_EQ(Ok({"paint", "tour.vlm", "0", "--brush", "1", "--stroke", "20,0", "20,47"}),
              "20,0,1,48\n");
    EXPECT_EQ(Ok({"paint", "tour.vlm", "Window", "--stroke", "5,40"}), "0,0,0,0\n");
    map = StoredMap();
    EXPECT_EQ(AreaAt(map, 20, 10), 0);
    EXPECT_EQ(AreaAt(map, 19, 10), 1);
    EXPECT_EQ(AreaAt(map, 5, 40), 0);

    // Strokes that leave the picture are clipped; the default brush is 10 wide.
    EXPECT_EQ(Ok({"paint", "tour.vlm", "Window", "--stroke", "-30,-30", "100,100"}), "0,0,55,48\n");
    map = StoredMap();
    EXPECT_EQ(AreaAt(map, 47, 47), 2);
    EXPECT_EQ(AreaAt(map, 0, 47), 0);
}

TEST_F(CanvasVerbs, FillAndClearMap) {
    EXPECT_EQ(Ok({"fill", "tour.vlm", "Door", "--rect", "0,0,10,10"}), "0,0,10,10\n");
    EXPECT_EQ(Ok({"fill", "tour.vlm", "Window", "--rect", "5,5,100,3"}), "5,5,59,3\n");
    Bitmap map = StoredMap();
    EXPECT_EQ(AreaAt(map, 6, 6), 1);  // Door keeps its pixels without --overwrite
    EXPECT_EQ(AreaAt(map, 60, 6), 2);
    Ok({"fill", "tour.vlm", "Window", "--rect", "5,5,100,3", "--overwrite"});
    EXPECT_EQ(AreaAt(StoredMap(), 6, 6), 2);

    Ok({"clear-map", "tour.vlm"});
    EXPECT_TRUE(StoredMap() == Bitmap(64, 48));
}

TEST_F(CanvasVerbs, GridRegistersPaintsAndReportsRefusedNames) {
    EXPECT_EQ(Ok({"grid", "tour.vlm", "2", "2", "--prefix", "Кадр "}),
              "3\tКадр 1_1\n4\tКадр 1_2\n5\tКадр 2_1\n6\tКадр 2_2\n");
    Bitmap map = StoredMap();
    EXPECT_EQ(AreaAt(map, 0, 0), 3);
    EXPECT_EQ(AreaAt(map, 31, 24), 4);
    EXPECT_EQ(AreaAt(map, 63, 47), 6);

    // An area named "2" exists: that cell is skipped and reported, the other is added and
    // saved, and the call fails.
    EXPECT_EQ(Ok({"area", "add", "tour.vlm", "2"}), "7\t2\n");
    const CliResult again = Run({"grid", "tour.vlm", "1", "2", "--prefix", "", "--overwrite"});
    EXPECT_EQ(again.status, 1);
    EXPECT_EQ(again.out, "8\t1\n");
    EXPECT_EQ(again.err, std::string(kGridNamesTaken) + "\n2\n");
    map = StoredMap();
    EXPECT_EQ(AreaAt(map, 40, 23), 8);
    EXPECT_EQ(AreaAt(map, 40, 24), 6);
    const CliResult taken = Run({"grid", "tour.vlm", "2", "1", "--prefix", "Кадр 1_"});
    EXPECT_EQ(taken.status, 1);
    // One message lists every refused cell.
    EXPECT_EQ(taken.err, std::string(kGridNamesTaken) + "\nКадр 1_1, Кадр 1_2\n");

    EXPECT_EQ(Run({"grid", "tour.vlm", "21", "1"}).status, 2);
    EXPECT_EQ(Run({"grid", "tour.vlm", "0", "1"}).status, 2);
}

TEST_F(CanvasVerbs, ViewWritesWhatTheMainWindowShows) {
    Ok({"fill", "tour.vlm", "Door", "--rect", "0,0,10,10"});
    Ok({"fill", "tour.vlm", "Window", "--rect", "10,0,10,10"});
    auto blend = [&](int x, int y, int area) {
        const std::uint8_t* s = picture.Pixel(x, y);
        const std::uint32_t c = AreaPalette[area];
        return std::vector<int>{(s[0] + PaletteBlue(c)) / 2, (s[1] + PaletteGreen(c)) / 2,
                                (s[2] + PaletteRed(c)) / 2};
    };
    auto at = [](const Bitmap& b, int x, int y) {
        const std::uint8_t* p = b.Pixel(x, y);
        return std::vector<int>{p[0], p[1], p[2]};
    };

    EXPECT_EQ(Ok({"view", "tour.vlm", "mask.png"}), "mask.png\n");
    const Bitmap mask = LoadPng("mask.png");
    EXPECT_EQ(at(mask, 3, 3), blend(3, 3, 1));
    EXPECT_EQ(at(mask, 13, 3), blend(13, 3, 2));
    EXPECT_EQ(at(mask, 30, 30), at(picture, 30, 30));

    Ok({"view", "tour.vlm", "current.png", "--mode", "current", "--area", "Window"});
    const Bitmap current = LoadPng("current.png");
    EXPECT_EQ(at(current, 3, 3), at(picture, 3, 3));
    EXPECT_EQ(at(current, 13, 3), blend(13, 3, 2));

    Ok({"view", "tour.vlm", "plain.png", "--mode", "picture"});
    EXPECT_TRUE(LoadPng("plain.png") == picture);

    EXPECT_EQ(Run({"view", "tour.vlm", "view.bmp"}).status, 2);
    EXPECT_EQ(Run({"view", "tour.vlm", "x.png", "--mode", "negative"}).status, 2);
}

TEST_F(CanvasVerbs, ViewPreviewsAnOverlay) {
    Bitmap star(4, 4);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            star.Pixel(x, y)[1] = 255;
        }
    }
    ASSERT_TRUE(SaveImageFile(star, folder / "star.png"));
    Ok({"attach", "tour.vlm", "picture", "star.png"});
    Ok({"set", "tour.vlm", "Door", "click", "overlay_file_name=star.png", "overlay_x=-2",
        "overlay_y=46"});
    Ok({"view", "tour.vlm", "preview.png", "--overlay", "Door", "click"});
    const Bitmap preview = LoadPng("preview.png");
    EXPECT_EQ(preview.Pixel(1, 47)[1], 255);
    EXPECT_EQ(preview.Pixel(2, 47)[1], picture.Pixel(2, 47)[1]);
    EXPECT_EQ(preview.Pixel(0, 45)[1], picture.Pixel(0, 45)[1]);

    Ok({"set", "tour.vlm", "Door", "over", "overlay_file_name=gone.png"});
    const CliResult missing = Run({"view", "tour.vlm", "gone.png", "--overlay", "Door", "over"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("Pictures/gone.png"), std::string::npos);
    EXPECT_FALSE(FileExists(folder / "gone.png"));
}

TEST_F(CanvasVerbs, RefusesBadInputWithAClearMessageAndKeepsTheMap) {
    Ok({"fill", "tour.vlm", "Door", "--rect", "0,0,64,48"});
    const Bitmap before = StoredMap();
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string message;
    };
    const Case cases[] = {
        {{"paint", "tour.vlm", "Gate", "--stroke", "1,1", "5,5"}, 2, "Область не найдена: Gate"},
        {{"paint", "tour.vlm", "Door", "--stroke", "1;1"}, 2, "--stroke"},
        {{"paint", "tour.vlm", "Door", "--stroke", "1,1,1"}, 2, "--stroke"},
        {{"paint", "tour.vlm", "Door", "--stroke", "99999999999,1"}, 2, "--stroke"},
        {{"paint", "tour.vlm", "Door", "--brush", "101", "--stroke", "1,1", "2,2"}, 2, "101"},
        {{"paint", "tour.vlm", "Door", "--brush", "0", "--stroke", "1,1", "2,2"}, 2, "0"},
        {{"fill", "tour.vlm", "Door", "--rect", "1,2,3"}, 2, "--rect"},
        {{"fill", "tour.vlm", "0", "--rect", "1,2,3,4"}, 2, "Область не найдена: 0"},
        {{"view", "tour.vlm", "x.png", "--area", "Gate"}, 2, "Gate"},
        {{"view", "tour.vlm", "x.png", "--overlay", "Door", "hover"}, 2, "hover"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + c.args[2] + " " + c.args.back());
        const CliResult r = Run(c.args);
        EXPECT_EQ(r.status, c.status);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
    EXPECT_TRUE(StoredMap() == before);
    EXPECT_FALSE(FileExists(folder / "x.png"));
}

TEST(CanvasVerbsWithoutPicture, RefuseToPaint) {
    TempFolder folder;
    ASSERT_EQ(RunCli({"new", "empty"}, folder.Path()).status, 0);
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"paint", "empty.vlm", "0", "--stroke", "1,1", "2,2"},
             {"grid", "empty.vlm", "2", "2"},
             {"clear-map", "empty.vlm"},
             {"view", "empty.vlm", "v.png"}}) {
        const CliResult r = RunCli(args, folder.Path());
        EXPECT_EQ(r.status, 1) << args[0];
        EXPECT_NE(r.err.find("нет изображения"), std::string::npos) << args[0] << ": " << r.err;
    }
}

}  // namespace
}  // namespace velmora::test
