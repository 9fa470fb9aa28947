// The canvas on a 4000 x 3000 picture whose map holds 255 painted areas: the full view
// composition against a plain copy of the same bytes, the recomposition of what one brush
// segment touched, and an undo that replays 98 recorded strokes. One program, so that the
// figures compared with each other are measured in one run on one machine state.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>

#include "bench_scene.h"
#include "canvas/history/draw_history.h"
#include "canvas/history/stroke_recorder.h"
#include "canvas/map/area_map.h"
#include "canvas/view/view_compose.h"
#include "store/common_data.h"

namespace velmora::bench {
namespace {

// One loaded project for all benchmarks of this program.
struct Scene {
    Scene() : data(prompter) {
        data.canvas.Picture = MakeBenchPicture();
        data.canvas.Map = MakeBenchMap();
        data.canvas.Width = kPictureWidth;
        data.canvas.Height = kPictureHeight;
        data.canvas.PictureLoaded = true;
        data.areas.CurrentArea = 17;
        UpdateView(data, ViewMode::PictureAndMask, view);
    }
    QuietPrompter prompter;
    COMMON_DATA data;
    Bitmap view;
};

Scene& TheScene() {
    static Scene scene;
    return scene;
}

void BM_MemcpyOfTheViewBytes(benchmark::State& state) {
    Scene& scene = TheScene();
    const std::size_t bytes = scene.data.canvas.Picture.SizeInBytes();
    for (auto _ : state) {
        std::memcpy(scene.view.Data(), scene.data.canvas.Picture.Data(), bytes);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_MemcpyOfTheViewBytes)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_UpdateViewFull(benchmark::State& state) {
    Scene& scene = TheScene();
    const auto mode = static_cast<ViewMode>(state.range(0));
    for (auto _ : state) {
        UpdateView(scene.data, mode, scene.view);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(
        static_cast<std::int64_t>(state.iterations() * scene.data.canvas.Picture.SizeInBytes()));
}
BENCHMARK(BM_UpdateViewFull)
    ->ArgName("mode")
    ->Arg(static_cast<int>(ViewMode::PictureAndMask))
    ->Arg(static_cast<int>(ViewMode::Picture))
    ->Arg(static_cast<int>(ViewMode::PictureAndCurrentArea))
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);

// One mouse move while painting with brush 50: the segment is painted, then only the
// rectangle it touched is recomposed. The two points alternate so every move paints.
void BM_SegmentThenRecomposeItsRectangle(benchmark::State& state) {
    Scene& scene = TheScene();
    COMMON_DATA& data = scene.data;
    data.BrushSize = 50;
    AreaMap surface(data);
    surface.BeginStroke(2000, 1500, 17);
    bool there = false;
    std::int64_t pixels = 0;
    for (auto _ : state) {
        there = !there;
        const Rect touched = surface.ContinueStroke(there ? 2012 : 2000, there ? 1507 : 1500);
        UpdateView(data, ViewMode::PictureAndMask, scene.view, touched);
        pixels += static_cast<std::int64_t>(touched.width) * touched.height;
        benchmark::ClobberMemory();
    }
    surface.EndStroke();
    state.counters["rect_pixels"] =
        benchmark::Counter(static_cast<double>(pixels), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_SegmentThenRecomposeItsRectangle)->Unit(benchmark::kMicrosecond);

// The recomposition alone, of the rectangle one such segment touches.
void BM_RecomposeSegmentRectangle(benchmark::State& state) {
    Scene& scene = TheScene();
    COMMON_DATA& data = scene.data;
    data.BrushSize = 50;
    AreaMap surface(data);
    surface.BeginStroke(2000, 1500, 17);
    const Rect touched = surface.ContinueStroke(2012, 1507);
    surface.EndStroke();
    for (auto _ : state) {
        UpdateView(data, ViewMode::PictureAndMask, scene.view, touched);
        benchmark::ClobberMemory();
    }
    state.counters["rect_pixels"] = touched.width * touched.height;
}
BENCHMARK(BM_RecomposeSegmentRectangle)->Unit(benchmark::kMicrosecond);

// Undo with 99 recorded strokes of 200 points each at brush 30: the tiles the last stroke
// changed are put back.
void BM_UndoWith99Strokes(benchmark::State& state) {
    QuietPrompter prompter;
    COMMON_DATA data(prompter);
    data.canvas.Map = TheScene().data.canvas.Map;
    data.BrushSize = 30;
    Bitmap& map = data.canvas.Map;
    DRAW_HISTORY history;
    history.Reset(map);
    StrokeRecorder stroke(data, history);
    std::mt19937 random(3);
    for (int i = 0; i < 99; ++i) {
        const int value = 1 + i % 255;
        const auto path = BenchPath(random, static_cast<int>(random() % kPictureWidth),
                                    static_cast<int>(random() % kPictureHeight), 200, 12);
        stroke.Press(path[0].x, path[0].y, value);
        for (std::size_t k = 1; k < path.size(); ++k) {
            stroke.Move(path[k].x, path[k].y);
        }
        stroke.Release();
    }
    for (auto _ : state) {
        if (!history.Undo(map)) {
            state.SkipWithError("nothing to undo");
            break;
        }
        state.PauseTiming();
        history.Redo(map);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_UndoWith99Strokes)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
}  // namespace velmora::bench

BENCHMARK_MAIN();
