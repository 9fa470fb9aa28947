// The graph is GrabCut's: one node a pixel, edges to the eight neighbours (diagonals weighted
// by 1/sqrt 2), links to the terminals from the colour models, and a link of 9 * 50 that
// pins the sure pixels.
#include "canvas/tools/object_graph_cut.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>

#include <opencv2/imgproc.hpp>
#include <opencv2/imgproc/detail/gcgraph.hpp>

namespace velmora {

namespace {

constexpr double kPin = 9 * 50.0;

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

}  // namespace

void CutWithModels(const cv::Mat& image, cv::Mat& mask, const ColourMixture& background,
                   const ColourMixture& object, const CutSmoothness& smoothness) {
    const int rows = image.rows;
    const int cols = image.cols;
    if (rows * cols < 2) {
        return;
    }
    const double straight = smoothness.smoothness;
    const double diagonal = smoothness.smoothness / std::sqrt(2.0);
    const auto weight = [&](double scale, const std::uint8_t* a, const std::uint8_t* b) {
        return scale * std::exp(-smoothness.contrast * SquaredDistance(a, b));
    };
    cv::detail::GCGraph<double> graph(
        static_cast<unsigned>(rows * cols),
        static_cast<unsigned>(2 * (4 * rows * cols - 3 * (rows + cols) + 2)));
    for (int y = 0; y < rows; ++y) {
        const std::uint8_t* row = image.ptr<std::uint8_t>(y);
        const std::uint8_t* above = y > 0 ? image.ptr<std::uint8_t>(y - 1) : nullptr;
        const std::uint8_t* labels = mask.ptr<std::uint8_t>(y);
        for (int x = 0; x < cols; ++x) {
            const int node = graph.addVtx();
            const std::uint8_t* colour = row + 3 * x;
            switch (labels[x]) {
                case cv::GC_BGD:
                    graph.addTermWeights(node, 0, kPin);
                    break;
                case cv::GC_FGD:
                    graph.addTermWeights(node, kPin, 0);
                    break;
                default:
                    graph.addTermWeights(node, Cost(background, colour), Cost(object, colour));
            }
            if (x > 0) {
                const double w = weight(straight, colour, colour - 3);
                graph.addEdges(node, node - 1, w, w);
            }
            if (above == nullptr) {
                continue;
            }
            if (x > 0) {
                const double w = weight(diagonal, colour, above + 3 * (x - 1));
                graph.addEdges(node, node - cols - 1, w, w);
            }
            const double up = weight(straight, colour, above + 3 * x);
            graph.addEdges(node, node - cols, up, up);
            if (x + 1 < cols) {
                const double w = weight(diagonal, colour, above + 3 * (x + 1));
                graph.addEdges(node, node - cols + 1, w, w);
            }
        }
    }
    graph.maxFlow();
    for (int y = 0; y < rows; ++y) {
        std::uint8_t* labels = mask.ptr<std::uint8_t>(y);
        for (int x = 0; x < cols; ++x) {
            if (labels[x] == cv::GC_PR_BGD || labels[x] == cv::GC_PR_FGD) {
                labels[x] = graph.inSourceSegment(y * cols + x) ? cv::GC_PR_FGD : cv::GC_PR_BGD;
            }
        }
    }
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
