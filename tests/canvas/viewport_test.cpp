// The view at any zoom: the zoom steps, the mapping between device and picture pixels, the
// map's halves, and the viewport drawn from them.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "canvas/canvas_fixtures.h"
#include "canvas/map/line_raster.h"
#include "canvas/map/map_ops.h"
#include "canvas/view/pixel_effect.h"
#include "canvas/view/view_compose.h"
#include "canvas/view/view_geometry.h"
#include "canvas/view/view_pyramid.h"
#include "canvas/view/view_zoom.h"
#include "canvas/view/viewport_compose.h"
#include "store/area_palette.h"

namespace velmora::test {
namespace {

std::array<std::uint32_t, 256> TestPalette() {
    std::array<std::uint32_t, 256> palette{};
    std::mt19937 random(5);
    for (int v = 1; v < 256; ++v) {
        palette[v] = random() & 0xFFFFFF;
    }
    return palette;
}

// A map with several areas in strokes of every width, thin lines among them.
Bitmap PaintedMap(int width, int height, std::uint32_t seed) {
    Bitmap map(width, height);
    std::mt19937 random(seed);
    for (int stroke = 0; stroke < 30; ++stroke) {
        DrawLine(map, static_cast<int>(random() % width), static_cast<int>(random() % height),
                 static_cast<int>(random() % width), static_cast<int>(random() % height),
                 1 + static_cast<int>(random() % 12), static_cast<std::uint8_t>(1 + random() % 6));
    }
    return map;
}

TEST(ViewZoom, StepsThroughTheListAndStopsAtTheLimits) {
    struct Case {
        double from, in, out;
    };
    const Case cases[] = {
        {1, 1.5, 2.0 / 3},
        {1.0 / 16, 1.0 / 8, 1.0 / 16},
        {16, 16, 8},
        {0.3, 1.0 / 3, 0.25},
        {1.0 / 3, 0.5, 0.25},
        {0.26666, 1.0 / 3, 0.25},
        {0.01, 1.0 / 16, 1.0 / 16},
        {100, 16, 16},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.from);
        EXPECT_DOUBLE_EQ(ZoomStepIn(c.from), c.in);
        EXPECT_DOUBLE_EQ(ZoomStepOut(c.from), c.out);
    }
    EXPECT_EQ(ZoomSteps().size(), 13u);
    EXPECT_DOUBLE_EQ(FitZoom(6000, 4000, 1600, 1000), 0.25);
    EXPECT_DOUBLE_EQ(FitZoom(6000, 4000, 1500, 1200), 0.25);
    EXPECT_DOUBLE_EQ(FitZoom(100, 50, 1600, 1000), 16);            // held at the largest zoom
    EXPECT_DOUBLE_EQ(FitZoom(100000, 100, 1000, 1000), 1.0 / 16);  // and at the smallest
    EXPECT_DOUBLE_EQ(FitZoom(0, 0, 100, 100), 1);

    const std::pair<double, const char*> texts[] = {
        {1.0 / 16, "6.25 %"}, {1.0 / 8, "12.5 %"}, {1.0 / 3, "33 %"}, {2.0 / 3, "67 %"},
        {1, "100 %"},         {16, "1600 %"},      {0.2666, "27 %"},  {0.1, "10 %"},
    };
    for (const auto& [zoom, text] : texts) {
        EXPECT_EQ(ZoomText(zoom), text);
    }
}

TEST(ViewGeometry, DevicePixelsAndPicturePixelsMapBothWays) {
    // Zooms times device pixel ratios 1, 1.5 and 2, with whole and half device offsets.
    for (const double scale :
         {1.0 / 16, 0.25 * 1.5, 1.0 / 3, 2.0 / 3 * 1.5, 1.0, 1.5, 2.0, 3.0, 4.0 * 1.5, 16.0 * 2}) {
        for (const double origin : {0.0, 37.0, 52.5, -13.0}) {
            SCOPED_TRACE(std::to_string(scale) + " at " + std::to_string(origin));
            const ViewGeometry g{scale, origin, origin, 500, 400};
            for (std::int64_t p = -3; p < 60; ++p) {
                const std::int64_t first = g.FirstDeviceColumn(p);
                EXPECT_GE(g.PictureColumn(first), p);
                EXPECT_LT(g.PictureColumn(first - 1), p);
            }
            // Every device pixel shows the picture pixel whose square holds its centre.
            for (std::int64_t d = 0; d < 60; ++d) {
                const double centre = (static_cast<double>(d) + 0.5 + origin) / scale;
                EXPECT_EQ(g.PictureColumn(d), static_cast<std::int64_t>(std::floor(centre)));
            }
            const Rect shown = g.DeviceRectOf({10, 10, 5, 5});
            for (int d = shown.x; d < shown.Right(); ++d) {
                EXPECT_GE(g.PictureColumn(d), 10);
                EXPECT_LT(g.PictureColumn(d), 15);
            }
        }
    }
}

TEST(ViewPyramid, MapHalvesKeepThinAreasAndFollowEveryChange) {
    const std::uint8_t same[4] = {4, 4, 4, 4};
    const std::uint8_t line[4] = {0, 7, 0, 0};
    const std::uint8_t inside[4] = {3, 3, 9, 3};
    const std::uint8_t tie[4] = {5, 2, 5, 2};
    EXPECT_EQ(ThinAreaOf(same, 4), 4);
    EXPECT_EQ(ThinAreaOf(line, 4), 7);
    EXPECT_EQ(ThinAreaOf(inside, 4), 9);
    EXPECT_EQ(ThinAreaOf(tie, 4), 2);

    // A one-pixel diagonal line stays unbroken at every level.
    Bitmap map(203, 101);
    DrawLine(map, 0, 3, 202, 98, 1, 8);
    ViewPyramid pyramid;
    pyramid.SetPicture(Bitmap(203, 101));
    pyramid.EnsureMap(map);
    for (int level = 1; level <= ViewPyramid::kLevels; ++level) {
        SCOPED_TRACE(level);
        const AreaPlane& plane = pyramid.MapLevel(level);
        EXPECT_EQ(plane.width, (203 + (1 << level) - 1) >> level);
        for (int x = 0; x < plane.width; ++x) {
            int found = 0;
            for (int y = 0; y < plane.height; ++y) {
                found += plane.Row(y)[x] == 8 ? 1 : 0;
            }
            EXPECT_GE(found, 1) << "column " << x;
        }
    }

    // Halves updated stroke by stroke equal halves rebuilt from the final map.
    std::mt19937 random(9);
    for (int stroke = 0; stroke < 25; ++stroke) {
        const Rect touched =
            DrawLine(map, static_cast<int>(random() % 203), static_cast<int>(random() % 101),
                     static_cast<int>(random() % 203), static_cast<int>(random() % 101),
                     1 + static_cast<int>(random() % 9), static_cast<std::uint8_t>(random() % 5));
        pyramid.UpdateMap(map, touched);
    }
    ViewPyramid fresh;
    fresh.EnsureMap(map);
    for (int level = 1; level <= ViewPyramid::kLevels; ++level) {
        EXPECT_EQ(pyramid.MapLevel(level).values, fresh.MapLevel(level).values) << level;
    }
}

// A scene over a picture with painted areas, drawn into viewports of several geometries.
class ViewportTest : public ::testing::Test {
protected:
    ViewportTest()
        : picture(Noise(157, 103, 1)), map(PaintedMap(157, 103, 2)), palette(TestPalette()) {
        pyramid.SetPicture(picture);
        pyramid.EnsureMap(map);
    }

    ViewScene Scene(ViewMode mode, int current = 0) const {
        return {&picture, &pyramid, &map, &palette, mode, current, 0xFF123456u};
    }

    static ViewportImage Draw(const ViewScene& scene, const ViewGeometry& g) {
        ViewportImage image;
        image.Resize(g.width, g.height);
        ComposeViewport(scene, g, image, {0, 0, g.width, g.height});
        return image;
    }

    Bitmap picture;
    Bitmap map;
    std::array<std::uint32_t, 256> palette;
    ViewPyramid pyramid;
};

TEST_F(ViewportTest, FromFullSizeOnEveryDevicePixelShowsTheComposedPixelUnderIt) {
    const ViewMode modes[] = {ViewMode::Picture, ViewMode::PictureAndMask,
                              ViewMode::PictureAndCurrentArea};
    for (const ViewMode mode : modes) {
        Bitmap full;
        ComposeView(picture, map, palette, mode, 3, full, {0, 0, 157, 103});
        for (const double scale : {1.0, 1.5, 2.0, 3.0 * 1.5, 16.0}) {
            for (const double origin : {0.0, 21.0, 40.5, -9.0}) {
                SCOPED_TRACE(std::to_string(scale) + " at " + std::to_string(origin));
                const ViewGeometry g{scale, origin, origin / 2, 90, 70};
                const ViewportImage image = Draw(Scene(mode, 3), g);
                for (int y = 0; y < g.height; ++y) {
                    for (int x = 0; x < g.width; ++x) {
                        const std::int64_t px = g.PictureColumn(x);
                        const std::int64_t py = g.PictureRow(y);
                        const bool inside = px >= 0 && py >= 0 && px < 157 && py < 103;
                        const std::uint32_t expected =
                            inside ? ViewportPixel(
                                         full.Pixel(static_cast<int>(px), static_cast<int>(py)))
                                   : 0xFF123456u;
                        ASSERT_EQ(image.Row(y)[x], expected) << x << "," << y;
                    }
                }
            }
        }
    }
}

TEST_F(ViewportTest, BelowFullSizeThinAreasStayVisibleAndColoursAreAverages) {
    // A picture of one grey with a one-pixel line of area 9 across a map of no areas.
    Bitmap grey(640, 480);
    for (int y = 0; y < 480; ++y) {
        std::fill_n(grey.Row(y), 640 * 3, 100);
    }
    Bitmap lines(640, 480);
    DrawLine(lines, 3, 5, 630, 470, 1, 9);
    DrawLine(lines, 100, 470, 110, 2, 1, 9);  // steep
    ViewPyramid halves;
    halves.SetPicture(grey);
    halves.EnsureMap(lines);
    const ViewScene scene{&grey, &halves, &lines, &palette, ViewMode::PictureAndMask, 0, 0};
    const ViewScene current{&grey, &halves, &lines, &palette, ViewMode::PictureAndCurrentArea,
                            9,     0};
    const std::uint32_t untinted = ViewportPixel(grey.Pixel(0, 0));
    for (const double scale : {1.0 / 16, 0.1, 0.25, 1.0 / 3, 0.5 * 1.5, 2.0 / 3}) {
        for (const ViewScene& s : {scene, current}) {
            SCOPED_TRACE(scale);
            const ViewGeometry g{scale, 0, 0, static_cast<int>(std::ceil(640 * scale)),
                                 static_cast<int>(std::ceil(480 * scale))};
            const ViewportImage image = Draw(s, g);
            // Every device column the shallow line crosses holds a tinted pixel.
            const int from = g.FirstDeviceColumn(3);
            const int to = g.FirstDeviceColumn(631);
            for (int x = from; x < to; ++x) {
                int tinted = 0;
                for (int y = 0; y < g.height; ++y) {
                    tinted += image.Row(y)[x] != untinted ? 1 : 0;
                }
                EXPECT_GE(tinted, 1) << "column " << x;
            }
            // Elsewhere the filtered picture keeps its colour.
            EXPECT_EQ(image.Row(g.height - 1)[0], untinted);
        }
    }
    // At exactly half size each device pixel is the average of its four picture pixels.
    const ViewScene plain{&picture, &pyramid, nullptr, &palette, ViewMode::Picture, 0, 0};
    const ViewportImage half = Draw(plain, {0.5, 0, 0, 78, 51});
    for (const auto& [x, y] : {std::pair{0, 0}, std::pair{40, 20}, std::pair{77, 50}}) {
        for (int c = 0; c < 3; ++c) {
            const int sum = picture.Pixel(2 * x, 2 * y)[c] + picture.Pixel(2 * x + 1, 2 * y)[c] +
                            picture.Pixel(2 * x, 2 * y + 1)[c] +
                            picture.Pixel(2 * x + 1, 2 * y + 1)[c];
            EXPECT_EQ(static_cast<int>((half.Row(y)[x] >> (8 * c)) & 0xFF), (sum + 2) / 4);
        }
    }
}

TEST_F(ViewportTest, RedrawingWhatAStrokeAffectsEqualsDrawingEverythingAgain) {
    for (const double scale : {1.0 / 16, 0.3, 0.5, 2.0 / 3 * 1.5, 1.0, 1.5, 4.0, 16.0 * 2}) {
        SCOPED_TRACE(scale);
        Bitmap painted = map;
        ViewPyramid halves;
        halves.SetPicture(picture);
        halves.EnsureMap(painted);
        const ViewGeometry g{scale, 7.5 * scale, 3 * scale, 120, 90};
        const ViewScene scene{&picture, &halves, &painted, &palette, ViewMode::PictureAndMask,
                              0,        0};
        ViewportImage image = Draw(scene, g);
        std::mt19937 random(4);
        for (int segment = 0; segment < 12; ++segment) {
            const Rect touched = DrawLine(
                painted, static_cast<int>(random() % 157), static_cast<int>(random() % 103),
                static_cast<int>(random() % 157), static_cast<int>(random() % 103),
                1 + static_cast<int>(random() % 20), static_cast<std::uint8_t>(random() % 7));
            halves.UpdateMap(painted, touched);
            ComposeViewport(scene, g, image, AffectedDeviceRect(g, touched));
        }
        const ViewportImage again = Draw(scene, g);
        for (int y = 0; y < g.height; ++y) {
            ASSERT_TRUE(std::equal(image.Row(y), image.Row(y) + g.width, again.Row(y))) << y;
        }
    }
}

TEST_F(ViewportTest, PreviewedEffectsChangeThePictureUnderTheTint) {
    ATTRIBUTES record = DefaultAttributes();
    record.area_brightness = 70;
    record.area_contrast = 30;
    record.background_grayscale = 1;
    record.background_gamma = 180;
    const EffectPreview effects = PreviewOf(record, 3);
    const auto areaAt = [&](std::int64_t x, std::int64_t y) {
        return map.Pixel(static_cast<int>(x), static_cast<int>(y))[2];
    };
    // From 100 % on: the same as drawing a picture whose pixels the effects changed first.
    Bitmap changed = picture;
    for (int y = 0; y < changed.Height(); ++y) {
        for (int x = 0; x < changed.Width(); ++x) {
            effects.For(areaAt(x, y)).Apply(changed.Pixel(x, y), 1);
        }
    }
    for (const ViewMode mode : {ViewMode::PictureAndMask, ViewMode::Picture}) {
        for (const double scale : {1.0, 2.5}) {
            SCOPED_TRACE(scale);
            const ViewGeometry g{scale, 10, 4, 120, 90};
            ViewScene scene = Scene(mode, 3);
            scene.effects = &effects;
            ViewScene expected = Scene(mode, 3);
            expected.picture = &changed;
            const ViewportImage image = Draw(scene, g);
            const ViewportImage want = Draw(expected, g);
            for (int y = 0; y < g.height; ++y) {
                ASSERT_TRUE(std::equal(image.Row(y), image.Row(y) + g.width, want.Row(y))) << y;
            }
        }
    }
    // Below it: each filtered pixel changed by the effect of the area under its centre.
    for (const double scale : {0.5, 0.3}) {
        SCOPED_TRACE(scale);
        const ViewGeometry g{scale, 3, 0, 60, 40};
        ViewScene scene = Scene(ViewMode::Picture);
        const ViewportImage plain = Draw(scene, g);
        scene.effects = &effects;
        const ViewportImage image = Draw(scene, g);
        for (int y = 0; y < g.height; ++y) {
            for (int x = 0; x < g.width; ++x) {
                const std::int64_t px = g.PictureColumn(x);
                const std::int64_t py = g.PictureRow(y);
                const bool inside = px >= 0 && py >= 0 && px < 157 && py < 103;
                ASSERT_EQ(image.Row(y)[x], inside
                                               ? effects.For(areaAt(px, py)).Apply(plain.Row(y)[x])
                                               : plain.Row(y)[x])
                    << x << "," << y;
            }
        }
    }
}

// A full repaint and a whole map's halves are shared out over the cores in bands of rows: the
// result equals the same work done in small pieces on one thread.
TEST(ViewBands, LargeWorkInBandsEqualsTheSameWorkInSmallPieces) {
    const Bitmap picture = Noise(2000, 1100, 11);
    Bitmap map = PaintedMap(2000, 1100, 12);
    const auto palette = TestPalette();

    ViewPyramid whole;
    whole.SetPicture(picture);
    whole.EnsureMap(map);
    ViewPyramid pieces;
    pieces.EnsureMap(Bitmap(2000, 1100));
    for (int y = 0; y < 1100; y += 100) {
        pieces.UpdateMap(map, {0, y, 2000, 100});
    }
    for (int level = 1; level <= ViewPyramid::kLevels; ++level) {
        EXPECT_EQ(whole.MapLevel(level).values, pieces.MapLevel(level).values) << level;
    }

    const ViewScene scene{&picture, &whole, &map, &palette, ViewMode::PictureAndMask, 0, 0};
    for (const double scale : {0.3, 2.0 / 3, 1.0, 3.0}) {
        SCOPED_TRACE(scale);
        const ViewGeometry g{scale, 13.25 * scale, 7.5 * scale, 800, 430};
        ViewportImage banded;
        banded.Resize(g.width, g.height);
        ComposeViewport(scene, g, banded, {0, 0, g.width, g.height});
        ViewportImage strips;
        strips.Resize(g.width, g.height);
        for (int y = 0; y < g.height; y += 50) {
            ComposeViewport(scene, g, strips, {0, y, g.width, 50});
        }
        for (int y = 0; y < g.height; ++y) {
            ASSERT_TRUE(std::equal(banded.Row(y), banded.Row(y) + g.width, strips.Row(y))) << y;
        }
    }
}

}  // namespace
}  // namespace velmora::test
