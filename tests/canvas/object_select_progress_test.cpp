// Object selection on a box larger than its reduced working copy refines the edge at full size
// in stripes of tiles cut on all cores: the result does not depend on which core cut which
// tile, progress reaches its end, and a cancel during the tiles stops between two stripes.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <random>
#include <stdexcept>
#include <thread>
#include <vector>

#include "canvas/tools/object_select.h"
#include "canvas/tools/parallel_items.h"

namespace velmora::test {
namespace {

// A noisy dark disc on a light ground, large enough for several stripes of full-size tiles.
Bitmap NoisyDisc(int side) {
    Bitmap picture(side, side);
    std::mt19937 random(3);
    const double c = side / 2.0;
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            const bool inside = std::hypot(x + 0.5 - c, y + 0.5 - c) < side * 0.3;
            std::uint8_t* p = picture.Pixel(x, y);
            for (int k = 0; k < 3; ++k) {
                p[k] = static_cast<std::uint8_t>((inside ? 60 + k * 20 : 190 - k * 20) +
                                                 static_cast<int>(random() % 40) - 20);
            }
        }
    }
    return picture;
}

// Records every report and gives up once the work done reaches cancelFrom (never at 0).
class RecordingProgress : public Progress {
public:
    explicit RecordingProgress(std::int64_t cancelFrom = 0) : m_cancelFrom(cancelFrom) {}
    void Report(std::int64_t done, std::int64_t total) override {
        reports.push_back({done, total});
    }
    bool Cancelled() const override {
        return m_cancelFrom > 0 && reports.back().first >= m_cancelFrom;
    }
    std::vector<std::pair<std::int64_t, std::int64_t>> reports;

private:
    std::int64_t m_cancelFrom;
};

constexpr int kSide = 1200;
const Rect kBox{60, 60, kSide - 120, kSide - 120};

TEST(ObjectSelectRefinement, IsTheSameEveryTimeAndReportsUpToItsTotal) {
    const Bitmap picture = NoisyDisc(kSide);
    RecordingProgress progress;
    const std::vector<std::uint8_t> first = SegmentObject(picture, kBox, progress);
    EXPECT_EQ(SegmentObject(picture, kBox), first);
    ASSERT_FALSE(progress.reports.empty());
    for (std::size_t i = 1; i < progress.reports.size(); ++i) {
        EXPECT_GE(progress.reports[i].first, progress.reports[i - 1].first);
        EXPECT_LE(progress.reports[i].first, progress.reports[i].second);
    }
    EXPECT_EQ(progress.reports.back().first, progress.reports.back().second);
}

TEST(ObjectSelectRefinement, ACancelAmongTheTilesStopsBetweenTwoStripes) {
    const Bitmap picture = NoisyDisc(kSide);
    RecordingProgress all;
    SegmentObject(picture, kBox, all);
    const std::int64_t total = all.reports.back().second;
    // The first tile comes after the five iterations; the last stripe's tiles end the work.
    for (const std::int64_t cancelFrom : {std::int64_t{6}, total - 1}) {
        SCOPED_TRACE(cancelFrom);
        RecordingProgress progress(cancelFrom);
        int rows = 0;
        EXPECT_THROW(SegmentObject(
                         picture, kBox, [&](int, const std::uint8_t*) { ++rows; }, progress),
                     OperationCancelled);
        EXPECT_EQ(std::count_if(progress.reports.begin(), progress.reports.end(),
                                [&](const auto& report) { return report.first >= cancelFrom; }),
                  1);
        EXPECT_EQ(rows % 256, 0);
        EXPECT_LT(rows, kBox.height);
    }
}

TEST(ForEachItemInParallel, DoesEachItemOnceAndStopsAtTheFirstFailure) {
    std::vector<std::atomic<int>> done(100);
    ForEachItemInParallel(
        done.size(), [&](std::size_t i) { ++done[i]; }, [] {});
    for (const std::atomic<int>& count : done) {
        EXPECT_EQ(count, 1);
    }

    // A failing item is rethrown once every thread has stopped.
    EXPECT_THROW(ForEachItemInParallel(
                     100,
                     [&](std::size_t i) {
                         if (i == 3) {
                             throw std::runtime_error("item");
                         }
                     },
                     [] {}),
                 std::runtime_error);

    // So is a cancel between the calling thread's items, and the other threads start no new
    // item after it (they wait for the calling thread's first item here, so that it has one).
    const std::thread::id calling = std::this_thread::get_id();
    std::atomic<bool> callingDidOne = false;
    std::atomic<int> started = 0;
    EXPECT_THROW(ForEachItemInParallel(
                     1000,
                     [&](std::size_t) {
                         ++started;
                         while (std::this_thread::get_id() != calling && !callingDidOne) {
                             std::this_thread::yield();
                         }
                         std::this_thread::sleep_for(std::chrono::microseconds(200));
                         callingDidOne = callingDidOne || std::this_thread::get_id() == calling;
                     },
                     [] { throw OperationCancelled(); }),
                 OperationCancelled);
    EXPECT_LT(started, 100);
}

}  // namespace
}  // namespace velmora::test
