#include "canvas/history/tile_codec.h"

#include <cstring>

namespace velmora {

namespace {

// Each row is a series of pieces. A piece starts with one byte: below kRunFlag, that many plus one
// literal pixels follow; from kRunFlag on, the one pixel that follows repeats (byte - kRunFlag + 1)
// times.
constexpr std::uint8_t kRunFlag = 0x80;
constexpr int kLongestPiece = 128;

bool SamePixel(const std::uint8_t* a, const std::uint8_t* b) {
    return a[0] == b[0] && a[1] == b[1] && a[2] == b[2];
}

bool Uniform(const std::uint8_t* first, std::size_t stride, int width, int height) {
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* p = first + static_cast<std::size_t>(y) * stride;
        for (int x = 0; x < width; ++x, p += 3) {
            if (!SamePixel(p, first)) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace

std::vector<std::uint8_t> PackPixels(const std::uint8_t* first, std::size_t stride, int width,
                                     int height) {
    if (width <= 0 || height <= 0) {
        return {};
    }
    if (Uniform(first, stride, width, height)) {
        return {first[0], first[1], first[2]};
    }
    // Pieces stay within a row, so rows are packed one after another without crossing padding.
    std::vector<std::uint8_t> out;
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = first + static_cast<std::size_t>(y) * stride;
        const auto at = [row](int x) { return row + static_cast<std::size_t>(x) * 3; };
        int x = 0;
        while (x < width) {
            int run = 1;
            while (x + run < width && run < kLongestPiece && SamePixel(at(x + run), at(x))) {
                ++run;
            }
            if (run >= 2) {
                out.push_back(static_cast<std::uint8_t>(kRunFlag + run - 1));
                out.insert(out.end(), at(x), at(x) + 3);
                x += run;
                continue;
            }
            // Literal pixels up to the next pair of equal ones.
            int count = 1;
            while (x + count < width && count < kLongestPiece &&
                   !(x + count + 1 < width && SamePixel(at(x + count), at(x + count + 1)))) {
                ++count;
            }
            out.push_back(static_cast<std::uint8_t>(count - 1));
            out.insert(out.end(), at(x), at(x) + static_cast<std::size_t>(count) * 3);
            x += count;
        }
    }
    out.shrink_to_fit();
    return out;
}

bool UnpackPixels(const std::vector<std::uint8_t>& packed, std::uint8_t* first, std::size_t stride,
                  int width, int height) {
    if (width <= 0 || height <= 0) {
        return packed.empty();
    }
    if (packed.size() == 3) {
        for (int y = 0; y < height; ++y) {
            std::uint8_t* p = first + static_cast<std::size_t>(y) * stride;
            if (packed[0] == packed[1] && packed[1] == packed[2]) {
                std::memset(p, packed[0], static_cast<std::size_t>(width) * 3);
                continue;
            }
            for (int x = 0; x < width; ++x, p += 3) {
                std::memcpy(p, packed.data(), 3);
            }
        }
        return true;
    }
    std::size_t at = 0;
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = first + static_cast<std::size_t>(y) * stride;
        int x = 0;
        while (x < width) {
            if (at >= packed.size()) {
                return false;
            }
            const std::uint8_t head = packed[at++];
            const bool isRun = head >= kRunFlag;
            const int count = isRun ? head - kRunFlag + 1 : head + 1;
            const std::size_t bytes = isRun ? 3 : static_cast<std::size_t>(count) * 3;
            if (packed.size() - at < bytes || width - x < count) {
                return false;
            }
            std::uint8_t* p = row + static_cast<std::size_t>(x) * 3;
            if (!isRun) {
                std::memcpy(p, &packed[at], bytes);
            } else if (packed[at] == packed[at + 1] && packed[at + 1] == packed[at + 2]) {
                std::memset(p, packed[at], static_cast<std::size_t>(count) * 3);
            } else {
                for (int k = 0; k < count; ++k) {
                    std::memcpy(p + static_cast<std::size_t>(k) * 3, &packed[at], 3);
                }
            }
            at += bytes;
            x += count;
        }
    }
    return at == packed.size();
}

}  // namespace velmora
