#include <gtest/gtest.h>

#include <cstdio>
// jpeglib.h needs FILE and size_t declared before it.
#include <jpeglib.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "image_test_pictures.h"
#include "store/image_file.h"
#include "support/test_support.h"

namespace velmora::test {
namespace {

// Four flat 16 × 16 blocks, one per MCU: lossy coding keeps each block's inside within a small
// tolerance, while chroma upsampling blends the pixels next to a block edge.
constexpr int kSide = 32;
constexpr int kBlock = 16;
constexpr int kTolerance = 8;

int BlockOf(int x, int y) {
    return (y / kBlock) * 2 + x / kBlock;
}

void ExpectBlocks(const Bitmap& bitmap, const std::vector<Bgr>& colours) {
    ASSERT_EQ(bitmap.Width(), kSide);
    ASSERT_EQ(bitmap.Height(), kSide);
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            if (x % kBlock < 2 || x % kBlock >= kBlock - 2 || y % kBlock < 2 ||
                y % kBlock >= kBlock - 2) {
                continue;
            }
            const Bgr got = BgrAt(bitmap, x, y);
            const Bgr want = colours[BlockOf(x, y)];
            for (int c = 0; c < 3; ++c) {
                ASSERT_NEAR(got[c], want[c], kTolerance) << "pixel (" << x << ", " << y << ")";
            }
        }
    }
}

// A JPEG kind written by libjpeg, with the colour each flat block must decode to.
struct JpegCase {
    std::string name;
    J_COLOR_SPACE space;
    int components;
    bool progressive;
    std::vector<std::vector<int>> blockSamples;  // samples of each block, in the file's space
    std::vector<Bgr> blockColours;               // what each block must decode to
    bool adobeMarker = true;
};

std::string WriteJpeg(const JpegCase& c) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr errors{};
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = kSide;
    cinfo.image_height = kSide;
    cinfo.input_components = c.components;
    cinfo.in_color_space = c.space;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 95, TRUE);
    cinfo.write_Adobe_marker = c.adobeMarker && c.space == JCS_CMYK;
    if (c.progressive) {
        jpeg_simple_progression(&cinfo);
    }
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(static_cast<std::size_t>(kSide * c.components));
    while (cinfo.next_scanline < cinfo.image_height) {
        const int y = static_cast<int>(cinfo.next_scanline);
        for (int x = 0; x < kSide; ++x) {
            const auto& samples = c.blockSamples[BlockOf(x, y)];
            for (int k = 0; k < c.components; ++k) {
                row[static_cast<std::size_t>(x * c.components + k)] =
                    static_cast<JSAMPLE>(samples[k]);
            }
        }
        JSAMPROW pointer = row.data();
        jpeg_write_scanlines(&cinfo, &pointer, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::string out(reinterpret_cast<char*>(buffer), size);
    std::free(buffer);
    return out;
}

bool HasMarker(const std::string& bytes, unsigned char marker) {
    return bytes.find(std::string{'\xFF', static_cast<char>(marker)}) != std::string::npos;
}

std::vector<JpegCase> Cases() {
    const std::vector<std::vector<int>> rgb = {
        {230, 20, 20}, {20, 200, 40}, {30, 40, 220}, {200, 180, 40}};
    const std::vector<Bgr> rgbColours = {
        {20, 20, 230}, {40, 200, 20}, {220, 40, 30}, {40, 180, 200}};
    return {
        {"Baseline", JCS_RGB, 3, false, rgb, rgbColours},
        {"Progressive", JCS_RGB, 3, true, rgb, rgbColours},
        {"Greyscale",
         JCS_GRAYSCALE,
         1,
         false,
         {{30}, {100}, {180}, {250}},
         {{30, 30, 30}, {100, 100, 100}, {180, 180, 180}, {250, 250, 250}}},
        // Stored the way Adobe programs store it: 255 means no ink. The encoder writes the
        // Adobe marker that says so.
        {"CmykInverted",
         JCS_CMYK,
         4,
         false,
         {{255, 0, 0, 255}, {0, 255, 0, 255}, {255, 255, 255, 0}, {200, 180, 40, 255}},
         {{0, 0, 255}, {0, 255, 0}, {0, 0, 0}, {40, 180, 200}}},
        // Without the marker the samples are plain amounts of ink.
        {"CmykPlain",
         JCS_CMYK,
         4,
         false,
         {{0, 255, 255, 0}, {255, 0, 255, 0}, {0, 0, 0, 255}, {55, 75, 215, 0}},
         {{0, 0, 255}, {0, 255, 0}, {0, 0, 0}, {40, 180, 200}},
         false},
    };
}

// Decodes each JPEG kind.
class JpegKinds : public ::testing::TestWithParam<JpegCase> {};

TEST_P(JpegKinds, DecodeFlatBlocks) {
    const JpegCase& c = GetParam();
    const std::string bytes = WriteJpeg(c);
    ASSERT_EQ(HasMarker(bytes, 0xC2), c.progressive) << "the test file is of the wrong kind";
    TempFolder folder;
    WriteFile(folder / "photo.jpg", bytes);
    Bitmap bitmap;
    ASSERT_TRUE(LoadImageFile(bitmap, folder / "photo.jpg"));
    ExpectBlocks(bitmap, c.blockColours);
}

INSTANTIATE_TEST_SUITE_P(Image, JpegKinds, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return info.param.name; });

// What the editor writes for ".jpg" is a baseline file, not a progressive one.
TEST(ImageJpeg, SavesBaseline) {
    TempFolder folder;
    const std::vector<Bgr> colours = {{200, 40, 10}, {10, 120, 250}, {90, 90, 90}, {0, 255, 0}};
    const Bitmap picture =
        MakeBitmap(kSide, kSide, [&](int x, int y) { return colours[BlockOf(x, y)]; });
    ASSERT_TRUE(SaveImageFile(picture, folder / "photo.jpeg"));
    const std::string bytes = ReadFile(folder / "photo.jpeg");
    EXPECT_TRUE(HasMarker(bytes, 0xC0));
    EXPECT_FALSE(HasMarker(bytes, 0xC2));
    Bitmap loaded;
    ASSERT_TRUE(LoadImageFile(loaded, folder / "photo.jpeg"));
    ExpectBlocks(loaded, colours);
}

}  // namespace
}  // namespace velmora::test
