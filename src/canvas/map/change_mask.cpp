#include "canvas/map/change_mask.h"

#include <algorithm>

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
    int x = x0;
    for (; x < x1 && (x & 7) != 0; ++x) {
        row[static_cast<std::size_t>(x >> 3)] |= static_cast<std::uint8_t>(1u << (x & 7));
    }
    // Whole bytes at once: a tool's runs are often thousands of pixels long.
    const int wholeBytes = (x1 - x) / 8;
    std::fill_n(row.begin() + (x >> 3), wholeBytes, std::uint8_t{0xFF});
    x += wholeBytes * 8;
    for (; x < x1; ++x) {
        row[static_cast<std::size_t>(x >> 3)] |= static_cast<std::uint8_t>(1u << (x & 7));
    }
    m_bounds = m_bounds.United({x0, y, x1 - x0, 1});
}

void ChangeMask::ForEachRun(const std::function<void(int y, int x0, int x1)>& take) const {
    for (int y = m_bounds.y; y < m_bounds.Bottom(); ++y) {
        const std::vector<std::uint8_t>& row = m_rows[static_cast<std::size_t>(y)];
        if (row.empty()) {
            continue;
        }
        int runStart = -1;
        for (int x = m_bounds.x; x <= m_bounds.Right(); ++x) {
            const bool noted = x < m_bounds.Right() &&
                               ((row[static_cast<std::size_t>(x >> 3)] >> (x & 7)) & 1U) != 0;
            if (noted && runStart < 0) {
                runStart = x;
            } else if (!noted && runStart >= 0) {
                take(y, runStart, x);
                runStart = -1;
            }
        }
    }
}

std::vector<std::uint8_t> ChangeMask::BoundsBits() const {
    const Rect& rect = m_bounds;
    if (rect.Empty()) {
        return {};
    }
    const std::size_t rowBytes = static_cast<std::size_t>((rect.width + 7) / 8);
    std::vector<std::uint8_t> bits(rowBytes * static_cast<std::size_t>(rect.height), 0);
    // Bit i of a row out is bit rect.x + i of the row kept: a shift across byte pairs. No bit
    // outside the bounds is set, so what the shift brings in from beyond them is zero.
    const std::size_t first = static_cast<std::size_t>(rect.x >> 3);
    const unsigned shift = static_cast<unsigned>(rect.x & 7);
    for (int y = rect.y; y < rect.Bottom(); ++y) {
        const std::vector<std::uint8_t>& row = m_rows[static_cast<std::size_t>(y)];
        if (row.empty()) {
            continue;
        }
        std::uint8_t* out = &bits[static_cast<std::size_t>(y - rect.y) * rowBytes];
        for (std::size_t j = 0; j < rowBytes; ++j) {
            const unsigned low = row[first + j];
            const unsigned high = first + j + 1 < row.size() ? row[first + j + 1] : 0u;
            out[j] = static_cast<std::uint8_t>((low >> shift) | (high << (8 - shift)));
        }
    }
    return bits;
}

}  // namespace velmora
