#pragma once

#include <opencv2/core.hpp>

#include "canvas/tools/colour_mixture.h"

namespace velmora {

// How strongly the cut keeps neighbours together: GrabCut's edge weight between two
// neighbours is smoothness * exp(-contrast * squared colour distance).
struct CutSmoothness {
    double contrast = 0;
    double smoothness = 50;
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
