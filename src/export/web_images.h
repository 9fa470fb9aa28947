#pragma once

#include <string>
#include <vector>

#include "store/files.h"

namespace velmora {

// The widths a web export offers a picture in, smallest first.
inline constexpr int kWebImageWidths[] = {480, 960, 1440, 1920, 2560, 3840};
// The fallback for browsers without WebP is one file, at most this wide.
inline constexpr int kWebFallbackWidth = 1920;

// The widths a picture width pixels wide is offered in: those of kWebImageWidths below its
// width, and its own width when that is not above the largest of them.
std::vector<int> WebImageWidths(int width);

// One file written for a web page: its name in the folder it was written to, and its size.
struct WebImageFile {
    std::string name;
    int width = 0;
    int height = 0;
};

// A picture's copies for a web page: WebP in every width, smallest first, and one fallback in
// the original's own kind of file (JPEG for a JPEG, PNG otherwise).
struct WebImageSet {
    int width = 0;
    int height = 0;
    std::vector<WebImageFile> webp;
    WebImageFile fallback;
};

// Writes the copies of the image file at sourcePath into folder, named after the file
// ("hall.jpg-960w.webp", "hall.jpg-1920w.jpg"), shrunk with an area filter and carrying the
// original's colour profile. They keep the pixels as stored, the grid the area map is painted
// on: an orientation tag of the original is not carried over, so every browser shows them as
// the editor does. A file already there with the same content is left alone. Throws ImageError
// or FileError.
WebImageSet WriteWebImages(const std::string& sourcePath, const std::string& folder,
                           const ReadScope& scope = {});

// Popup and overlay pictures wider than this come in smaller widths too.
inline constexpr int kLargeEffectPictureWidth = 960;

// The WebP copies of a large popup or overlay picture at sourcePath in the widths of
// kWebImageWidths below its own, written into folder as WriteWebImages names them; the
// picture itself stands for its own width. No copies for a picture at most
// kLargeEffectPictureWidth wide or of a kind we do not decode (it is shown as it is).
WebImageSet WriteEffectPictureCopies(const std::string& sourcePath, const std::string& folder,
                                     const ReadScope& scope = {});

// A srcset attribute's value: each file's URL under urlFolder (with "/" added when not empty)
// and its width, "VLM/a-480w.webp 480w, VLM/a-960w.webp 960w".
std::string WebImageSrcset(const std::vector<WebImageFile>& files, const std::string& urlFolder);

// A file name as a URL inside srcset, where a space or comma would split the list.
std::string SrcsetUrl(const std::string& urlFolder, const std::string& name);

}  // namespace velmora
