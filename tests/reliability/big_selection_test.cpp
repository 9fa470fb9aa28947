// Object selection over the whole of a big picture: the selection works on a bounded reduced
// copy and on full-size tiles, so a box over 36 megapixels costs the program little more
// memory than a box of a few pixels (the picture and the map are held either way), and the
// object is still found whole. The verbs that never look at the picture's pixels hold only
// the map.
#include <png.h>

#include <cstdio>
#include <filesystem>
#include <numbers>
#include <vector>

#include "reliability/reliability_fixture.h"
#include "store/bitmap.h"
#include "store/image_file.h"

namespace velmora::test {
namespace {

constexpr int kSide = 6000;
constexpr double kRadius = kSide * 0.3;
// What the selection may hold beside the picture and the map, in kilobytes.
constexpr long long kWorkingKb = 64 << 10;

// A light picture with a dark red disc in the middle, written a row at a time.
void WriteDiscPng(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, file);
    png_set_IHDR(png, info, kSide, kSide, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, 1);
    png_write_info(png, info);
    std::vector<png_byte> row(static_cast<std::size_t>(kSide) * 3);
    for (int y = 0; y < kSide; ++y) {
        const double dy = y + 0.5 - kSide / 2.0;
        const png_byte shade = static_cast<png_byte>(200 + 40 * y / kSide);
        for (int x = 0; x < kSide; ++x) {
            const double dx = x + 0.5 - kSide / 2.0;
            const bool disc = dx * dx + dy * dy < kRadius * kRadius;
            row[x * 3] = disc ? 150 : shade;
            row[x * 3 + 1] = disc ? 20 : shade;
            row[x * 3 + 2] = disc ? 30 : 230;
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
}

class BigSelectionTest : public ReliabilityTest {};

TEST_F(BigSelectionTest, TheWholePictureIsSelectedInBoundedMemory) {
    WriteDiscPng(Work("disc.png"));
    for (const std::vector<std::string>& step : {std::vector<std::string>{"new", "tour.vlm"},
                                                 {"picture", "tour.vlm", "disc.png"},
                                                 {"area", "add", "tour.vlm", "Диск"}}) {
        const CliRun run = Cli(step);
        ASSERT_EQ(run.status, 0) << step[0] << ": " << run.err;
    }

    const CliRun small = Cli({"select-object", "tour.vlm", "Диск", "--box", "2990,2990,20,20"});
    ASSERT_EQ(small.status, 0) << small.err;
    ASSERT_EQ(Cli({"clear-map", "tour.vlm"}).status, 0);
    const std::string whole = "0,0," + std::to_string(kSide) + "," + std::to_string(kSide);
    const CliRun big = Cli({"select-object", "tour.vlm", "Диск", "--box", whole});
    ASSERT_EQ(big.status, 0) << big.err;
#if !defined(__SANITIZE_ADDRESS__)
    // The sanitizers keep freed memory in quarantine and shadow all of it: the budget is the
    // program's own, measured without them.
    EXPECT_LT(big.peakKb - small.peakKb, kWorkingKb)
        << "whole picture " << big.peakKb << " KB, small box " << small.peakKb << " KB";
#endif

    Bitmap map;
    ASSERT_TRUE(LoadImageFile(map, Work("Maps/disc.png")));
    long long selected = 0;
    long long wrong = 0;
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            const double dx = x + 0.5 - kSide / 2.0;
            const double dy = y + 0.5 - kSide / 2.0;
            const bool disc = dx * dx + dy * dy < kRadius * kRadius;
            const bool inArea =
                map.Pixel(x, y)[0] != 0 || map.Pixel(x, y)[1] != 0 || map.Pixel(x, y)[2] != 0;
            selected += inArea ? 1 : 0;
            wrong += inArea != disc ? 1 : 0;
        }
    }
    const double discArea = std::numbers::pi * kRadius * kRadius;
    EXPECT_GT(selected, 0.99 * discArea);
    EXPECT_LT(wrong, 0.001 * discArea);
}

// Importing the picture checks every row but keeps none; painting, shapes and export read the
// picture's size from its header: each holds the map (3 bytes a pixel) and little else.
TEST_F(BigSelectionTest, VerbsThatNeverLookAtThePixelsHoldOnlyTheMap) {
    WriteDiscPng(Work("disc.png"));
    ASSERT_EQ(Cli({"new", "tour.vlm"}).status, 0);
    const std::vector<std::vector<std::string>> verbs = {
        {"picture", "tour.vlm", "disc.png"},
        {"area", "add", "tour.vlm", "Диск"},
        {"fill", "tour.vlm", "Диск", "--rect", "100,100,2000,1500"},
        {"shapes", "tour.vlm"},
        {"export", "tour.vlm", "site/page.html"},
    };
    for (const auto& verb : verbs) {
        const CliRun run = Cli(verb);
        ASSERT_EQ(run.status, 0) << verb[0] << ": " << run.err;
#if !defined(__SANITIZE_ADDRESS__)
        EXPECT_LT(run.peakKb, 3LL * kSide * kSide / 1024 + kWorkingKb) << verb[0];
#endif
    }
    EXPECT_NE(ReadFile(Work("site/page.html")).find("disc.png"), std::string::npos);
}

// A new picture asks before it wipes painted areas; the painted areas are counted from the map
// file, so the old map is never held beside the new empty one, whether the answer stops the
// import or nothing was painted and it goes on.
TEST_F(BigSelectionTest, ANewPictureCountsThePaintedAreasWithoutHoldingTheOldMap) {
    WriteDiscPng(Work("disc.png"));
    std::filesystem::copy_file(Work("disc.png"), Work("other.png"));
    for (const std::vector<std::string>& step :
         {std::vector<std::string>{"new", "tour.vlm"},
          {"picture", "tour.vlm", "disc.png"},
          {"area", "add", "tour.vlm", "Диск"},
          {"fill", "tour.vlm", "Диск", "--rect", "100,100,2000,1500"}}) {
        const CliRun run = Cli(step);
        ASSERT_EQ(run.status, 0) << step[0] << ": " << run.err;
    }
    const long long mapKb = 3LL * kSide * kSide / 1024;
    const auto pictureName = [this] {
        const CliRun info = Cli({"info", "tour.vlm"});
        return info.out.substr(0, info.out.find(",\"map\""));
    };

    const CliRun refused = Cli({"picture", "tour.vlm", "other.png"});
    EXPECT_EQ(refused.status, 1) << refused.err;
    EXPECT_NE(refused.err.find("(1)"), std::string::npos) << refused.err;
    EXPECT_NE(pictureName().find("disc.png"), std::string::npos);

    ASSERT_EQ(Cli({"clear-map", "tour.vlm"}).status, 0);
    const CliRun replaced = Cli({"picture", "tour.vlm", "other.png"});
    ASSERT_EQ(replaced.status, 0) << replaced.err;
    EXPECT_NE(pictureName().find("other.png"), std::string::npos);
#if !defined(__SANITIZE_ADDRESS__)
    EXPECT_LT(refused.peakKb, kWorkingKb) << "refused";
    EXPECT_LT(replaced.peakKb, mapKb + kWorkingKb) << "replaced";
#endif
}

}  // namespace
}  // namespace velmora::test
