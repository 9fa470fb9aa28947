#include <gif_lib.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "image_test_pictures.h"
#include "store/image_file.h"
#include "support/test_support.h"

namespace velmora::test {
namespace {

// One frame of a test GIF: its place on the screen, pixels, palette and transparency.
struct GifFrame {
    int left;
    int top;
    int width;
    int height;
    bool interlace;
    std::function<int(int, int)> index;  // palette index at frame coordinates
    std::vector<GifColorType> localMap = {};
    int transparent = NO_TRANSPARENT_COLOR;
};

// A test GIF file and the picture its first frame must give.
struct GifCase {
    std::string name;
    int screenWidth;
    int screenHeight;
    std::vector<GifColorType> globalMap;
    int background;
    std::vector<GifFrame> frames;
    int expectedWidth;
    int expectedHeight;
    std::function<Bgr(int, int)> expected;
};

int Append(GifFileType* gif, const GifByteType* data, int length) {
    static_cast<std::string*>(gif->UserData)->append(reinterpret_cast<const char*>(data), length);
    return length;
}

// giflib wants map sizes that are powers of two.
ColorMapObject* MakeMap(std::vector<GifColorType> colours) {
    if (colours.empty()) {
        return nullptr;
    }
    std::size_t size = 2;
    while (size < colours.size()) {
        size *= 2;
    }
    colours.resize(size, GifColorType{0, 0, 0});
    return GifMakeMapObject(static_cast<int>(size), colours.data());
}

// Written through giflib's encoder, record by record, as an animation tool would.
std::string WriteGif(const GifCase& c) {
    std::string out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, Append, &error);
    EGifSetGifVersion(gif, true);
    ColorMapObject* global = MakeMap(c.globalMap);
    EXPECT_EQ(EGifPutScreenDesc(gif, c.screenWidth, c.screenHeight, 8, c.background, global),
              GIF_OK);
    GifFreeMapObject(global);
    for (const GifFrame& frame : c.frames) {
        if (frame.transparent != NO_TRANSPARENT_COLOR) {
            GraphicsControlBlock gcb{};
            gcb.DelayTime = 10;
            gcb.TransparentColor = frame.transparent;
            GifByteType extension[4];
            EGifGCBToExtension(&gcb, extension);
            EXPECT_EQ(EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, extension), GIF_OK);
        }
        // giflib keeps each frame's palette copy until the next frame overwrites it unfreed.
        if (gif->Image.ColorMap != nullptr) {
            GifFreeMapObject(gif->Image.ColorMap);
            gif->Image.ColorMap = nullptr;
        }
        ColorMapObject* local = MakeMap(frame.localMap);
        EXPECT_EQ(EGifPutImageDesc(gif, frame.left, frame.top, frame.width, frame.height,
                                   frame.interlace, local),
                  GIF_OK);
        GifFreeMapObject(local);
        // An interlaced frame's rows are stored pass by pass.
        std::vector<int> rowOrder;
        if (frame.interlace) {
            for (const auto& [start, step] : {std::pair{0, 8}, {4, 8}, {2, 4}, {1, 2}}) {
                for (int y = start; y < frame.height; y += step) {
                    rowOrder.push_back(y);
                }
            }
        } else {
            for (int y = 0; y < frame.height; ++y) {
                rowOrder.push_back(y);
            }
        }
        std::vector<GifPixelType> line(static_cast<std::size_t>(frame.width));
        for (const int y : rowOrder) {
            for (int x = 0; x < frame.width; ++x) {
                line[static_cast<std::size_t>(x)] = static_cast<GifPixelType>(frame.index(x, y));
            }
            EXPECT_EQ(EGifPutLine(gif, line.data(), frame.width), GIF_OK);
        }
    }
    EGifCloseFile(gif, &error);
    return out;
}

Bgr AsBgr(const GifColorType& c) {
    return {c.Blue, c.Green, c.Red};
}

const std::vector<GifColorType> kGlobal = {
    {250, 0, 0}, {0, 250, 0}, {0, 0, 250}, {10, 20, 30}, {200, 100, 50}};
const std::vector<GifColorType> kLocal = {{1, 2, 3}, {90, 80, 70}, {255, 255, 255}};

std::vector<GifCase> Cases() {
    return {
        {"Plain",
         7,
         5,
         kGlobal,
         0,
         {{0, 0, 7, 5, false, [](int x, int y) { return (x + 2 * y) % 5; }}},
         7,
         5,
         [](int x, int y) { return AsBgr(kGlobal[(x + 2 * y) % 5]); }},
        {"Interlaced",
         9,
         13,
         kGlobal,
         0,
         {{0, 0, 9, 13, true, [](int x, int y) { return (x * 3 + y) % 5; }}},
         9,
         13,
         [](int x, int y) { return AsBgr(kGlobal[(x * 3 + y) % 5]); }},
        // Only the first frame shows: placed at its offset, with its own palette, its
        // transparent index and the uncovered screen both in the background colour.
        {"AnimatedFirstFrameAtOffset",
         10,
         8,
         kGlobal,
         2,
         {{3, 2, 5, 4, false, [](int x, int y) { return (x + y) % 3; }, kLocal, 0},
          {0, 0, 10, 8, false, [](int, int) { return 1; }}},
         10,
         8,
         [](int x, int y) {
             const bool inside = x >= 3 && x < 8 && y >= 2 && y < 6;
             const int index = inside ? (x - 3 + y - 2) % 3 : 0;
             return inside && index != 0 ? AsBgr(kLocal[index]) : AsBgr(kGlobal[2]);
         }},
        // Frame pixels beyond the logical screen are cut off; without a global palette the
        // background is black.
        {"FrameBeyondScreen",
         4,
         4,
         {},
         0,
         {{2, 1, 6, 5, false, [](int x, int) { return 1 + x % 2; }, kLocal}},
         4,
         4,
         [](int x, int y) {
             const bool inside = x >= 2 && y >= 1;
             return inside ? AsBgr(kLocal[1 + (x - 2) % 2]) : Bgr{0, 0, 0};
         }},
        // A file without a screen size takes the frame's extent.
        {"NoScreenSize",
         0,
         0,
         kGlobal,
         3,
         {{1, 2, 3, 2, false, [](int x, int y) { return x + y; }}},
         4,
         4,
         [](int x, int y) {
             const bool inside = x >= 1 && y >= 2;
             return AsBgr(kGlobal[inside ? x - 1 + y - 2 : 3]);
         }},
    };
}

// Decodes each described GIF file.
class GifFiles : public ::testing::TestWithParam<GifCase> {};

TEST_P(GifFiles, DecodeFirstFrame) {
    const GifCase& c = GetParam();
    TempFolder folder;
    WriteFile(folder / "anim.gif", WriteGif(c));
    Bitmap bitmap;
    ASSERT_TRUE(LoadImageFile(bitmap, folder / "anim.gif"));
    ExpectPixels(bitmap, c.expectedWidth, c.expectedHeight, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Image, GifFiles, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace velmora::test
