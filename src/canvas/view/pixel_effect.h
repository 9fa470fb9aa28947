#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "store/attributes.h"

namespace velmora {

// Brightness, contrast, gamma and grey scale of one side of an event, the area's pixels or the
// rest of the picture, as the record holds them: gamma times 100.
struct PixelEffectSettings {
    std::int32_t brightness = 0;
    std::int32_t contrast = 0;
    std::int32_t gamma = 100;
    bool grayscale = false;
};

PixelEffectSettings AreaPixelEffect(const ATTRIBUTES& record);
PixelEffectSettings BackgroundPixelEffect(const ATTRIBUTES& record);

// Changes pixels as the exported page does while the effect runs. The page's filter works on
// channels in 0..1, clamped after each step, in this order: grey scale (0.2126 R + 0.7152 G +
// 0.0722 B into every channel); brightness b and contrast k, each rounded and held within
// -127..127: c = f (c + b / 255 - 0.5) + 0.5 with f = (255 + k) / (255 - k); gamma g, held
// within 0.01..5: c = c ^ (1 / g). Browsers hand whole levels from one step to the next: the
// grey rounded to the nearest, the other steps cut down to a level; so after the grey all is
// one lookup per channel.
class PixelEffect {
public:
    explicit PixelEffect(const PixelEffectSettings& settings = {});

    // Whether the page leaves the pixels as they are (it draws no filter then).
    bool Neutral() const { return m_neutral; }
    bool Grey() const { return m_grey; }
    // The level a channel (or, with grey scale, the grey) of c becomes.
    std::uint8_t Level(std::uint8_t c) const { return m_levels[c]; }

    // Pixels in the bitmap's byte order blue, green, red, changed in place.
    void Apply(std::uint8_t* bgr, std::size_t pixels) const;
    // One pixel 0xAARRGGBB; the top byte is kept. Inline: the view calls it per device pixel.
    std::uint32_t Apply(std::uint32_t argb) const;

private:
    std::array<std::uint8_t, 256> m_levels{};
    bool m_grey = false;
    bool m_neutral = true;
};

// The grey level of a pixel, rounded; the weights in ten-thousandths add up to one exactly.
inline std::uint8_t GreyLevel(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return static_cast<std::uint8_t>((2126 * red + 7152 * green + 722 * blue + 5000) / 10000);
}

inline std::uint32_t PixelEffect::Apply(std::uint32_t argb) const {
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

// What the view shows while an event's effects are previewed: the area's pixels with the area's
// effect, all others with the background's.
struct EffectPreview {
    int area = 0;
    PixelEffect areaEffect;
    PixelEffect backgroundEffect;

    const PixelEffect& For(int areaValue) const {
        return areaValue != 0 && areaValue == area ? areaEffect : backgroundEffect;
    }
    bool Neutral() const { return areaEffect.Neutral() && backgroundEffect.Neutral(); }
};

// The preview of one event of the area's records.
EffectPreview PreviewOf(const ATTRIBUTES& record, int area);

}  // namespace velmora
