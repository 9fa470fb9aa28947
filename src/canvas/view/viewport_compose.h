#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "canvas/map/rect.h"
#include "canvas/view/pixel_effect.h"
#include "canvas/view/view_compose.h"
#include "canvas/view/view_geometry.h"
#include "canvas/view/view_pyramid.h"
#include "store/bitmap.h"

namespace velmora {

// The viewport as the screen takes it: 32-bit pixels 0xFFRRGGBB, one per device pixel.
class ViewportImage {
public:
    void Resize(int width, int height);
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    std::uint32_t* Row(int y) { return m_pixels.data() + static_cast<std::size_t>(y) * m_width; }
    const std::uint32_t* Row(int y) const {
        return m_pixels.data() + static_cast<std::size_t>(y) * m_width;
    }
    const std::uint32_t* Data() const { return m_pixels.data(); }

private:
    int m_width = 0;
    int m_height = 0;
    std::vector<std::uint32_t> m_pixels;
};

inline std::uint32_t ViewportPixel(const std::uint8_t* bgr) {
    return 0xFF000000u | static_cast<std::uint32_t>(bgr[2]) << 16 |
           static_cast<std::uint32_t>(bgr[1]) << 8 | bgr[0];
}

// What the viewport shows: a picture, or the overlay preview, with its halves, and unless
// the mode is Picture the area map tinted over it as the full composition does.
struct ViewScene {
    const Bitmap* picture = nullptr;
    const ViewPyramid* pyramid = nullptr;
    const Bitmap* map = nullptr;  // nullptr: no area is tinted
    const std::array<std::uint32_t, 256>* palette = nullptr;
    ViewMode mode = ViewMode::Picture;
    int currentArea = 0;
    std::uint32_t background = 0xFF808080u;  // beyond the picture's edges
    // With a map: the picture's pixels changed as the page's effects change them, before the
    // tint, each by the effect of the area under it.
    const EffectPreview* effects = nullptr;
};

// Draws deviceRect of the viewport (clipped to the image) at the geometry's scale. From 100 %
// on each device pixel shows the composed picture pixel under its centre, as sharp squares;
// below, the picture is filtered from the nearest half at or above the zoom and an area is
// tinted wherever it covers part of the device pixel, so thin areas stay visible. Only the
// visible part of the picture is read. Below 100 % the pyramid's map halves must be current
// (ViewPyramid::EnsureMap).
void ComposeViewport(const ViewScene& scene, const ViewGeometry& geometry, ViewportImage& image,
                     const Rect& deviceRect);

// The device pixels that a change of the picture or map within pictureRect can alter: the
// filtered view below 100 % reaches a little beyond the changed pixels.
Rect AffectedDeviceRect(const ViewGeometry& geometry, const Rect& pictureRect);

// The pyramid level the viewport draws from at a scale: 0 (the picture itself) from 100 % on.
int ViewLevelFor(double scale);

}  // namespace velmora
