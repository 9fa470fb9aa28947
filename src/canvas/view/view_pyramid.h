#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "canvas/map/rect.h"
#include "store/bitmap.h"

namespace velmora {

// One byte per pixel: a reduced area map.
struct AreaPlane {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> values;

    const std::uint8_t* Row(int y) const {
        return values.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
    }
};

// Halved copies of a picture and of its area map, down to 1/16, from which the view is drawn
// below 100 %: each level halves the one before. The picture's halves average 2 x 2 pixels.
// The map's halves keep thin areas visible: a pixel takes, of the areas among its four, the
// one that covers the fewest of them (the smaller number on a tie), and no area only when none
// of the four has one; so a line one pixel wide stays unbroken at every level.
// On a huge picture the finest levels would cost a good part of the picture again: only the
// coarsest levels that fit in kKeptBytes are kept, the first of them reduced straight from the
// picture and the map (the same rules over its whole block), and the view draws from the
// picture itself where a level is not kept.
class ViewPyramid {
public:
    static constexpr int kLevels = 4;
    static constexpr std::size_t kKeptBytes = std::size_t{64} << 20;

    // Rebuilds the picture's halves; the map's are rebuilt when next asked for.
    void SetPicture(const Bitmap& picture);
    void Clear();
    // The whole map may have changed: its halves are rebuilt when next asked for, so painting
    // at 100 % and above never pays for them.
    void InvalidateMap() { m_mapValid = false; }
    // The map changed only within rect.
    void UpdateMap(const Bitmap& map, const Rect& rect);
    // Rebuilds the map's halves when they are out of date.
    void EnsureMap(const Bitmap& map);

    bool HasPicture() const { return !m_picture[kLevels - 1].Empty(); }
    // The level to draw from in place of level (0 .. kLevels): itself when kept, else 0, the
    // picture.
    int UsableLevel(int level) const { return level >= m_firstKept ? level : 0; }
    // level 1 .. kLevels: 1 / 2^level of the picture's size, rounded up; empty when not kept.
    const Bitmap& PictureLevel(int level) const { return m_picture[level - 1]; }
    const AreaPlane& MapLevel(int level) const { return m_map[level - 1]; }

private:
    void ReduceMap(const Bitmap& map, int level, const Rect& rect);

    std::array<Bitmap, kLevels> m_picture;
    std::array<AreaPlane, kLevels> m_map;
    bool m_mapValid = false;
    int m_firstKept = 1;
};

// The area the map's halves give to four values (see ViewPyramid).
std::uint8_t ThinAreaOf(const std::uint8_t* values, int count);

}  // namespace velmora
