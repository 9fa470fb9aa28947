#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#include "store/image_codecs.h"
#include "store/progress.h"

namespace velmora::codec {

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::size_t kCoreHeaderSize = 12;
constexpr std::size_t kOs2HeaderSize = 64;

enum Compression : std::uint32_t {
    kRgb = 0,
    kRle8 = 1,
    kRle4 = 2,
    kBitfields = 3,
    kAlphaBitfields = 6,
};

// Little-endian reads that refuse to go past the end of the file.
class ByteReader {
public:
    explicit ByteReader(std::string_view bytes) : m_bytes(bytes) {}

    bool Has(std::size_t offset, std::size_t count) const {
        return offset <= m_bytes.size() && count <= m_bytes.size() - offset;
    }
    std::uint8_t U8(std::size_t offset) const {
        Need(offset, 1);
        return static_cast<std::uint8_t>(m_bytes[offset]);
    }
    std::uint16_t U16(std::size_t offset) const {
        Need(offset, 2);
        return static_cast<std::uint16_t>(U8Raw(offset) | U8Raw(offset + 1) << 8);
    }
    std::uint32_t U32(std::size_t offset) const {
        Need(offset, 4);
        return static_cast<std::uint32_t>(U8Raw(offset)) |
               static_cast<std::uint32_t>(U8Raw(offset + 1)) << 8 |
               static_cast<std::uint32_t>(U8Raw(offset + 2)) << 16 |
               static_cast<std::uint32_t>(U8Raw(offset + 3)) << 24;
    }
    std::int32_t S32(std::size_t offset) const { return static_cast<std::int32_t>(U32(offset)); }
    const std::uint8_t* At(std::size_t offset) const {
        return reinterpret_cast<const std::uint8_t*>(m_bytes.data()) + offset;
    }

private:
    void Need(std::size_t offset, std::size_t count) const {
        if (!Has(offset, count)) {
            throw ImageDefect("файл BMP обрезан");
        }
    }
    std::uint32_t U8Raw(std::size_t offset) const {
        return static_cast<std::uint8_t>(m_bytes[offset]);
    }

    std::string_view m_bytes;
};

// One colour channel of a 16- or 32-bit pixel, scaled from its mask's width to 8 bits.
class MaskChannel {
public:
    explicit MaskChannel(std::uint32_t mask) {
        if (mask == 0) {
            return;
        }
        m_mask = mask;
        m_shift = std::countr_zero(mask);
        m_max = (std::uint64_t{1} << std::bit_width(mask >> m_shift)) - 1;
    }
    std::uint8_t operator()(std::uint32_t pixel) const {
        if (m_mask == 0) {
            return 0;
        }
        const std::uint64_t value = (pixel & m_mask) >> m_shift;
        return static_cast<std::uint8_t>((value * 255 + m_max / 2) / m_max);
    }

private:
    std::uint32_t m_mask = 0;
    int m_shift = 0;
    std::uint64_t m_max = 1;
};

// What the headers say about the picture and where its palette and pixels lie.
struct BmpHeader {
    long long width = 0;
    long long height = 0;
    bool topDown = false;
    int bitCount = 0;
    std::uint32_t compression = kRgb;
    std::size_t headerSize = 0;
    std::size_t pixelOffset = 0;
    std::size_t paletteOffset = 0;
    std::size_t paletteEntrySize = 4;
    std::size_t paletteCount = 0;
    std::array<std::uint32_t, 3> masks{};  // red, green, blue
};

BmpHeader ReadHeader(const ByteReader& in) {
    if (!in.Has(0, kFileHeaderSize + 4) || in.U8(0) != 'B' || in.U8(1) != 'M') {
        throw ImageDefect("это не файл BMP");
    }
    BmpHeader h;
    h.pixelOffset = in.U32(10);
    h.headerSize = in.U32(kFileHeaderSize);
    std::uint32_t colorsUsed = 0;
    if (h.headerSize == kCoreHeaderSize) {
        h.width = in.U16(18);
        h.height = in.U16(20);
        h.bitCount = in.U16(24);
        h.paletteEntrySize = 3;
    } else if (h.headerSize >= kInfoHeaderSize && h.headerSize <= 1024) {
        h.width = in.S32(18);
        const std::int32_t height = in.S32(22);
        h.topDown = height < 0;
        h.height = h.topDown ? -static_cast<long long>(height) : height;
        h.bitCount = in.U16(28);
        h.compression = in.U32(30);
        colorsUsed = in.U32(46);
        // The older extended header numbers its compressions differently from 3 on.
        if (h.headerSize == kOs2HeaderSize && h.compression >= kBitfields) {
            throw ImageDefect("этот вид сжатия BMP не поддерживается");
        }
    } else {
        throw ImageDefect("неизвестный заголовок BMP");
    }
    h.paletteOffset = kFileHeaderSize + h.headerSize;

    if (h.compression == kBitfields || h.compression == kAlphaBitfields) {
        if (h.bitCount != 16 && h.bitCount != 32) {
            throw ImageDefect("битовые маски BMP допустимы только при 16 и 32 битах на точку");
        }
        // A bare 40-byte header is followed by the masks; longer headers hold them.
        const std::size_t at = kFileHeaderSize + kInfoHeaderSize;
        h.masks = {in.U32(at), in.U32(at + 4), in.U32(at + 8)};
        if (h.headerSize == kInfoHeaderSize) {
            h.paletteOffset += h.compression == kAlphaBitfields ? 16 : 12;
        }
    } else if (h.compression == kRgb) {
        if (h.bitCount == 16) {
            h.masks = {0x7C00, 0x03E0, 0x001F};
        } else if (h.bitCount == 32) {
            h.masks = {0xFF0000, 0x00FF00, 0x0000FF};
        }
    } else if (h.compression == kRle8 || h.compression == kRle4) {
        if (h.bitCount != (h.compression == kRle8 ? 8 : 4) || h.topDown) {
            throw ImageDefect("неверный заголовок BMP со сжатием RLE");
        }
    } else {
        throw ImageDefect("этот вид сжатия BMP не поддерживается");
    }
    // Pixels that start inside the headers would show the headers themselves as a picture.
    if (h.pixelOffset < h.paletteOffset) {
        throw ImageDefect("данные точек BMP начинаются внутри заголовка");
    }

    switch (h.bitCount) {
        case 1:
        case 4:
        case 8: {
            const std::size_t full = std::size_t{1} << h.bitCount;
            h.paletteCount = colorsUsed == 0 ? full : std::min<std::size_t>(colorsUsed, full);
            // Old headers have no colour count and short palettes end where the pixels begin.
            if (h.pixelOffset >= h.paletteOffset) {
                h.paletteCount = std::min(h.paletteCount,
                                          (h.pixelOffset - h.paletteOffset) / h.paletteEntrySize);
            }
            if (!in.Has(h.paletteOffset, h.paletteCount * h.paletteEntrySize)) {
                throw ImageDefect("файл BMP обрезан");
            }
            break;
        }
        case 16:
        case 24:
        case 32:
            break;
        default:
            throw ImageDefect("неподдерживаемое число битов на точку в BMP (" +
                              std::to_string(h.bitCount) + ")");
    }
    CheckDecodedSize(h.width, h.height);
    return h;
}

std::size_t RowStride(const BmpHeader& h) {
    return (static_cast<std::size_t>(h.width) * h.bitCount + 31) / 32 * 4;
}

// Checked before the bitmap is allocated, so a short file that claims a large picture costs
// nothing. The last row's padding may be missing; its pixels may not.
void CheckPixelData(const ByteReader& in, const BmpHeader& h) {
    const std::size_t lastRow = (static_cast<std::size_t>(h.width) * h.bitCount + 7) / 8;
    if (!in.Has(h.pixelOffset, RowStride(h) * static_cast<std::size_t>(h.height - 1) + lastRow)) {
        throw ImageDefect("файл BMP обрезан");
    }
}

// Palette as BGR triples; an index past its end shows black.
std::array<std::uint8_t, 256 * 3> ReadPalette(const ByteReader& in, const BmpHeader& h) {
    std::array<std::uint8_t, 256 * 3> palette{};
    for (std::size_t i = 0; i < h.paletteCount; ++i) {
        const std::uint8_t* entry = in.At(h.paletteOffset + i * h.paletteEntrySize);
        std::memcpy(&palette[i * 3], entry, 3);
    }
    return palette;
}

void DecodeUncompressed(const ByteReader& in, const BmpHeader& h, Bitmap& bitmap) {
    const int width = bitmap.Width();
    const int height = bitmap.Height();
    const std::size_t stride = RowStride(h);
    const auto palette = ReadPalette(in, h);
    const MaskChannel red(h.masks[0]);
    const MaskChannel green(h.masks[1]);
    const MaskChannel blue(h.masks[2]);
    Progress& progress = ThreadProgress();
    for (int row = 0; row < height; ++row) {
        StepRows(progress, row, height);
        const std::uint8_t* src = in.At(h.pixelOffset + stride * static_cast<std::size_t>(row));
        std::uint8_t* dst = bitmap.Row(h.topDown ? row : height - 1 - row);
        switch (h.bitCount) {
            case 1:
            case 4:
            case 8: {
                const int perByte = 8 / h.bitCount;
                const int mask = (1 << h.bitCount) - 1;
                for (int x = 0; x < width; ++x, dst += 3) {
                    const int shift = 8 - h.bitCount * (x % perByte + 1);
                    const int index = (src[x / perByte] >> shift) & mask;
                    std::memcpy(dst, &palette[static_cast<std::size_t>(index) * 3], 3);
                }
                break;
            }
            case 24:
                std::memcpy(dst, src, static_cast<std::size_t>(width) * 3);
                break;
            case 16:
            case 32: {
                const int bytes = h.bitCount / 8;
                for (int x = 0; x < width; ++x, src += bytes, dst += 3) {
                    std::uint32_t pixel = src[0] | static_cast<std::uint32_t>(src[1]) << 8;
                    if (bytes == 4) {
                        pixel |= static_cast<std::uint32_t>(src[2]) << 16 |
                                 static_cast<std::uint32_t>(src[3]) << 24;
                    }
                    dst[0] = blue(pixel);
                    dst[1] = green(pixel);
                    dst[2] = red(pixel);
                }
                break;
            }
        }
    }
}

// Run-length coded 4- and 8-bit files. Pixels the runs skip stay black.
void DecodeRle(const ByteReader& in, const BmpHeader& h, Bitmap& bitmap) {
    const auto palette = ReadPalette(in, h);
    const bool four = h.compression == kRle4;
    const long long width = bitmap.Width();
    const long long height = bitmap.Height();
    long long x = 0;
    long long y = 0;
    auto put = [&](int index) {
        if (x < width && y < height) {
            std::memcpy(bitmap.Pixel(static_cast<int>(x), static_cast<int>(height - 1 - y)),
                        &palette[static_cast<std::size_t>(index) * 3], 3);
        }
        ++x;
    };
    std::size_t pos = h.pixelOffset;
    while (y < height) {
        if (!in.Has(pos, 2)) {
            throw ImageDefect("файл BMP обрезан");
        }
        const int count = in.U8(pos);
        const int value = in.U8(pos + 1);
        pos += 2;
        if (count > 0) {
            for (int i = 0; i < count && x < width; ++i) {
                put(four ? (i % 2 == 0 ? value >> 4 : value & 0x0F) : value);
            }
        } else if (value == 0) {
            x = 0;
            ++y;
        } else if (value == 1) {
            return;
        } else if (value == 2) {
            x += in.U8(pos);
            y += in.U8(pos + 1);
            pos += 2;
        } else {
            const std::size_t bytes = four ? (static_cast<std::size_t>(value) + 1) / 2 : value;
            if (!in.Has(pos, bytes)) {
                throw ImageDefect("файл BMP обрезан");
            }
            for (int i = 0; i < value; ++i) {
                const int byte = in.U8(pos + static_cast<std::size_t>(four ? i / 2 : i));
                put(four ? (i % 2 == 0 ? byte >> 4 : byte & 0x0F) : byte);
            }
            pos += (bytes + 1) & ~std::size_t{1};
        }
    }
}

void PutU16(std::string& out, std::uint32_t value) {
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>(value >> 8 & 0xFF));
}

void PutU32(std::string& out, std::uint32_t value) {
    PutU16(out, value & 0xFFFF);
    PutU16(out, value >> 16);
}

}  // namespace

Bitmap DecodeBmp(std::string_view bytes) {
    const ByteReader in(bytes);
    const BmpHeader header = ReadHeader(in);
    const bool runLength = header.compression == kRle8 || header.compression == kRle4;
    if (!runLength) {
        CheckPixelData(in, header);
    }
    Bitmap bitmap(static_cast<int>(header.width), static_cast<int>(header.height));
    if (runLength) {
        DecodeRle(in, header, bitmap);
    } else {
        DecodeUncompressed(in, header, bitmap);
    }
    return bitmap;
}

std::string EncodeBmp(const Bitmap& bitmap) {
    const std::size_t stride = Bitmap::StrideFor(bitmap.Width());
    const std::size_t pixelBytes = stride * static_cast<std::size_t>(bitmap.Height());
    const std::size_t offset = kFileHeaderSize + kInfoHeaderSize;
    if (pixelBytes > 0xFFFFFFFFu - offset) {
        throw ImageDefect("изображение слишком велико для формата BMP");
    }
    constexpr std::uint32_t kPixelsPerMetre = 2835;  // 72 dpi
    std::string out;
    out.reserve(offset + pixelBytes);
    out += "BM";
    PutU32(out, static_cast<std::uint32_t>(offset + pixelBytes));
    PutU32(out, 0);
    PutU32(out, static_cast<std::uint32_t>(offset));
    PutU32(out, kInfoHeaderSize);
    PutU32(out, static_cast<std::uint32_t>(bitmap.Width()));
    PutU32(out, static_cast<std::uint32_t>(bitmap.Height()));
    PutU16(out, 1);
    PutU16(out, 24);
    PutU32(out, kRgb);
    PutU32(out, static_cast<std::uint32_t>(pixelBytes));
    PutU32(out, kPixelsPerMetre);
    PutU32(out, kPixelsPerMetre);
    PutU32(out, 0);
    PutU32(out, 0);
    const std::size_t used = static_cast<std::size_t>(bitmap.Width()) * 3;
    for (int y = bitmap.Height() - 1; y >= 0; --y) {
        out.append(reinterpret_cast<const char*>(bitmap.Row(y)), used);
        out.append(stride - used, '\0');
    }
    return out;
}

}  // namespace velmora::codec
