#pragma once

#include <string>
#include <string_view>

#include "store/bitmap.h"
#include "store/image_file.h"

namespace velmora {

// The kinds of file a web page gets its pictures in: WebP for browsers that take it, and the
// original's own kind of file (JPEG for photos, PNG otherwise) for the rest.
enum class WebImageFormat { Webp, Jpeg, Png };

// Qualities of the lossy copies: a 1920-pixel-wide photo comes to about 150 KB as WebP.
inline constexpr int kWebpQuality = 72;
inline constexpr int kWebJpegQuality = 80;

// ".webp", ".jpg" or ".png".
const char* WebImageExtension(WebImageFormat format);

// The fallback kind for an original of format: JPEG for a JPEG, PNG for everything else.
WebImageFormat FallbackWebImageFormat(ImageFormat format);

// The ICC colour profile an image file of format carries, or empty. Copies made from its
// pixels carry the same profile, so browsers show them in the original's colours.
std::string ReadIccProfile(std::string_view bytes, ImageFormat format);

// Encodes bitmap as format with iccProfile embedded when not empty; throws ImageError.
std::string EncodeWebImage(const Bitmap& bitmap, WebImageFormat format,
                           std::string_view iccProfile);

}  // namespace velmora
