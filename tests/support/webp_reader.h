#pragma once

#include <gtest/gtest.h>
#include <webp/decode.h>
#include <webp/demux.h>

#include <cstdint>
#include <string>

#include "store/bitmap.h"

namespace velmora::test {

// An RGB display profile that libpng accepts: a header, a white point tag and filler bytes
// (libpng refuses a profile whose compressed form is tiny).
inline std::string TestIccProfile() {
    constexpr std::size_t kSize = 1200;
    std::string p(kSize, '\0');
    unsigned seed = 7;
    for (char& c : p) {
        seed = seed * 1103515245u + 12345u;
        c = static_cast<char>(seed >> 24);
    }
    const auto put = [&p](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            p[at + i] = static_cast<char>((v >> (24 - 8 * i)) & 255);
        }
    };
    p.replace(0, 128, 128, '\0');
    put(0, kSize);
    put(8, 0x02100000);
    p.replace(12, 4, "mntr");
    p.replace(16, 4, "RGB ");
    p.replace(20, 4, "XYZ ");
    p.replace(36, 4, "acsp");
    // The D50 illuminant as s15Fixed16 numbers, in the header and as the white point.
    for (std::size_t at : {68, 152}) {
        put(at, 0x0000F6D6);
        put(at + 4, 0x00010000);
        put(at + 8, 0x0000D32D);
    }
    put(128, 1);
    p.replace(132, 4, "wtpt");
    put(136, 144);
    put(140, 20);
    p.replace(144, 4, "XYZ ");
    put(148, 0);
    return p;
}

// What libwebp reads back of a file: its pixels and its ICCP chunk.
struct DecodedWebp {
    Bitmap bitmap;
    std::string profile;
    bool exif = false;
};

inline DecodedWebp DecodeWebp(const std::string& bytes) {
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    int width = 0;
    int height = 0;
    DecodedWebp decoded;
    if (!WebPGetInfo(data, bytes.size(), &width, &height)) {
        ADD_FAILURE() << "libwebp does not read it";
        return decoded;
    }
    decoded.bitmap = Bitmap(width, height);
    if (WebPDecodeBGRInto(data, bytes.size(), decoded.bitmap.Data(), decoded.bitmap.SizeInBytes(),
                          static_cast<int>(decoded.bitmap.BytesPerLine())) == nullptr) {
        ADD_FAILURE() << "libwebp cannot decode it";
    }
    const WebPData whole{data, bytes.size()};
    WebPDemuxer* demux = WebPDemux(&whole);
    WebPChunkIterator chunk;
    if (WebPDemuxGetChunk(demux, "ICCP", 1, &chunk)) {
        decoded.profile.assign(reinterpret_cast<const char*>(chunk.chunk.bytes), chunk.chunk.size);
        WebPDemuxReleaseChunkIterator(&chunk);
    }
    if (WebPDemuxGetChunk(demux, "EXIF", 1, &chunk)) {
        decoded.exif = true;
        WebPDemuxReleaseChunkIterator(&chunk);
    }
    WebPDemuxDelete(demux);
    return decoded;
}

}  // namespace velmora::test
