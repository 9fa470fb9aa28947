#pragma once

#include <cstdint>

#include "canvas/map/rect.h"
#include "store/bitmap.h"

namespace velmora {

// The brush's pen: the value it paints, its width and the point where the next segment
// starts. Live painting and the history's replay both draw through it.
class Pen {
public:
    // Fixes the value and width of the strokes that follow.
    void Set(std::uint8_t value, int width) {
        m_value = value;
        m_width = width;
    }
    void MoveTo(std::int32_t x, std::int32_t y) {
        m_x = x;
        m_y = y;
    }
    // Draws from the pen position to (x, y), which becomes the pen position.
    Rect LineTo(Bitmap& map, std::int32_t x, std::int32_t y);

    std::uint8_t Value() const { return m_value; }
    int Width() const { return m_width; }

private:
    std::uint8_t m_value = 0;
    int m_width = 1;
    std::int32_t m_x = 0;
    std::int32_t m_y = 0;
};

}  // namespace velmora
