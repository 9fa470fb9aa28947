#include "canvas/view/pixel_effect.h"

#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

constexpr int kStep = 127;
constexpr double kLowestGamma = 0.01;
constexpr double kHighestGamma = 5;

double Levels(double c) {
    return std::clamp(c, 0.0, 255.0);
}

}  // namespace

PixelEffectSettings AreaPixelEffect(const ATTRIBUTES& record) {
    return {record.area_brightness, record.area_contrast, record.area_gamma,
            record.area_grayscale != 0};
}

PixelEffectSettings BackgroundPixelEffect(const ATTRIBUTES& record) {
    return {record.background_brightness, record.background_contrast, record.background_gamma,
            record.background_grayscale != 0};
}

PixelEffect::PixelEffect(const PixelEffectSettings& settings) {
    const int b = std::clamp(settings.brightness, -kStep, kStep);
    const int k = std::clamp(settings.contrast, -kStep, kStep);
    // The page gets gamma as a decimal of the hundredths.
    const double g = std::clamp(settings.gamma / 100.0, kLowestGamma, kHighestGamma);
    m_grey = settings.grayscale;
    m_neutral = b == 0 && k == 0 && g == 1 && !m_grey;
    // Each step works on whole levels and cuts its result down to one, as browsers draw the
    // page's filter: from a table of 256 levels per step.
    const double slope = (255.0 + k) / (255.0 - k);
    const double intercept = slope * (b / 255.0 - 0.5) + 0.5;
    for (int c = 0; c < 256; ++c) {
        double level = c;
        if (b != 0 || k != 0) {
            level = std::floor(Levels(slope * level + 255 * intercept));
        }
        if (g != 1) {
            level = std::floor(Levels(255 * std::pow(level / 255, 1 / g)));
        }
        m_levels[static_cast<std::size_t>(c)] = static_cast<std::uint8_t>(level);
    }
}

void PixelEffect::Apply(std::uint8_t* bgr, std::size_t pixels) const {
    if (m_neutral) {
        return;
    }
    std::uint8_t* end = bgr + pixels * 3;
    if (m_grey) {
        for (std::uint8_t* p = bgr; p != end; p += 3) {
            const std::uint8_t level = m_levels[GreyLevel(p[2], p[1], p[0])];
            p[0] = level;
            p[1] = level;
            p[2] = level;
        }
        return;
    }
    for (std::uint8_t* p = bgr; p != end; ++p) {
        *p = m_levels[*p];
    }
}

EffectPreview PreviewOf(const ATTRIBUTES& record, int area) {
    return {area, PixelEffect(AreaPixelEffect(record)), PixelEffect(BackgroundPixelEffect(record))};
}

}  // namespace velmora
