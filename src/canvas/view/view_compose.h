#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "canvas/map/rect.h"
#include "canvas/view/pixel_effect.h"
#include "canvas/view/tinted_row.h"
#include "store/bitmap.h"
#include "store/common_data.h"

namespace velmora {

// What the main window shows: the menu "Вид" picks one.
enum class ViewMode { Picture, PictureAndMask, PictureAndCurrentArea };

// Composes the whole view of picture and map: view takes the picture's size (its buffer is
// reused when the size is unchanged). False, with view unchanged, while no picture is loaded.
bool UpdateView(const COMMON_DATA& data, ViewMode mode, Bitmap& view);

// Recomposes only rect of view (clipped to the picture), giving there exactly what the full
// composition gives. A view of another size than the picture is composed in full.
bool UpdateView(const COMMON_DATA& data, ViewMode mode, Bitmap& view, const Rect& rect);

// Composes the view one row span at a time, the tints of the mode made ready once. The
// viewport drawing uses it for the rows it shows, so both give the same pixels.
class ViewRowComposer {
public:
    ViewRowComposer(const std::array<std::uint32_t, 256>& palette, ViewMode mode, int currentArea);
    // The tint table points into the composer's own patterns.
    ViewRowComposer(const ViewRowComposer&) = delete;
    ViewRowComposer& operator=(const ViewRowComposer&) = delete;

    // Writes the composed pixels x0 .. x1 - 1 of row y, 3 bytes each, to dst[0] onwards.
    // x0 and x1 lie within the picture; map rows or columns it lacks count as no area.
    void Compose(const Bitmap& picture, const Bitmap& map, int y, int x0, int x1,
                 std::uint8_t* dst) const;
    // The same, each picture pixel first changed by the effect of its area; row is room for a
    // whole picture row.
    void Compose(const Bitmap& picture, const Bitmap& map, const EffectPreview& effects, int y,
                 int x0, int x1, std::vector<std::uint8_t>& row, std::uint8_t* dst) const;

private:
    void ComposeTinted(const std::uint8_t* src, const Bitmap& map, int y, int x0, int x1,
                       std::uint8_t* dst) const;

    bool m_plain;
    RowKernel m_kernel = FastestRowKernel();
    std::array<TintPattern, 256> m_patterns;
    TintTable m_tints{};
};

// The composition itself. Each masked pixel is the even mix of the picture pixel and the
// palette colour of its area, channel by channel rounded down; picture pixels beyond the map
// (a map of another size) count as no area. A view of another size than the picture is
// resized and composed in full.
void ComposeView(const Bitmap& picture, const Bitmap& map,
                 const std::array<std::uint32_t, 256>& palette, ViewMode mode, int currentArea,
                 Bitmap& view, const Rect& rect);

}  // namespace velmora
