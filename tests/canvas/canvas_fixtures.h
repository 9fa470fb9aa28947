#pragma once

#include <cstdint>
#include <random>
#include <vector>

#include "canvas/history/draw_history.h"
#include "canvas/history/stroke_recorder.h"
#include "canvas/map/area_map.h"
#include "store/bitmap.h"
#include "store/common_data.h"

namespace velmora::test {

// A picture of random bytes, the same for the same seed.
inline Bitmap Noise(int width, int height, std::uint32_t seed) {
    Bitmap bitmap(width, height);
    std::mt19937 random(seed);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width * 3; ++x) {
            bitmap.Row(y)[x] = static_cast<std::uint8_t>(random());
        }
    }
    return bitmap;
}

// True when every pixel's blue, green and red bytes are equal.
inline bool BytesAlike(const Bitmap& map) {
    for (int y = 0; y < map.Height(); ++y) {
        for (int x = 0; x < map.Width(); ++x) {
            const std::uint8_t* p = map.Pixel(x, y);
            if (p[0] != p[1] || p[1] != p[2]) {
                return false;
            }
        }
    }
    return true;
}

// A wandering mouse path: count points starting inside a width x height picture, each step
// a few pixels, now and then leaving the picture as a dragging hand does.
inline std::vector<HistoryPoint> RandomPath(std::uint32_t seed, int count, int width, int height) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> step(-9, 9);
    std::vector<HistoryPoint> points;
    int x = static_cast<int>(random() % width);
    int y = static_cast<int>(random() % height);
    for (int i = 0; i < count; ++i) {
        x = std::clamp(x + step(random), -20, width + 20);
        y = std::clamp(y + step(random), -20, height + 20);
        points.push_back({x, y});
    }
    return points;
}

// Paints one stroke the way the main window does: press, moves, release, each fed to the
// history as well as to the map.
inline void PaintLikeMouse(COMMON_DATA& data, DRAW_HISTORY& history, int value,
                           const std::vector<HistoryPoint>& points) {
    StrokeRecorder stroke(data, history);
    stroke.Press(points.front().x, points.front().y, value);
    for (std::size_t i = 1; i < points.size(); ++i) {
        stroke.Move(points[i].x, points[i].y);
    }
    stroke.Release();
}

}  // namespace velmora::test
