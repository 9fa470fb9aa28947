// The view at any zoom on a 6000 x 4000 picture whose map holds 255 painted areas, shown in a
// 1600 x 1000 viewport: the repaint after one brush-50 segment against composing and scaling
// the whole picture, a full repaint of the viewport at every zoom, the same after the whole
// map changed (undo), the same while the effects of an event are previewed, and one zoom step
// about the pointer. Repaints share their rows out over the cores, so their times are
// wall-clock times.
#include <benchmark/benchmark.h>

#include <algorithm>

#include "bench_scene.h"
#include "canvas/map/area_map.h"
#include "canvas/view/pixel_effect.h"
#include "canvas/view/view_compose.h"
#include "canvas/view/view_geometry.h"
#include "canvas/view/view_pyramid.h"
#include "canvas/view/view_zoom.h"
#include "canvas/view/viewport_compose.h"
#include "store/common_data.h"

namespace velmora::bench {
namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;
constexpr int kViewWidth = 1600;
constexpr int kViewHeight = 1000;

struct Scene {
    Scene() : data(prompter) {
        data.canvas.Picture = MakeBenchPicture(kWidth, kHeight);
        data.canvas.Map = MakeBenchMap(kWidth, kHeight);
        data.canvas.Width = kWidth;
        data.canvas.Height = kHeight;
        data.canvas.PictureLoaded = true;
        data.areas.CurrentArea = 17;
        pyramid.SetPicture(data.canvas.Picture);
        pyramid.EnsureMap(data.canvas.Map);
        image.Resize(kViewWidth, kViewHeight);
    }
    ViewScene View() const {
        return {&data.canvas.Picture,
                &pyramid,
                &data.canvas.Map,
                &data.areas.Palette,
                ViewMode::PictureAndMask,
                data.areas.CurrentArea,
                0xFF808080u};
    }
    QuietPrompter prompter;
    COMMON_DATA data;
    ViewPyramid pyramid;
    ViewportImage image;
};

Scene& TheScene() {
    static Scene scene;
    return scene;
}

double FittedZoom() {
    return FitZoom(kWidth, kHeight, kViewWidth, kViewHeight);
}

// The zoom of a benchmark argument: 0 is the fitted zoom, otherwise per mille.
double ZoomOf(std::int64_t arg) {
    return arg == 0 ? FittedZoom() : static_cast<double>(arg) / 1000;
}

// The viewport at a zoom centred on the picture point (3000, 2000).
ViewGeometry CentredAt(double scale) {
    return {scale, 3000 * scale - kViewWidth / 2.0, 2000 * scale - kViewHeight / 2.0, kViewWidth,
            kViewHeight};
}

// One mouse move while painting with brush 50 in the middle of the view: the segment is
// painted, the map's halves follow, and only the device pixels it affects are drawn again.
void BM_ViewportAfterSegment(benchmark::State& state) {
    Scene& scene = TheScene();
    COMMON_DATA& data = scene.data;
    const ViewGeometry g = CentredAt(ZoomOf(state.range(0)));
    const ViewScene view = scene.View();
    ComposeViewport(view, g, scene.image, {0, 0, kViewWidth, kViewHeight});
    data.BrushSize = 50;
    AreaMap surface(data);
    surface.BeginStroke(3000, 2000, 17);
    bool there = false;
    std::int64_t pixels = 0;
    for (auto _ : state) {
        there = !there;
        const Rect touched = surface.ContinueStroke(there ? 3012 : 3000, there ? 2007 : 2000);
        scene.pyramid.UpdateMap(data.canvas.Map, touched);
        const Rect device = AffectedDeviceRect(g, touched);
        ComposeViewport(view, g, scene.image, device);
        pixels += static_cast<std::int64_t>(device.width) * device.height;
        benchmark::ClobberMemory();
    }
    surface.EndStroke();
    state.counters["device_pixels"] =
        benchmark::Counter(static_cast<double>(pixels), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_ViewportAfterSegment)
    ->ArgName("zoom_permille")
    ->Arg(0)
    ->Arg(1000)
    ->Unit(benchmark::kMicrosecond);

// What a view without viewport composition does: compose the whole picture, then scale all
// of it to the zoom (box average below 100 %, a plain copy at 100 %).
void BM_WholePictureComposedAndScaled(benchmark::State& state) {
    Scene& scene = TheScene();
    const double zoom = ZoomOf(state.range(0));
    const int factor = std::max(1, static_cast<int>(1 / zoom + 0.5));
    Bitmap composed;
    ViewportImage scaled;
    scaled.Resize(kWidth / factor, kHeight / factor);
    for (auto _ : state) {
        UpdateView(scene.data, ViewMode::PictureAndMask, composed);
        for (int y = 0; y < scaled.Height(); ++y) {
            std::uint32_t* out = scaled.Row(y);
            for (int x = 0; x < scaled.Width(); ++x) {
                int sum[3] = {0, 0, 0};
                for (int dy = 0; dy < factor; ++dy) {
                    const std::uint8_t* p = composed.Pixel(x * factor, y * factor + dy);
                    for (int dx = 0; dx < factor; ++dx, p += 3) {
                        sum[0] += p[0];
                        sum[1] += p[1];
                        sum[2] += p[2];
                    }
                }
                const int n = factor * factor;
                const std::uint8_t bgr[3] = {static_cast<std::uint8_t>(sum[0] / n),
                                             static_cast<std::uint8_t>(sum[1] / n),
                                             static_cast<std::uint8_t>(sum[2] / n)};
                out[x] = ViewportPixel(bgr);
            }
        }
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_WholePictureComposedAndScaled)
    ->ArgName("zoom_permille")
    ->Arg(0)
    ->Arg(1000)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0);

// The whole viewport drawn again (after a view mode change or a scroll), at every zoom step,
// the fitted zoom and device pixel ratios 1.5 and 2.
void BM_ViewportFullRepaint(benchmark::State& state) {
    Scene& scene = TheScene();
    const double scale = ZoomOf(state.range(0)) * static_cast<double>(state.range(1)) / 10;
    const ViewGeometry g = CentredAt(scale);
    const ViewScene view = scene.View();
    for (auto _ : state) {
        ComposeViewport(view, g, scene.image, {0, 0, kViewWidth, kViewHeight});
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ViewportFullRepaint)
    ->ArgNames({"zoom_permille", "dpr_tenths"})
    ->ArgsProduct({{0, 62, 125, 250, 333, 500, 667, 1000, 1500, 2000, 3000, 4000, 8000, 16000},
                   {10}})
    ->ArgsProduct({{0, 250, 667, 1000, 4000}, {15, 20}})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// The whole viewport drawn again while the effects page previews an event: the current area
// brighter and with more contrast, the rest lighter by gamma and, with grey_scale, in grey.
// Each change of an effect field costs one such repaint.
void BM_ViewportRepaintWithEffectPreview(benchmark::State& state) {
    Scene& scene = TheScene();
    const ViewGeometry g = CentredAt(ZoomOf(state.range(0)));
    ATTRIBUTES record = DefaultAttributes();
    record.area_brightness = 40;
    record.area_contrast = 30;
    record.background_gamma = 160;
    record.background_grayscale = state.range(1) != 0 ? 1 : 0;
    const EffectPreview effects = PreviewOf(record, scene.data.areas.CurrentArea);
    ViewScene view = scene.View();
    view.effects = &effects;
    for (auto _ : state) {
        ComposeViewport(view, g, scene.image, {0, 0, kViewWidth, kViewHeight});
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ViewportRepaintWithEffectPreview)
    ->ArgNames({"zoom_permille", "grey_scale"})
    ->ArgsProduct({{0, 333, 667, 1000, 2000}, {0, 1}})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// After undo the whole map may have changed: its halves are rebuilt before the repaint at a
// zoom below 100 %; at 100 % and above they are left until needed.
void BM_ViewportRepaintAfterUndo(benchmark::State& state) {
    Scene& scene = TheScene();
    const ViewGeometry g = CentredAt(ZoomOf(state.range(0)));
    const ViewScene view = scene.View();
    for (auto _ : state) {
        scene.pyramid.InvalidateMap();
        if (ViewLevelFor(g.scale) > 0 || g.scale < 1) {
            scene.pyramid.EnsureMap(scene.data.canvas.Map);
        }
        ComposeViewport(view, g, scene.image, {0, 0, kViewWidth, kViewHeight});
        benchmark::ClobberMemory();
    }
    scene.pyramid.EnsureMap(scene.data.canvas.Map);
}
BENCHMARK(BM_ViewportRepaintAfterUndo)
    ->ArgName("zoom_permille")
    ->Arg(0)
    ->Arg(1000)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// One Ctrl+wheel notch about a pointer near the top-left of the view: the new geometry and
// the repainted viewport. Steps alternate in and out between two neighbouring zooms.
void BM_ZoomStepAboutPointer(benchmark::State& state) {
    Scene& scene = TheScene();
    const double low = ZoomOf(state.range(0));
    const double high = ZoomStepIn(low);
    ViewGeometry g = CentredAt(low);
    const ViewScene view = scene.View();
    for (auto _ : state) {
        const double next = g.scale == low ? high : low;
        g = g.ZoomedAbout(next, 400, 300);
        ComposeViewport(view, g, scene.image, {0, 0, kViewWidth, kViewHeight});
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ZoomStepAboutPointer)
    ->ArgName("zoom_permille")
    ->Arg(0)
    ->Arg(333)
    ->Arg(1000)
    ->Arg(4000)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velmora::bench

BENCHMARK_MAIN();
