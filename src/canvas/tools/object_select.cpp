// Graph-cut segmentation of the object in a box that agrees with GrabCut run on the whole
// picture at full size, at a fraction of its cost. A cut of only part of the picture behaves
// like that one when three things are kept: the colour models learn from an even sample of the
// whole picture (the background from everything outside the box); the edge contrast is the
// whole picture's; and on a reduced copy the edges weigh less, since a reduced pixel stands
// for 1/scale^2 pixels of area but only about 1/scale pixels of edge.
// A large box is first segmented on a reduced working copy of bounded size (the cut's cost
// grows faster than the pixel count), then the full-size picture is cut again tile by tile
// with the final colour models wherever the reduced result is unsure: along its edge, and near
// it where a pixel's own colour disagrees with it, which is how thin parts (legs, stems, petal
// tips) come back. Away from the edge the reduced result stands, and the full-size cuts stop
// at a work budget (the rest keeps the reduced result), so that no box on any picture takes
// long.
#include "canvas/tools/object_select.h"

#include <algorithm>
#include <atomic>
#include <cmath>

#include <opencv2/imgproc.hpp>

#include "canvas/tools/object_colour_models.h"
#include "canvas/tools/object_colour_table.h"
#include "canvas/tools/object_graph_cut.h"
#include "canvas/tools/parallel_items.h"

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
constexpr double kSmoothness = 50;  // GrabCut's weight of an edge between like colours
// A reduced copy's edge is shorter than the full-size one by the scale where the outline is
// smooth and by less where it is ragged (the reduction irons out what made it long): its
// edges weigh scale to this power. Lower, a reduced cut drops what the full-size cut keeps
// (photographs); at 1, a noise-free picture's object takes in part of a plain background.
constexpr double kEdgeLengthPower = 0.75;
constexpr int kFrame = 3;  // the working copy's pixels of surroundings around the box
// The sampled pixels the colour models learn from, in the box and outside it each.
constexpr double kSamplePixels = 200e3;

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

// The working copy's GrabCut labels: the object inside the rectangle inner, cut with colour
// models that each iteration learns again from the picture's sample.
cv::Mat CutInBox(const cv::Mat& working, const cv::Rect& inner, const std::vector<int>& column,
                 const std::vector<int>& row, ObjectColourModels& models,
                 const CutSmoothness& smoothness, Progress& progress, std::int64_t total) {
    cv::Mat mask(working.size(), CV_8UC1, cv::Scalar(cv::GC_BGD));
    mask(inner).setTo(cv::GC_PR_FGD);
    EnsureBackground(mask);
    ObjectGraphCut graph(working, mask, smoothness);
    for (int done = 0; done < kIterations; ++done) {
        models.Learn(mask, column, row);
        graph.Cut(mask, ColourMixture(models.Background()), ColourMixture(models.Object()), true);
        progress.Step(done + 1, total);
    }
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
                       const CutSmoothness& smoothness, Progress& progress)
        : m_image(image),
          m_inner(inner),
          m_backgroundModel(backgroundModel),
          m_objectModel(objectModel),
          m_smoothness(smoothness),
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

    // The tiles of a stripe are labelled on all cores, their budget spent in order, then cut on
    // all cores: each label and each cut depends on its own tile alone, so the result is the
    // same whichever core did what.
    void Run(const ObjectRow& onRow) {
        cv::Mat stripe;
        std::vector<TileLabels> tiles;
        for (int top = 0; top < m_inner.height; top += kTileSide) {
            const int height = std::min(kTileSide, m_inner.height - top);
            tiles.clear();
            for (int left = 0; left < m_inner.width; left += kTileSide) {
                tiles.emplace_back();
                tiles.back().tile = cv::Rect(m_inner.x + left, m_inner.y + top,
                                             std::min(kTileSide, m_inner.width - left), height);
            }
            ForEachItemInParallel(
                tiles.size(), [&](std::size_t i) { Label(tiles[i]); }, [] {});
            for (TileLabels& tile : tiles) {
                tile.cut = tile.unsure && m_refined < kRefineBudgetPixels;
                if (tile.cut) {
                    m_refined += static_cast<double>(tile.wide.area());
                }
            }
            ForEachItemInParallel(
                tiles.size(),
                [&](std::size_t i) {
                    TileLabels& tile = tiles[i];
                    if (tile.cut) {
                        CutWithModels(m_image(tile.wide), tile.mask, m_backgroundModel,
                                      m_objectModel, m_smoothness);
                    }
                    ++m_tilesDone;
                },
                [&] { m_progress.Step(kIterations + m_tilesDone, TotalWork(m_inner)); });
            stripe.create(height, m_inner.width, CV_8UC1);
            for (const TileLabels& tile : tiles) {
                const cv::Mat objectPart = tile.mask(tile.back) & 1;
                objectPart.copyTo(stripe(cv::Rect(tile.wide.x + tile.back.x - m_inner.x, 0,
                                                  tile.back.width, tile.back.height)));
            }
            m_progress.Step(kIterations + m_tilesDone, TotalWork(m_inner));
            for (int y = 0; y < height; ++y) {
                onRow(top + y, stripe.ptr<std::uint8_t>(y));
            }
        }
    }

private:
    // A tile of the box, its GrabCut labels with its surroundings (wide), the tile's own part
    // of them (back), whether any of that part is unsure, and whether it is to be cut.
    struct TileLabels {
        cv::Rect tile;
        cv::Rect wide;
        cv::Rect back;
        cv::Mat mask;
        bool unsure = false;
        bool cut = false;
    };

    // The labels of the tile before its cut.
    void Label(TileLabels& labels) const {
        const cv::Rect& tile = labels.tile;
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
        labels.wide = wide;
        labels.back = back;
        labels.mask = mask;
        labels.unsure = unsure;
    }

    const cv::Mat& m_image;
    cv::Rect m_inner;
    ColourMixture m_backgroundModel;
    ColourMixture m_objectModel;
    CutSmoothness m_smoothness;
    ObjectColourTable m_colours;
    std::vector<int> m_column;
    std::vector<int> m_row;
    cv::Mat m_object;      // reduced labels, 255 for the object
    cv::Mat m_edge;        // reduced pixels near the reduced edge
    cv::Mat m_band;        // reduced pixels where a pixel's colour may overrule the reduced result
    double m_refined = 0;  // full-size pixels cut so far
    Progress& m_progress;
    std::atomic<std::int64_t> m_tilesDone = 0;
};

// An even sample of the part around of the picture for the colour models: the box more densely
// than the rest, each sampled pixel inside it tied to the working copy's pixel it falls in. A
// box that covers all of around takes its own frame for background, as the working copy does.
ObjectColourModels SamplePicture(const Bitmap& picture, const Rect& around, const Rect& box,
                                 const Rect& crop) {
    const auto stepFor = [](double pixels) {
        return std::max(1, static_cast<int>(std::ceil(std::sqrt(pixels / kSamplePixels))));
    };
    const int boxStep = stepFor(static_cast<double>(box.width) * box.height);
    const int restStep =
        std::max(boxStep, stepFor(static_cast<double>(around.width) * around.height));
    ObjectColourModels models;
    const auto inBox = [&](int x, int y) {
        return x >= box.x && x < box.x + box.width && y >= box.y && y < box.y + box.height;
    };
    for (int y = boxStep / 2; y < box.height; y += boxStep) {
        for (int x = boxStep / 2; x < box.width; x += boxStep) {
            const int fx = box.x + x;
            const int fy = box.y + y;
            models.Add(picture.Pixel(fx, fy), fx - crop.x, fy - crop.y,
                       static_cast<float>(boxStep) * boxStep);
        }
    }
    bool background = false;
    for (int y = around.y + restStep / 2; y < around.y + around.height; y += restStep) {
        for (int x = around.x + restStep / 2; x < around.x + around.width; x += restStep) {
            if (!inBox(x, y)) {
                models.Add(picture.Pixel(x, y), -1, -1, static_cast<float>(restStep) * restStep);
                background = true;
            }
        }
    }
    if (!background) {
        for (int x = 0; x < box.width; x += boxStep) {
            models.Add(picture.Pixel(box.x + x, box.y), -1, -1, 1);
            models.Add(picture.Pixel(box.x + x, box.y + box.height - 1), -1, -1, 1);
        }
        for (int y = 0; y < box.height; y += boxStep) {
            models.Add(picture.Pixel(box.x, box.y + y), -1, -1, 1);
            models.Add(picture.Pixel(box.x + box.width - 1, box.y + y), -1, -1, 1);
        }
    }
    return models;
}

}  // namespace

void SegmentObject(const Bitmap& picture, const Rect& box, const ObjectRow& onRow,
                   Progress& progress) {
    // The working copy is the box with a thin frame of its surroundings, whose fixed
    // background holds the box's own edge; the colours come from the sample of the picture.
    const double boxScale =
        std::min(1.0, std::sqrt(kWorkPixels / (static_cast<double>(box.width) * box.height)));
    const int margin = static_cast<int>(std::ceil(kFrame / boxScale));
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
    cv::Mat working = image;
    cv::Rect workingInner = inner;
    if (scale < 1.0) {
        const cv::Size reducedSize(std::max(3, static_cast<int>(std::lround(crop.width * scale))),
                                   std::max(3, static_cast<int>(std::lround(crop.height * scale))));
        cv::resize(image, working, reducedSize, 0, 0, cv::INTER_AREA);
        const double sx = static_cast<double>(reducedSize.width) / crop.width;
        const double sy = static_cast<double>(reducedSize.height) / crop.height;
        workingInner = cv::Rect(static_cast<int>(std::floor(inner.x * sx)),
                                static_cast<int>(std::floor(inner.y * sy)),
                                std::max(1, static_cast<int>(std::ceil(inner.width * sx))),
                                std::max(1, static_cast<int>(std::ceil(inner.height * sy)))) &
                       cv::Rect(0, 0, working.cols, working.rows);
    }
    const std::vector<int> column = ReducedIndex(crop.width, working.cols);
    const std::vector<int> row = ReducedIndex(crop.height, working.rows);
    const Rect all{0, 0, picture.Width(), picture.Height()};
    const double contrast = PictureContrast(whole, kSamplePixels);
    // A box over the whole picture has only its own frame for background, too little to
    // learn from without the edges' full weight holding the background together.
    const bool framed = box.width == picture.Width() && box.height == picture.Height();
    const CutSmoothness workingSmoothness{
        contrast, kSmoothness * (framed ? 1.0 : std::pow(scale, kEdgeLengthPower))};
    ObjectColourModels models = SamplePicture(picture, all, box, crop);
    cv::Mat workingMask = CutInBox(working, workingInner, column, row, models, workingSmoothness,
                                   progress, TotalWork(inner, scale < 1.0));
    if (cv::countNonZero(workingMask & 1) == 0) {
        // The colours of the whole picture outside the box explain all that is in it (the
        // object's colour is elsewhere too): the box's near surroundings alone tell them apart.
        const int reach = std::max(box.width, box.height) / 3;
        const Rect near =
            Rect{box.x - reach, box.y - reach, box.width + 2 * reach, box.height + 2 * reach}
                .Intersected(all);
        models = SamplePicture(picture, near, box, crop);
        workingMask = CutInBox(working, workingInner, column, row, models, workingSmoothness,
                               progress, TotalWork(inner, scale < 1.0));
    }
    if (scale >= 1.0) {
        std::vector<std::uint8_t> row(static_cast<std::size_t>(box.width));
        for (int y = 0; y < box.height; ++y) {
            const std::uint8_t* labels = workingMask.ptr<std::uint8_t>(inner.y + y) + inner.x;
            std::transform(labels, labels + box.width, row.begin(),
                           [](std::uint8_t label) { return IsObject(label) ? 1 : 0; });
            onRow(y, row.data());
        }
        return;
    }
    working.release();
    FullSizeRefinement(image, inner, workingMask, models.Background(), models.Object(),
                       {contrast, kSmoothness}, progress)
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
