#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "store/bitmap.h"
#include "store/files.h"

// The format codecs behind DecodeImage and EncodeImage. Each works on bytes in memory and
// reports a fault as ImageDefect with a short Russian reason; the public functions add which
// file or operation it was.
namespace velmora::codec {

// What is wrong with the bytes (or the bitmap to write), in words the user can read.
class ImageDefect : public std::runtime_error {
public:
    explicit ImageDefect(const std::string& reason) : std::runtime_error(reason) {}
};

// Refuses a size that is not positive or exceeds kMaxImageSide or kMaxImagePixels. Called with
// the size read from a header, before any pixel buffer is allocated.
void CheckDecodedSize(long long width, long long height);

Bitmap DecodePng(std::string_view bytes);
Bitmap DecodeJpeg(std::string_view bytes);
Bitmap DecodeGif(std::string_view bytes);
Bitmap DecodeBmp(std::string_view bytes);

// Decodes a PNG file one row at a time, never holding more than one row: onSize gets the size
// first, then onRow each row top to bottom as BGR bytes. False, with nothing handed on, for an
// interlaced file, whose rows only come together at the end.
bool StreamPngRows(InputFile& input, const std::function<void(int, int)>& onSize,
                   const std::function<void(int, const std::uint8_t*)>& onRow);

std::string EncodePng(const Bitmap& bitmap);
std::string EncodeJpeg(const Bitmap& bitmap);
std::string EncodeGif(const Bitmap& bitmap);
std::string EncodeBmp(const Bitmap& bitmap);

// The ICC colour profile a file carries (JPEG APP2 markers, a PNG iCCP chunk), or empty when it
// carries none or cannot be read that far.
std::string ReadJpegIccProfile(std::string_view bytes);
std::string ReadPngIccProfile(std::string_view bytes);

// Copies for web pages, at a lossy quality of 0..100 where there is one, with iccProfile
// embedded when it is not empty.
std::string EncodeJpeg(const Bitmap& bitmap, int quality, std::string_view iccProfile);
std::string EncodePng(const Bitmap& bitmap, std::string_view iccProfile);
std::string EncodeWebp(const Bitmap& bitmap, int quality, std::string_view iccProfile);

}  // namespace velmora::codec
