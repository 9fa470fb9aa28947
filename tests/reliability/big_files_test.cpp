// Files far larger than the memory a command may take: a sound larger than the whole address
// space the command is allowed is attached and exported, and a project with a 20000 × 20000
// picture is described, each within that limit.
#include <fcntl.h>
#include <png.h>
#include <unistd.h>
#include <zlib.h>

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <filesystem>
#include <vector>

#include "reliability/reliability_fixture.h"

namespace velmora::test {
namespace {

namespace fs = std::filesystem;

// Less than the size of the sound, and under a seventh of one decoded 20000 × 20000 picture; the
// program itself and its libraries (the image, XML and vision libraries with their Unicode data)
// take about 90 MB of it.
constexpr long long kAddressSpace = 160LL << 20;
constexpr long long kBigSound = 256LL << 20;
constexpr int kBigSide = 20000;

// The sanitizers reserve terabytes of address space, so a limit on it cannot run there.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kLimitsWork = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kLimitsWork = false;
#else
constexpr bool kLimitsWork = true;
#endif
#else
constexpr bool kLimitsWork = true;
#endif

// A file of the given size whose bytes are all zero, taking no room on the disk.
void MakeSparseFile(const std::string& path, long long size) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, size), 0);
    ::close(fd);
}

// A side × side PNG of one colour, written a row at a time; a few hundred kilobytes.
void WriteSolidPng(const std::string& path, int side, std::uint8_t red, std::uint8_t green,
                   std::uint8_t blue) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, file);
    png_set_IHDR(png, info, side, side, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    // Every row after the first repeats the one above: all zeros once "up"-filtered.
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_UP);
    png_set_compression_level(png, 1);
    png_set_compression_strategy(png, Z_RLE);
    png_write_info(png, info);
    std::vector<png_byte> row(static_cast<std::size_t>(side) * 3);
    for (int x = 0; x < side; ++x) {
        row[x * 3] = red;
        row[x * 3 + 1] = green;
        row[x * 3 + 2] = blue;
    }
    for (int y = 0; y < side; ++y) {
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
}

class BigFilesTest : public ReliabilityTest {
protected:
    void SetUp() override {
        if (!kLimitsWork) {
            GTEST_SKIP() << "address space limits do not work under the sanitizers";
        }
        MakeProject();
    }

    CliRun Limited(const std::vector<std::string>& args) const {
        CliLimits limits;
        limits.addressSpaceLimit = kAddressSpace;
        limits.timeLimit = 120;
        return Cli(args, limits);
    }
};

TEST_F(BigFilesTest, ASoundLargerThanTheMemoryIsAttachedAndExported) {
    MakeSparseFile(Work("big.ogg"), kBigSound);
    const CliRun attached = Limited({"attach", "tour.vlm", "sound", "big.ogg"});
    ASSERT_EQ(attached.status, 0) << attached.err;
    EXPECT_EQ(fs::file_size(Work("Sounds/big.ogg")), static_cast<std::uintmax_t>(kBigSound));
    ASSERT_EQ(Cli({"set", "tour.vlm", "Зал", "click", "sound_file_name=big.ogg"}).status, 0);

    const CliRun exported = Limited({"export", "tour.vlm", "out/page.html"});
    ASSERT_EQ(exported.status, 0) << exported.err;
    EXPECT_EQ(fs::file_size(Work("out/VLM/big.ogg")), static_cast<std::uintmax_t>(kBigSound));
    EXPECT_TRUE(CompleteDataScript(ReadFile(Work("out/VLM/page.js"))));
}

TEST_F(BigFilesTest, InfoOnAHugePictureNeedsNoPixelsButTheMapsRows) {
    // The map: every pixel in area 1 ("Зал"); the picture: grey.
    WriteSolidPng(Work("Maps/pic.png"), kBigSide, 0, 0, 1);
    WriteSolidPng(Work("Images/pic.png"), kBigSide, 128, 128, 128);
    {
        SQLite::Database db(ProjectPath(), SQLite::OPEN_READWRITE);
        db.exec("UPDATE pictures SET width=" + std::to_string(kBigSide) +
                ",height=" + std::to_string(kBigSide) + " WHERE id=0;");
    }

    const CliRun info = Limited({"info", "tour.vlm"});
    ASSERT_EQ(info.status, 0) << info.err;
    const auto out = nlohmann::json::parse(info.out);
    EXPECT_EQ(out["width"], kBigSide);
    EXPECT_EQ(out["areas"][0]["name"], "Зал");
    EXPECT_EQ(out["areas"][0]["pixels"], 1LL * kBigSide * kBigSide);
    EXPECT_EQ(out["areas"][1]["pixels"], 0);

    for (const std::vector<std::string>& verb :
         {std::vector<std::string>{"get", "tour.vlm", "Зал", "click"},
          {"set", "tour.vlm", "Зал", "click", "link=https://example.org/"},
          {"area", "list", "tour.vlm"},
          {"area", "add", "tour.vlm", "Кухня"},
          {"area", "rename", "tour.vlm", "Кухня", "Столовая"},
          {"copy-event", "tour.vlm", "Зал", "click", "over"},
          {"music", "tour.vlm", "--volume", "40"}}) {
        SCOPED_TRACE(verb[0]);
        const CliRun run = Limited(verb);
        EXPECT_EQ(run.status, 0) << run.err;
    }
}

}  // namespace
}  // namespace velmora::test
