// GrabCut keeps each colour model as a Gaussian mixture; this table evaluates both once per
// quantised colour.
#include "canvas/tools/object_colour_table.h"

#include <array>
#include <cmath>

namespace velmora {

namespace {

constexpr int kComponents = 5;
constexpr int kLevels = 64;  // quantisation levels per channel

class Mixture {
public:
    explicit Mixture(const cv::Mat& model) {
        const double* weights = model.ptr<double>(0);
        const double* means = weights + kComponents;
        const double* covariances = means + 3 * kComponents;
        for (int k = 0; k < kComponents; ++k) {
            Component& c = m_components[k];
            c.weight = weights[k];
            const cv::Matx33d covariance(covariances + 9 * k);
            const double det = cv::determinant(covariance);
            if (c.weight <= 0 || det <= 0) {
                c.weight = 0;
                continue;
            }
            c.inverse = covariance.inv();
            c.scale = 1.0 / std::sqrt(det);
            c.mean = cv::Vec3d(means + 3 * k);
        }
    }

    // The mixture's density up to a factor shared by every mixture.
    double operator()(const cv::Vec3d& colour) const {
        double sum = 0;
        for (const Component& c : m_components) {
            if (c.weight > 0) {
                const cv::Vec3d d = colour - c.mean;
                sum += c.weight * c.scale * std::exp(-0.5 * d.dot(c.inverse * d));
            }
        }
        return sum;
    }

private:
    struct Component {
        double weight = 0;
        double scale = 0;
        cv::Vec3d mean;
        cv::Matx33d inverse;
    };
    std::array<Component, kComponents> m_components{};
};

}  // namespace

ObjectColourTable::ObjectColourTable(const cv::Mat& backgroundModel, const cv::Mat& objectModel)
    : m_objectWins(static_cast<std::size_t>(kLevels) * kLevels * kLevels) {
    const Mixture background(backgroundModel);
    const Mixture object(objectModel);
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
