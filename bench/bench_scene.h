#pragma once

#include <cstdint>
#include <random>
#include <vector>

#include "canvas/history/draw_history.h"
#include "canvas/map/line_raster.h"
#include "store/bitmap.h"
#include "store/prompter.h"

namespace velmora::bench {

// Answers every question with No and shows nothing: benchmarks ask no one.
class QuietPrompter : public Prompter {
public:
    void Message(const std::string&) override {}
    Answer Ask(const std::string&, const std::string&, Buttons) override { return Answer::No; }
    void Beep() override {}
};

inline constexpr int kPictureWidth = 4000;
inline constexpr int kPictureHeight = 3000;

// A picture with smooth colour and fine noise, as a photograph has.
inline Bitmap MakeBenchPicture(int width = kPictureWidth, int height = kPictureHeight) {
    Bitmap picture(width, height);
    std::mt19937 random(1);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* p = picture.Row(y);
        for (int x = 0; x < width; ++x, p += 3) {
            const int noise = static_cast<int>(random() & 15);
            p[0] = static_cast<std::uint8_t>(x * 255 / width ^ noise);
            p[1] = static_cast<std::uint8_t>(y * 255 / height ^ noise);
            p[2] = static_cast<std::uint8_t>((x + y) & 255);
        }
    }
    return picture;
}

// A mouse path of count points from (x, y), each step up to step pixels in each direction.
inline std::vector<HistoryPoint> BenchPath(std::mt19937& random, int x, int y, int count, int step,
                                           int width = kPictureWidth, int height = kPictureHeight) {
    std::uniform_int_distribution<int> move(-step, step);
    std::vector<HistoryPoint> points;
    for (int i = 0; i < count; ++i) {
        points.push_back({x, y});
        x = std::clamp(x + move(random), 0, width - 1);
        y = std::clamp(y + move(random), 0, height - 1);
    }
    return points;
}

// An area map painted by hand, as it were: every one of the 255 areas gets three brush
// strokes of brush 60 to 120 around its own spot, so the map holds 255 areas in runs of
// every length, with some pixels left in no area.
inline Bitmap MakeBenchMap(int mapWidth = kPictureWidth, int mapHeight = kPictureHeight) {
    Bitmap map(mapWidth, mapHeight);
    std::mt19937 random(2);
    for (int value = 1; value <= 255; ++value) {
        const int cx = static_cast<int>(random() % mapWidth);
        const int cy = static_cast<int>(random() % mapHeight);
        for (int stroke = 0; stroke < 3; ++stroke) {
            const int width = 60 + static_cast<int>(random() % 61);
            const auto path = BenchPath(random, cx, cy, 25, 60, mapWidth, mapHeight);
            for (std::size_t i = 1; i < path.size(); ++i) {
                DrawLine(map, path[i - 1].x, path[i - 1].y, path[i].x, path[i].y, width,
                         static_cast<std::uint8_t>(value));
            }
        }
    }
    return map;
}

}  // namespace velmora::bench
