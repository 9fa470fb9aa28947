#include "reliability/reliability_fixture.h"

#include <filesystem>

#include "store/bitmap.h"
#include "store/image_file.h"

namespace velmora::test {

namespace fs = std::filesystem;

std::map<std::string, std::string> FilesUnder(const std::string& root) {
    std::map<std::string, std::string> files;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->is_regular_file(ec)) {
            files[fs::relative(it->path(), root, ec).string()] = ReadFile(it->path().string());
        }
    }
    return files;
}

void ExpectCleanFailure(const CliRun& run) {
    EXPECT_FALSE(run.signalled) << run.err;
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_FALSE(run.err.empty()) << "no message";
    ExpectNoCrash(run);
}

void ExpectNoCrash(const CliRun& run) {
    EXPECT_FALSE(run.signalled) << run.err;
    EXPECT_TRUE(run.status == 0 || run.status == 1) << run.status << "\n" << run.err;
    for (const char* report : {"Sanitizer", "runtime error", "terminate called", "Aborted"}) {
        EXPECT_EQ(run.err.find(report), std::string::npos) << run.err;
    }
}

namespace {

bool StartsAndEnds(const std::string& bytes, const std::string& lastLine) {
    const std::string bom = "\xEF\xBB\xBF";
    const std::string end = lastLine + "\r\n";
    return bytes.size() >= bom.size() + end.size() && bytes.compare(0, bom.size(), bom) == 0 &&
           bytes.compare(bytes.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

bool CompletePage(const std::string& bytes) {
    return StartsAndEnds(bytes, "</html>");
}

bool CompleteDataScript(const std::string& bytes) {
    return StartsAndEnds(bytes, "];");
}

void ReliabilityTest::MakeProject(int width, int height) {
    Bitmap picture(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = picture.Pixel(x, y);
            p[0] = static_cast<std::uint8_t>(x);
            p[1] = static_cast<std::uint8_t>(y);
            p[2] = static_cast<std::uint8_t>(x ^ y);
        }
    }
    ASSERT_TRUE(SaveImageFile(picture, Work("pic.png")));
    const std::vector<std::vector<std::string>> steps = {
        {"new", "tour.vlm"},
        {"picture", "tour.vlm", "pic.png"},
        {"area", "add", "tour.vlm", "Зал", "Холл"},
        {"fill", "tour.vlm", "Зал", "--rect",
         "0,0," + std::to_string(width / 2) + "," + std::to_string(height)},
        {"fill", "tour.vlm", "Холл", "--rect", std::to_string(width / 2) + ",0,4,4"},
        {"export", "tour.vlm", "site/page.html"},
    };
    for (const auto& step : steps) {
        const CliRun run = Cli(step);
        ASSERT_EQ(run.status, 0) << step[0] << ": " << run.err;
    }
}

}  // namespace velmora::test
