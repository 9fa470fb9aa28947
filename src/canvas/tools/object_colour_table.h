#pragma once

#include <cstdint>
#include <vector>

#include <opencv2/core.hpp>

namespace velmora {

// Which of GrabCut's two colour models (Gaussian mixtures of five components, one row of 65
// doubles each: the weights, then three means each, then nine covariances each) explains a
// colour better, looked up for colours quantised to 6 bits a channel, so that a full-size
// picture is judged at the cost of one table look-up a pixel.
class ObjectColourTable {
public:
    ObjectColourTable(const cv::Mat& backgroundModel, const cv::Mat& objectModel);

    // The colour given as blue, green, red looks more like the object than the background.
    bool LooksLikeObject(const std::uint8_t* bgr) const {
        return m_objectWins[(static_cast<std::size_t>(bgr[0] >> 2) << 12) |
                            (static_cast<std::size_t>(bgr[1] >> 2) << 6) | (bgr[2] >> 2)] != 0;
    }

private:
    std::vector<std::uint8_t> m_objectWins;
};

}  // namespace velmora
