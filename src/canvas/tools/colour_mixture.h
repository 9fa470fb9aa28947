#pragma once

#include <array>
#include <cmath>

#include <opencv2/core.hpp>

namespace velmora {

// One of GrabCut's colour models read from its row of 65 doubles (five components: the
// weights, then three means each, then nine covariances each), for evaluating colours.
class ColourMixture {
public:
    static constexpr int kComponents = 5;
    static constexpr int kLength = kComponents * (1 + 3 + 9);

    explicit ColourMixture(const cv::Mat& model) {
        if (model.empty()) {
            return;
        }
        const double* weights = model.ptr<double>(0);
        const double* means = weights + kComponents;
        const double* covariances = means + 3 * kComponents;
        for (int k = 0; k < kComponents; ++k) {
            Component& c = m_components[k];
            const cv::Matx33d covariance(covariances + 9 * k);
            const double det = cv::determinant(covariance);
            if (weights[k] <= 0 || det <= 0) {
                continue;
            }
            c.weight = weights[k];
            c.inverse = covariance.inv();
            c.scale = 1.0 / std::sqrt(det);
            c.logScale = std::log(c.scale);
            c.mean = cv::Vec3d(means + 3 * k);
        }
    }

    // The component's density at colour, up to a factor shared by every mixture, leaving out
    // the component's weight; 0 for a component that holds no colour.
    double Density(int k, const cv::Vec3d& colour) const {
        const Component& c = m_components[k];
        if (c.weight <= 0) {
            return 0;
        }
        const cv::Vec3d d = colour - c.mean;
        return c.scale * std::exp(-0.5 * d.dot(c.inverse * d));
    }

    // The mixture's density at colour, up to a factor shared by every mixture.
    double operator()(const cv::Vec3d& colour) const {
        double sum = 0;
        for (int k = 0; k < kComponents; ++k) {
            sum += m_components[k].weight * Density(k, colour);
        }
        return sum;
    }

    // The component whose own density is highest at colour, whatever the components' weights:
    // GrabCut assigns a colour to a component so. Compared as logarithms, without an exp per
    // component; a density too small for a double counts as none, as it does in Density.
    int Likeliest(const cv::Vec3d& colour) const {
        constexpr double kSmallestLog = -745.0;  // exp of less is 0 in a double
        int best = 0;
        double bestLog = kSmallestLog;
        for (int k = 0; k < kComponents; ++k) {
            const Component& c = m_components[k];
            if (c.weight <= 0) {
                continue;
            }
            const cv::Vec3d d = colour - c.mean;
            const double logDensity = c.logScale - 0.5 * d.dot(c.inverse * d);
            if (logDensity > bestLog) {
                best = k;
                bestLog = logDensity;
            }
        }
        return best;
    }

private:
    struct Component {
        double weight = 0;
        double scale = 0;
        double logScale = 0;
        cv::Vec3d mean;
        cv::Matx33d inverse;
    };
    std::array<Component, kComponents> m_components{};
};

}  // namespace velmora
