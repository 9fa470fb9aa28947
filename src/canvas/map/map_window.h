#pragma once

#include "canvas/map/rect.h"
#include "store/bitmap.h"

namespace velmora {

// A part of a map held in a bitmap of its own: pixels holds the map's pixels from column x
// and row y on, of a map of mapWidth x mapHeight. Drawing through a window writes exactly the
// pixels that drawing on the whole map would write inside it, so a map kept in pieces is
// painted piece by piece with the same result.
struct MapWindow {
    Bitmap& pixels;
    int x = 0;
    int y = 0;
    int mapWidth = 0;
    int mapHeight = 0;

    // The window of a whole map.
    static MapWindow Whole(Bitmap& map) { return {map, 0, 0, map.Width(), map.Height()}; }

    // The map pixels the window holds, in map coordinates.
    Rect Bounds() const {
        return Rect{x, y, pixels.Width(), pixels.Height()}.Intersected({0, 0, mapWidth, mapHeight});
    }
};

}  // namespace velmora
