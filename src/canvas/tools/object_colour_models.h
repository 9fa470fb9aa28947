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
    // picture. A pixel inside the box gives its place x, y in the part of the picture that the
    // working copies show, and takes its label from them; one outside it (x < 0) is
    // background. The box may be sampled more densely than the rest, but each part evenly.
    void Add(const std::uint8_t* bgr, int x, int y, float weight);

    // Relabels the samples from a working copy's GrabCut mask (a pixel is the object when its
    // label's lowest bit is set; column[x] and row[y] are the mask's column and row at a
    // sample's place), then learns both models as a GrabCut iteration does: the first time
    // from a k-means split of each side's colours, after that from each sample's likeliest
    // component of the models so far. A side left without a sample keeps its model.
    void Learn(const cv::Mat& mask, const std::vector<int>& column, const std::vector<int>& row);

    const cv::Mat& Background() const { return m_background; }
    const cv::Mat& Object() const { return m_object; }

private:
    std::vector<cv::Vec3f> m_colours;
    std::vector<cv::Point> m_places;
    std::vector<float> m_weights;
    std::vector<std::uint8_t> m_isObject;
    cv::Mat m_background;
    cv::Mat m_object;
};

}  // namespace velmora
