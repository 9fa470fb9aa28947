// GrabCut keeps each colour model as a Gaussian mixture; this table evaluates both once per
// quantised colour.
#include "canvas/tools/object_colour_table.h"

#include "canvas/tools/colour_mixture.h"

namespace velmora {

namespace {

constexpr int kLevels = 64;  // quantisation levels per channel

}  // namespace

ObjectColourTable::ObjectColourTable(const cv::Mat& backgroundModel, const cv::Mat& objectModel)
    : m_objectWins(static_cast<std::size_t>(kLevels) * kLevels * kLevels) {
    const ColourMixture background(backgroundModel);
    const ColourMixture object(objectModel);
    const double step = 256.0 / kLevels;
    std::size_t i = 0;
    for (int b = 0; b < kLevels; ++b) {
        for (int g = 0; g < kLevels; ++g) {
            for (int r = 0; r < kLevels; ++r) {
                const cv::Vec3d colour((b + 0.5) * step, (g + 0.5) * step, (r + 0.5) * step);
                m_objectWins[i++] = object(colour) > background(colour) ? 1 : 0;
            }
        }
    }
}

}  // namespace velmora
