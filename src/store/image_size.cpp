#include "store/image_size.h"

#include <cstdint>
#include <cstdlib>

#include "store/image_file.h"

namespace velmora {

namespace {

// Reads exactly size bytes; false at the end of the file.
bool ReadExactly(InputFile& input, unsigned char* buffer, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const std::size_t n = input.Read(reinterpret_cast<char*>(buffer) + done, size - done);
        if (n == 0) {
            return false;
        }
        done += n;
    }
    return true;
}

unsigned BigEndian16(const unsigned char* p) {
    return (static_cast<unsigned>(p[0]) << 8) | p[1];
}

std::uint32_t BigEndian32(const unsigned char* p) {
    return (static_cast<std::uint32_t>(p[0]) << 24) | (static_cast<std::uint32_t>(p[1]) << 16) |
           (static_cast<std::uint32_t>(p[2]) << 8) | p[3];
}

unsigned LittleEndian16(const unsigned char* p) {
    return p[0] | (static_cast<unsigned>(p[1]) << 8);
}

std::int32_t LittleEndian32(const unsigned char* p) {
    return static_cast<std::int32_t>(p[0] | (static_cast<std::uint32_t>(p[1]) << 8) |
                                     (static_cast<std::uint32_t>(p[2]) << 16) |
                                     (static_cast<std::uint32_t>(p[3]) << 24));
}

std::optional<ImageSize> Usable(long long width, long long height) {
    if (width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide) {
        return std::nullopt;
    }
    return ImageSize{static_cast<int>(width), static_cast<int>(height)};
}

std::optional<ImageSize> PngSize(InputFile& input) {
    // Signature, then the IHDR chunk, which must come first: length, type, width, height.
    unsigned char h[24];
    if (!ReadExactly(input, h, sizeof h) || h[1] != 'P' || h[2] != 'N' || h[3] != 'G' ||
        h[12] != 'I' || h[13] != 'H' || h[14] != 'D' || h[15] != 'R') {
        return std::nullopt;
    }
    return Usable(BigEndian32(h + 16), BigEndian32(h + 20));
}

std::optional<ImageSize> GifSize(InputFile& input) {
    // A GIF without a logical screen takes its size from its first frame: read as unknown.
    unsigned char h[10];
    if (!ReadExactly(input, h, sizeof h) || h[0] != 'G' || h[1] != 'I' || h[2] != 'F') {
        return std::nullopt;
    }
    return Usable(LittleEndian16(h + 6), LittleEndian16(h + 8));
}

std::optional<ImageSize> BmpSize(InputFile& input) {
    unsigned char h[26];
    if (!ReadExactly(input, h, sizeof h) || h[0] != 'B' || h[1] != 'M') {
        return std::nullopt;
    }
    const std::int32_t headerSize = LittleEndian32(h + 14);
    if (headerSize == 12) {
        return Usable(LittleEndian16(h + 18), LittleEndian16(h + 20));
    }
    return Usable(LittleEndian32(h + 18), std::llabs(LittleEndian32(h + 22)));
}

// Walks the markers to the first frame header (SOF0 to SOF15 but DHT, JPG and DAC).
std::optional<ImageSize> JpegSize(InputFile& input) {
    unsigned char b[2];
    if (!ReadExactly(input, b, 2) || b[0] != 0xFF || b[1] != 0xD8) {
        return std::nullopt;
    }
    unsigned char skip[4096];
    for (;;) {
        if (!ReadExactly(input, b, 1) || b[0] != 0xFF) {
            return std::nullopt;
        }
        do {
            if (!ReadExactly(input, b, 1)) {
                return std::nullopt;
            }
        } while (b[0] == 0xFF);
        const unsigned marker = b[0];
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) {
            continue;
        }
        if (marker == 0xD9 || marker == 0xDA) {
            return std::nullopt;
        }
        unsigned char lengthBytes[2];
        if (!ReadExactly(input, lengthBytes, 2)) {
            return std::nullopt;
        }
        const unsigned length = BigEndian16(lengthBytes);
        if (length < 2) {
            return std::nullopt;
        }
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 &&
            marker != 0xCC) {
            unsigned char frame[5];
            if (length < 7 || !ReadExactly(input, frame, sizeof frame)) {
                return std::nullopt;
            }
            return Usable(BigEndian16(frame + 3), BigEndian16(frame + 1));
        }
        for (std::size_t left = length - 2; left > 0;) {
            const std::size_t n = left < sizeof skip ? left : sizeof skip;
            if (!ReadExactly(input, skip, n)) {
                return std::nullopt;
            }
            left -= n;
        }
    }
}

}  // namespace

std::optional<ImageSize> ReadImageSize(const std::string& path, const ReadScope& scope) {
    if (!EntryExists(path)) {
        return std::nullopt;
    }
    const ImageFormat format = FormatOfPath(path);
    if (format == ImageFormat::Unknown) {
        return std::nullopt;
    }
    InputFile input(path, scope);
    switch (format) {
        case ImageFormat::Png:
            return PngSize(input);
        case ImageFormat::Gif:
            return GifSize(input);
        case ImageFormat::Bmp:
            return BmpSize(input);
        case ImageFormat::Jpeg:
            return JpegSize(input);
        case ImageFormat::Unknown:
            break;
    }
    return std::nullopt;
}

}  // namespace velmora
