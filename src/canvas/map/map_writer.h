#pragma once

#include <cstdint>

#include "canvas/map/rect.h"
#include "store/bitmap.h"

namespace velmora {

// Writes one value into runs of map pixels with the rule every area tool shares: without
// overwrite only pixels of no area take the value. Keeps the rectangle of the pixels that
// changed, which is what the tools report and the view recomposes.
class MapWriter {
public:
    MapWriter(Bitmap& map, std::uint8_t value, bool overwrite)
        : m_map(map), m_value(value), m_overwrite(overwrite) {}

    // Pixels [x0, x1) of row y; the caller keeps them inside the map.
    void Span(int y, int x0, int x1);

    const Rect& Changed() const { return m_changed; }

private:
    Bitmap& m_map;
    std::uint8_t m_value;
    bool m_overwrite;
    Rect m_changed;
};

}  // namespace velmora
