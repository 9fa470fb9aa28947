// Reading what a command needs without decoding whole pictures: the size from an image's header,
// and the pixels per area counted from a map read row by row.
#include <gtest/gtest.h>

#include <string>

#include "image_test_pictures.h"
#include "store/errors.h"
#include "store/image_file.h"
#include "store/image_size.h"
#include "store/map_census.h"
#include "support/test_support.h"

namespace velmora::test {
namespace {

TEST(ImageSize, TheHeaderGivesTheDecodedSize) {
    TempFolder folder;
    const Bitmap picture = MakeBitmap(37, 23, Gradient);
    for (const char* name : {"p.png", "p.jpg", "p.gif", "p.bmp"}) {
        SCOPED_TRACE(name);
        const std::string path = folder / name;
        ASSERT_TRUE(SaveImageFile(picture, path));
        const auto size = ReadImageSize(path);
        ASSERT_TRUE(size.has_value());
        EXPECT_EQ(size->width, 37);
        EXPECT_EQ(size->height, 23);

        // Cut inside the header: no size, and no exception.
        const std::string cut = folder / (std::string("cut") + name);
        WriteFile(cut, ReadFile(path).substr(0, 9));
        EXPECT_FALSE(ReadImageSize(cut).has_value());
    }
    EXPECT_FALSE(ReadImageSize(folder / "missing.png").has_value());

    // A JPEG whose frame header follows long metadata segments.
    const std::string jpeg = ReadFile(folder / "p.jpg");
    std::string segment = "\xFF\xE1";
    segment += static_cast<char>(0xFF);
    segment += static_cast<char>(0xF0);
    segment += std::string(0xFFF0 - 2, 'x');
    WriteFile(folder / "meta.jpg", jpeg.substr(0, 2) + segment + segment + jpeg.substr(2));
    Bitmap decoded;
    ASSERT_TRUE(LoadImageFile(decoded, folder / "meta.jpg"));
    const auto size = ReadImageSize(folder / "meta.jpg");
    ASSERT_TRUE(size.has_value());
    EXPECT_EQ(size->width, decoded.Width());
    EXPECT_EQ(size->height, decoded.Height());
}

// Counts by decoding the whole map, fitted to width × height as the editor fits it.
AreaPixelCounts CountDecoded(const Bitmap& map, int width, int height) {
    AreaPixelCounts counts{};
    for (int y = 0; y < std::min(height, map.Height()); ++y) {
        for (int x = 0; x < std::min(width, map.Width()); ++x) {
            ++counts[map.Pixel(x, y)[0]];
        }
    }
    return counts;
}

TEST(MapCensus, CountsEqualThoseOfTheDecodedMapFittedToThePicture) {
    TempFolder folder;
    const Bitmap map = MakeBitmap(41, 29, [](int x, int y) {
        const int area = x < 10 ? 0 : y < 12 ? 1 + x / 10 : 200 + (x + y) % 3;
        return Bgr{area, area, area};
    });
    // PNG maps stream; a BMP map is decoded whole.
    for (const char* name : {"map.png", "map.bmp"}) {
        ASSERT_TRUE(SaveImageFile(map, folder / name));
        for (const auto& [width, height] : {std::pair{41, 29}, {20, 15}, {60, 40}}) {
            SCOPED_TRACE(std::string(name) + " " + std::to_string(width) + "x" +
                         std::to_string(height));
            AreaPixelCounts counts{};
            ASSERT_TRUE(CountAreaPixels(folder / name, width, height, counts));
            EXPECT_EQ(counts, CountDecoded(map, width, height));
        }
    }

    AreaPixelCounts counts{};
    EXPECT_FALSE(CountAreaPixels(folder / "missing.png", 41, 29, counts));
    const std::string png = ReadFile(folder / "map.png");
    WriteFile(folder / "cut.png", png.substr(0, png.size() / 2));
    EXPECT_THROW(CountAreaPixels(folder / "cut.png", 41, 29, counts), ImageError);
}

}  // namespace
}  // namespace velmora::test
