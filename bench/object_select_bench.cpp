// Object selection on five real photographs against OpenCV's GrabCut run on the whole picture
// at full size with the same box and iteration count: the time of one selection, and as
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

const bool registered = [] {
    for (const test::PhotoObject& photo : test::PhotoObjects()) {
        benchmark::RegisterBenchmark(
            (std::string("BM_ObjectSelectPhoto/") + photo.name).c_str(),
            [&photo](benchmark::State& state) { BM_ObjectSelectPhoto(state, photo); })
            ->Unit(benchmark::kMillisecond)
            ->Iterations(3);
    }
    return true;
}();

}  // namespace
}  // namespace velmora

BENCHMARK_MAIN();
