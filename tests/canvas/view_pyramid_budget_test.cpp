#include <gtest/gtest.h>

#include <cstdint>

#include "canvas/map/map_ops.h"
#include "canvas/view/view_pyramid.h"
#include "store/bitmap.h"

namespace velmora::test {
namespace {

// A picture of 16 x 16 blocks of one colour each, so that halving and averaging a whole
// block give the same pixels at every level.
Bitmap BlockPicture(int width, int height) {
    Bitmap picture(width, height);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* p = picture.Row(y);
        for (int x = 0; x < width; ++x, p += 3) {
            p[0] = static_cast<std::uint8_t>((x / 16) * 7);
            p[1] = static_cast<std::uint8_t>((y / 16) * 5);
            p[2] = static_cast<std::uint8_t>((x / 16 + y / 16) * 3);
        }
    }
    return picture;
}

// On a picture whose halves would cost more than the pyramid may keep, the finest halves are
// left out and drawn from the picture itself; the coarser ones hold what halving would give,
// and a one-pixel line painted later still shows at every kept level.
TEST(ViewPyramidBudget, AHugePictureKeepsOnlyTheCoarseLevels) {
    constexpr int kWidth = 8000;
    constexpr int kHeight = 6600;
    const Bitmap picture = BlockPicture(kWidth, kHeight);
    ViewPyramid pyramid;
    pyramid.SetPicture(picture);
    EXPECT_TRUE(pyramid.HasPicture());
    EXPECT_TRUE(pyramid.PictureLevel(1).Empty());
    EXPECT_EQ(pyramid.UsableLevel(1), 0);
    std::size_t kept = 0;
    for (int level = 2; level <= ViewPyramid::kLevels; ++level) {
        EXPECT_EQ(pyramid.UsableLevel(level), level);
        const Bitmap& reduced = pyramid.PictureLevel(level);
        ASSERT_EQ(reduced.Width(), (kWidth + (1 << level) - 1) >> level);
        kept += reduced.SizeInBytes() * 4 / 3;
        for (const auto& [x, y] : {std::pair{0, 0},
                                   {reduced.Width() - 1, reduced.Height() - 1},
                                   {reduced.Width() / 3, reduced.Height() / 2}}) {
            const std::uint8_t* expected = picture.Pixel(x << level, y << level);
            const std::uint8_t* got = reduced.Pixel(x, y);
            EXPECT_EQ(got[0], expected[0]) << level;
            EXPECT_EQ(got[1], expected[1]) << level;
            EXPECT_EQ(got[2], expected[2]) << level;
        }
    }
    EXPECT_LE(kept, ViewPyramid::kKeptBytes);

    Bitmap map(kWidth, kHeight);
    pyramid.EnsureMap(map);
    EXPECT_TRUE(pyramid.MapLevel(1).values.empty());
    const Rect line = FillMapRect(map, 1001, 0, 1, kHeight, 42, true);
    pyramid.UpdateMap(map, line);
    ViewPyramid fresh;
    fresh.SetPicture(picture);
    fresh.EnsureMap(map);
    for (int level = 2; level <= ViewPyramid::kLevels; ++level) {
        const AreaPlane& plane = pyramid.MapLevel(level);
        EXPECT_EQ(plane.values, fresh.MapLevel(level).values) << level;
        for (int y = 0; y < plane.height; ++y) {
            ASSERT_EQ(plane.Row(y)[1001 >> level], 42) << level << " row " << y;
        }
    }
}

}  // namespace
}  // namespace velmora::test
