#pragma once

// Real photographs with an obvious object and a box around it, from the Debian wallpaper
// package mate-backgrounds (installed by scripts/setup, not kept in the repository), and the
// object selection they are held against: OpenCV's GrabCut run on the whole picture at full
// size with the same box and iteration count.
#include <opencv2/imgproc.hpp>

#include <cstdint>
#include <filesystem>
#include <vector>

#include "canvas/map/rect.h"
#include "store/bitmap.h"

namespace velmora::test {

struct PhotoObject {
    const char* name;  // also the file name without ".jpg"
    Rect box;
    // The agreement asked of the selection: at least 0.9 everywhere, and a little below what
    // it reaches where it reaches more. Where an object's edge is itself unsure (a soft
    // background of the object's colours: the ladybird's stem, the splash's shadow), full-size
    // GrabCut moves by 0.1 to 0.2 when its own box moves by 3 pixels.
    double minimumIou;
};

inline const char* const kPhotoFolder = "/usr/share/backgrounds/mate/nature";

// The ladybird with its legs; a marigold with its petal tips; the green bud under two
// dandelion seeds; a splash crown with its droplets; a yellow flower on black.
inline const std::vector<PhotoObject>& PhotoObjects() {
    static const std::vector<PhotoObject> photos = {
        {"LadyBird", {1640, 660, 340, 340}, 0.9},     {"Garden", {900, 280, 1660, 1320}, 0.97},
        {"TwoWings", {1450, 1390, 520, 210}, 0.99},   {"Aqua", {1360, 600, 840, 760}, 0.9},
        {"YellowFlower", {480, 0, 2080, 1600}, 0.99},
    };
    return photos;
}

inline std::filesystem::path PhotoPath(const PhotoObject& photo) {
    return std::filesystem::path(kPhotoFolder) / (std::string(photo.name) + ".jpg");
}

// GrabCut on the whole picture at full size; box.width x box.height bytes, 1 for the object.
inline std::vector<std::uint8_t> FullSizeGrabCut(const Bitmap& picture, const Rect& box,
                                                 int iterations) {
    const cv::Mat image(picture.Height(), picture.Width(), CV_8UC3,
                        const_cast<std::uint8_t*>(picture.Data()), picture.BytesPerLine());
    cv::Mat mask;
    cv::Mat backgroundModel;
    cv::Mat objectModel;
    cv::theRNG() = cv::RNG();  // as in a fresh thread, where the selection starts too
    cv::grabCut(image, mask, cv::Rect(box.x, box.y, box.width, box.height), backgroundModel,
                objectModel, iterations, cv::GC_INIT_WITH_RECT);
    std::vector<std::uint8_t> object(static_cast<std::size_t>(box.width) * box.height);
    for (int y = 0; y < box.height; ++y) {
        const std::uint8_t* row = mask.ptr<std::uint8_t>(box.y + y) + box.x;
        for (int x = 0; x < box.width; ++x) {
            object[static_cast<std::size_t>(y) * box.width + x] = row[x] & 1;
        }
    }
    return object;
}

// Intersection over union of two object masks of one size (1 when both are empty).
inline double Iou(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
    std::size_t both = 0;
    std::size_t either = 0;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
        both += (a[i] != 0 && b[i] != 0) ? 1 : 0;
        either += (a[i] != 0 || b[i] != 0) ? 1 : 0;
    }
    return either == 0 ? 1.0 : static_cast<double>(both) / static_cast<double>(either);
}

}  // namespace velmora::test
