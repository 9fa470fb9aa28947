#include <gtest/gtest.h>
#include <png.h>

#include <csetjmp>
#include <functional>
#include <string>
#include <vector>

#include "image_test_pictures.h"
#include "store/image_file.h"
#include "support/test_support.h"

namespace velmora::test {
namespace {

// A PNG file described sample by sample, written through libpng's own writer.
struct PngCase {
    std::string name;
    int colorType;
    int bitDepth;
    bool interlace;
    std::function<std::vector<int>(int, int)> samples;
    std::function<Bgr(int, int)> expected;
    std::vector<Bgr> palette = {};  // as BGR, like the bitmap
    std::vector<png_byte> transparency = {};
    bool transparentGrey = false;  // marks grey level 1 transparent
};

constexpr int kWidth = 13;  // odd sizes exercise every interlace pass and sub-byte packing
constexpr int kHeight = 11;

std::vector<png_byte> PackRow(const PngCase& c, int y) {
    std::vector<png_byte> row;
    int bitsUsed = 0;
    for (int x = 0; x < kWidth; ++x) {
        for (const int sample : c.samples(x, y)) {
            if (c.bitDepth == 16) {
                row.push_back(static_cast<png_byte>(sample >> 8));
                row.push_back(static_cast<png_byte>(sample & 0xFF));
            } else if (c.bitDepth == 8) {
                row.push_back(static_cast<png_byte>(sample));
            } else {
                if (bitsUsed % 8 == 0) {
                    row.push_back(0);
                }
                row.back() |= static_cast<png_byte>(sample << (8 - c.bitDepth - bitsUsed % 8));
                bitsUsed += c.bitDepth;
            }
        }
    }
    return row;
}

void AppendBytes(png_structp png, png_bytep data, png_size_t length) {
    static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<char*>(data), length);
}

std::string WritePng(const PngCase& c) {
    std::string out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    std::vector<std::vector<png_byte>> rows;
    for (int y = 0; y < kHeight; ++y) {
        rows.push_back(PackRow(c, y));
    }
    std::vector<png_bytep> pointers;
    for (auto& row : rows) {
        pointers.push_back(row.data());
    }
    std::vector<png_color> palette;
    for (const Bgr& p : c.palette) {
        palette.push_back({static_cast<png_byte>(p[2]), static_cast<png_byte>(p[1]),
                           static_cast<png_byte>(p[0])});
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        ADD_FAILURE() << "libpng could not write the test file";
        return {};
    }
    png_set_write_fn(png, &out, AppendBytes, nullptr);
    png_set_IHDR(png, info, kWidth, kHeight, c.bitDepth, c.colorType,
                 c.interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!palette.empty()) {
        png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
    }
    if (!c.transparency.empty()) {
        png_set_tRNS(png, info, c.transparency.data(), static_cast<int>(c.transparency.size()),
                     nullptr);
    }
    if (c.transparentGrey) {
        png_color_16 grey{};
        grey.gray = 1;
        png_set_tRNS(png, info, nullptr, 0, &grey);
    }
    png_write_info(png, info);
    png_write_image(png, pointers.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

int Grey(int x, int y) {
    return (x * 20 + y * 3) % 256;
}
int Alpha(int x, int y) {
    return (x * 50 + y * 30) % 256;
}

std::vector<Bgr> FourColours() {
    return {{0, 0, 255}, {0, 255, 0}, {255, 0, 0}, {40, 90, 200}};
}
Bgr FromFour(int x, int y) {
    return FourColours()[(x + y) % 4];
}

std::vector<Bgr> ManyColours() {
    std::vector<Bgr> colours;
    for (int i = 0; i < 200; ++i) {
        colours.push_back({i, 255 - i, (i * 3) % 256});
    }
    return colours;
}
int ManyIndex(int x, int y) {
    return (x * 13 + y * 7) % 200;
}

std::vector<int> Rgb(int x, int y, int scale) {
    const Bgr c = Gradient(x, y);
    return {c[2] * scale, c[1] * scale, c[0] * scale};
}

std::vector<PngCase> Cases() {
    auto grey = [](int x, int y) { return Bgr{Grey(x, y), Grey(x, y), Grey(x, y)}; };
    return {
        {"Palette2BitWithTransparency",
         PNG_COLOR_TYPE_PALETTE,
         2,
         false,
         [](int x, int y) { return std::vector<int>{(x + y) % 4}; },
         FromFour,
         FourColours(),
         {0, 128}},
        {"Palette4BitInterlaced", PNG_COLOR_TYPE_PALETTE, 4, true,
         [](int x, int y) { return std::vector<int>{(x + y) % 4}; }, FromFour, FourColours()},
        {"Palette8Bit", PNG_COLOR_TYPE_PALETTE, 8, false,
         [](int x, int y) { return std::vector<int>{ManyIndex(x, y)}; },
         [](int x, int y) { return ManyColours()[ManyIndex(x, y)]; }, ManyColours()},
        {"Grey1Bit", PNG_COLOR_TYPE_GRAY, 1, false,
         [](int x, int y) { return std::vector<int>{(x + y) % 2}; },
         [](int x, int y) {
             return (x + y) % 2 ? Bgr{255, 255, 255} : Bgr{0, 0, 0};
         }},
        {"Grey2BitWithTransparency",
         PNG_COLOR_TYPE_GRAY,
         2,
         false,
         [](int x, int y) { return std::vector<int>{(x + y) % 4}; },
         [](int x, int y) {
             const int v = (x + y) % 4 * 85;
             return Bgr{v, v, v};
         },
         {},
         {},
         /*transparent grey*/ true},
        {"Grey8Bit", PNG_COLOR_TYPE_GRAY, 8, false,
         [](int x, int y) { return std::vector<int>{Grey(x, y)}; }, grey},
        {"Grey16BitInterlaced", PNG_COLOR_TYPE_GRAY, 16, true,
         [](int x, int y) { return std::vector<int>{Grey(x, y) * 257}; }, grey},
        {"GreyAlpha8Bit", PNG_COLOR_TYPE_GRAY_ALPHA, 8, false,
         [](int x, int y) {
             return std::vector<int>{Grey(x, y), Alpha(x, y)};
         },
         grey},
        {"Rgb8Bit", PNG_COLOR_TYPE_RGB, 8, false, [](int x, int y) { return Rgb(x, y, 1); },
         Gradient},
        {"Rgb8BitInterlaced", PNG_COLOR_TYPE_RGB, 8, true,
         [](int x, int y) { return Rgb(x, y, 1); }, Gradient},
        {"Rgb16Bit", PNG_COLOR_TYPE_RGB, 16, false, [](int x, int y) { return Rgb(x, y, 257); },
         Gradient},
        {"Rgba8Bit", PNG_COLOR_TYPE_RGBA, 8, false,
         [](int x, int y) {
             auto s = Rgb(x, y, 1);
             s.push_back(Alpha(x, y));
             return s;
         },
         Gradient},
        {"Rgba16BitInterlaced", PNG_COLOR_TYPE_RGBA, 16, true,
         [](int x, int y) {
             auto s = Rgb(x, y, 257);
             s.push_back(Alpha(x, y) * 257);
             return s;
         },
         Gradient},
    };
}

// Decodes each PNG colour type.
class PngColourTypes : public ::testing::TestWithParam<PngCase> {};

// Every colour type comes out as 8-bit BGR; alpha and transparency are dropped.
TEST_P(PngColourTypes, DecodeToBgr) {
    const PngCase& c = GetParam();
    TempFolder folder;
    const std::string bytes = WritePng(c);
    ASSERT_FALSE(bytes.empty());
    WriteFile(folder / "picture.png", bytes);
    Bitmap bitmap;
    ASSERT_TRUE(LoadImageFile(bitmap, folder / "picture.png"));
    ExpectPixels(bitmap, kWidth, kHeight, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Image, PngColourTypes, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace velmora::test
