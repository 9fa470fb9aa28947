// Graph-cut segmentation of the object in a box. A large box is first segmented on a reduced
// working copy of bounded size (the cut's cost grows faster than the pixel count), then the
// full-size picture is cut again tile by tile with the colour models learnt on the copy,
// wherever the reduced result is unsure: along its edge, and near it where a pixel's own
// colour disagrees with it, which is how thin parts (legs, stems, petal tips) come back.
// Away from the edge the reduced result stands, and the full-size cuts stop at a work budget
// (the rest keeps the reduced result), so that no box on any picture takes long.
#include "canvas/tools/object_select.h"

#include <algorithm>
#include <cmath>

#include <opencv2/imgproc.hpp>

#include "canvas/tools/object_colour_table.h"

namespace velmora {

namespace {

constexpr double kWorkPixels = 480.0 * 480.0;  // the reduced copy's size at most
constexpr int kTileSide = 256;                 // full-size refinement works on tiles of this side
constexpr int kTileContext = 16;  // each tile is cut with this much of its surroundings
constexpr int kEdgeReach = 2;     // reduced pixels either side of the reduced edge are unsure
// Reduced pixels either side of the reduced edge where a pixel's colour may still overrule the
// reduced result; beyond them it stands.
constexpr int kColourReach = 12;
// The full-size pixels (tiles with their surroundings) cut at most; a 24-megapixel photograph's
// edge stays well within it.
constexpr double kRefineBudgetPixels = 24e6;
constexpr int kIterations = 5;

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

// Cuts image (a part of the picture) with the object inside the rectangle inner.
cv::Mat CutInBox(const cv::Mat& image, const cv::Rect& inner, cv::Mat& backgroundModel,
                 cv::Mat& objectModel, Progress& progress, std::int64_t total) {
    cv::Mat mask(image.size(), CV_8UC1, cv::Scalar(cv::GC_BGD));
    mask(inner).setTo(cv::GC_PR_FGD);
    EnsureBackground(mask);
    // GrabCut seeds its colour models from OpenCV's random generator: start it where a fresh
    // thread does, so one box always gives one selection.
    cv::theRNG() = cv::RNG();
    // One iteration per call, so that Cancel is heard between them: the models carry all that
    // one iteration hands the next, so the cut is the same as in one call.
    cv::grabCut(image, mask, cv::Rect(), backgroundModel, objectModel, 1, cv::GC_INIT_WITH_MASK);
    for (int done = 1; done < kIterations; ++done) {
        progress.Step(done, total);
        cv::grabCut(image, mask, cv::Rect(), backgroundModel, objectModel, 1, cv::GC_EVAL);
    }
    progress.Step(kIterations, total);
    return mask;
}

// The units of work Progress counts for a box: the iterations of the first cut, then one per
// full-size tile (none when the box is cut at full size at once).
std::int64_t TotalWork(const cv::Rect& inner, bool refined = true) {
    if (!refined) {
        return kIterations;
    }
    const std::int64_t across = (inner.width + kTileSide - 1) / kTileSide;
    const std::int64_t down = (inner.height + kTileSide - 1) / kTileSide;
    return kIterations + across * down;
}

// For each full-size column (or row) the reduced one it falls in.
std::vector<int> ReducedIndex(int full, int reduced) {
    std::vector<int> index(static_cast<std::size_t>(full));
    for (int i = 0; i < full; ++i) {
        index[i] = std::min(reduced - 1, static_cast<int>((i + 0.5) * reduced / full));
    }
    return index;
}

// The full-size pass: the reduced labels decide where they are sure, the graph cut with the
// reduced copy's colour models decides the rest, one stripe of tiles at a time.
class FullSizeRefinement {
public:
    FullSizeRefinement(const cv::Mat& image, const cv::Rect& inner, const cv::Mat& reducedMask,
                       const cv::Mat& backgroundModel, const cv::Mat& objectModel,
                       Progress& progress)
        : m_image(image),
          m_inner(inner),
          m_backgroundModel(backgroundModel),
          m_objectModel(objectModel),
          m_colours(backgroundModel, objectModel),
          m_column(ReducedIndex(image.cols, reducedMask.cols)),
          m_row(ReducedIndex(image.rows, reducedMask.rows)),
          m_progress(progress) {
        m_object = (reducedMask & 1) * 255;
        const cv::Mat kernel = cv::getStructuringElement(
            cv::MORPH_RECT, cv::Size(2 * kEdgeReach + 1, 2 * kEdgeReach + 1));
        cv::Mat grown;
        cv::Mat shrunk;
        cv::dilate(m_object, grown, kernel);
        cv::erode(m_object, shrunk, kernel);
        m_edge = grown != shrunk;
        const cv::Mat bandKernel = cv::getStructuringElement(
            cv::MORPH_RECT, cv::Size(2 * kColourReach + 1, 2 * kColourReach + 1));
        cv::dilate(m_object, grown, bandKernel);
        cv::erode(m_object, shrunk, bandKernel);
        m_band = grown != shrunk;
    }

    void Run(const ObjectRow& onRow) {
        cv::Mat stripe;
        for (int top = 0; top < m_inner.height; top += kTileSide) {
            const int height = std::min(kTileSide, m_inner.height - top);
            stripe.create(height, m_inner.width, CV_8UC1);
            for (int left = 0; left < m_inner.width; left += kTileSide) {
                const cv::Rect tile(m_inner.x + left, m_inner.y + top,
                                    std::min(kTileSide, m_inner.width - left), height);
                cv::Mat objectPart = Tile(tile) & 1;
                objectPart.copyTo(stripe(cv::Rect(left, 0, tile.width, tile.height)));
                m_progress.Step(kIterations + ++m_tilesDone, TotalWork(m_inner));
            }
            for (int y = 0; y < height; ++y) {
                onRow(top + y, stripe.ptr<std::uint8_t>(y));
            }
        }
    }

private:
    // The GrabCut labels of tile, which lies inside the box.
    cv::Mat Tile(const cv::Rect& tile) {
        const cv::Rect wide =
            cv::Rect(tile.x - kTileContext, tile.y - kTileContext, tile.width + 2 * kTileContext,
                     tile.height + 2 * kTileContext) &
            cv::Rect(0, 0, m_image.cols, m_image.rows);
        cv::Mat mask(wide.size(), CV_8UC1);
        const cv::Rect back(tile.x - wide.x, tile.y - wide.y, tile.width, tile.height);
        bool unsure = false;
        for (int y = 0; y < wide.height; ++y) {
            const int fy = wide.y + y;
            const std::uint8_t* colour = m_image.ptr<std::uint8_t>(fy) + 3 * wide.x;
            std::uint8_t* out = mask.ptr<std::uint8_t>(y);
            const bool rowInBox = fy >= m_inner.y && fy < m_inner.y + m_inner.height;
            const std::uint8_t* object = m_object.ptr<std::uint8_t>(m_row[fy]);
            const std::uint8_t* edge = m_edge.ptr<std::uint8_t>(m_row[fy]);
            const std::uint8_t* band = m_band.ptr<std::uint8_t>(m_row[fy]);
            const bool rowInTile = y >= back.y && y < back.y + back.height;
            for (int x = 0; x < wide.width; ++x, colour += 3) {
                const int fx = wide.x + x;
                if (!rowInBox || fx < m_inner.x || fx >= m_inner.x + m_inner.width) {
                    out[x] = cv::GC_BGD;
                    continue;
                }
                const int sx = m_column[fx];
                const bool isObject = object[sx] != 0;
                const bool sure = edge[sx] == 0 &&
                                  (band[sx] == 0 || m_colours.LooksLikeObject(colour) == isObject);
                if (sure) {
                    out[x] = isObject ? cv::GC_FGD : cv::GC_BGD;
                } else {
                    out[x] = isObject ? cv::GC_PR_FGD : cv::GC_PR_BGD;
                    unsure |= rowInTile && x >= back.x && x < back.x + back.width;
                }
            }
        }
        if (unsure && m_refined < kRefineBudgetPixels) {
            m_refined += static_cast<double>(wide.area());
            cv::grabCut(m_image(wide), mask, cv::Rect(), m_backgroundModel, m_objectModel, 1,
                        cv::GC_EVAL_FREEZE_MODEL);
        }
        return mask(back);
    }

    const cv::Mat& m_image;
    cv::Rect m_inner;
    cv::Mat m_backgroundModel;
    cv::Mat m_objectModel;
    ObjectColourTable m_colours;
    std::vector<int> m_column;
    std::vector<int> m_row;
    cv::Mat m_object;      // reduced labels, 255 for the object
    cv::Mat m_edge;        // reduced pixels near the reduced edge
    cv::Mat m_band;        // reduced pixels where a pixel's colour may overrule the reduced result
    double m_refined = 0;  // full-size pixels cut so far
    Progress& m_progress;
    std::int64_t m_tilesDone = 0;
};

}  // namespace

void SegmentObject(const Bitmap& picture, const Rect& box, const ObjectRow& onRow,
                   Progress& progress) {
    // The surroundings of the box give the background its colours: a third of the box's size
    // on every side, which the reduced copy keeps affordable.
    const int margin = std::max(8, std::max(box.width, box.height) / 3);
    const Rect crop =
        Rect{box.x - margin, box.y - margin, box.width + 2 * margin, box.height + 2 * margin}
            .Intersected({0, 0, picture.Width(), picture.Height()});
    // Our bitmap's bytes are blue, green, red like OpenCV's: wrap them without a copy.
    const cv::Mat whole(picture.Height(), picture.Width(), CV_8UC3,
                        const_cast<std::uint8_t*>(picture.Data()), picture.BytesPerLine());
    const cv::Mat image = whole(cv::Rect(crop.x, crop.y, crop.width, crop.height));
    const cv::Rect inner(box.x - crop.x, box.y - crop.y, box.width, box.height);

    const double scale =
        std::min(1.0, std::sqrt(kWorkPixels / (static_cast<double>(crop.width) * crop.height)));
    cv::Mat backgroundModel;
    cv::Mat objectModel;
    if (scale >= 1.0) {
        const cv::Mat mask =
            CutInBox(image, inner, backgroundModel, objectModel, progress, TotalWork(inner, false));
        std::vector<std::uint8_t> row(static_cast<std::size_t>(box.width));
        for (int y = 0; y < box.height; ++y) {
            const std::uint8_t* labels = mask.ptr<std::uint8_t>(inner.y + y) + inner.x;
            std::transform(labels, labels + box.width, row.begin(),
                           [](std::uint8_t label) { return IsObject(label) ? 1 : 0; });
            onRow(y, row.data());
        }
        return;
    }
    const cv::Size reducedSize(std::max(3, static_cast<int>(std::lround(crop.width * scale))),
                               std::max(3, static_cast<int>(std::lround(crop.height * scale))));
    cv::Mat reduced;
    cv::resize(image, reduced, reducedSize, 0, 0, cv::INTER_AREA);
    const double sx = static_cast<double>(reducedSize.width) / crop.width;
    const double sy = static_cast<double>(reducedSize.height) / crop.height;
    const cv::Rect reducedInner =
        cv::Rect(static_cast<int>(std::floor(inner.x * sx)),
                 static_cast<int>(std::floor(inner.y * sy)),
                 std::max(1, static_cast<int>(std::ceil(inner.width * sx))),
                 std::max(1, static_cast<int>(std::ceil(inner.height * sy)))) &
        cv::Rect(0, 0, reduced.cols, reduced.rows);
    const cv::Mat reducedMask =
        CutInBox(reduced, reducedInner, backgroundModel, objectModel, progress, TotalWork(inner));
    reduced.release();
    FullSizeRefinement(image, inner, reducedMask, backgroundModel, objectModel, progress)
        .Run(onRow);
}

std::vector<std::uint8_t> SegmentObject(const Bitmap& picture, const Rect& box,
                                        Progress& progress) {
    std::vector<std::uint8_t> mask(static_cast<std::size_t>(box.width) * box.height);
    SegmentObject(
        picture, box,
        [&](int y, const std::uint8_t* row) {
            std::copy(row, row + box.width,
                      mask.begin() + static_cast<std::ptrdiff_t>(y) * box.width);
        },
        progress);
    return mask;
}

}  // namespace velmora
