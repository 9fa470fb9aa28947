// The learning follows GrabCut's own step by step (k-means with k-means++ centres and ten
// rounds to start, then each sample to its likeliest component, a nearly singular covariance
// widened by 0.01), so that a sample of the picture gives the models that all of it would.
#include "canvas/tools/object_colour_models.h"

#include "canvas/tools/colour_mixture.h"
#include "canvas/tools/parallel_items.h"

#include <array>
#include <cmath>

namespace velmora {

namespace {

constexpr int kComponents = ColourMixture::kComponents;
constexpr std::size_t kParts = 8;  // parts of the sample learnt from at once

// Sums of one side's samples per component, turned into a model row at the end.
class MixtureSums {
public:
    void Add(int component, const cv::Vec3f& colour, double weight) {
        const cv::Vec3d c(colour[0], colour[1], colour[2]);
        m_sums[component] += c * weight;
        m_products[component] += (c * c.t()) * weight;
        m_counts[component] += weight;
        m_total += weight;
    }

    void Add(const MixtureSums& other) {
        for (int k = 0; k < kComponents; ++k) {
            m_sums[k] += other.m_sums[k];
            m_products[k] += other.m_products[k];
            m_counts[k] += other.m_counts[k];
        }
        m_total += other.m_total;
    }

    bool Empty() const { return m_total == 0; }

    cv::Mat Model() const {
        cv::Mat model(1, ColourMixture::kLength, CV_64FC1, cv::Scalar(0));
        double* weights = model.ptr<double>(0);
        double* means = weights + kComponents;
        double* covariances = means + 3 * kComponents;
        for (int k = 0; k < kComponents; ++k) {
            const double n = m_counts[k];
            if (n == 0) {
                continue;
            }
            weights[k] = n / m_total;
            const cv::Vec3d mean = m_sums[k] / n;
            cv::Matx33d covariance = m_products[k] * (1.0 / n) - mean * mean.t();
            if (cv::determinant(covariance) <= 1e-6) {
                covariance += cv::Matx33d::eye() * 0.01;
            }
            for (int i = 0; i < 3; ++i) {
                means[3 * k + i] = mean[i];
            }
            for (int i = 0; i < 9; ++i) {
                covariances[9 * k + i] = covariance.val[i];
            }
        }
        return model;
    }

private:
    std::array<cv::Vec3d, kComponents> m_sums{};
    std::array<cv::Matx33d, kComponents> m_products{};
    std::array<double, kComponents> m_counts{};
    double m_total = 0;
};

// GrabCut's first split of one side's colours into components.
std::vector<int> KMeansComponents(const std::vector<cv::Vec3f>& colours) {
    std::vector<int> labels;
    if (colours.empty()) {
        return labels;
    }
    const cv::Mat samples(static_cast<int>(colours.size()), 3, CV_32FC1,
                          const_cast<float*>(&colours[0][0]));
    const int clusters = std::min(kComponents, static_cast<int>(colours.size()));
    cv::kmeans(samples, clusters, labels, cv::TermCriteria(cv::TermCriteria::MAX_ITER, 10, 0.0), 1,
               cv::KMEANS_PP_CENTERS);
    return labels;
}

}  // namespace

void ObjectColourModels::Add(const std::uint8_t* bgr, int x, int y, float weight) {
    m_colours.emplace_back(bgr[0], bgr[1], bgr[2]);
    m_places.emplace_back(x, y);
    m_weights.push_back(weight);
    m_isObject.push_back(0);
}

void ObjectColourModels::Learn(const cv::Mat& mask, const std::vector<int>& column,
                               const std::vector<int>& row) {
    for (std::size_t i = 0; i < m_colours.size(); ++i) {
        const cv::Point& place = m_places[i];
        m_isObject[i] =
            place.x >= 0 && (mask.at<std::uint8_t>(row[place.y], column[place.x]) & 1) != 0 ? 1 : 0;
    }
    std::array<MixtureSums, 2> sums;
    if (m_background.empty()) {
        // Here every sample on one side has the same weight (the box is all object, the rest
        // background), so k-means needs none.
        std::array<std::vector<cv::Vec3f>, 2> sides;
        std::array<float, 2> sideWeights{};
        for (std::size_t i = 0; i < m_colours.size(); ++i) {
            sides[m_isObject[i]].push_back(m_colours[i]);
            sideWeights[m_isObject[i]] = m_weights[i];
        }
        // k-means seeds its centres from OpenCV's random generator: start it where a fresh
        // thread does, so that one box always gives one selection.
        cv::theRNG() = cv::RNG();
        for (int side = 0; side < 2; ++side) {
            const std::vector<int> components = KMeansComponents(sides[side]);
            for (std::size_t i = 0; i < components.size(); ++i) {
                sums[side].Add(components[i], sides[side][i], sideWeights[side]);
            }
        }
        m_background = sums[0].Model();
        m_object = sums[1].Model();
        sums = {};
    }
    const std::array<ColourMixture, 2> mixtures{ColourMixture(m_background),
                                                ColourMixture(m_object)};
    // The samples in a fixed number of parts on all cores, their sums added up in order: the
    // same models whatever the number of cores.
    std::array<std::array<MixtureSums, 2>, kParts> partSums;
    ForEachItemInParallel(
        kParts,
        [&](std::size_t part) {
            const std::size_t begin = part * m_colours.size() / kParts;
            const std::size_t end = (part + 1) * m_colours.size() / kParts;
            for (std::size_t i = begin; i < end; ++i) {
                const cv::Vec3f& colour = m_colours[i];
                const int side = m_isObject[i];
                partSums[part][side].Add(
                    mixtures[side].Likeliest(cv::Vec3d(colour[0], colour[1], colour[2])), colour,
                    m_weights[i]);
            }
        },
        [] {});
    for (const std::array<MixtureSums, 2>& part : partSums) {
        sums[0].Add(part[0]);
        sums[1].Add(part[1]);
    }
    if (!sums[0].Empty()) {
        m_background = sums[0].Model();
    }
    if (!sums[1].Empty()) {
        m_object = sums[1].Model();
    }
}

}  // namespace velmora
