#include "canvas/map/area_map.h"

#include <stdexcept>
#include <string>

#include "canvas/map/map_ops.h"

namespace velmora {

namespace {

std::uint8_t RequireValue(int value) {
    if (value < 0 || value > 255) {
        throw std::out_of_range("area value out of range: " + std::to_string(value));
    }
    return static_cast<std::uint8_t>(value);
}

}  // namespace

Rect AreaMap::BeginStroke(std::int32_t x, std::int32_t y, int value) {
    m_pen.Set(RequireValue(value), m_data.BrushSize);
    m_pen.MoveTo(x, y);
    m_data.Painting = true;
    return {};
}

Rect AreaMap::ContinueStroke(std::int32_t x, std::int32_t y) {
    if (!m_data.Painting) {
        m_pen.MoveTo(x, y);
        return {};
    }
    return m_pen.LineTo(m_data.canvas.Map, x, y);
}

Rect AreaMap::EndStroke() {
    m_data.Painting = false;
    return {};
}

Rect AreaMap::FillMapRect(std::int64_t left, std::int64_t top, std::int64_t width,
                          std::int64_t height, int value, bool overwrite) {
    return velmora::FillMapRect(m_data.canvas.Map, left, top, width, height, RequireValue(value),
                                overwrite);
}

int AreaMap::AreaAt(std::int64_t x, std::int64_t y) const {
    return velmora::AreaAt(m_data.canvas.Map, x, y);
}

}  // namespace velmora
