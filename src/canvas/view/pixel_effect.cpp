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

std::uint8_t GreyLevel(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    // The weights in ten-thousandths, exactly: they add up to one.
    return static_cast<std::uint8_t>((2126 * red + 7152 * green + 722 * blue + 5000) / 10000);
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

std::uint32_t PixelEffect::Apply(std::uint32_t argb) const {
    if (m_neutral) {
        return argb;
    }
    const auto red = static_cast<std::uint8_t>(argb >> 16);
    const auto green = static_cast<std::uint8_t>(argb >> 8);
    const auto blue = static_cast<std::uint8_t>(argb);
    const std::uint32_t alpha = argb & 0xFF000000u;
    if (m_grey) {
        const std::uint32_t level = m_levels[GreyLevel(red, green, blue)];
        return alpha | level << 16 | level << 8 | level;
    }
    return alpha | static_cast<std::uint32_t>(m_levels[red]) << 16 |
           static_cast<std::uint32_t>(m_levels[green]) << 8 | m_levels[blue];
}

EffectPreview PreviewOf(const ATTRIBUTES& record, int area) {
    return {area, PixelEffect(AreaPixelEffect(record)), PixelEffect(BackgroundPixelEffect(record))};
}

}  // namespace velmora
