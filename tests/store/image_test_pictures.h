#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>

#include "store/bitmap.h"

namespace velmora::test {

// A colour as it lies in a Bitmap: blue, green, red.
using Bgr = std::array<int, 3>;

inline Bgr BgrAt(const Bitmap& bitmap, int x, int y) {
    const std::uint8_t* p = bitmap.Pixel(x, y);
    return {p[0], p[1], p[2]};
}

inline Bitmap MakeBitmap(int width, int height, const std::function<Bgr(int, int)>& color) {
    Bitmap bitmap(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Bgr c = color(x, y);
            std::uint8_t* p = bitmap.Pixel(x, y);
            p[0] = static_cast<std::uint8_t>(c[0]);
            p[1] = static_cast<std::uint8_t>(c[1]);
            p[2] = static_cast<std::uint8_t>(c[2]);
        }
    }
    return bitmap;
}

// Checks every pixel against the expected colour, stopping at the first few differences.
inline void ExpectPixels(const Bitmap& bitmap, int width, int height,
                         const std::function<Bgr(int, int)>& expected, int tolerance = 0) {
    ASSERT_EQ(bitmap.Width(), width);
    ASSERT_EQ(bitmap.Height(), height);
    int failures = 0;
    for (int y = 0; y < height && failures < 5; ++y) {
        for (int x = 0; x < width && failures < 5; ++x) {
            const Bgr got = BgrAt(bitmap, x, y);
            const Bgr want = expected(x, y);
            bool near = true;
            for (int c = 0; c < 3; ++c) {
                near = near && std::abs(got[c] - want[c]) <= tolerance;
            }
            if (!near) {
                ++failures;
                ADD_FAILURE() << "pixel (" << x << ", " << y << ") is BGR " << got[0] << ","
                              << got[1] << "," << got[2] << ", expected " << want[0] << ","
                              << want[1] << "," << want[2];
            }
        }
    }
}

// A picture with many colours that differ in every channel from pixel to pixel.
inline Bgr Gradient(int x, int y) {
    return {(x * 40 + y * 3) % 256, (y * 60) % 256, (x * 7 + y * 25) % 256};
}

}  // namespace velmora::test
