// Saving and loading the area map as PNG: our encoder settings against libpng's defaults on a
// 4000 × 3000 map with 255 painted areas.
#include <benchmark/benchmark.h>
#include <png.h>

#include <csetjmp>
#include <string>
#include <vector>

#include "store/bitmap.h"
#include "store/image_file.h"

namespace {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;

void Paint(velmora::Bitmap& map, int x, int y, int area) {
    std::uint8_t* p = map.Pixel(x, y);
    p[0] = p[1] = p[2] = static_cast<std::uint8_t>(area);
}

// 240 rectangles in a 16 × 15 grid with unpainted gaps between them, and 15 circles over them:
// 255 areas, the most a project holds.
const velmora::Bitmap& Map() {
    static const velmora::Bitmap map = [] {
        velmora::Bitmap m(kWidth, kHeight);
        const int cellWidth = kWidth / 16;
        const int cellHeight = kHeight / 15;
        int area = 1;
        for (int gy = 0; gy < 15; ++gy) {
            for (int gx = 0; gx < 16; ++gx, ++area) {
                for (int y = gy * cellHeight + 8; y < (gy + 1) * cellHeight - 8; ++y) {
                    for (int x = gx * cellWidth + 8; x < (gx + 1) * cellWidth - 8; ++x) {
                        Paint(m, x, y, area);
                    }
                }
            }
        }
        for (int c = 0; c < 15; ++c, ++area) {
            const int cx = 200 + c * 260;
            const int cy = 300 + (c % 5) * 600;
            const int r = 90 + c * 7;
            for (int y = cy - r; y <= cy + r; ++y) {
                for (int x = cx - r; x <= cx + r; ++x) {
                    if (m.Contains(x, y) && (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r) {
                        Paint(m, x, y, area);
                    }
                }
            }
        }
        return m;
    }();
    return map;
}

void Append(png_structp png, png_bytep data, png_size_t length) {
    static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<char*>(data), length);
}

// libpng with nothing tuned: adaptive filtering, zlib level 6, filtered strategy.
std::string EncodeWithLibpngDefaults(const velmora::Bitmap& map) {
    std::string out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    std::vector<png_bytep> rows(static_cast<std::size_t>(map.Height()));
    for (int y = 0; y < map.Height(); ++y) {
        rows[static_cast<std::size_t>(y)] = const_cast<png_bytep>(map.Row(y));
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &out, Append, nullptr);
    png_set_IHDR(png, info, static_cast<png_uint_32>(map.Width()),
                 static_cast<png_uint_32>(map.Height()), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_set_bgr(png);
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

void BM_SaveMapPng(benchmark::State& state) {
    const velmora::Bitmap& map = Map();
    std::size_t size = 0;
    for (auto _ : state) {
        const std::string bytes = velmora::EncodeImage(map, velmora::ImageFormat::Png);
        size = bytes.size();
        benchmark::DoNotOptimize(bytes.data());
    }
    state.counters["file_bytes"] = static_cast<double>(size);
}
BENCHMARK(BM_SaveMapPng)->Unit(benchmark::kMillisecond);

void BM_LibpngDefaultsPng(benchmark::State& state) {
    const velmora::Bitmap& map = Map();
    std::size_t size = 0;
    for (auto _ : state) {
        const std::string bytes = EncodeWithLibpngDefaults(map);
        size = bytes.size();
        benchmark::DoNotOptimize(bytes.data());
    }
    state.counters["file_bytes"] = static_cast<double>(size);
}
BENCHMARK(BM_LibpngDefaultsPng)->Unit(benchmark::kMillisecond);

void BM_LoadMapPng(benchmark::State& state) {
    const std::string bytes = velmora::EncodeImage(Map(), velmora::ImageFormat::Png);
    if (!(velmora::DecodeImage(bytes, velmora::ImageFormat::Png) == Map())) {
        state.SkipWithError("the map does not survive saving and loading");
        return;
    }
    for (auto _ : state) {
        velmora::Bitmap map = velmora::DecodeImage(bytes, velmora::ImageFormat::Png);
        benchmark::DoNotOptimize(map.Data());
    }
    state.counters["file_bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(BM_LoadMapPng)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
