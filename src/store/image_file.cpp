#include "store/image_file.h"

#include <algorithm>
#include <new>

#include "store/errors.h"
#include "store/files.h"
#include "store/image_codecs.h"
#include "store/paths.h"

namespace velmora {

namespace codec {

void CheckDecodedSize(long long width, long long height) {
    if (width <= 0 || height <= 0) {
        throw ImageDefect("неверный размер изображения (" + std::to_string(width) + " × " +
                          std::to_string(height) + ")");
    }
    if (width > kMaxImageSide || height > kMaxImageSide || width * height > kMaxImagePixels) {
        throw ImageDefect("изображение слишком большое (" + std::to_string(width) + " × " +
                          std::to_string(height) + "), допускается не более " +
                          std::to_string(kMaxImageSide) + " точек по стороне и " +
                          std::to_string(kMaxImagePixels / 1'000'000) + " мегапикселей");
    }
}

}  // namespace codec

namespace {

Bitmap DecodeOrExplain(std::string_view bytes, ImageFormat format, const std::string& context) {
    try {
        switch (format) {
            case ImageFormat::Png:
                return codec::DecodePng(bytes);
            case ImageFormat::Jpeg:
                return codec::DecodeJpeg(bytes);
            case ImageFormat::Gif:
                return codec::DecodeGif(bytes);
            case ImageFormat::Bmp:
                return codec::DecodeBmp(bytes);
            case ImageFormat::Unknown:
                break;
        }
        throw codec::ImageDefect("формат не поддерживается");
    } catch (const codec::ImageDefect& defect) {
        throw ImageError("Не удалось прочитать изображение" + context + ": " + defect.what());
    } catch (const std::bad_alloc&) {
        throw ImageError("Не удалось прочитать изображение" + context + ": недостаточно памяти");
    }
}

std::string EncodeOrExplain(const Bitmap& bitmap, ImageFormat format, const std::string& context) {
    try {
        if (bitmap.Empty()) {
            throw codec::ImageDefect("изображение пусто");
        }
        switch (format) {
            case ImageFormat::Png:
                return codec::EncodePng(bitmap);
            case ImageFormat::Jpeg:
                return codec::EncodeJpeg(bitmap);
            case ImageFormat::Gif:
                return codec::EncodeGif(bitmap);
            case ImageFormat::Bmp:
                return codec::EncodeBmp(bitmap);
            case ImageFormat::Unknown:
                break;
        }
        throw codec::ImageDefect("формат не поддерживается");
    } catch (const codec::ImageDefect& defect) {
        throw ImageError("Не удалось записать изображение" + context + ": " + defect.what());
    } catch (const std::bad_alloc&) {
        throw ImageError("Не удалось записать изображение" + context + ": недостаточно памяти");
    }
}

}  // namespace

ImageFormat FormatOfPath(const std::string& path) {
    const std::string ext = AsciiLower(ExtractExtension(path));
    if (ext == ".png") {
        return ImageFormat::Png;
    }
    if (ext == ".jpg" || ext == ".jpeg") {
        return ImageFormat::Jpeg;
    }
    if (ext == ".gif") {
        return ImageFormat::Gif;
    }
    if (ext == ".bmp") {
        return ImageFormat::Bmp;
    }
    return ImageFormat::Unknown;
}

bool ForEachImageRow(const std::string& path, const ReadScope& scope,
                     const std::function<void(int width, int height)>& onSize,
                     const std::function<void(int y, const std::uint8_t* row)>& onRow) {
    // A folder of that name holds no picture; a pipe or a device claims to be one, and is
    // refused when it is opened.
    if (!EntryExists(path) || FolderExists(path)) {
        return false;
    }
    const ImageFormat format = FormatOfPath(path);
    if (format == ImageFormat::Unknown) {
        return false;
    }
    if (format == ImageFormat::Png) {
        InputFile input(path, scope);
        try {
            if (codec::StreamPngRows(input, onSize, onRow)) {
                return true;
            }
        } catch (const codec::ImageDefect& defect) {
            throw ImageError("Не удалось прочитать изображение " + path + ": " + defect.what());
        } catch (const std::bad_alloc&) {
            throw ImageError("Не удалось прочитать изображение " + path + ": недостаточно памяти");
        }
    }
    const Bitmap bitmap = DecodeOrExplain(ReadWholeFile(path, scope), format, " " + path);
    onSize(bitmap.Width(), bitmap.Height());
    for (int y = 0; y < bitmap.Height(); ++y) {
        onRow(y, bitmap.Row(y));
    }
    return true;
}

bool LoadImageFile(Bitmap& bitmap, const std::string& path, const ReadScope& scope) {
    if (FormatOfPath(path) != ImageFormat::Png) {
        if (!EntryExists(path) || FolderExists(path) ||
            FormatOfPath(path) == ImageFormat::Unknown) {
            return false;
        }
        bitmap = DecodeOrExplain(ReadWholeFile(path, scope), FormatOfPath(path), " " + path);
        return true;
    }
    // A PNG is decoded from the file straight into the pixels it becomes, without the file's
    // bytes beside them; the bitmap is replaced only once the whole file was read.
    Bitmap decoded;
    const bool found = ForEachImageRow(
        path, scope, [&decoded](int width, int height) { decoded.Resize(width, height); },
        [&decoded](int y, const std::uint8_t* row) {
            std::copy_n(row, static_cast<std::size_t>(decoded.Width()) * 3, decoded.Row(y));
        });
    if (found) {
        bitmap = std::move(decoded);
    }
    return found;
}

bool SaveImageFile(const Bitmap& bitmap, const std::string& path) {
    const ImageFormat format = FormatOfPath(path);
    if (format == ImageFormat::Unknown) {
        return false;
    }
    WriteFileAtomically(path, EncodeOrExplain(bitmap, format, " " + path));
    return true;
}

Bitmap DecodeImage(std::string_view bytes, ImageFormat format) {
    return DecodeOrExplain(bytes, format, std::string());
}

std::string EncodeImage(const Bitmap& bitmap, ImageFormat format) {
    return EncodeOrExplain(bitmap, format, std::string());
}

}  // namespace velmora
