#pragma once

#include <cstdint>
#include <functional>
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

// Hands the image at path on a row at a time, as LoadImageFile would decode it: onSize gets the
// size first, then onRow each row top to bottom as BGR bytes. A PNG that is not interlaced is
// read straight from the file and never held whole; other files are decoded whole first. False
// and errors as for LoadImageFile; a defect found part way throws after some rows were handed on.
bool ForEachImageRow(const std::string& path, const ReadScope& scope,
                     const std::function<void(int width, int height)>& onSize,
                     const std::function<void(int y, const std::uint8_t* row)>& onRow);

// Writes bitmap in the format of path's extension, through a temporary file renamed into place.
// False for an unknown extension (nothing written); throws ImageError or FileError on failure.
bool SaveImageFile(const Bitmap& bitmap, const std::string& path);

// The codecs themselves, on bytes in memory; used by LoadImageFile and SaveImageFile and by
// the fuzzers. Decode throws ImageError on damaged or oversized input.
Bitmap DecodeImage(std::string_view bytes, ImageFormat format);
std::string EncodeImage(const Bitmap& bitmap, ImageFormat format);

}  // namespace velmora
