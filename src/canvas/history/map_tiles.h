#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "canvas/map/map_window.h"
#include "canvas/map/rect.h"
#include "store/bitmap.h"

namespace velmora {

// A map kept compact: square tiles, each packed on its own, so that a change is kept by the
// tiles it touched and a map of mostly one value costs a few bytes per tile.
class MapTiles {
public:
    static constexpr int kTileSide = 256;

    MapTiles() = default;
    explicit MapTiles(const Bitmap& map);

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    int TileCount() const { return static_cast<int>(m_tiles.size()); }
    // The map pixels of one tile.
    Rect TileRect(int index) const;
    // The tiles that meet rect, row by row.
    std::vector<int> TilesMeeting(const Rect& rect) const;

    std::vector<std::uint8_t>& Packed(int index) {
        return m_tiles[static_cast<std::size_t>(index)];
    }
    const std::vector<std::uint8_t>& Packed(int index) const {
        return m_tiles[static_cast<std::size_t>(index)];
    }

    // Writes the pixels of a tile, packed as given, into the window, which must hold them.
    static void Unpack(const std::vector<std::uint8_t>& packed, const Rect& tile,
                       const MapWindow& window);
    // The pixels of the tile at rect packed from pixels, which hold the map from (x, y) on.
    static std::vector<std::uint8_t> Pack(const Rect& tile, const Bitmap& pixels, int x, int y);

    // The whole map unpacked.
    Bitmap ToBitmap() const;
    // The bytes the packed tiles take.
    std::size_t Bytes() const;

private:
    int m_width = 0;
    int m_height = 0;
    int m_columns = 0;
    std::vector<std::vector<std::uint8_t>> m_tiles;
};

}  // namespace velmora
