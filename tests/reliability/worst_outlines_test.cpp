// A map of noise over every area: its outlines would run to hundreds of megabytes. `shapes` and
// the accessible export refuse it with a message naming the heaviest areas, within bounded
// memory and without writing anything.
#include <random>
#include <string>
#include <vector>

#include "reliability/reliability_fixture.h"
#include "store/image_file.h"

namespace velmora::test {
namespace {

constexpr int kSide = 1500;

class WorstOutlinesTest : public ReliabilityTest {
protected:
    void SetUp() override {
        MakeProject(kSide, kSide);
        std::vector<std::string> add = {"area", "add", "tour.vlm"};
        for (int n = 3; n <= 255; ++n) {
            add.push_back("Шум " + std::to_string(n));
        }
        ASSERT_EQ(Cli(add).status, 0);
        // Every pixel an area of its own choosing: nearly every pixel is its own outline.
        Bitmap noise(kSide, kSide);
        std::mt19937 random(7);
        for (int y = 0; y < kSide; ++y) {
            for (int x = 0; x < kSide; ++x) {
                std::uint8_t* p = noise.Pixel(x, y);
                p[0] = p[1] = p[2] = static_cast<std::uint8_t>(1 + random() % 255);
            }
        }
        ASSERT_TRUE(SaveImageFile(noise, MapPath()));
    }
};

TEST_F(WorstOutlinesTest, OutlinesPastTheLimitAreRefusedNamingTheAreas) {
    const auto before = FilesUnder(work);
    const std::vector<std::vector<std::string>> commands = {
        {"shapes", "tour.vlm"},
        {"shapes", "tour.vlm", "--format", "svg", "--tolerance", "3"},
        {"export", "tour.vlm", "site/page.html", "--accessible", "--overwrite"},
    };
    for (const auto& command : commands) {
        SCOPED_TRACE(command[0] + " " + command.back());
        const CliRun run = Cli(command);
        ExpectCleanFailure(run);
        EXPECT_NE(run.err.find("Контуры областей слишком сложны"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("предел — 20,0 МБ. Упростите области: «"), std::string::npos)
            << run.err;
        EXPECT_NE(run.err.find(" и ещё "), std::string::npos) << run.err;
        EXPECT_TRUE(run.out.empty());
#if !defined(__SANITIZE_ADDRESS__)
        // The map and picture (6.75 MB each) and a budget's worth of rings, never the whole.
        EXPECT_LT(run.peakKb, 160LL * 1024);
#endif
    }
    EXPECT_EQ(FilesUnder(work), before);
}

}  // namespace
}  // namespace velmora::test
