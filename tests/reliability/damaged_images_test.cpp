// Damaged and hostile image files, given to the CLI as a new picture and found in place of a
// project's map: each gets a clear message and exit status 1, and the project's files stay.
#include <zlib.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "reliability/reliability_fixture.h"
#include "store/bitmap.h"
#include "store/image_file.h"

namespace velmora::test {
namespace {

struct DamagedImage {
    std::string label;
    std::string extension;
    std::string bytes;
};

Bitmap Noise(int width, int height) {
    std::mt19937 random(7);
    Bitmap bitmap(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width * 3; ++x) {
            bitmap.Row(y)[x] = static_cast<std::uint8_t>(random() % 64 + (x / 3) * 4);
        }
    }
    return bitmap;
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

// A valid file whose header claims another size; GIF and JPEG hold at most 65535 per side.
std::string ClaimingSize(const std::string& extension, std::uint32_t width, std::uint32_t height) {
    std::string bytes = EncodeImage(Noise(16, 16), FormatOfPath(extension));
    if (extension == ".png") {
        PutBigEndian(bytes, 16, width, 4);
        PutBigEndian(bytes, 20, height, 4);
        const auto crc = crc32(0, reinterpret_cast<const Bytef*>(bytes.data() + 12), 17);
        PutBigEndian(bytes, 29, static_cast<std::uint32_t>(crc), 4);
    } else if (extension == ".jpg") {
        const std::size_t sof = bytes.find("\xFF\xC0");
        PutBigEndian(bytes, sof + 5, height, 2);
        PutBigEndian(bytes, sof + 7, width, 2);
    } else if (extension == ".gif") {
        PutLittleEndian(bytes, 6, width, 2);
        PutLittleEndian(bytes, 8, height, 2);
    } else {
        PutLittleEndian(bytes, 18, width, 4);
        PutLittleEndian(bytes, 22, height, 4);
    }
    return bytes;
}

std::vector<DamagedImage> Cases() {
    std::vector<DamagedImage> cases;
    std::mt19937 random(20261210);
    for (const std::string extension : {".png", ".jpg", ".gif", ".bmp"}) {
        const std::string whole = EncodeImage(Noise(40, 30), FormatOfPath(extension));
        for (int tenth = 0; tenth < 10; ++tenth) {
            cases.push_back({"cut at " + std::to_string(tenth * 10) + "%", extension,
                             whole.substr(0, whole.size() * tenth / 10)});
        }
        std::string noise(2000, '\0');
        for (char& c : noise) {
            c = static_cast<char>(random());
        }
        cases.push_back({"random bytes", extension, noise});
        const std::uint32_t claim = extension == ".png" || extension == ".bmp" ? 200000 : 65535;
        cases.push_back({"claims " + std::to_string(claim) + " square", extension,
                         ClaimingSize(extension, claim, claim)});
    }
    // Logical screen with and without a colour table, then straight to the trailer.
    cases.push_back({"no frames", ".gif",
                     std::string("GIF89a\x0a\x00\x0a\x00\x80\x00\x00", 13) +
                         std::string("\x00\x00\x00\xff\xff\xff\x3b", 7)});
    cases.push_back({"no frames, no colour table", ".gif",
                     std::string("GIF89a\x0a\x00\x0a\x00\x00\x00\x00\x3b", 14)});
    {
        const std::string jpeg = EncodeImage(Noise(16, 16), ImageFormat::Jpeg);
        const std::size_t dht = jpeg.find("\xFF\xC4");
        // Counts that add up to more codes than a table can hold.
        std::string tooMany = jpeg;
        for (int i = 0; i < 16; ++i) {
            tooMany[dht + 5 + i] = '\xff';
        }
        cases.push_back({"Huffman table with too many codes", ".jpg", tooMany});
        // Three codes of length 1 cannot exist.
        std::string overfull = jpeg;
        overfull[dht + 5] = '\x03';
        cases.push_back({"Huffman table with impossible code lengths", ".jpg", overfull});
    }
    {
        const std::string bmp = EncodeImage(Noise(16, 16), ImageFormat::Bmp);
        std::string pixelsOutside = bmp;
        PutLittleEndian(pixelsOutside, 10, 0x7ffffff0u, 4);
        cases.push_back({"pixel offset outside the file", ".bmp", pixelsOutside});
        std::string headerOutside = bmp;
        PutLittleEndian(headerOutside, 14, 0xffffff00u, 4);
        cases.push_back({"header size outside the file", ".bmp", headerOutside});
        std::string pixelsInHeader = bmp;
        PutLittleEndian(pixelsInHeader, 10, 4, 4);
        cases.push_back({"pixel offset inside the header", ".bmp", pixelsInHeader});
    }
    return cases;
}

TEST_F(ReliabilityTest, DamagedImagesAreRefusedAndTheProjectStays) {
    MakeProject();
    const auto maps = FilesUnder(folder / "Maps");
    const std::string picture = ReadFile(folder / "Images/pic.png");
    const CliRun before = Cli({"info", "tour.vlm"});
    ASSERT_EQ(before.status, 0) << before.err;
    int index = 0;
    for (const DamagedImage& image : Cases()) {
        SCOPED_TRACE(image.label + " " + image.extension);
        const std::string name = "case" + std::to_string(index++) + image.extension;
        WriteFile(folder / name, image.bytes);

        // As a new picture (allowed to wipe the painted areas, so that the file is read at
        // all): it is refused where it lies, and nothing changes, Images included.
        const CliRun imported = Cli({"picture", "tour.vlm", name, "--wipe-areas"});
        ExpectCleanFailure(imported);
        EXPECT_NE(imported.err.find(name), std::string::npos) << imported.err;
        EXPECT_EQ(ReadFile(folder / "Images/pic.png"), picture);
        EXPECT_FALSE(EntryExists(folder / ("Images/" + name)));
        EXPECT_TRUE(FilesUnder(folder / "Maps") == maps);
        EXPECT_EQ(Cli({"info", "tour.vlm"}).out, before.out);

        // In place of the stored map: opening the project reports it.
        WriteFile(MapPath(), image.bytes);
        ExpectCleanFailure(Cli({"info", "tour.vlm"}));
        WriteFile(MapPath(), maps.at("pic.png"));
    }
}

}  // namespace
}  // namespace velmora::test
