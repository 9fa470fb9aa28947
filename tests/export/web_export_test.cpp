#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "export/export_commands.h"
#include "export/page_merge.h"
#include "export/web_images.h"
#include "export_fixture.h"
#include "store/errors.h"
#include "store/files.h"
#include "store/image_codecs.h"
#include "store/image_file.h"
#include "store/image_test_pictures.h"
#include "store/web_image.h"
#include "support/webp_reader.h"

namespace velmora::test {
namespace {

// A JPEG as phones write it: an Exif block saying "turn right by 90°" (orientation 6) and an
// ICC profile, around a picture whose left half is dark and right half light.
std::string PhoneJpeg(int width, int height) {
    Bitmap bitmap(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = bitmap.Pixel(x, y);
            p[0] = p[1] = p[2] = x < width / 2 ? 40 : 220;
        }
    }
    std::string jpeg = codec::EncodeJpeg(bitmap, 90, TestIccProfile());
    const std::string tiff("MM\0\x2a\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01\0\x06\0\0\0\0\0\0",
                           26);
    const std::string body = std::string("Exif\0\0", 6) + tiff;
    const std::size_t length = body.size() + 2;
    const std::string app1 = std::string("\xFF\xE1", 2) + static_cast<char>(length >> 8) +
                             static_cast<char>(length & 255) + body;
    return jpeg.insert(2, app1);
}

class WebExportTest : public ExportTest {
protected:
    void UsePicture(const std::string& name, const std::string& bytes) {
        const Bitmap decoded = DecodeImage(bytes, FormatOfPath(name));
        SetPictureSize(decoded.Width(), decoded.Height());
        LoadPictureNamed(name, bytes);
        AddArea("Door");
        Paint(0, 0, 10, 10, 1);
    }

    ExportOutcome ExportWeb() {
        ExportOptions options;
        options.webImages = true;
        return ExportToHtml(data, folder / "site/tour.html", ProgramFolder(), options);
    }

    std::string Vlm(const std::string& name) const { return JoinPath(folder / "site/VLM", name); }
};

TEST(WebImageWidths, NeverAboveThePictureAndItsOwnWidthUpToTheLargest) {
    const struct {
        int width;
        std::vector<int> widths;
    } cases[] = {
        {6000, {480, 960, 1440, 1920, 2560, 3840}},
        {3840, {480, 960, 1440, 1920, 2560, 3840}},
        {2000, {480, 960, 1440, 1920, 2000}},
        {480, {480}},
        {300, {300}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WebImageWidths(c.width), c.widths) << c.width;
    }
}

// Every width and the fallback, in the stored grid the map is painted on, in the original's
// colours; the page offers them through a <picture> and keeps the full size.
TEST_F(WebExportTest, APhotoIsWrittenInEveryWidthWithItsProfileAndAFallback) {
    UsePicture("hall.jpg", PhoneJpeg(2000, 1000));
    const ExportOutcome outcome = ExportWeb();
    ASSERT_TRUE(outcome.scriptWritten);
    for (int width : {480, 960, 1440, 1920, 2000}) {
        SCOPED_TRACE(width);
        const DecodedWebp webp =
            DecodeWebp(ReadFile(Vlm("hall.jpg-" + std::to_string(width) + "w.webp")));
        ASSERT_EQ(webp.bitmap.Width(), width);
        ASSERT_EQ(webp.bitmap.Height(), width / 2);
        EXPECT_EQ(webp.profile, TestIccProfile());
        EXPECT_FALSE(webp.exif);
        // Not turned: dark on the left, light on the right, as in the editor.
        EXPECT_LT(webp.bitmap.Pixel(width / 8, width / 4)[1], 60);
        EXPECT_GT(webp.bitmap.Pixel(width * 7 / 8, width / 4)[1], 200);
    }
    EXPECT_FALSE(FileExists(Vlm("hall.jpg-2560w.webp")));
    const std::string fallback = ReadFile(Vlm("hall.jpg-1920w.jpg"));
    const Bitmap shown = DecodeImage(fallback, ImageFormat::Jpeg);
    EXPECT_EQ(shown.Width(), 1920);
    EXPECT_EQ(shown.Height(), 960);
    EXPECT_EQ(ReadIccProfile(fallback, ImageFormat::Jpeg), TestIccProfile());

    const std::string page = ReadFile(outcome.pagePath);
    EXPECT_NE(
        page.find(
            "\t\t<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\r\n"),
        std::string::npos);
    EXPECT_NE(page.find("<script src=\"VLM/vlm4.js\" defer></script>"), std::string::npos);
    EXPECT_NE(page.find("<script src=\"VLM/tour.js\" defer></script>"), std::string::npos);
    EXPECT_NE(
        page.find("\t\t\t<picture><source type=\"image/webp\" srcset=\"VLM/hall.jpg-480w.webp "
                  "480w, VLM/hall.jpg-960w.webp 960w, VLM/hall.jpg-1440w.webp 1440w, "
                  "VLM/hall.jpg-1920w.webp 1920w, VLM/hall.jpg-2000w.webp 2000w\" "
                  "sizes=\"(max-width: 2000px) 100vw, 2000px\"><img "
                  "src=\"VLM/hall.jpg-1920w.jpg\" id=\"" +
                  data.project.PageId +
                  "\" width=2000 height=1000 class=\"vlm4-picture\" decoding=\"async\" "
                  "fetchpriority=\"high\"></picture>\r\n"),
        std::string::npos)
        << page;
}

// A drawing keeps a lossless fallback; a name with a space and a comma stays one srcset entry;
// a small picture is offered in its own width only.
TEST_F(WebExportTest, APngGetsAPngFallbackAndNamesAreEncodedForSrcset) {
    UsePicture("my map, v2.png", EncodeImage(MakeBitmap(300, 200,
                                                        [](int x, int y) {
                                                            return Bgr{x & 255, y & 255, 90};
                                                        }),
                                             ImageFormat::Png));
    ASSERT_TRUE(ExportWeb().scriptWritten);
    EXPECT_EQ(DecodeWebp(ReadFile(Vlm("my map, v2.png-300w.webp"))).bitmap.Width(), 300);
    const Bitmap fallback = DecodeImage(ReadFile(Vlm("my map, v2.png-300w.png")), ImageFormat::Png);
    ExpectPixels(fallback, 300, 200, [](int x, int y) { return Bgr{x & 255, y & 255, 90}; });
    const std::string page = ReadFile(folder / "site/tour.html");
    EXPECT_NE(page.find("srcset=\"VLM/my%20map%2C%20v2.png-300w.webp 300w\""), std::string::npos)
        << page;
    EXPECT_NE(page.find("<img src=\"VLM/my%20map%2C%20v2.png-300w.png\""), std::string::npos);
}

// A second export finds its copies in place and leaves them alone.
TEST_F(WebExportTest, ExportingAgainLeavesTheSameCopiesAlone) {
    UsePicture("hall.jpg", PhoneJpeg(1000, 600));
    ASSERT_TRUE(ExportWeb().scriptWritten);
    const auto copy = std::filesystem::path(Vlm("hall.jpg-960w.webp"));
    const auto old = std::filesystem::file_time_type::clock::now() - std::chrono::hours(24);
    std::filesystem::last_write_time(copy, old);
    ASSERT_TRUE(ExportWeb().scriptWritten);
    EXPECT_EQ(std::filesystem::last_write_time(copy), old);
}

// Merged into another folder, the page brings its copies along; a copy whose name is taken
// there by another file comes under a new name, which the merged page then uses.
TEST_F(WebExportTest, AMergedWebPageBringsItsCopiesAlong) {
    UsePicture("hall.jpg", PhoneJpeg(1000, 600));
    ASSERT_TRUE(ExportWeb().scriptWritten);
    std::filesystem::create_directories(std::string(folder / "merged/VLM"));
    WriteFile(folder / "merged/VLM/hall.jpg-480w.webp", "another picture");
    ASSERT_EQ(MergePages({folder / "site/tour.html", folder / "site/tour.html"},
                         folder / "merged/both.html", prompter),
              MergeResult::Merged);
    const std::string merged = ReadFile(folder / "merged/both.html");
    EXPECT_NE(merged.find("srcset=\"VLM/hall.jpg-480w-2.webp 480w, VLM/hall.jpg-960w.webp 960w, "
                          "VLM/hall.jpg-1000w.webp 1000w\""),
              std::string::npos)
        << merged;
    EXPECT_NE(merged.find("<img src=\"VLM/hall.jpg-1000w.jpg\""), std::string::npos);
    const std::pair<const char*, const char*> brought[] = {
        {"hall.jpg-480w-2.webp", "hall.jpg-480w.webp"},
        {"hall.jpg-960w.webp", "hall.jpg-960w.webp"},
        {"hall.jpg-1000w.webp", "hall.jpg-1000w.webp"},
        {"hall.jpg-1000w.jpg", "hall.jpg-1000w.jpg"}};
    for (const auto& [there, here] : brought) {
        EXPECT_EQ(ReadFile(JoinPath(folder / "merged/VLM", there)), ReadFile(Vlm(here))) << there;
    }
    EXPECT_EQ(ReadFile(folder / "merged/VLM/hall.jpg-480w.webp"), "another picture");
}

// A large popup comes in smaller widths named in its record, a small overlay as it is; merged
// into another folder, the record's list follows the copies' new names.
TEST_F(WebExportTest, ALargePopupIsOfferedInSmallerWidthsThatAMergeBringsAlong) {
    UsePicture("hall.jpg", PhoneJpeg(400, 300));
    const auto png = [](int width, int height) {
        return EncodeImage(MakeBitmap(width, height,
                                      [](int x, int y) {
                                          return Bgr{x & 255, y & 255, 7};
                                      }),
                           ImageFormat::Png);
    };
    PutWorkFile("Pictures", "poster.png", png(1500, 1000));
    PutWorkFile("Pictures", "badge.png", png(900, 600));
    EditRecord("Door", kClick, [](ATTRIBUTES& a) {
        a.picture_file_name = "poster.png";
        a.overlay_file_name = "badge.png";
    });
    ASSERT_TRUE(ExportWeb().scriptWritten);
    const std::string script = ReadFile(Vlm("tour.js"));
    EXPECT_NE(script.find("\"src\":\"VLM/poster.png\",\"style\""), std::string::npos) << script;
    EXPECT_NE(script.find(
                  ",\"y2\":0,\"srcset\":\"VLM/poster.png-480w.webp 480w, VLM/poster.png-960w.webp "
                  "960w, VLM/poster.png-1440w.webp 1440w, VLM/poster.png 1500w\",\"width\":1500,"
                  "\"height\":1000 },"),
              std::string::npos)
        << script;
    EXPECT_NE(script.find("\"overlay\": { \"src\":\"VLM/badge.png\",\"x\":0,\"y\":0 },"),
              std::string::npos);
    EXPECT_EQ(DecodeWebp(ReadFile(Vlm("poster.png-960w.webp"))).bitmap.Height(), 640);
    EXPECT_FALSE(FileExists(Vlm("badge.png-480w.webp")));

    std::filesystem::create_directories(std::string(folder / "merged/VLM"));
    WriteFile(folder / "merged/VLM/poster.png-960w.webp", "another picture");
    ASSERT_EQ(MergePages({folder / "site/tour.html", folder / "site/tour.html"},
                         folder / "merged/both.html", prompter),
              MergeResult::Merged);
    const std::string merged = ReadFile(folder / "merged/VLM/both.js");
    EXPECT_NE(merged.find("\"srcset\":\"VLM/poster.png-480w.webp 480w, VLM/poster.png-960w-2.webp "
                          "960w, VLM/poster.png-1440w.webp 1440w, VLM/poster.png 1500w\""),
              std::string::npos)
        << merged;
    EXPECT_EQ(ReadFile(folder / "merged/VLM/poster.png-960w-2.webp"),
              ReadFile(Vlm("poster.png-960w.webp")));
    EXPECT_TRUE(FileExists(folder / "merged/VLM/poster.png-1440w.webp"));
}

// A popup that cannot be decoded is named in the message; the page stays without its script.
TEST_F(WebExportTest, ADamagedPopupIsNamedAndNoScriptIsWritten) {
    UsePicture("hall.jpg", PhoneJpeg(400, 300));
    PutWorkFile("Pictures", "poster.png", "no picture at all");
    EditRecord("Door", kOver, [](ATTRIBUTES& a) { a.picture_file_name = "poster.png"; });
    try {
        ExportWeb();
        FAIL() << "no error";
    } catch (const ImageError& e) {
        EXPECT_NE(std::string(e.what()).find("Pictures/poster.png"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(FileExists(Vlm("tour.js")));
}

}  // namespace
}  // namespace velmora::test
