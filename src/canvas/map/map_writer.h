#pragma once

#include <cstdint>

#include "canvas/map/change_mask.h"
#include "canvas/map/rect.h"
#include "store/bitmap.h"

namespace velmora {

// Writes one value into runs of map pixels with the rule every area tool shares: without
// overwrite only pixels of no area take the value. Keeps the rectangle of the pixels that
// changed, which is what the tools report and the view recomposes, and notes each changed
// pixel in changes when given, which is what the drawing history keeps of a tool's use.
class MapWriter {
public:
    MapWriter(Bitmap& map, std::uint8_t value, bool overwrite, ChangeMask* changes = nullptr)
        : m_map(map), m_value(value), m_overwrite(overwrite), m_changes(changes) {}

    // Pixels [x0, x1) of row y; the caller keeps them inside the map.
    void Span(int y, int x0, int x1);

    const Rect& Changed() const { return m_changed; }
    const Bitmap& Map() const { return m_map; }

private:
    Bitmap& m_map;
    std::uint8_t m_value;
    bool m_overwrite;
    ChangeMask* m_changes;
    Rect m_changed;
};

}  // namespace velmora
