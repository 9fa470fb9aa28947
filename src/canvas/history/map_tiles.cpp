#include "canvas/history/map_tiles.h"

#include <new>

#include "canvas/history/tile_codec.h"

namespace velmora {

MapTiles::MapTiles(const Bitmap& map) : m_width(map.Width()), m_height(map.Height()) {
    if (map.Empty()) {
        m_width = m_height = 0;
        return;
    }
    m_columns = (m_width + kTileSide - 1) / kTileSide;
    const int rows = (m_height + kTileSide - 1) / kTileSide;
    m_tiles.resize(static_cast<std::size_t>(m_columns) * static_cast<std::size_t>(rows));
    for (int i = 0; i < TileCount(); ++i) {
        m_tiles[static_cast<std::size_t>(i)] = Pack(TileRect(i), map, 0, 0);
    }
}

Rect MapTiles::TileRect(int index) const {
    const int column = index % m_columns;
    const int row = index / m_columns;
    return Rect{column * kTileSide, row * kTileSide, kTileSide, kTileSide}.Intersected(
        {0, 0, m_width, m_height});
}

std::vector<int> MapTiles::TilesMeeting(const Rect& rect) const {
    const Rect inside = rect.Intersected({0, 0, m_width, m_height});
    std::vector<int> tiles;
    if (inside.Empty()) {
        return tiles;
    }
    for (int row = inside.y / kTileSide; row <= (inside.Bottom() - 1) / kTileSide; ++row) {
        for (int column = inside.x / kTileSide; column <= (inside.Right() - 1) / kTileSide;
             ++column) {
            tiles.push_back(row * m_columns + column);
        }
    }
    return tiles;
}

void MapTiles::Unpack(const std::vector<std::uint8_t>& packed, const Rect& tile,
                      const MapWindow& window) {
    std::uint8_t* first = window.pixels.Pixel(tile.x - window.x, tile.y - window.y);
    if (!UnpackPixels(packed, first, window.pixels.BytesPerLine(), tile.width, tile.height)) {
        // Only this program packs tiles; bytes that do not unpack mean memory went bad.
        throw std::bad_alloc();
    }
}

std::vector<std::uint8_t> MapTiles::Pack(const Rect& tile, const Bitmap& pixels, int x, int y) {
    return PackPixels(pixels.Pixel(tile.x - x, tile.y - y), pixels.BytesPerLine(), tile.width,
                      tile.height);
}

Bitmap MapTiles::ToBitmap() const {
    Bitmap map(m_width, m_height);
    const MapWindow whole = MapWindow::Whole(map);
    for (int i = 0; i < TileCount(); ++i) {
        Unpack(Packed(i), TileRect(i), whole);
    }
    return map;
}

std::size_t MapTiles::Bytes() const {
    std::size_t bytes = m_tiles.capacity() * sizeof(m_tiles[0]);
    for (const auto& tile : m_tiles) {
        bytes += tile.capacity();
    }
    return bytes;
}

}  // namespace velmora
