// The graph is GrabCut's: one node a pixel, edges to the eight neighbours (diagonals weighted
// by 1/sqrt 2), links to the terminals from the colour models, and a link of 9 * 50 that
// pins the sure pixels; here the sure pixels are left out of it.
#include "canvas/tools/object_graph_cut.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <vector>

#include <opencv2/imgproc.hpp>
#include <opencv2/imgproc/detail/gcgraph.hpp>

#include "canvas/tools/parallel_items.h"

namespace velmora {

namespace {

double SquaredDistance(const std::uint8_t* a, const std::uint8_t* b) {
    const double d0 = static_cast<double>(a[0]) - b[0];
    const double d1 = static_cast<double>(a[1]) - b[1];
    const double d2 = static_cast<double>(a[2]) - b[2];
    return d0 * d0 + d1 * d1 + d2 * d2;
}

// The cost of a colour on one side: GrabCut's minus log of the model's density, kept finite.
double Cost(const ColourMixture& model, const std::uint8_t* bgr) {
    return -std::log(std::max(DBL_MIN, model(cv::Vec3d(bgr[0], bgr[1], bgr[2]))));
}

// The costs of a colour on both sides, kept for the colours met last: a photograph's
// neighbouring pixels often share a colour, and a cost takes five exps and a log.
class ColourCosts {
public:
    ColourCosts(const ColourMixture& background, const ColourMixture& object)
        : m_background(background), m_object(object), m_entries(kEntries) {}

    // Writes the colour's cost as background and as the object to out[0] and out[1].
    void Of(const std::uint8_t* bgr, double* out) {
        const std::uint32_t colour = (static_cast<std::uint32_t>(bgr[0]) << 16) |
                                     (static_cast<std::uint32_t>(bgr[1]) << 8) | bgr[2];
        Entry& entry = m_entries[(colour * 2654435761u) >> (32 - kBits)];
        if (entry.key != colour + 1) {
            entry.key = colour + 1;
            entry.asBackground = Cost(m_background, bgr);
            entry.asObject = Cost(m_object, bgr);
        }
        out[0] = entry.asBackground;
        out[1] = entry.asObject;
    }

private:
    static constexpr int kBits = 14;
    static constexpr std::size_t kEntries = std::size_t{1} << kBits;
    struct Entry {
        std::uint32_t key = 0;  // the colour + 1, 0 for none
        double asBackground = 0;
        double asObject = 0;
    };
    const ColourMixture& m_background;
    const ColourMixture& m_object;
    std::vector<Entry> m_entries;
};

// exp(-contrast * squared colour distance) of two neighbours, found once for each of the
// small distances that neighbours in a photograph mostly have.
class EdgeLikeness {
public:
    explicit EdgeLikeness(double contrast) : m_contrast(contrast), m_kept(kKept, -1.0) {}

    double Of(const std::uint8_t* a, const std::uint8_t* b) {
        const int d0 = a[0] - b[0];
        const int d1 = a[1] - b[1];
        const int d2 = a[2] - b[2];
        const int distance = d0 * d0 + d1 * d1 + d2 * d2;
        if (distance >= kKept) {
            return std::exp(-m_contrast * distance);
        }
        double& kept = m_kept[static_cast<std::size_t>(distance)];
        if (kept < 0) {
            kept = std::exp(-m_contrast * distance);
        }
        return kept;
    }

private:
    static constexpr int kKept = 4096;
    double m_contrast;
    std::vector<double> m_kept;  // -1 where not found yet
};

constexpr int kCostBands = 16;  // row bands of the costs, shared out over the cores

}  // namespace

ObjectGraphCut::ObjectGraphCut(const cv::Mat& image, const cv::Mat& mask,
                               const CutSmoothness& smoothness)
    : m_image(image), m_node(static_cast<std::size_t>(image.rows) * image.cols, -1) {
    const int rows = image.rows;
    const int cols = image.cols;
    // Only the unsure pixels are nodes: the pin outweighs all eight edges of a pixel (9 * 50
    // against 4 * 50 + 4 * 50 / sqrt 2), so a sure pixel never changes sides, and an edge to it
    // is the same as a link of its weight to the sure pixel's terminal.
    int nodes = 0;
    for (int y = 0; y < rows; ++y) {
        const std::uint8_t* labels = mask.ptr<std::uint8_t>(y);
        for (int x = 0; x < cols; ++x) {
            if (labels[x] == cv::GC_PR_BGD || labels[x] == cv::GC_PR_FGD) {
                m_node[static_cast<std::size_t>(y) * cols + x] = nodes++;
            }
        }
    }
    if (nodes == 0) {
        return;
    }
    m_graph.create(static_cast<unsigned>(nodes), static_cast<unsigned>(8 * nodes));
    for (int n = 0; n < nodes; ++n) {
        m_graph.addVtx();
    }
    m_leaning.assign(static_cast<std::size_t>(nodes), 0);
    EdgeLikeness likeness(smoothness.contrast);
    const double straight = smoothness.smoothness;
    const double diagonal = smoothness.smoothness / std::sqrt(2.0);
    // The link between pixel index and an earlier neighbour.
    const auto link = [&](int index, int neighbour, double scale, const std::uint8_t* a,
                          const std::uint8_t* b) {
        const int from = m_node[index];
        const int to = m_node[neighbour];
        if (from < 0 && to < 0) {
            return;
        }
        const double w = scale * likeness.Of(a, b);
        if (from >= 0 && to >= 0) {
            m_graph.addEdges(from, to, w, w);
            m_edges = true;
            return;
        }
        const int unsure = from >= 0 ? from : to;
        const int sure = from >= 0 ? neighbour : index;
        const bool sureIsObject = (mask.ptr<std::uint8_t>(sure / cols)[sure % cols] & 1) != 0;
        m_graph.addTermWeights(unsure, sureIsObject ? w : 0, sureIsObject ? 0 : w);
        m_leaning[unsure] += sureIsObject ? w : -w;
    };
    for (int y = 0; y < rows; ++y) {
        const std::uint8_t* row = image.ptr<std::uint8_t>(y);
        const std::uint8_t* above = y > 0 ? image.ptr<std::uint8_t>(y - 1) : nullptr;
        const int first = y * cols;
        for (int x = 0; x < cols; ++x) {
            const int index = first + x;
            const std::uint8_t* colour = row + 3 * x;
            if (x > 0) {
                link(index, index - 1, straight, colour, colour - 3);
            }
            if (above == nullptr) {
                continue;
            }
            if (x > 0) {
                link(index, index - cols - 1, diagonal, colour, above + 3 * (x - 1));
            }
            link(index, index - cols, straight, colour, above + 3 * x);
            if (x + 1 < cols) {
                link(index, index - cols + 1, diagonal, colour, above + 3 * (x + 1));
            }
        }
    }
    m_costs.assign(2 * static_cast<std::size_t>(nodes), 0);
    m_next.resize(m_costs.size());
}

void ObjectGraphCut::Cut(cv::Mat& mask, const ColourMixture& background,
                         const ColourMixture& object, bool onAllCores) {
    if (m_leaning.empty()) {
        return;
    }
    const int rows = m_image.rows;
    const int cols = m_image.cols;
    // The costs of each row band's pixels, on all cores when asked, then the changes of the
    // links to the terminals in order.
    const auto costsOf = [&](int top, int bottom) {
        ColourCosts costs(background, object);
        for (int y = top; y < bottom; ++y) {
            const std::uint8_t* colour = m_image.ptr<std::uint8_t>(y);
            const int* node = m_node.data() + static_cast<std::size_t>(y) * cols;
            for (int x = 0; x < cols; ++x, colour += 3) {
                if (node[x] >= 0) {
                    costs.Of(colour, &m_next[2 * static_cast<std::size_t>(node[x])]);
                }
            }
        }
    };
    if (onAllCores) {
        const int bands = std::min(rows, kCostBands);
        ForEachItemInParallel(
            static_cast<std::size_t>(bands),
            [&](std::size_t band) {
                costsOf(static_cast<int>(band) * rows / bands,
                        static_cast<int>(band + 1) * rows / bands);
            },
            [] {});
    } else {
        costsOf(0, rows);
    }
    for (std::size_t n = 0; n < m_leaning.size(); ++n) {
        const double asBackground = m_next[2 * n];
        const double asObject = m_next[2 * n + 1];
        double& oldBackground = m_costs[2 * n];
        double& oldObject = m_costs[2 * n + 1];
        // A later cut starts from the flow of the one before, whose residual links to the
        // terminals change by the change of the costs alone.
        m_graph.addTermWeights(static_cast<int>(n), asBackground - oldBackground,
                               asObject - oldObject);
        m_leaning[n] += (asBackground - oldBackground) - (asObject - oldObject);
        oldBackground = asBackground;
        oldObject = asObject;
    }
    if (m_edges) {
        m_graph.maxFlow();
    }
    for (int y = 0; y < rows; ++y) {
        std::uint8_t* labels = mask.ptr<std::uint8_t>(y);
        const int* node = m_node.data() + static_cast<std::size_t>(y) * cols;
        for (int x = 0; x < cols; ++x) {
            const int n = node[x];
            if (n >= 0) {
                const bool isObject = m_edges ? m_graph.inSourceSegment(n) : m_leaning[n] >= 0;
                labels[x] = isObject ? cv::GC_PR_FGD : cv::GC_PR_BGD;
            }
        }
    }
}

void CutWithModels(const cv::Mat& image, cv::Mat& mask, const ColourMixture& background,
                   const ColourMixture& object, const CutSmoothness& smoothness) {
    ObjectGraphCut(image, mask, smoothness).Cut(mask, background, object);
}

double PictureContrast(const cv::Mat& picture, double sampleCount) {
    const int step = std::max(
        1, static_cast<int>(std::sqrt(static_cast<double>(picture.total()) / sampleCount)));
    double sum = 0;
    double pairs = 0;
    for (int y = 1; y < picture.rows; y += step) {
        const std::uint8_t* row = picture.ptr<std::uint8_t>(y);
        const std::uint8_t* above = picture.ptr<std::uint8_t>(y - 1);
        for (int x = 1; x + 1 < picture.cols; x += step) {
            const std::uint8_t* colour = row + 3 * x;
            sum +=
                SquaredDistance(colour, colour - 3) + SquaredDistance(colour, above + 3 * x - 3) +
                SquaredDistance(colour, above + 3 * x) + SquaredDistance(colour, above + 3 * x + 3);
            pairs += 4;
        }
    }
    return sum <= DBL_EPSILON ? 0 : 1.0 / (2 * sum / pairs);
}

}  // namespace velmora
