// Kills the CLI with SIGKILL at random moments of every change that touches both the project
// file and the map: adding, deleting and importing areas, the grid and the picture import.
// Afterwards every area has its three rows, no pixel belongs to a number without an area (so
// no new area inherits them), and the file and the map are both the old or both the new
// project. VELMORA_STRESS_RUNS sets the kills per change (default 10).
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <random>
#include <set>
#include <string>
#include <thread>

#include "reliability/project_state.h"
#include "reliability/reliability_fixture.h"
#include "store/bitmap.h"
#include "store/image_file.h"

namespace velmora::test {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

int Runs() {
    const char* text = std::getenv("VELMORA_STRESS_RUNS");
    const int runs = text ? std::atoi(text) : 0;
    return runs > 0 ? runs : 10;
}

std::set<std::string> Names(const std::map<std::string, AreaRows>& areas) {
    std::set<std::string> names;
    for (const auto& [name, rows] : areas) {
        names.insert(name);
    }
    return names;
}

class KillChangeTest : public ReliabilityTest {
protected:
    void SetUp() override {
        MakeProject(64, 48);
        Bitmap other(40, 30);
        ASSERT_TRUE(SaveImageFile(other, Work("pic2.png")));
        fs::copy(work, snapshot.Path(), fs::copy_options::recursive);
        before = ReadAreaRows(ProjectPath());
        beforePixels = CountMapPixels(MapPath());
    }

    // Puts the project back as SetUp left it.
    void Restore() {
        for (const auto& entry : fs::directory_iterator(work)) {
            fs::remove_all(entry.path());
        }
        fs::copy(snapshot.Path(), work, fs::copy_options::recursive);
    }

    // Runs the change to its end three times, then Runs() times killed after a random delay up
    // to the shortest of those runs; check sees the file as the next program finds it.
    void KillRepeatedly(const std::vector<std::string>& args,
                        const std::function<void(const std::map<std::string, AreaRows>&,
                                                 const std::array<long long, 256>&)>& check) {
        auto shortest = std::chrono::microseconds::max();
        for (int i = 0; i < 3; ++i) {
            Restore();
            const auto start = Clock::now();
            const CliRun run = Cli(args);
            ASSERT_EQ(run.status, 0) << run.err;
            shortest = std::min(shortest, std::chrono::duration_cast<std::chrono::microseconds>(
                                              Clock::now() - start));
        }
        std::mt19937 random(20261210);
        // A little past the shortest run, so that the last moments (the commit, the map's
        // rename) are hit as well as the first.
        std::uniform_int_distribution<long long> delay(0, shortest.count() * 6 / 5);
        int killed = 0;
        int changed = 0;
        for (int round = 1; round <= Runs() && !HasFatalFailure(); ++round) {
            SCOPED_TRACE("round " + std::to_string(round));
            Restore();
            {
                CliProcess process(args, work);
                std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
                process.Kill();
                killed += process.Wait() ? 0 : 1;
            }
            const auto areas = ReadAreaRows(ProjectPath());
            for (const auto& [name, rows] : areas) {
                ASSERT_TRUE(Whole(rows)) << "half-made area " << name;
            }
            // The next program to open the project finishes or drops the killed change.
            const CliRun info = Cli({"info", "tour.vlm"});
            ASSERT_EQ(info.status, 0) << info.err;
            ASSERT_TRUE(info.err.empty()) << info.err;
            const std::string map = Work("Maps/" + MapName());
            const auto pixels = CountMapPixels(map);
            std::set<int> numbers;
            for (const auto& [name, rows] : areas) {
                numbers.insert(rows.number);
            }
            for (int value = 1; value < 256; ++value) {
                ASSERT_TRUE(pixels[value] == 0 || numbers.count(value))
                    << pixels[value] << " pixels of number " << value << " that has no area";
            }
            changed += areas != before ? 1 : 0;
            check(areas, pixels);
        }
        EXPECT_GE(killed, Runs() / 4) << "too few runs were cut short to prove anything";
        std::cout << "[ note ] " << args[0] << (args.size() > 1 ? " " + args[1] : "") << ": "
                  << killed << " of " << Runs() << " runs killed, " << changed
                  << " left the new project; a whole run took " << shortest.count() / 1000
                  << " ms\n";
    }

    // The map the project file names now.
    std::string MapName() {
        const CliRun info = Cli({"info", "tour.vlm"});
        return info.out.find("\"map\":\"pic2.png\"") != std::string::npos ? "pic2.png" : "pic.png";
    }

    TempFolder snapshot;
    std::map<std::string, AreaRows> before;
    std::array<long long, 256> beforePixels{};
};

TEST_F(KillChangeTest, AreaAdd) {
    KillRepeatedly({"area", "add", "tour.vlm", "Кухня", "Спальня"},
                   [&](const auto& areas, const auto& pixels) {
                       const std::size_t added = areas.size() - before.size();
                       EXPECT_TRUE(added == 0 || added == 2) << added;
                       EXPECT_EQ(pixels, beforePixels);
                   });
}

TEST_F(KillChangeTest, AreaDelete) {
    const int number = before.at("Зал").number;
    KillRepeatedly({"area", "delete", "tour.vlm", "Зал"},
                   [&](const auto& areas, const auto& pixels) {
                       if (areas.count("Зал")) {
                           EXPECT_EQ(pixels, beforePixels) << "the old rows with a new map";
                       } else {
                           EXPECT_EQ(pixels[number], 0) << "the deleted area's pixels stayed";
                       }
                   });
}

TEST_F(KillChangeTest, AreaImportReplace) {
    ASSERT_EQ(Cli({"new", "src.vlm"}).status, 0);
    ASSERT_EQ(Cli({"area", "add", "src.vlm", "А1", "А2", "А3", "А4", "А5"}).status, 0);
    fs::copy(Work("src.vlm"), snapshot / "src.vlm");
    KillRepeatedly({"area", "import", "tour.vlm", "src.vlm", "--replace"}, [&](const auto& areas,
                                                                               const auto& pixels) {
        if (areas == before) {
            EXPECT_EQ(pixels, beforePixels) << "the old rows with a new map";
            return;
        }
        EXPECT_EQ(Names(areas), (std::set<std::string>{"А1", "А2", "А3", "А4", "А5"}));
        EXPECT_EQ(pixels[0], 64 * 48) << "the new rows with an old map";
    });
}

TEST_F(KillChangeTest, Grid) {
    KillRepeatedly({"grid", "tour.vlm", "3", "2", "--prefix", "Г", "--overwrite"},
                   [&](const auto& areas, const auto& pixels) {
                       if (areas == before) {
                           EXPECT_EQ(pixels, beforePixels) << "the old rows with a new map";
                           return;
                       }
                       ASSERT_EQ(areas.size(), before.size() + 6);
                       // The cells cover the whole picture and replace the old areas' pixels.
                       for (const auto& [name, rows] : areas) {
                           EXPECT_EQ(pixels[rows.number] > 0, before.count(name) == 0) << name;
                       }
                   });
}

TEST_F(KillChangeTest, Picture) {
    KillRepeatedly({"picture", "tour.vlm", "pic2.png", "--keep", "--wipe-areas"},
                   [&](const auto& areas, const auto& pixels) {
                       EXPECT_EQ(areas, before);
                       if (MapName() == "pic.png") {
                           EXPECT_EQ(pixels, beforePixels);
                           return;
                       }
                       EXPECT_EQ(pixels[0], 40 * 30) << "the new picture with a painted map";
                       Bitmap map;
                       ASSERT_TRUE(LoadImageFile(map, Work("Maps/pic2.png")));
                       EXPECT_EQ(map.Width(), 40);
                   });
}

}  // namespace
}  // namespace velmora::test
