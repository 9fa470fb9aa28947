#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "image_test_pictures.h"
#include "store/errors.h"
#include "store/image_file.h"
#include "support/test_support.h"

namespace velmora::test {
namespace {

constexpr std::uint32_t kRgb = 0;
constexpr std::uint32_t kRle8 = 1;
constexpr std::uint32_t kRle4 = 2;
constexpr std::uint32_t kBitfields = 3;

constexpr int kWidth = 7;  // odd, so rows of every depth need padding
constexpr int kHeight = 5;

// A BMP file described by its header fields and the colours its pixel values must show.
struct BmpCase {
    std::string name;
    int headerSize;  // 12 (core), 40 (info), 124 (fifth version)
    int bitCount;
    std::uint32_t compression;
    bool topDown;
    std::vector<std::uint32_t> palette;  // 0x00RRGGBB
    std::array<std::uint32_t, 3> masks;  // red, green, blue
    // Pixel (x, y) holds values[(x + 2y) % size]: the raw value and the colour it shows.
    std::vector<std::pair<std::uint32_t, Bgr>> values;
};

void Put16(std::string& out, std::uint32_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>(v >> 8 & 0xFF));
}
void Put32(std::string& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// Headers and palette written byte by byte, as the format describes them.
std::string BmpFile(int headerSize, int width, int height, int bitCount, std::uint32_t compression,
                    const std::vector<std::uint32_t>& palette,
                    const std::array<std::uint32_t, 3>& masks, const std::string& pixels) {
    std::string info;
    Put32(info, static_cast<std::uint32_t>(headerSize));
    if (headerSize == 12) {
        Put16(info, static_cast<std::uint32_t>(width));
        Put16(info, static_cast<std::uint32_t>(height));
        Put16(info, 1);
        Put16(info, static_cast<std::uint32_t>(bitCount));
    } else {
        Put32(info, static_cast<std::uint32_t>(width));
        Put32(info, static_cast<std::uint32_t>(height));
        Put16(info, 1);
        Put16(info, static_cast<std::uint32_t>(bitCount));
        Put32(info, compression);
        Put32(info, static_cast<std::uint32_t>(pixels.size()));
        Put32(info, 2835);
        Put32(info, 2835);
        Put32(info, static_cast<std::uint32_t>(palette.size()));
        Put32(info, 0);
        if (headerSize > 40 || compression == kBitfields) {
            for (const std::uint32_t mask : masks) {
                Put32(info, mask);
            }
        }
        if (headerSize > 40) {
            info.resize(static_cast<std::size_t>(headerSize), '\0');
        }
    }
    for (const std::uint32_t colour : palette) {
        Put16(info, colour & 0xFFFF);
        info.push_back(static_cast<char>(colour >> 16));
        if (headerSize != 12) {
            info.push_back('\0');
        }
    }
    std::string file = "BM";
    Put32(file, static_cast<std::uint32_t>(14 + info.size() + pixels.size()));
    Put32(file, 0);
    Put32(file, static_cast<std::uint32_t>(14 + info.size()));
    return file + info + pixels;
}

std::string PackRows(const BmpCase& c) {
    const std::size_t stride = (kWidth * c.bitCount + 31) / 32 * 4;
    std::string pixels;
    for (int i = 0; i < kHeight; ++i) {
        const int y = c.topDown ? i : kHeight - 1 - i;
        std::string row;
        for (int x = 0; x < kWidth; ++x) {
            const std::uint32_t v = c.values[(x + 2 * y) % c.values.size()].first;
            if (c.bitCount >= 8) {
                for (int b = 0; b < c.bitCount / 8; ++b) {
                    row.push_back(static_cast<char>(v >> (8 * b) & 0xFF));
                }
            } else {
                const int bit = x * c.bitCount;
                if (bit % 8 == 0) {
                    row.push_back('\0');
                }
                row.back() = static_cast<char>(row.back() | v << (8 - c.bitCount - bit % 8));
            }
        }
        row.resize(stride, '\0');
        pixels += row;
    }
    return pixels;
}

Bgr Colour(std::uint32_t rgb) {
    return {int(rgb & 0xFF), int(rgb >> 8 & 0xFF), int(rgb >> 16)};
}

std::vector<std::pair<std::uint32_t, Bgr>> PaletteValues(const std::vector<std::uint32_t>& p) {
    std::vector<std::pair<std::uint32_t, Bgr>> values;
    for (std::uint32_t i = 0; i < p.size(); ++i) {
        values.push_back({i, Colour(p[i])});
    }
    return values;
}

std::vector<BmpCase> Cases() {
    const std::vector<std::uint32_t> two = {0x102030, 0xF0E0D0};
    const std::vector<std::uint32_t> six = {0xFF0000, 0x00FF00, 0x0000FF,
                                            0x808080, 0x123456, 0xFFFFFF};
    auto sixAndOutside = PaletteValues(six);
    sixAndOutside.push_back({9, {0, 0, 0}});  // an index past the palette's end shows black
    const std::vector<std::pair<std::uint32_t, Bgr>> truecolour = {{0x123456, Colour(0x123456)},
                                                                   {0xFF0000, Colour(0xFF0000)},
                                                                   {0x00FF7F, Colour(0x00FF7F)},
                                                                   {0x000000, Colour(0x000000)},
                                                                   {0xA0B0C0, Colour(0xA0B0C0)}};
    auto withPadByte = truecolour;
    for (auto& [value, colour] : withPadByte) {
        value |= 0xAB000000;  // the fourth byte of a plain 32-bit pixel means nothing
    }
    return {
        {"Bits1", 40, 1, kRgb, false, two, {}, PaletteValues(two)},
        {"Bits4", 40, 4, kRgb, false, six, {}, sixAndOutside},
        {"Bits8BottomUp", 40, 8, kRgb, false, six, {}, PaletteValues(six)},
        {"Bits8TopDown", 40, 8, kRgb, true, six, {}, PaletteValues(six)},
        {"Bits8CoreHeader", 12, 8, kRgb, false, six, {}, PaletteValues(six)},
        {"Bits16Rgb555",
         40,
         16,
         kRgb,
         false,
         {},
         {},
         {{0x7C00, {0, 0, 255}},
          {0x03E0, {0, 255, 0}},
          {0x001F, {255, 0, 0}},
          {0x7FFF, {255, 255, 255}},
          {0x4210, {132, 132, 132}}}},
        {"Bits16Bitfields565",
         40,
         16,
         kBitfields,
         false,
         {},
         {0xF800, 0x07E0, 0x001F},
         {{0xF800, {0, 0, 255}},
          {0x07E0, {0, 255, 0}},
          {0x001F, {255, 0, 0}},
          {0x8410, {132, 130, 132}}}},
        {"Bits24BottomUp", 40, 24, kRgb, false, {}, {}, truecolour},
        {"Bits24TopDown", 40, 24, kRgb, true, {}, {}, truecolour},
        {"Bits24CoreHeader", 12, 24, kRgb, false, {}, {}, truecolour},
        {"Bits32BottomUp", 40, 32, kRgb, false, {}, {}, withPadByte},
        {"Bits32TopDown", 40, 32, kRgb, true, {}, {}, withPadByte},
        // Masks in an unusual order, held inside a long header.
        {"Bits32BitfieldsInV5Header",
         124,
         32,
         kBitfields,
         false,
         {},
         {0x0000FF00, 0x00FF0000, 0xFF000000},
         {{0x12345678, {0x12, 0x34, 0x56}}, {0x000000FF, {0, 0, 0}}, {0xFF00FF00, {255, 0, 255}}}},
    };
}

// Decodes each described BMP file.
class BmpFiles : public ::testing::TestWithParam<BmpCase> {};

TEST_P(BmpFiles, Decode) {
    const BmpCase& c = GetParam();
    TempFolder folder;
    WriteFile(folder / "plan.bmp",
              BmpFile(c.headerSize, kWidth, c.topDown ? -kHeight : kHeight, c.bitCount,
                      c.compression, c.palette, c.masks, PackRows(c)));
    Bitmap bitmap;
    ASSERT_TRUE(LoadImageFile(bitmap, folder / "plan.bmp"));
    ExpectPixels(bitmap, kWidth, kHeight,
                 [&](int x, int y) { return c.values[(x + 2 * y) % c.values.size()].second; });
}

INSTANTIATE_TEST_SUITE_P(Image, BmpFiles, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return info.param.name; });

// Run-length coded files: runs, literal stretches with their padding, line ends, a jump and
// the end mark; pixels no run reaches stay black.
TEST(ImageBmp, RunLengthCoded) {
    const std::vector<std::uint32_t> palette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
    const Bgr k{0, 0, 0};
    const Bgr r = Colour(palette[1]);
    const Bgr g = Colour(palette[2]);
    const Bgr b = Colour(palette[3]);
    // Run-length coded pixel data and the picture it must give.
    struct RleCase {
        const char* name;
        std::uint32_t compression;
        std::string data;                    // rows from the bottom
        std::vector<std::vector<Bgr>> rows;  // from the top
    };
    const std::vector<RleCase> cases = {
        {"rle8",
         kRle8,
         std::string("\x03\x01\x00\x00"          // 1 1 1 . | end of line
                     "\x00\x03\x02\x01\x02\x00"  // literal 2 1 2, padded
                     "\x00\x02\x00\x01"          // jump one row up
                     "\x01\x03\x00\x01",         // 3 | end of picture
                     18),
         {{k, k, k, b}, {g, r, g, k}, {r, r, r, k}}},
        {"rle4",
         kRle4,
         std::string("\x04\x12\x00\x00"  // 1 2 1 2 | end of line
                     "\x00\x03\x12\x30"  // literal 1 2 3
                     "\x00\x00\x02\x33"  // end of line | 3 3
                     "\x00\x01",         // end of picture
                     14),
         {{b, b, k, k}, {r, g, b, k}, {r, g, r, g}}},
    };
    for (const RleCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        const int bits = c.compression == kRle8 ? 8 : 4;
        WriteFile(folder / "rle.bmp", BmpFile(40, 4, 3, bits, c.compression, palette, {}, c.data));
        Bitmap bitmap;
        ASSERT_TRUE(LoadImageFile(bitmap, folder / "rle.bmp"));
        ExpectPixels(bitmap, 4, 3, [&](int x, int y) { return c.rows[y][x]; });

        // Without its end the data is refused as truncated, and the bitmap keeps its content.
        const std::string cut = c.data.substr(0, c.data.size() - 4);
        WriteFile(folder / "cut.bmp", BmpFile(40, 4, 3, bits, c.compression, palette, {}, cut));
        EXPECT_THROW(LoadImageFile(bitmap, folder / "cut.bmp"), ImageError);
        EXPECT_EQ(BgrAt(bitmap, 3, 0), c.rows[0][3]);
    }
}

}  // namespace
}  // namespace velmora::test
