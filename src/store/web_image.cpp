#include "store/web_image.h"

#include <new>

#include "store/errors.h"
#include "store/image_codecs.h"

namespace velmora {

const char* WebImageExtension(WebImageFormat format) {
    switch (format) {
        case WebImageFormat::Webp:
            return ".webp";
        case WebImageFormat::Jpeg:
            return ".jpg";
        case WebImageFormat::Png:
            break;
    }
    return ".png";
}

WebImageFormat FallbackWebImageFormat(ImageFormat format) {
    return format == ImageFormat::Jpeg ? WebImageFormat::Jpeg : WebImageFormat::Png;
}

std::string ReadIccProfile(std::string_view bytes, ImageFormat format) {
    switch (format) {
        case ImageFormat::Jpeg:
            return codec::ReadJpegIccProfile(bytes);
        case ImageFormat::Png:
            return codec::ReadPngIccProfile(bytes);
        default:
            return {};
    }
}

std::string EncodeWebImage(const Bitmap& bitmap, WebImageFormat format,
                           std::string_view iccProfile) {
    try {
        if (bitmap.Empty()) {
            throw codec::ImageDefect("изображение пусто");
        }
        switch (format) {
            case WebImageFormat::Webp:
                return codec::EncodeWebp(bitmap, kWebpQuality, iccProfile);
            case WebImageFormat::Jpeg:
                return codec::EncodeJpeg(bitmap, kWebJpegQuality, iccProfile);
            case WebImageFormat::Png:
                break;
        }
        return codec::EncodePng(bitmap, iccProfile);
    } catch (const codec::ImageDefect& defect) {
        throw ImageError(std::string("Не удалось записать изображение для веб-страницы: ") +
                         defect.what());
    } catch (const std::bad_alloc&) {
        throw ImageError("Не удалось записать изображение для веб-страницы: недостаточно памяти");
    }
}

}  // namespace velmora
