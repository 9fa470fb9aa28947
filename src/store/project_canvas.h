#pragma once

#include <cstdint>
#include <string>

#include "store/bitmap.h"

namespace velmora {

// The picture of the project with the area map painted over it, and the background sound
// that its record also names.
struct ProjectCanvas {
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    bool PictureLoaded = false;
    Bitmap Picture;
    Bitmap Map;
    std::string PictureFileName;
    std::string MapFileName;
    std::string BackgroundSound;
    std::int32_t BackgroundVolume = 0;
    // The map in memory differs from the one last loaded or saved. Set by the operations that
    // change the map (the brush, the tools, clear, grid, shape import, undo, redo), cleared by
    // opening, creating, saving and closing.
    bool MapModified = false;
};

}  // namespace velmora
