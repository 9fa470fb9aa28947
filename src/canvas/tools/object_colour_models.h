#pragma once

#include <cstdint>
#include <vector>

#include <opencv2/core.hpp>

namespace velmora {

// GrabCut's two colour models (Gaussian mixtures of five components, one row of 65 doubles
// each: the weights, then three means each, then nine covariances each) learnt from an even
// sample of the picture's pixels instead of every pixel, so that the background is learnt from
// the whole picture outside the box, as a cut of the whole picture learns it, at a bounded cost.
class ObjectColourModels {
public:
    // Adds a sampled pixel's colour (blue, green, red) standing for weight pixels of the
    // picture; a pixel inside the box names the working copy's pixel whose label it takes, one
    // outside it (workingIndex < 0) is background. The box may be sampled more densely than
    // the rest, but each part evenly.
    void Add(const std::uint8_t* bgr, std::int64_t workingIndex, float weight);

    // Relabels the samples from the working copy's GrabCut mask (a pixel is the object when
    // its label's lowest bit is set), then learns both models as a GrabCut iteration does: the
    // first time from a k-means split of each side's colours, after that from each sample's
    // likeliest component of the models so far. A side left without a sample keeps its model.
    void Learn(const cv::Mat& workingMask);

    const cv::Mat& Background() const { return m_background; }
    const cv::Mat& Object() const { return m_object; }

private:
    std::vector<cv::Vec3f> m_colours;
    std::vector<std::int64_t> m_workingIndex;
    std::vector<float> m_weights;
    std::vector<std::uint8_t> m_isObject;
    cv::Mat m_background;
    cv::Mat m_object;
};

}  // namespace velmora
