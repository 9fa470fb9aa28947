#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "store/area_palette.h"

namespace velmora {

inline constexpr int kMaxAreas = 255;

// The areas of the project by number (1..255): their names, their colours on the map, and the
// one being edited. Number 0 is the background and has no name.
struct AreaRegistry {
    std::int32_t CurrentArea = 1;
    std::int32_t AreaCount = 0;
    std::array<std::uint32_t, 256> Palette = AreaPalette;
    std::array<std::string, 256> AreaNames;

    // The number of the area of that name; 0 when there is none.
    int FindArea(const std::string& name) const;
    // The name itself when it is free, else the first free of name_2 to name_299, else three
    // capital X letters (which may be taken too, and are then refused by the add).
    std::string UniqueAreaName(const std::string& name) const;
};

}  // namespace velmora
