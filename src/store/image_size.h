#pragma once

#include <optional>
#include <string>

#include "store/files.h"

namespace velmora {

struct ImageSize {
    int width = 0;
    int height = 0;
};

// The size an image file declares in its header, read without decoding a pixel (for a JPEG,
// the markers are skipped up to the frame header). Nothing when the file is missing, its
// extension names no known format, the header is damaged or declares no usable size; a file
// that is no regular file or lies outside the scope throws FileError.
std::optional<ImageSize> ReadImageSize(const std::string& path, const ReadScope& scope = {});

}  // namespace velmora
