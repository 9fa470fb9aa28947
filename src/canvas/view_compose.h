#pragma once

#include <array>
#include <cstdint>

#include "canvas/rect.h"
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

// The composition itself. Each masked pixel is the even mix of the picture pixel and the
// palette colour of its area, channel by channel rounded down; picture pixels beyond the map
// (a map of another size) count as no area. A view of another size than the picture is
// resized and composed in full.
void ComposeView(const Bitmap& picture, const Bitmap& map,
                 const std::array<std::uint32_t, 256>& palette, ViewMode mode, int currentArea,
                 Bitmap& view, const Rect& rect);

}  // namespace velmora
