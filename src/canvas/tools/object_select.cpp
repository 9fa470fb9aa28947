// Graph-cut segmentation of the object in a box. A large box is first segmented on a reduced
// copy (the cut's cost grows faster than the pixel count), then only the band around the
// found edge is cut again at full size, tile by tile, so the edge follows the real pixels.
#include "canvas/tools/object_select.h"

#include <algorithm>
#include <cmath>

#include <opencv2/imgproc.hpp>

namespace velmora {

namespace {

constexpr int kWorkSide = 480;   // the reduced copy's longer side
constexpr int kTileSide = 160;   // full-size refinement works on tiles of this side
constexpr int kMinSamples = 32;  // the colour models need this many pixels of each kind
constexpr int kFirstIterations = 5;
constexpr int kRefineIterations = 1;

// Labels object and background from a GrabCut mask (definite or probable).
bool IsObject(std::uint8_t label) {
    return (label & 1) != 0;
}

// Makes sure the cut has background to learn from: a box that covers all of its surroundings
// gives up its own one-pixel frame.
void EnsureBackground(cv::Mat& mask) {
    if (cv::countNonZero(mask == cv::GC_BGD) > 0) {
        return;
    }
    mask.row(0).setTo(cv::GC_BGD);
    mask.row(mask.rows - 1).setTo(cv::GC_BGD);
    mask.col(0).setTo(cv::GC_BGD);
    mask.col(mask.cols - 1).setTo(cv::GC_BGD);
}

bool EnoughSamples(const cv::Mat& mask) {
    int object = 0;
    for (int y = 0; y < mask.rows; ++y) {
        const std::uint8_t* row = mask.ptr<std::uint8_t>(y);
        for (int x = 0; x < mask.cols; ++x) {
            object += IsObject(row[x]);
        }
    }
    const int background = mask.rows * mask.cols - object;
    return object >= kMinSamples && background >= kMinSamples;
}

void Cut(const cv::Mat& image, cv::Mat& mask, int iterations) {
    cv::Mat backgroundModel;
    cv::Mat objectModel;
    cv::grabCut(image, mask, cv::Rect(), backgroundModel, objectModel, iterations,
                cv::GC_INIT_WITH_MASK);
}

}  // namespace

std::vector<std::uint8_t> SegmentObject(const Bitmap& picture, const Rect& box) {
    // Some surroundings of the box give the background its colours.
    const int margin = std::max(8, std::max(box.width, box.height) / 10);
    const Rect crop =
        Rect{box.x - margin, box.y - margin, box.width + 2 * margin, box.height + 2 * margin}
            .Intersected({0, 0, picture.Width(), picture.Height()});
    // Our bitmap's bytes are blue, green, red like OpenCV's: wrap them without a copy.
    const cv::Mat whole(picture.Height(), picture.Width(), CV_8UC3,
                        const_cast<std::uint8_t*>(picture.Data()), picture.BytesPerLine());
    const cv::Mat image = whole(cv::Rect(crop.x, crop.y, crop.width, crop.height));
    const cv::Rect inner(box.x - crop.x, box.y - crop.y, box.width, box.height);

    const double scale =
        std::min(1.0, static_cast<double>(kWorkSide) / std::max(crop.width, crop.height));
    cv::Mat mask(image.size(), CV_8UC1, cv::Scalar(cv::GC_BGD));
    if (scale >= 1.0) {
        mask(inner).setTo(cv::GC_PR_FGD);
        EnsureBackground(mask);
        Cut(image, mask, kFirstIterations);
    } else {
        cv::Mat small;
        cv::resize(image, small, cv::Size(), scale, scale, cv::INTER_AREA);
        cv::Mat smallMask(small.size(), CV_8UC1, cv::Scalar(cv::GC_BGD));
        const cv::Rect smallInner =
            cv::Rect(static_cast<int>(std::floor(inner.x * scale)),
                     static_cast<int>(std::floor(inner.y * scale)),
                     std::max(1, static_cast<int>(std::ceil(inner.width * scale))),
                     std::max(1, static_cast<int>(std::ceil(inner.height * scale)))) &
            cv::Rect(0, 0, small.cols, small.rows);
        smallMask(smallInner).setTo(cv::GC_PR_FGD);
        EnsureBackground(smallMask);
        Cut(small, smallMask, kFirstIterations);

        // Back to full size: the reduced result decides far from its edge; a band as wide as
        // a few reduced pixels around the edge is cut again.
        cv::Mat objectSmall = (smallMask & 1) * 255;
        cv::Mat objectFull;
        cv::resize(objectSmall, objectFull, image.size(), 0, 0, cv::INTER_LINEAR);
        objectFull = objectFull >= 128;
        const int reach = static_cast<int>(std::ceil(2.0 / scale));
        const cv::Mat kernel =
            cv::getStructuringElement(cv::MORPH_RECT, cv::Size(2 * reach + 1, 2 * reach + 1));
        cv::Mat grown;
        cv::Mat shrunk;
        cv::dilate(objectFull, grown, kernel);
        cv::erode(objectFull, shrunk, kernel);
        mask.setTo(cv::GC_PR_BGD, grown);
        mask.setTo(cv::GC_PR_FGD, objectFull);
        mask.setTo(cv::GC_FGD, shrunk);
        mask.setTo(cv::GC_BGD, grown == 0);
        // Outside the box is background whatever the reduced copy said.
        cv::Mat outside(image.size(), CV_8UC1, cv::Scalar(255));
        outside(inner).setTo(0);
        mask.setTo(cv::GC_BGD, outside);

        const cv::Mat band = grown & ~shrunk;
        for (int ty = 0; ty < image.rows; ty += kTileSide) {
            for (int tx = 0; tx < image.cols; tx += kTileSide) {
                const cv::Rect tile =
                    cv::Rect(tx, ty, kTileSide, kTileSide) & cv::Rect(0, 0, image.cols, image.rows);
                if (cv::countNonZero(band(tile)) == 0) {
                    continue;
                }
                // The tile grows by the band's reach so its colour models see both sides.
                const cv::Rect wide = cv::Rect(tile.x - reach, tile.y - reach,
                                               tile.width + 2 * reach, tile.height + 2 * reach) &
                                      cv::Rect(0, 0, image.cols, image.rows);
                cv::Mat tileMask = mask(wide).clone();
                if (!EnoughSamples(tileMask)) {
                    continue;
                }
                const cv::Mat tileImage = image(wide).clone();
                Cut(tileImage, tileMask, kRefineIterations);
                const cv::Rect back(tile.x - wide.x, tile.y - wide.y, tile.width, tile.height);
                tileMask(back).copyTo(mask(tile));
            }
        }
    }

    std::vector<std::uint8_t> result(static_cast<std::size_t>(box.width) * box.height, 0);
    for (int y = 0; y < box.height; ++y) {
        const std::uint8_t* row = mask.ptr<std::uint8_t>(inner.y + y) + inner.x;
        for (int x = 0; x < box.width; ++x) {
            result[static_cast<std::size_t>(y) * box.width + x] = IsObject(row[x]) ? 1 : 0;
        }
    }
    return result;
}

}  // namespace velmora
