#pragma once

#include <cstdint>
#include <vector>

#include <opencv2/core.hpp>
#include <opencv2/imgproc/detail/gcgraph.hpp>

#include "canvas/tools/colour_mixture.h"

namespace velmora {

// How strongly the cut keeps neighbours together: GrabCut's edge weight between two
// neighbours is smoothness * exp(-contrast * squared colour distance).
struct CutSmoothness {
    double contrast = 0;
    double smoothness = 50;
};

// GrabCut's graph over image (blue, green, red bytes) for the unsure pixels of mask (GC_PR_BGD,
// GC_PR_FGD), cut again each time the colour models change. The pixels and their edges stay
// what they were at the start, so the graph is built once, and each later cut starts from the
// flow of the one before: only the links to the terminals change, by the change of the costs.
class ObjectGraphCut {
public:
    ObjectGraphCut(const cv::Mat& image, const cv::Mat& mask, const CutSmoothness& smoothness);

    // Relabels the unsure pixels of mask, which are those of the mask the graph was built from,
    // by a minimum cut with these colour models; the pixels' costs are found on all cores when
    // asked (not when the caller already keeps them busy).
    void Cut(cv::Mat& mask, const ColourMixture& background, const ColourMixture& object,
             bool onAllCores = false);

private:
    cv::Mat m_image;
    std::vector<int> m_node;      // each pixel's node, -1 for a sure pixel
    std::vector<double> m_costs;  // each node's cost as background and as object in the last cut
    std::vector<double> m_next;   // the same for the cut under way
    // Each node's pull towards the object, for a graph without edges (which cannot run).
    std::vector<double> m_leaning;
    cv::detail::GCGraph<double> m_graph;
    bool m_edges = false;
};

// One GrabCut iteration with fixed colour models on image (blue, green, red bytes): relabels
// the unsure pixels of mask (GC_PR_BGD, GC_PR_FGD) by a minimum cut, as cv::grabCut does, but
// with the contrast and smoothness given instead of those of image alone, so that a part of a
// picture, or a reduced copy, is cut as the whole picture at full size would be.
void CutWithModels(const cv::Mat& image, cv::Mat& mask, const ColourMixture& background,
                   const ColourMixture& object, const CutSmoothness& smoothness);

// GrabCut's contrast for a whole picture: one over twice the mean squared colour distance of
// neighbours, estimated from an even sample of at most about sampleCount pixels.
double PictureContrast(const cv::Mat& picture, double sampleCount);

}  // namespace velmora
