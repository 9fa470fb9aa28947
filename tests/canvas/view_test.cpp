#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>

#include "canvas/canvas_fixtures.h"
#include "canvas/map/line_raster.h"
#include "canvas/map/map_ops.h"
#include "canvas/view/overlay_preview.h"
#include "canvas/view/view_compose.h"
#include "store/image_file.h"
#include "support/test_support.h"

namespace velmora::test {
namespace {

using Bgr = std::array<int, 3>;

Bgr At(const Bitmap& bitmap, int x, int y) {
    const std::uint8_t* p = bitmap.Pixel(x, y);
    return {p[0], p[1], p[2]};
}

void Put(Bitmap& bitmap, int x, int y, Bgr c) {
    std::uint8_t* p = bitmap.Pixel(x, y);
    for (int i = 0; i < 3; ++i) {
        p[i] = static_cast<std::uint8_t>(c[i]);
    }
}

// A COMMON_DATA with a picture and map loaded into memory, and the view they compose.
class ViewTest : public ::testing::Test {
protected:
    ViewTest() : data(prompter) {}

    void Load(Bitmap picture, Bitmap map) {
        data.canvas.Width = picture.Width();
        data.canvas.Height = picture.Height();
        data.canvas.Picture = std::move(picture);
        data.canvas.Map = std::move(map);
        data.canvas.PictureLoaded = true;
    }

    ScriptedPrompter prompter;
    COMMON_DATA data;
    Bitmap view;
};

TEST_F(ViewTest, BlendsEachChannelWithItsOwnPaletteByteRoundingDown) {
    struct Case {
        const char* name;
        Bgr picture;
        std::uint32_t palette;  // 0x00BBGGRR
        Bgr expected;
    };
    const Case cases[] = {
        {"white_over_black", {0, 0, 0}, 0xFFFFFF, {127, 127, 127}},
        {"channels_keep_their_order",
         {10, 20, 30},
         0xBD77C7,
         {(10 + 0xBD) / 2, (20 + 0x77) / 2, (30 + 0xC7) / 2}},
        {"black_over_white", {255, 255, 255}, 0x000000, {127, 127, 127}},
        {"odd_sums_round_down", {1, 2, 3}, 0x000102, {0, 1, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bitmap picture(1, 1);
        Put(picture, 0, 0, c.picture);
        Bitmap map(1, 1);
        FillMapRect(map, 0, 0, 1, 1, 77, true);
        Load(picture, map);
        data.areas.Palette[77] = c.palette;
        ASSERT_TRUE(UpdateView(data, ViewMode::PictureAndMask, view));
        EXPECT_EQ(At(view, 0, 0), c.expected);
    }
}

TEST_F(ViewTest, EachModeTintsWhatItShould) {
    // Three columns: no area, area 1, area 2; a width of 5 pads the rows.
    Bitmap picture = Noise(5, 2, 1);
    Bitmap map(5, 2);
    FillMapRect(map, 1, 0, 2, 2, 1, true);
    FillMapRect(map, 3, 0, 2, 2, 2, true);
    Load(picture, map);
    data.areas.CurrentArea = 2;
    auto blend = [&](int x, int y, int v) {
        const Bgr s = At(data.canvas.Picture, x, y);
        const std::uint32_t p = data.areas.Palette[v];
        return Bgr{(s[0] + static_cast<int>((p >> 16) & 255)) / 2,
                   (s[1] + static_cast<int>((p >> 8) & 255)) / 2,
                   (s[2] + static_cast<int>(p & 255)) / 2};
    };
    struct Case {
        ViewMode mode;
        bool tintOne;
        bool tintTwo;
    };
    for (const Case& c :
         {Case{ViewMode::Picture, false, false}, Case{ViewMode::PictureAndMask, true, true},
          Case{ViewMode::PictureAndCurrentArea, false, true}}) {
        SCOPED_TRACE(static_cast<int>(c.mode));
        ASSERT_TRUE(UpdateView(data, c.mode, view));
        ASSERT_EQ(view.Width(), 5);
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < 5; ++x) {
                const int v = AreaAt(map, x, y);
                const bool tinted = (v == 1 && c.tintOne) || (v == 2 && c.tintTwo);
                EXPECT_EQ(At(view, x, y), tinted ? blend(x, y, v) : At(data.canvas.Picture, x, y))
                    << x << "," << y;
            }
        }
    }
}

TEST_F(ViewTest, ReadsTheRedByteAsTheAreaValue) {
    Bitmap picture(2, 1);
    Bitmap map(2, 1);
    map.Pixel(0, 0)[2] = 4;  // blue and green say 0, red says 4
    map.Pixel(1, 0)[0] = 4;  // only blue says 4
    Load(picture, map);
    data.areas.Palette[4] = 0x0000FE;
    ASSERT_TRUE(UpdateView(data, ViewMode::PictureAndMask, view));
    EXPECT_EQ(At(view, 0, 0), (Bgr{0, 0, 127}));
    EXPECT_EQ(At(view, 1, 0), (Bgr{0, 0, 0}));
}

TEST_F(ViewTest, WithoutAPictureTheViewStaysAsItWas) {
    view = Noise(3, 3, 2);
    const Bitmap before = view;
    data.canvas.Picture = Noise(3, 3, 3);
    EXPECT_FALSE(UpdateView(data, ViewMode::PictureAndMask, view));
    EXPECT_FALSE(UpdateView(data, ViewMode::Picture, view, {0, 0, 3, 3}));
    EXPECT_TRUE(view == before);
}

TEST_F(ViewTest, RecomposingARectangleGivesWhatTheFullCompositionGivesThere) {
    constexpr int kWidth = 203, kHeight = 117;
    std::mt19937 random(17);
    Bitmap map(kWidth, kHeight);
    for (int i = 0; i < 40; ++i) {
        DrawLine(map, static_cast<int>(random() % kWidth), static_cast<int>(random() % kHeight),
                 static_cast<int>(random() % kWidth), static_cast<int>(random() % kHeight),
                 1 + static_cast<int>(random() % 30), static_cast<std::uint8_t>(random() % 6));
    }
    Load(Noise(kWidth, kHeight, 4), map);
    data.areas.CurrentArea = 3;
    for (const ViewMode mode :
         {ViewMode::Picture, ViewMode::PictureAndMask, ViewMode::PictureAndCurrentArea}) {
        for (int trial = 0; trial < 60; ++trial) {
            // A rectangle that may stick out on any side, or miss the picture.
            const Rect rect{static_cast<int>(random() % (kWidth + 40)) - 20,
                            static_cast<int>(random() % (kHeight + 40)) - 20,
                            static_cast<int>(random() % 120), static_cast<int>(random() % 90)};
            SCOPED_TRACE(testing::Message()
                         << "mode " << static_cast<int>(mode) << " rect " << rect.x << "," << rect.y
                         << " " << rect.width << "x" << rect.height);
            Bitmap stale = Noise(kWidth, kHeight, trial);
            Bitmap full;
            ASSERT_TRUE(UpdateView(data, mode, full));
            ASSERT_TRUE(UpdateView(data, mode, stale, rect));
            const Rect inside = rect.Intersected({0, 0, kWidth, kHeight});
            const Bitmap untouched = Noise(kWidth, kHeight, trial);
            for (int y = 0; y < kHeight; ++y) {
                for (int x = 0; x < kWidth; ++x) {
                    const bool in = inside.Intersected({x, y, 1, 1}) == Rect{x, y, 1, 1};
                    ASSERT_EQ(At(stale, x, y), At(in ? full : untouched, x, y)) << x << "," << y;
                }
            }
        }
    }
}

TEST_F(ViewTest, AMapOfAnotherSizeCountsAsNoAreaWhereItEnds) {
    Bitmap map(2, 1);
    FillMapRect(map, 0, 0, 2, 1, 1, true);
    Load(Bitmap(4, 2), map);
    data.areas.Palette[1] = 0xFEFEFE;
    ASSERT_TRUE(UpdateView(data, ViewMode::PictureAndMask, view));
    EXPECT_EQ(At(view, 1, 0), (Bgr{127, 127, 127}));
    EXPECT_EQ(At(view, 2, 0), (Bgr{0, 0, 0}));
    EXPECT_EQ(At(view, 0, 1), (Bgr{0, 0, 0}));
}

TEST(OverlayPaste, CutsTheOverlayAtEveryEdgeOfThePicture) {
    const Bitmap picture = Noise(30, 20, 5);
    const Bitmap overlay = Noise(12, 9, 6);
    struct Case {
        const char* name;
        int x, y;
    };
    const Case cases[] = {
        {"inside", 4, 3},        {"negative_x", -10, 2},  {"negative_both", -5, -7},
        {"past_right", 25, 5},   {"past_bottom", 3, 15},  {"past_right_and_bottom", 22, 14},
        {"wholly_left", -12, 0}, {"wholly_below", 0, 20}, {"far_away", -2000000000, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bitmap view;
        PasteOverlay(picture, overlay, c.x, c.y, view);
        ASSERT_EQ(view.Width(), 30);
        ASSERT_EQ(view.Height(), 20);
        for (int y = 0; y < 20; ++y) {
            for (int x = 0; x < 30; ++x) {
                const long long ox = static_cast<long long>(x) - c.x;
                const long long oy = static_cast<long long>(y) - c.y;
                const bool fromOverlay = ox >= 0 && oy >= 0 && ox < 12 && oy < 9;
                ASSERT_EQ(At(view, x, y),
                          fromOverlay ? At(overlay, static_cast<int>(ox), static_cast<int>(oy))
                                      : At(picture, x, y))
                    << x << "," << y;
            }
        }
    }
    // An overlay larger than the picture covers it wholly, cut at the right and bottom.
    const Bitmap large = Noise(50, 40, 7);
    Bitmap view;
    PasteOverlay(picture, large, -3, -4, view);
    EXPECT_EQ(At(view, 29, 19), At(large, 32, 23));
    EXPECT_EQ(At(view, 0, 0), At(large, 3, 4));
}

// The same, with a project folder whose Pictures folder holds the overlays.
class OverlayPreviewTest : public ViewTest {
protected:
    OverlayPreviewTest() {
        data.project.ProjectFolder = folder.Path();
        std::filesystem::create_directory(folder / "Pictures");
        Bitmap map(8, 6);
        FillMapRect(map, 0, 0, 8, 6, 1, true);
        Load(Noise(8, 6, 8), map);
    }
    TempFolder folder;
};

TEST_F(OverlayPreviewTest, PastesTheSelectedEventsOverlayAtItsOffset) {
    const Bitmap overlay = Noise(3, 2, 9);
    SaveImageFile(overlay, folder / "Pictures/star.png");
    data.records.Attributes[kClick].overlay_file_name = "star.png";
    data.records.Attributes[kClick].overlay_x = -1;
    data.records.Attributes[kClick].overlay_y = 5;
    ASSERT_TRUE(DrawOverlay(data, kClick, ViewMode::PictureAndMask, view));
    EXPECT_EQ(At(view, 0, 5), At(overlay, 1, 0));
    EXPECT_EQ(At(view, 1, 5), At(overlay, 2, 0));
    EXPECT_EQ(At(view, 2, 5), At(data.canvas.Picture, 2, 5));  // the map plays no part
    EXPECT_EQ(At(view, 0, 4), At(data.canvas.Picture, 0, 4));
}

TEST_F(OverlayPreviewTest, WithoutAnOverlayItIsTheNormalView) {
    data.records.Attributes[kOver].overlay_file_name = "star.png";  // another event's overlay
    Bitmap expected;
    ASSERT_TRUE(UpdateView(data, ViewMode::PictureAndMask, expected));
    ASSERT_TRUE(DrawOverlay(data, kDblClick, ViewMode::PictureAndMask, view));
    EXPECT_TRUE(view == expected);
}

TEST_F(OverlayPreviewTest, AMissingOrForbiddenFileLeavesTheViewAsItWas) {
    view = Noise(8, 6, 10);
    const Bitmap before = view;
    data.records.Attributes[kOver].overlay_file_name = "missing.png";
    EXPECT_FALSE(DrawOverlay(data, kOver, ViewMode::PictureAndMask, view));
    EXPECT_TRUE(prompter.messages.empty());
    data.records.Attributes[kOver].overlay_file_name = "../outside.png";
    WriteFile(folder / "outside.png", "x");
    EXPECT_FALSE(DrawOverlay(data, kOver, ViewMode::PictureAndMask, view));
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_NE(prompter.messages[0].find("../outside.png"), std::string::npos);
    EXPECT_TRUE(view == before);
}

TEST_F(OverlayPreviewTest, AnUndecodableOverlayShowsThePlainPicture) {
    WriteFile(folder / "Pictures/broken.png", "not a png at all");
    data.records.Attributes[kOver].overlay_file_name = "broken.png";
    ASSERT_TRUE(DrawOverlay(data, kOver, ViewMode::PictureAndMask, view));
    EXPECT_TRUE(view == data.canvas.Picture);
}

}  // namespace
}  // namespace velmora::test
