#pragma once

#include <string>
#include <string_view>

#include "store/bitmap.h"
#include "store/files.h"

namespace velmora {

// Largest picture we decode: wider or taller, or more pixels, is refused with a message.
inline constexpr int kMaxImageSide = 30000;
inline constexpr long long kMaxImagePixels = 400'000'000LL;

enum class ImageFormat { Unknown, Png, Jpeg, Gif, Bmp };

// The format the lower-cased extension of path names (".png", ".jpg", ".jpeg", ".gif", ".bmp").
ImageFormat FormatOfPath(const std::string& path);

// Decodes the file at path into bitmap as 24-bit colour. False when nothing or a folder is there
// or its extension names no known format (the bitmap is then unchanged). A file that exists but
// cannot be decoded throws ImageError with a readable text; something that is no regular file,
// or lies outside the scope, throws FileError. The bitmap is then unchanged too.
bool LoadImageFile(Bitmap& bitmap, const std::string& path, const ReadScope& scope = {});

// Writes bitmap in the format of path's extension, through a temporary file renamed into place.
// False for an unknown extension (nothing written); throws ImageError or FileError on failure.
bool SaveImageFile(const Bitmap& bitmap, const std::string& path);

// The codecs themselves, on bytes in memory; used by LoadImageFile and SaveImageFile and by
// the fuzzers. Decode throws ImageError on damaged or oversized input.
Bitmap DecodeImage(std::string_view bytes, ImageFormat format);
std::string EncodeImage(const Bitmap& bitmap, ImageFormat format);

}  // namespace velmora
