#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "image_test_pictures.h"
#include "store/errors.h"
#include "store/image_file.h"
#include "support/test_support.h"

namespace velmora::test {
namespace {

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// A small area map: a few painted rectangles on the empty value 0.
Bitmap SmallMap() {
    return MakeBitmap(41, 29, [](int x, int y) {
        const int area = x < 10 ? 0 : y < 12 ? 1 + x / 10 : 200 + (x + y) % 3;
        return Bgr{area, area, area};
    });
}

// Exactly 200 colours, within what a GIF palette holds.
Bgr TwoHundredColours(int x, int y) {
    const int i = (x * 7 + y * 13) % 200;
    return {i, 255 - i, (i * 37) % 256};
}

TEST(ImageFile, FormatOfPath) {
    const std::vector<std::pair<std::string, ImageFormat>> cases = {
        {"hall.png", ImageFormat::Png},
        {"hall.PNG", ImageFormat::Png},
        {"a/b/hall.Jpg", ImageFormat::Jpeg},
        {"hall.jpeg", ImageFormat::Jpeg},
        {"hall.gif", ImageFormat::Gif},
        {"hall.BMP", ImageFormat::Bmp},
        {"hall.tif", ImageFormat::Unknown},
        {"hall", ImageFormat::Unknown},
        {"hall.png.txt", ImageFormat::Unknown},
        // The last dot counts even inside a folder name.
        {"/my.png/hall", ImageFormat::Unknown},
    };
    for (const auto& [path, format] : cases) {
        EXPECT_EQ(FormatOfPath(path), format) << path;
    }
}

TEST(ImageFile, LoadRefusesMissingFilesAndUnknownExtensions) {
    TempFolder folder;
    const Bitmap before = SmallMap();
    ASSERT_TRUE(SaveImageFile(before, folder / "map.png"));
    WriteFile(folder / "map.tif", ReadFile(folder / "map.png"));
    std::filesystem::create_directory(folder / "folder.png");

    for (const std::string name : {"missing.png", "map.tif", "folder.png", "map"}) {
        SCOPED_TRACE(name);
        Bitmap bitmap = before;
        EXPECT_FALSE(LoadImageFile(bitmap, folder / name));
        EXPECT_TRUE(bitmap == before);
    }
}

// A picture saved under a file name and the largest channel difference after loading it.
struct RoundTrip {
    std::string name;
    std::string file;
    Bitmap picture;
    int tolerance;
};

TEST(ImageFile, SaveAndLoadAgain) {
    const std::vector<RoundTrip> cases = {
        {"png map", "map.png", SmallMap(), 0},
        {"png colours", "picture.png", MakeBitmap(37, 23, Gradient), 0},
        {"png capital extension", "hall.PNG", MakeBitmap(5, 3, Gradient), 0},
        {"bmp", "picture.bmp", MakeBitmap(37, 23, Gradient), 0},
        {"bmp map", "map.BMP", SmallMap(), 0},
        {"gif up to 256 colours", "picture.gif", MakeBitmap(37, 23, TwoHundredColours), 0},
        {"gif map", "map.gif", SmallMap(), 0},
        // More colours than a palette holds: each channel is off by at most half a level.
        {"gif many colours", "many.gif", MakeBitmap(64, 64, Gradient), 26},
        {"one pixel", "dot.png", MakeBitmap(1, 1, Gradient), 0},
    };
    for (const RoundTrip& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        ASSERT_TRUE(SaveImageFile(c.picture, folder / c.file));
        Bitmap loaded;
        ASSERT_TRUE(LoadImageFile(loaded, folder / c.file));
        ExpectPixels(
            loaded, c.picture.Width(), c.picture.Height(),
            [&](int x, int y) { return BgrAt(c.picture, x, y); }, c.tolerance);
    }
}

TEST(ImageFile, PngHoldsEightBitRgbSamples) {
    const std::string bytes = EncodeImage(SmallMap(), ImageFormat::Png);
    ASSERT_GT(bytes.size(), 26u);
    EXPECT_EQ(bytes.substr(12, 4), "IHDR");
    EXPECT_EQ(bytes[24], 8);  // bit depth
    EXPECT_EQ(bytes[25], 2);  // colour type RGB
    EXPECT_EQ(bytes[28], 0);  // not interlaced
}

TEST(ImageFile, SaveWithUnknownExtensionWritesNothing) {
    TempFolder folder;
    EXPECT_FALSE(SaveImageFile(SmallMap(), folder / "map.tif"));
    EXPECT_FALSE(SaveImageFile(SmallMap(), folder / "map"));
    EXPECT_TRUE(FolderEntries(folder.Path()).empty());
}

TEST(ImageFile, SaveReplacesTheFileAndLeavesNoTemporaryFiles) {
    TempFolder folder;
    WriteFile(folder / "map.png", "old content");
    for (const std::string name : {"map.png", "map.bmp", "map.gif", "map.jpg"}) {
        ASSERT_TRUE(SaveImageFile(SmallMap(), folder / name));
    }
    ASSERT_TRUE(SaveImageFile(MakeBitmap(3, 2, Gradient), folder / "map.png"));
    EXPECT_EQ(FolderEntries(folder.Path()),
              (std::vector<std::string>{"map.bmp", "map.gif", "map.jpg", "map.png"}));
    Bitmap loaded;
    ASSERT_TRUE(LoadImageFile(loaded, folder / "map.png"));
    EXPECT_TRUE(loaded == MakeBitmap(3, 2, Gradient));
}

// A save that fails keeps the previous file as it was and leaves nothing else behind.
TEST(ImageFile, FailedSavesKeepThePreviousFile) {
    TempFolder folder;
    WriteFile(folder / "map.png", "previous map");
    EXPECT_THROW(SaveImageFile(Bitmap(), folder / "map.png"), ImageError);
    EXPECT_THROW(SaveImageFile(SmallMap(), folder / "missing/map.png"), FileError);
    EXPECT_EQ(FolderEntries(folder.Path()), std::vector<std::string>{"map.png"});
    EXPECT_EQ(ReadFile(folder / "map.png"), "previous map");
}

// Loads a damaged file and checks that it is refused with a message naming it, and that the
// bitmap keeps what it held.
void ExpectRefused(const std::string& path, const std::string& bytes, const char* reason = "") {
    WriteFile(path, bytes);
    const Bitmap before = MakeBitmap(2, 2, Gradient);
    Bitmap bitmap = before;
    try {
        LoadImageFile(bitmap, path);
        ADD_FAILURE() << "a damaged file was loaded: " << path;
    } catch (const ImageError& error) {
        const std::string text = error.what();
        EXPECT_EQ(text.rfind("Не удалось прочитать изображение " + path + ": ", 0), 0u) << text;
        EXPECT_NE(text.find(reason), std::string::npos) << text;
    }
    EXPECT_TRUE(bitmap == before);
}

const std::vector<std::string> kExtensions = {".png", ".jpg", ".gif", ".bmp"};

TEST(ImageFile, TruncatedFilesAreRefused) {
    TempFolder folder;
    const Bitmap picture = MakeBitmap(40, 30, Gradient);
    for (const std::string& ext : kExtensions) {
        SCOPED_TRACE(ext);
        ASSERT_TRUE(SaveImageFile(picture, folder / ("good" + ext)));
        const std::string whole = ReadFile(folder / ("good" + ext));
        for (const std::size_t length :
             {std::size_t{0}, std::size_t{1}, std::size_t{10}, whole.size() / 3,
              whole.size() * 2 / 3, whole.size() - 30}) {
            SCOPED_TRACE(length);
            ExpectRefused(folder / ("cut" + ext), whole.substr(0, length));
        }
    }
}

TEST(ImageFile, RandomBytesNeverCrash) {
    TempFolder folder;
    std::mt19937 random(20260612);
    const std::vector<std::pair<std::string, std::string>> signatures = {
        {".png", "\x89PNG\r\n\x1a\n"},
        {".jpg", "\xFF\xD8\xFF"},
        {".gif", "GIF89a"},
        {".bmp", "BM"}};
    for (const auto& [ext, signature] : signatures) {
        SCOPED_TRACE(ext);
        for (int round = 0; round < 20; ++round) {
            std::string noise(1 + random() % 3000, '\0');
            for (char& c : noise) {
                c = static_cast<char>(random());
            }
            // Without the right signature nothing decodes.
            ExpectRefused(folder / ("noise" + ext), noise);
            // Behind the right signature the decoder meets garbage in every structure; it
            // either refuses it with ImageError or yields a bitmap, and never more.
            WriteFile(folder / ("signed" + ext), signature + noise);
            Bitmap bitmap;
            try {
                LoadImageFile(bitmap, folder / ("signed" + ext));
            } catch (const ImageError&) {
            }
        }
    }
}

void PutBigEndian(std::string& bytes, std::size_t at, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) {
        bytes[at + i] = static_cast<char>(value >> (8 * (size - 1 - i)) & 0xFF);
    }
}

void PutLittleEndian(std::string& bytes, std::size_t at, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) {
        bytes[at + i] = static_cast<char>(value >> (8 * i) & 0xFF);
    }
}

// Rewrites the size a file's header claims, leaving everything else as written.
std::string ClaimSize(const std::string& ext, std::uint32_t width, std::uint32_t height) {
    std::string bytes = EncodeImage(MakeBitmap(16, 16, Gradient), FormatOfPath(ext));
    if (ext == ".png") {
        PutBigEndian(bytes, 16, width, 4);
        PutBigEndian(bytes, 20, height, 4);
        const auto crc = crc32(0, reinterpret_cast<const Bytef*>(bytes.data() + 12), 17);
        PutBigEndian(bytes, 29, static_cast<std::uint32_t>(crc), 4);
    } else if (ext == ".jpg") {
        const std::size_t sof = bytes.find("\xFF\xC0");
        PutBigEndian(bytes, sof + 5, height, 2);
        PutBigEndian(bytes, sof + 7, width, 2);
    } else if (ext == ".gif") {
        PutLittleEndian(bytes, 6, width, 2);
        PutLittleEndian(bytes, 8, height, 2);
    } else {
        PutLittleEndian(bytes, 18, width, 4);
        PutLittleEndian(bytes, 22, height, 4);
    }
    return bytes;
}

TEST(ImageFile, OversizedImagesAndShortFilesClaimingLargeOnesAreRefused) {
    // The size a header is made to claim and the reason the refusal must give.
    struct Claim {
        std::string ext;
        std::uint32_t width;
        std::uint32_t height;
        const char* reason;
    };
    const char* tooLarge = "слишком большое";
    const char* truncated = "обрезан";
    const std::vector<Claim> claims = {
        {".png", 200000, 200000, tooLarge}, {".png", 30001, 1, tooLarge},
        {".png", 20001, 20001, tooLarge},   {".jpg", 60000, 60000, tooLarge},
        {".jpg", 100, 40000, tooLarge},     {".gif", 65535, 65535, tooLarge},
        {".gif", 40000, 16, tooLarge},      {".bmp", 200000, 200000, tooLarge},
        {".bmp", 25000, 20000, tooLarge},   {".png", 20000, 15000, truncated},
        {".jpg", 20000, 15000, truncated},  {".bmp", 20000, 15000, truncated},
    };
    TempFolder folder;
    for (const Claim& claim : claims) {
        SCOPED_TRACE(claim.ext + " " + std::to_string(claim.width) + "x" +
                     std::to_string(claim.height));
        ExpectRefused(folder / ("huge" + claim.ext),
                      ClaimSize(claim.ext, claim.width, claim.height), claim.reason);
    }
}

TEST(ImageFile, MemoryCodecsExplainFaults) {
    try {
        DecodeImage("not an image", ImageFormat::Png);
        ADD_FAILURE() << "garbage decoded";
    } catch (const ImageError& error) {
        EXPECT_EQ(std::string(error.what()), "Не удалось прочитать изображение: это не файл PNG");
    }
    EXPECT_THROW(EncodeImage(Bitmap(), ImageFormat::Bmp), ImageError);
    EXPECT_THROW(DecodeImage("", ImageFormat::Unknown), ImageError);
}

}  // namespace
}  // namespace velmora::test
