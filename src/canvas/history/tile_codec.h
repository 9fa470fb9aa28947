#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace velmora {

// Packs width x height pixels of three bytes, rows stride bytes apart, into runs of equal
// pixels and stretches of literal ones. A map is mostly long runs of one value, so a tile of
// it packs to a few bytes; a tile of one pixel value packs to just that pixel.
std::vector<std::uint8_t> PackPixels(const std::uint8_t* first, std::size_t stride, int width,
                                     int height);
// Unpacks what PackPixels packed into the same shape; false when the bytes do not make up
// exactly width x height pixels (the pixels are then left partly written).
bool UnpackPixels(const std::vector<std::uint8_t>& packed, std::uint8_t* first, std::size_t stride,
                  int width, int height);

}  // namespace velmora
