#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "canvas/map/rect.h"

namespace velmora {

// The pixels of a map that an edit changed, one bit each. Only the rows the edit touched get
// their bits, so noting a small change costs little on a large map, and even a change of every
// pixel costs an eighth of a byte per pixel, not a copy of the map.
class ChangeMask {
public:
    ChangeMask(int width, int height);

    // Notes pixels [x0, x1) of row y, which the caller keeps inside the map.
    void Mark(int y, int x0, int x1);

    // The rectangle of the noted pixels; empty when none was noted.
    const Rect& Bounds() const { return m_bounds; }
    // The bits of Bounds(), row by row, each row starting on a byte, the first pixel of a
    // byte in its lowest bit.
    std::vector<std::uint8_t> BoundsBits() const;
    // Every run of noted pixels, row by row from the top, left to right: [x0, x1) of row y.
    void ForEachRun(const std::function<void(int y, int x0, int x1)>& take) const;

private:
    int m_width;
    std::vector<std::vector<std::uint8_t>> m_rows;
    Rect m_bounds;
};

}  // namespace velmora
