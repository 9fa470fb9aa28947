// Object selection on five real photographs against OpenCV's GrabCut run on the whole picture
// at full size with the same box and iteration count: the time of one selection (wall-clock,
// since the selection shares its work over the cores; CPU is that of all threads), and as
// counters the IoU with that reference and the box's size in megapixels. The photographs come
// from the Debian package mate-backgrounds (scripts/setup installs it); without it every case
// reports an error and no time.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <map>
#include <string>

#include "canvas/tools/object_select.h"
#include "photo_objects.h"
#include "store/image_file.h"

namespace velmora {
namespace {

constexpr int kIterations = 5;  // the selection's own iteration count

void BM_ObjectSelectPhoto(benchmark::State& state, const test::PhotoObject& photo) {
    Bitmap picture;
    if (!std::filesystem::exists(test::PhotoPath(photo)) ||
        !LoadImageFile(picture, test::PhotoPath(photo).string())) {
        state.SkipWithError("photograph missing: install mate-backgrounds (scripts/setup)");
        return;
    }
    // The reference takes tens of seconds: once per photograph, outside the timing.
    static std::map<std::string, std::vector<std::uint8_t>> references;
    auto reference = references.find(photo.name);
    if (reference == references.end()) {
        reference =
            references.emplace(photo.name, test::FullSizeGrabCut(picture, photo.box, kIterations))
                .first;
    }
    std::vector<std::uint8_t> mask;
    for (auto _ : state) {
        mask = SegmentObject(picture, photo.box);
        benchmark::DoNotOptimize(mask.data());
    }
    state.counters["IoU"] = test::Iou(mask, reference->second);
    state.counters["box_MP"] = photo.box.width * static_cast<double>(photo.box.height) / 1e6;
}

// A 20000 x 20000 picture striped all over (a disc of red and yellow stripes on blue and white
// ones, 5 pixels each) selected with the whole picture as the box: nearly every full-size pixel's
// colour disagrees with the reduced result there, the worst case for the refinement. The IoU
// is against the disc.
void BM_ObjectSelectStriped400MP(benchmark::State& state) {
    constexpr int kSide = 20000;
    constexpr double kRadius = kSide * 0.3;
    Bitmap picture(kSide, kSide);
    std::vector<std::uint8_t> disc(static_cast<std::size_t>(kSide) * kSide);
    for (int y = 0; y < kSide; ++y) {
        std::uint8_t* p = picture.Row(y);
        const double dy = y + 0.5 - kSide / 2.0;
        for (int x = 0; x < kSide; ++x, p += 3) {
            const double dx = x + 0.5 - kSide / 2.0;
            const bool inside = dx * dx + dy * dy < kRadius * kRadius;
            const bool stripe = ((x + y) / 5) % 2 == 0;
            disc[static_cast<std::size_t>(y) * kSide + x] = inside ? 1 : 0;
            p[0] = inside ? (stripe ? 30 : 20) : (stripe ? 200 : 250);
            p[1] = inside ? (stripe ? 20 : 220) : (stripe ? 80 : 250);
            p[2] = inside ? (stripe ? 220 : 240) : (stripe ? 30 : 250);
        }
    }
    std::vector<std::uint8_t> mask;
    for (auto _ : state) {
        mask = SegmentObject(picture, {0, 0, kSide, kSide});
        benchmark::DoNotOptimize(mask.data());
    }
    state.counters["IoU"] = test::Iou(mask, disc);
    state.counters["box_MP"] = kSide * static_cast<double>(kSide) / 1e6;
}
BENCHMARK(BM_ObjectSelectStriped400MP)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Iterations(1);

const bool registered = [] {
    for (const test::PhotoObject& photo : test::PhotoObjects()) {
        benchmark::RegisterBenchmark(
            (std::string("BM_ObjectSelectPhoto/") + photo.name).c_str(),
            [&photo](benchmark::State& state) { BM_ObjectSelectPhoto(state, photo); })
            ->Unit(benchmark::kMillisecond)
            ->MeasureProcessCPUTime()
            ->UseRealTime()
            ->Iterations(3);
    }
    return true;
}();

}  // namespace
}  // namespace velmora

BENCHMARK_MAIN();
