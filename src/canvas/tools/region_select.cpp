#include "canvas/tools/region_select.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <utility>
#include <vector>

namespace velmora {

namespace {

// Scanline flood fill: each run is found once, its neighbours above and below seeded once
// per run, so the work grows with the pixels filled, not with their shape.
// Pixels looked at between two reports: a few milliseconds of work.
constexpr std::int64_t kPixelsPerStep = 1 << 18;

template <typename Match>
void Flood(int width, int height, int x, int y, const Match& match, const SpanSink& sink,
           Progress& progress) {
    const std::int64_t total = static_cast<std::int64_t>(width) * height;
    std::int64_t filled = 0;
    std::int64_t nextStep = kPixelsPerStep;
    progress.Step(0, total);
    std::vector<std::uint8_t> seen(static_cast<std::size_t>(width) * height, 0);
    auto seenAt = [&](int px, int py) -> std::uint8_t& {
        return seen[static_cast<std::size_t>(py) * width + px];
    };
    std::vector<std::pair<int, int>> seeds = {{x, y}};
    while (!seeds.empty()) {
        const auto [sx, sy] = seeds.back();
        seeds.pop_back();
        if (seenAt(sx, sy) || !match(sx, sy)) {
            continue;
        }
        int left = sx;
        while (left > 0 && !seenAt(left - 1, sy) && match(left - 1, sy)) {
            --left;
        }
        int right = sx + 1;
        while (right < width && !seenAt(right, sy) && match(right, sy)) {
            ++right;
        }
        for (int px = left; px < right; ++px) {
            seenAt(px, sy) = 1;
        }
        filled += right - left;
        if (filled >= nextStep) {
            progress.Step(filled, total);
            nextStep = filled + kPixelsPerStep;
        }
        sink(sy, left, right);
        for (const int ny : {sy - 1, sy + 1}) {
            if (ny < 0 || ny >= height) {
                continue;
            }
            bool inRun = false;
            for (int px = left; px < right; ++px) {
                const bool open = !seenAt(px, ny) && match(px, ny);
                if (open && !inRun) {
                    seeds.push_back({px, ny});
                }
                inRun = open;
            }
        }
    }
}

}  // namespace

void SelectMapRegion(const Bitmap& map, int x, int y, const SpanSink& sink, Progress& progress) {
    const std::uint8_t value = map.Pixel(x, y)[2];
    Flood(
        map.Width(), map.Height(), x, y,
        [&map, value](int px, int py) { return map.Pixel(px, py)[2] == value; }, sink, progress);
}

void SelectSimilarColour(const Bitmap& picture, int x, int y, int tolerance, bool contiguous,
                         const SpanSink& sink, Progress& progress) {
    const std::uint8_t* seed = picture.Pixel(x, y);
    const int b = seed[0];
    const int g = seed[1];
    const int r = seed[2];
    auto match = [&picture, b, g, r, tolerance](int px, int py) {
        const std::uint8_t* p = picture.Pixel(px, py);
        return std::abs(p[0] - b) <= tolerance && std::abs(p[1] - g) <= tolerance &&
               std::abs(p[2] - r) <= tolerance;
    };
    if (contiguous) {
        Flood(picture.Width(), picture.Height(), x, y, match, sink, progress);
        return;
    }
    const int rowsPerStep = std::max<int>(1, kPixelsPerStep / picture.Width());
    for (int py = 0; py < picture.Height(); ++py) {
        if (py % rowsPerStep == 0) {
            progress.Step(py, picture.Height());
        }
        int runStart = -1;
        for (int px = 0; px <= picture.Width(); ++px) {
            const bool inside = px < picture.Width() && match(px, py);
            if (inside && runStart < 0) {
                runStart = px;
            } else if (!inside && runStart >= 0) {
                sink(py, runStart, px);
                runStart = -1;
            }
        }
    }
}

}  // namespace velmora
