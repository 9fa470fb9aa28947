#include "store/bitmap.h"

#include <cstring>
#include <stdexcept>

namespace velmora {

void Bitmap::Resize(int width, int height) {
    if (width < 0 || height < 0) {
        throw std::invalid_argument("Bitmap: negative size");
    }
    m_width = width;
    m_height = height;
    m_stride = StrideFor(width);
    m_pixels.assign(m_stride * static_cast<std::size_t>(height), 0);
}

void Bitmap::Clear() {
    std::fill(m_pixels.begin(), m_pixels.end(), std::uint8_t{0});
}

bool operator==(const Bitmap& a, const Bitmap& b) {
    if (a.m_width != b.m_width || a.m_height != b.m_height) {
        return false;
    }
    const std::size_t used = static_cast<std::size_t>(a.m_width) * 3;
    for (int y = 0; y < a.m_height; ++y) {
        if (std::memcmp(a.Row(y), b.Row(y), used) != 0) {
            return false;
        }
    }
    return true;
}

}  // namespace velmora
