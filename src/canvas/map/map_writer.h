#pragma once

#include <cstdint>

#include "canvas/map/change_mask.h"
#include "canvas/map/rect.h"
#include "store/bitmap.h"

namespace velmora {

// Where a tool's runs of pixels go: into the map (MapWriter), or into a selection kept apart
// from it (MaskWriter), for a tool that works while the map is not held.
class SpanTarget {
public:
    virtual ~SpanTarget() = default;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    // Pixels [x0, x1) of row y; the caller keeps them inside Width() × Height().
    virtual void Span(int y, int x0, int x1) = 0;
};

// Writes one value into runs of map pixels with the rule every area tool shares: without
// overwrite only pixels of no area take the value. Keeps the rectangle of the pixels that
// changed, which is what the tools report and the view recomposes, and notes each changed
// pixel in changes when given, which is what the drawing history keeps of a tool's use.
class MapWriter final : public SpanTarget {
public:
    MapWriter(Bitmap& map, std::uint8_t value, bool overwrite, ChangeMask* changes = nullptr)
        : m_map(map), m_value(value), m_overwrite(overwrite), m_changes(changes) {}

    int Width() const override { return m_map.Width(); }
    int Height() const override { return m_map.Height(); }
    void Span(int y, int x0, int x1) override;

    const Rect& Changed() const { return m_changed; }
    const Bitmap& Map() const { return m_map; }

private:
    Bitmap& m_map;
    std::uint8_t m_value;
    bool m_overwrite;
    ChangeMask* m_changes;
    Rect m_changed;
};

// Notes a tool's runs in a mask of width × height pixels instead of writing them.
class MaskWriter final : public SpanTarget {
public:
    MaskWriter(ChangeMask& mask, int width, int height)
        : m_mask(mask), m_width(width), m_height(height) {}
    int Width() const override { return m_width; }
    int Height() const override { return m_height; }
    void Span(int y, int x0, int x1) override { m_mask.Mark(y, x0, x1); }

private:
    ChangeMask& m_mask;
    int m_width;
    int m_height;
};

}  // namespace velmora
