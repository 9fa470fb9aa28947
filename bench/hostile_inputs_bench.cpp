// Inputs an attacker or a careless script may hand over: polygons of millions of points.
#include <benchmark/benchmark.h>

#include "canvas/map/polygon_raster.h"

namespace velmora::bench {
namespace {

// Teeth from the top to the bottom of the picture, each far narrower than a pixel: every row
// crosses every edge, the worst case of a rasteriser that visits each edge on each row.
ShapeRing ZigZag(int points, double width, double height) {
    ShapeRing ring;
    for (int i = 0; i < points - 2; ++i) {
        ring.push_back({width * i / (points - 3), i % 2 == 0 ? 0.2 : height - 0.2});
    }
    ring.push_back({width, height});
    ring.push_back({0, height});
    return ring;
}

void BM_ZigZagPolygon640x400(benchmark::State& state) {
    const ShapeRing ring = ZigZag(static_cast<int>(state.range(0)), 640, 400);
    long long pixels = 0;
    for (auto _ : state) {
        RasterizeRings({ring}, FillRule::NonZero, 640, 400,
                       [&](int, int x0, int x1) { pixels += x1 - x0; });
    }
    benchmark::DoNotOptimize(pixels);
    state.counters["points"] = static_cast<double>(state.range(0));
}
BENCHMARK(BM_ZigZagPolygon640x400)
    ->Arg(10'000)
    ->Arg(1'000'000)
    ->Arg(4'000'000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

}  // namespace
}  // namespace velmora::bench

BENCHMARK_MAIN();
