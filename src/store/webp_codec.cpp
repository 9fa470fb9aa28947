#include <webp/encode.h>
#include <webp/mux.h>

#include <memory>

#include "store/image_codecs.h"

namespace velmora::codec {

namespace {

// WebP's frame header stores each side in 14 bits.
constexpr int kMaxWebpSide = WEBP_MAX_DIMENSION;

struct MuxDeleter {
    void operator()(WebPMux* mux) const { WebPMuxDelete(mux); }
};

// The encoded image with the profile in its own chunk, as the extended format carries it.
std::string WithIccProfile(const std::uint8_t* image, std::size_t size,
                           std::string_view iccProfile) {
    std::unique_ptr<WebPMux, MuxDeleter> mux(WebPMuxNew());
    if (!mux) {
        throw std::bad_alloc();
    }
    const WebPData imageData{image, size};
    const WebPData profileData{reinterpret_cast<const std::uint8_t*>(iccProfile.data()),
                               iccProfile.size()};
    WebPData assembled{};
    if (WebPMuxSetImage(mux.get(), &imageData, 0) != WEBP_MUX_OK ||
        WebPMuxSetChunk(mux.get(), "ICCP", &profileData, 0) != WEBP_MUX_OK ||
        WebPMuxAssemble(mux.get(), &assembled) != WEBP_MUX_OK) {
        WebPDataClear(&assembled);
        throw ImageDefect("ошибка записи цветового профиля в WebP");
    }
    std::string output(reinterpret_cast<const char*>(assembled.bytes), assembled.size);
    WebPDataClear(&assembled);
    return output;
}

}  // namespace

std::string EncodeWebp(const Bitmap& bitmap, int quality, std::string_view iccProfile) {
    if (bitmap.Width() > kMaxWebpSide || bitmap.Height() > kMaxWebpSide) {
        throw ImageDefect("WebP допускает не более " + std::to_string(kMaxWebpSide) +
                          " точек по стороне");
    }
    std::uint8_t* encoded = nullptr;
    const std::size_t size = WebPEncodeBGR(bitmap.Data(), bitmap.Width(), bitmap.Height(),
                                           static_cast<int>(bitmap.BytesPerLine()),
                                           static_cast<float>(quality), &encoded);
    if (size == 0) {
        WebPFree(encoded);
        throw ImageDefect("ошибка кодирования WebP");
    }
    std::unique_ptr<std::uint8_t, decltype(&WebPFree)> owned(encoded, WebPFree);
    if (iccProfile.empty()) {
        return std::string(reinterpret_cast<const char*>(encoded), size);
    }
    return WithIccProfile(encoded, size, iccProfile);
}

}  // namespace velmora::codec
