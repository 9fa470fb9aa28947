// The area tools on a 6000 x 4000 picture: region fill and magic wand over a 12-megapixel
// region and the tracing of 255 painted areas, each against the full mask view composition
// of the same picture; object selection in a 2000 x 2000 box; reading and painting 10,000
// polygons of 100 points.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <chrono>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <new>
#include <numbers>
#include <random>
#include <string>

#include "bench_scene.h"
#include "canvas/history/draw_history.h"
#include "canvas/map/line_raster.h"
#include "canvas/map/map_ops.h"
#include "canvas/map/outline_trace.h"
#include "canvas/tools/area_tool_step.h"
#include "canvas/tools/area_tools.h"
#include "canvas/view/view_compose.h"
#include "shapes/outline_text.h"
#include "shapes/shape_file.h"
#include "shapes/shape_import.h"
#include "store/common_data.h"

// Heap bytes in use and their peak, so that a benchmark can report what one operation
// allocates at most on top of what was there before it.
namespace {
std::atomic<std::size_t> g_heapLive{0};
std::atomic<std::size_t> g_heapPeak{0};

void* CountedAlloc(std::size_t size) {
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p == nullptr) {
        throw std::bad_alloc();
    }
    const std::size_t live = g_heapLive += malloc_usable_size(p);
    std::size_t peak = g_heapPeak.load();
    while (live > peak && !g_heapPeak.compare_exchange_weak(peak, live)) {
    }
    return p;
}

void CountedFree(void* p) noexcept {
    if (p != nullptr) {
        g_heapLive -= malloc_usable_size(p);
        std::free(p);
    }
}
}  // namespace

void* operator new(std::size_t size) {
    return CountedAlloc(size);
}
void* operator new[](std::size_t size) {
    return CountedAlloc(size);
}
void operator delete(void* p) noexcept {
    CountedFree(p);
}
void operator delete[](void* p) noexcept {
    CountedFree(p);
}
void operator delete(void* p, std::size_t) noexcept {
    CountedFree(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    CountedFree(p);
}

namespace velmora::bench {
namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;

// A photograph-like picture: smooth colour with noise, its left half (12 megapixels) within
// the wand's default tolerance of one colour, and a dark blob as the object to select.
Bitmap MakePicture() {
    Bitmap picture(kWidth, kHeight);
    std::mt19937 random(1);
    for (int y = 0; y < kHeight; ++y) {
        std::uint8_t* p = picture.Row(y);
        for (int x = 0; x < kWidth; ++x, p += 3) {
            const int noise = static_cast<int>(random() & 15);
            if (x < kWidth / 2) {
                p[0] = static_cast<std::uint8_t>(120 + noise);
                p[1] = static_cast<std::uint8_t>(140 + noise);
                p[2] = static_cast<std::uint8_t>(100 + noise);
                continue;
            }
            const double dx = (x - 4500) / 700.0;
            const double dy = (y - 2000) / 600.0;
            const bool blob = dx * dx + dy * dy + 0.2 * std::sin(8 * std::atan2(dy, dx)) < 1;
            p[0] = static_cast<std::uint8_t>(blob ? 40 + noise : 200 - (x + y) % 40 + noise);
            p[1] = static_cast<std::uint8_t>(blob ? 50 + noise : 190 - y % 50 + noise);
            p[2] = static_cast<std::uint8_t>(blob ? 90 + noise : 180 + noise);
        }
    }
    return picture;
}

// 255 areas painted by brush strokes over the right half, the left half left empty.
Bitmap MakeMap() {
    Bitmap map(kWidth, kHeight);
    std::mt19937 random(2);
    for (int value = 1; value <= 255; ++value) {
        int x = kWidth / 2 + 150 + static_cast<int>(random() % (kWidth / 2 - 300));
        int y = 150 + static_cast<int>(random() % (kHeight - 300));
        const int width = 60 + static_cast<int>(random() % 61);
        for (int step = 0; step < 20; ++step) {
            const int nx =
                std::clamp(x + static_cast<int>(random() % 121) - 60, kWidth / 2, kWidth - 1);
            const int ny = std::clamp(y + static_cast<int>(random() % 121) - 60, 0, kHeight - 1);
            DrawLine(map, x, y, nx, ny, width, static_cast<std::uint8_t>(value));
            x = nx;
            y = ny;
        }
    }
    return map;
}

struct Scene {
    Scene() : picture(MakePicture()), map(MakeMap()) {
        for (int i = 0; i < 256; ++i) {
            palette[i] = static_cast<std::uint32_t>(i * 0x010203);
        }
    }
    Bitmap picture;
    Bitmap map;
    std::array<std::uint32_t, 256> palette{};
};

Scene& TheScene() {
    static Scene scene;
    return scene;
}

void BM_AreaMaskView6000(benchmark::State& state) {
    Scene& scene = TheScene();
    Bitmap view;
    for (auto _ : state) {
        ComposeView(scene.picture, scene.map, scene.palette, ViewMode::PictureAndMask, 1, view,
                    {0, 0, kWidth, kHeight});
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_AreaMaskView6000)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The empty left half is one 12-megapixel region; each run fills it with another value.
void BM_AreaRegionFill12MP(benchmark::State& state) {
    Scene& scene = TheScene();
    Bitmap map = scene.map;
    int value = 0;
    for (auto _ : state) {
        value = value == 1 ? 2 : 1;
        const Rect changed = FillRegion(map, 10, 10, static_cast<std::uint8_t>(value), true);
        benchmark::DoNotOptimize(changed);
    }
    state.counters["pixels"] = static_cast<double>(kWidth / 2) * kHeight;
}
BENCHMARK(BM_AreaRegionFill12MP)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_AreaWand12MP(benchmark::State& state) {
    Scene& scene = TheScene();
    Bitmap map = scene.map;
    int value = 0;
    for (auto _ : state) {
        value = value == 1 ? 2 : 1;
        const Rect changed = FillSimilarColour(scene.picture, map, 10, 10, kDefaultWandTolerance,
                                               true, static_cast<std::uint8_t>(value), true);
        benchmark::DoNotOptimize(changed);
    }
}
BENCHMARK(BM_AreaWand12MP)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_AreaSelectObject2000(benchmark::State& state) {
    Scene& scene = TheScene();
    Bitmap map(kWidth, kHeight);
    for (auto _ : state) {
        const Rect changed = FillObject(scene.picture, map, 3500, 1000, 2000, 2000, 1, true);
        benchmark::DoNotOptimize(changed);
    }
}
BENCHMARK(BM_AreaSelectObject2000)->Unit(benchmark::kMillisecond)->Iterations(3);

// 10,000 polygons of 100 points as JSON text, 40 per name: read, checked and painted.
std::string MakePolygonJson() {
    std::mt19937 random(3);
    std::string json = "[";
    for (int i = 0; i < 10'000; ++i) {
        const double cx = 50 + random() % (kWidth - 100);
        const double cy = 50 + random() % (kHeight - 100);
        const double r = 10 + random() % 40;
        json += std::string(i ? ",\n" : "") + "{\"name\": \"Область " + std::to_string(i / 40) +
                "\", \"points\": [";
        for (int k = 0; k < 100; ++k) {
            const double a = 2 * std::numbers::pi * k / 100;
            json += std::string(k ? ", " : "") + "[" + std::to_string(cx + r * std::cos(a)) + ", " +
                    std::to_string(cy + r * std::sin(a)) + "]";
        }
        json += "]}";
    }
    return json + "]";
}

void BM_AreaImport10000Polygons(benchmark::State& state) {
    const std::string json = MakePolygonJson();
    for (auto _ : state) {
        Bitmap map(kWidth, kHeight);
        const auto shapes =
            ReadShapes(json, ShapeFormat::Json, kWidth, kHeight, "bench.json").shapes;
        std::vector<int> areas(shapes.size());
        for (std::size_t i = 0; i < shapes.size(); ++i) {
            areas[i] = static_cast<int>(i / 40) + 1;
        }
        const Rect changed = PaintShapes(map, shapes, areas);
        benchmark::DoNotOptimize(changed);
    }
    state.counters["json_bytes"] = static_cast<double>(json.size());
}
BENCHMARK(BM_AreaImport10000Polygons)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_AreaShapesOf255Areas(benchmark::State& state) {
    Scene& scene = TheScene();
    std::array<std::string, 256> names;
    for (int i = 1; i < 256; ++i) {
        names[i] = "Область " + std::to_string(i);
    }
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string text =
            WriteOutlines(TraceOutlines(scene.map, 1.0), names, kWidth, kHeight, ShapeFormat::Html);
        bytes = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.counters["html_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_AreaShapesOf255Areas)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The drawing history after 99 tool uses on 6000 x 4000, each recorded as the editor does
// (the changed pixels kept compressed, the tiles they changed kept packed): its memory beside
// the map, the time of one undo and one redo, and what recording added to each use.
void BM_AreaHistoryOf99ToolSteps(benchmark::State& state) {
    Scene& scene = TheScene();
    QuietPrompter prompter;
    COMMON_DATA data(prompter);
    data.canvas.Map = scene.map;
    Bitmap& map = data.canvas.Map;
    DRAW_HISTORY history;
    history.Reset(map);
    double recordSeconds = 0;
    for (int i = 0; i < 99; ++i) {
        const auto value = static_cast<std::uint8_t>(1 + i % 255);
        const auto started = std::chrono::steady_clock::now();
        ApplyAreaTool(data, history, value, true, [&scene, i](MapWriter& writer) {
            switch (i % 4) {
                case 0:
                    FillSimilarColour(writer, scene.picture, 10 + i, 10, 32, true);
                    break;
                case 1:
                    FillRegion(writer, 20, 20 + i);
                    break;
                case 2:
                    FillEllipse(writer, 100 + i * 10, 100, 3000, 2500);
                    break;
                default:
                    FillPolygon(writer, {{0, 0}, {5999, 100.0 + i}, {3000, 3999}});
            }
        });
        recordSeconds +=
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    }
    for (auto _ : state) {
        history.Undo(map);
        history.Redo(map);
    }
    const double mb = 1024.0 * 1024.0;
    state.counters["use_ms"] = recordSeconds * 1000.0 / 99.0;
    state.counters["steps_mb"] = static_cast<double>(history.StepBytes()) / mb;
    state.counters["snapshot_mb"] = static_cast<double>(history.MapBytes()) / mb;
    state.counters["total_mb"] = static_cast<double>(history.StepBytes() + history.MapBytes()) / mb;
}
BENCHMARK(BM_AreaHistoryOf99ToolSteps)->Unit(benchmark::kMillisecond)->Iterations(3);

// One use of an area tool on 6000 x 4000 as the editor records it, large (the wand over the
// 12-megapixel left half) and small (an ellipse of 200 x 200): the time, and the peak of heap
// bytes the use allocates on top of the map and the history already there.
void ToolUseAsRecorded(benchmark::State& state, const AreaToolPass& tool) {
    QuietPrompter prompter;
    COMMON_DATA data(prompter);
    data.canvas.Map = TheScene().map;
    DRAW_HISTORY history;
    std::size_t peak = 0;
    int value = 0;
    for (auto _ : state) {
        value = value == 1 ? 2 : 1;
        g_heapPeak = g_heapLive.load();
        const std::size_t base = g_heapLive;
        benchmark::DoNotOptimize(
            ApplyAreaTool(data, history, static_cast<std::uint8_t>(value), true, tool));
        peak = std::max(peak, g_heapPeak - base);
        if (history.UndoCount() > 90) {
            history.Reset(Bitmap());
        }
    }
    state.counters["peak_mb"] = static_cast<double>(peak) / (1024.0 * 1024.0);
}

void BM_AreaToolUseWand12MP(benchmark::State& state) {
    ToolUseAsRecorded(state, [](MapWriter& writer) {
        FillSimilarColour(writer, TheScene().picture, 10, 10, kDefaultWandTolerance, true);
    });
}
BENCHMARK(BM_AreaToolUseWand12MP)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_AreaToolUseEllipse200(benchmark::State& state) {
    ToolUseAsRecorded(state, [](MapWriter& writer) { FillEllipse(writer, 1000, 1000, 200, 200); });
}
BENCHMARK(BM_AreaToolUseEllipse200)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
}  // namespace velmora::bench

BENCHMARK_MAIN();
