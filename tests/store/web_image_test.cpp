#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "image_test_pictures.h"
#include "store/errors.h"
#include "store/image_file.h"
#include "store/image_shrink.h"
#include "store/web_image.h"
#include "support/webp_reader.h"

namespace velmora::test {
namespace {

// The area average of source over target pixel (tx, ty), computed the long way: the overlap
// of the target pixel's footprint with every source pixel.
double AreaAverage(const Bitmap& source, int targetWidth, int targetHeight, int tx, int ty,
                   int channel) {
    const double sx = static_cast<double>(source.Width()) / targetWidth;
    const double sy = static_cast<double>(source.Height()) / targetHeight;
    double sum = 0;
    for (int y = 0; y < source.Height(); ++y) {
        const double h = std::min(y + 1.0, (ty + 1) * sy) - std::max<double>(y, ty * sy);
        if (h <= 0) {
            continue;
        }
        for (int x = 0; x < source.Width(); ++x) {
            const double w = std::min(x + 1.0, (tx + 1) * sx) - std::max<double>(x, tx * sx);
            if (w > 0) {
                sum += w * h * source.Pixel(x, y)[channel];
            }
        }
    }
    return sum / (sx * sy);
}

Bitmap Noise(int width, int height) {
    unsigned seed = 12345;
    return MakeBitmap(width, height, [&](int, int) {
        seed = seed * 1103515245u + 12345u;
        return Bgr{static_cast<int>(seed >> 24), static_cast<int>((seed >> 16) & 255),
                   static_cast<int>((seed >> 8) & 255)};
    });
}

struct ShrinkCase {
    int width, height, targetWidth, targetHeight;
};

class ShrinkByAreaTest : public ::testing::TestWithParam<ShrinkCase> {};

// Whole and fractional factors, odd sides, one side kept, down to a single pixel.
TEST_P(ShrinkByAreaTest, EveryPixelIsTheAverageOfTheAreaItCovers) {
    const ShrinkCase c = GetParam();
    const Bitmap source = Noise(c.width, c.height);
    const Bitmap shrunk = ShrinkByArea(source, c.targetWidth, c.targetHeight);
    ASSERT_EQ(shrunk.Width(), c.targetWidth);
    ASSERT_EQ(shrunk.Height(), c.targetHeight);
    for (int y = 0; y < c.targetHeight; ++y) {
        for (int x = 0; x < c.targetWidth; ++x) {
            for (int channel = 0; channel < 3; ++channel) {
                const double want =
                    AreaAverage(source, c.targetWidth, c.targetHeight, x, y, channel);
                ASSERT_LE(std::abs(shrunk.Pixel(x, y)[channel] - want), 0.51)
                    << "pixel " << x << "," << y << " channel " << channel;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, ShrinkByAreaTest,
                         ::testing::Values(ShrinkCase{8, 6, 4, 3}, ShrinkCase{3, 3, 2, 2},
                                           ShrinkCase{37, 23, 10, 7}, ShrinkCase{40, 9, 40, 4},
                                           ShrinkCase{9, 40, 4, 40}, ShrinkCase{17, 13, 1, 1},
                                           ShrinkCase{101, 67, 99, 66}));

// Fine detail averages out instead of aliasing into stripes, as picking pixels would do.
TEST(ShrinkByArea, APixelCheckerboardBecomesEvenGrey) {
    const Bitmap board = MakeBitmap(600, 400, [](int x, int y) {
        const int v = (x + y) % 2 ? 255 : 0;
        return Bgr{v, v, v};
    });
    const Bitmap shrunk = ShrinkByArea(board, 161, 107);
    for (int y = 0; y < shrunk.Height(); ++y) {
        for (int x = 0; x < shrunk.Width(); ++x) {
            ASSERT_NEAR(shrunk.Pixel(x, y)[1], 127.5, 6) << x << "," << y;
        }
    }
}

TEST(ShrinkByArea, TheSameSizeIsACopyAndNothingIsEnlarged) {
    const Bitmap source = Noise(5, 4);
    EXPECT_EQ(ShrinkByArea(source, 5, 4), source);
    EXPECT_THROW(ShrinkByArea(source, 6, 4), std::invalid_argument);
    EXPECT_THROW(ShrinkByArea(source, 5, 0), std::invalid_argument);
}

Bitmap Smooth(int width, int height) {
    return MakeBitmap(width, height, [&](int x, int y) {
        return Bgr{40 + 160 * x / width, 200 - 120 * y / height, 90 + (x + y) % 7};
    });
}

TEST(WebImage, WebpCopiesDecodeToThePictureWithItsProfile) {
    const Bitmap picture = Smooth(123, 77);
    for (const std::string& profile : {std::string(), TestIccProfile()}) {
        SCOPED_TRACE(profile.empty() ? "no profile" : "with a profile");
        const DecodedWebp decoded =
            DecodeWebp(EncodeWebImage(picture, WebImageFormat::Webp, profile));
        ExpectPixels(
            decoded.bitmap, 123, 77, [&](int x, int y) { return BgrAt(picture, x, y); }, 12);
        EXPECT_EQ(decoded.profile, profile);
        EXPECT_FALSE(decoded.exif);
    }
}

// The fallbacks carry the profile too, and the reader finds it in both kinds of file.
TEST(WebImage, FallbacksCarryTheProfileTheReaderFinds) {
    const Bitmap picture = Smooth(64, 48);
    const std::string profile = TestIccProfile();
    const struct {
        WebImageFormat kind;
        ImageFormat format;
        int tolerance;
    } cases[] = {{WebImageFormat::Jpeg, ImageFormat::Jpeg, 10},
                 {WebImageFormat::Png, ImageFormat::Png, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(WebImageExtension(c.kind));
        const std::string bytes = EncodeWebImage(picture, c.kind, profile);
        EXPECT_EQ(ReadIccProfile(bytes, c.format), profile);
        EXPECT_EQ(ReadIccProfile(EncodeImage(picture, c.format), c.format), "");
        ExpectPixels(
            DecodeImage(bytes, c.format), 64, 48,
            [&](int x, int y) { return BgrAt(picture, x, y); }, c.tolerance);
    }
    EXPECT_EQ(ReadIccProfile("not an image", ImageFormat::Jpeg), "");
    EXPECT_EQ(ReadIccProfile("\x89PNG\r\n\x1a\n", ImageFormat::Png), "");
}

TEST(WebImage, AnOversizedWebpIsRefusedWithAMessage) {
    const Bitmap wide(16384, 1);
    try {
        EncodeWebImage(wide, WebImageFormat::Webp, {});
        FAIL() << "no refusal";
    } catch (const ImageError& e) {
        EXPECT_NE(std::string(e.what()).find("WebP"), std::string::npos) << e.what();
    }
}

}  // namespace
}  // namespace velmora::test
