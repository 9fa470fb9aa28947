#pragma once

#include <array>
#include <cstdint>

namespace velmora {

// The display colour of every area number, laid out 0x00BBGGRR (red in the low byte).
extern const std::array<std::uint32_t, 256> AreaPalette;

inline std::uint8_t PaletteRed(std::uint32_t c) {
    return c & 0xFF;
}
inline std::uint8_t PaletteGreen(std::uint32_t c) {
    return (c >> 8) & 0xFF;
}
inline std::uint8_t PaletteBlue(std::uint32_t c) {
    return (c >> 16) & 0xFF;
}

}  // namespace velmora
