#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace velmora {

// A 24-bit picture in memory: bytes blue, green, red, rows padded to 4 bytes.
// The editor wraps it as QImage::Format_BGR888 with bytesPerLine() and no copy.
class Bitmap {
public:
    Bitmap() = default;
    Bitmap(int width, int height) { Resize(width, height); }

    // Sets the size; every byte becomes 0.
    void Resize(int width, int height);
    void Clear();

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    bool Empty() const { return m_width == 0 || m_height == 0; }
    std::size_t BytesPerLine() const { return m_stride; }
    std::size_t SizeInBytes() const { return m_pixels.size(); }

    std::uint8_t* Row(int y) { return m_pixels.data() + static_cast<std::size_t>(y) * m_stride; }
    const std::uint8_t* Row(int y) const {
        return m_pixels.data() + static_cast<std::size_t>(y) * m_stride;
    }
    std::uint8_t* Data() { return m_pixels.data(); }
    const std::uint8_t* Data() const { return m_pixels.data(); }

    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < m_width && y < m_height; }

    // Pixel access by channel; callers check Contains first.
    std::uint8_t* Pixel(int x, int y) { return Row(y) + static_cast<std::size_t>(x) * 3; }
    const std::uint8_t* Pixel(int x, int y) const {
        return Row(y) + static_cast<std::size_t>(x) * 3;
    }

    friend bool operator==(const Bitmap& a, const Bitmap& b);

    static std::size_t StrideFor(int width) {
        return (static_cast<std::size_t>(width) * 3 + 3) & ~static_cast<std::size_t>(3);
    }

private:
    int m_width = 0;
    int m_height = 0;
    std::size_t m_stride = 0;
    std::vector<std::uint8_t> m_pixels;
};

}  // namespace velmora
