#include "canvas/map/change_mask.h"

namespace velmora {

ChangeMask::ChangeMask(int width, int height)
    : m_width(width), m_rows(static_cast<std::size_t>(height > 0 ? height : 0)) {}

void ChangeMask::Mark(int y, int x0, int x1) {
    if (x1 <= x0) {
        return;
    }
    std::vector<std::uint8_t>& row = m_rows[static_cast<std::size_t>(y)];
    if (row.empty()) {
        row.resize(static_cast<std::size_t>((m_width + 7) / 8), 0);
    }
    for (int x = x0; x < x1; ++x) {
        row[static_cast<std::size_t>(x >> 3)] |= static_cast<std::uint8_t>(1u << (x & 7));
    }
    m_bounds = m_bounds.United({x0, y, x1 - x0, 1});
}

std::vector<std::uint8_t> ChangeMask::BoundsBits() const {
    const Rect& rect = m_bounds;
    const std::size_t rowBytes = static_cast<std::size_t>((rect.width + 7) / 8);
    std::vector<std::uint8_t> bits(
        rowBytes * static_cast<std::size_t>(rect.Empty() ? 0 : rect.height), 0);
    for (int y = rect.y; y < rect.Bottom(); ++y) {
        const std::vector<std::uint8_t>& row = m_rows[static_cast<std::size_t>(y)];
        if (row.empty()) {
            continue;
        }
        std::uint8_t* out = &bits[static_cast<std::size_t>(y - rect.y) * rowBytes];
        for (int i = 0; i < rect.width; ++i) {
            const int x = rect.x + i;
            if (row[static_cast<std::size_t>(x >> 3)] & (1u << (x & 7))) {
                out[i >> 3] |= static_cast<std::uint8_t>(1u << (i & 7));
            }
        }
    }
    return bits;
}

}  // namespace velmora
