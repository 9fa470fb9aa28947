#include "export/web_images.h"

#include <algorithm>
#include <cmath>

#include "export/export_messages.h"
#include "store/errors.h"
#include "store/image_file.h"
#include "store/image_shrink.h"
#include "store/image_size.h"
#include "store/paths.h"
#include "store/web_image.h"
#include "web/web_escape.h"

namespace velmora {

namespace {

int HeightAt(int width, int fullWidth, int fullHeight) {
    return std::max(
        1, static_cast<int>(std::lround(static_cast<double>(fullHeight) * width / fullWidth)));
}

// Writes bytes at path unless the same bytes are there already.
void WriteWhenChanged(const std::string& path, const std::string& bytes) {
    if (FileExists(path)) {
        try {
            if (ReadWholeFile(path) == bytes) {
                return;
            }
        } catch (const FileError&) {
            // Unreadable: written anew below.
        }
    }
    WriteFileAtomically(path, bytes);
}

}  // namespace

std::vector<int> WebImageWidths(int width) {
    std::vector<int> widths;
    for (int w : kWebImageWidths) {
        if (w < width) {
            widths.push_back(w);
        }
    }
    if (width <= kWebImageWidths[std::size(kWebImageWidths) - 1]) {
        widths.push_back(width);
    }
    return widths;
}

namespace {

// Writes the WebP copies of the image file at sourcePath in the widths widthsFor gives for its
// width, and the fallback at the width fallbackFor gives (none for 0).
WebImageSet WriteCopies(const std::string& sourcePath, const std::string& folder,
                        const ReadScope& scope, std::vector<int> (*widthsFor)(int),
                        int (*fallbackFor)(int)) {
    const ImageFormat format = FormatOfPath(sourcePath);
    // Decoded by the loader, whose message names the file.
    Bitmap original;
    if (!LoadImageFile(original, sourcePath, scope)) {
        throw FileError(msg::kFileNotFound + sourcePath);
    }
    const std::string profile = ReadIccProfile(ReadWholeFile(sourcePath, scope), format);
    const std::string name = ExtractName(sourcePath);

    WebImageSet set;
    set.width = original.Width();
    set.height = original.Height();
    const auto write = [&](const Bitmap& bitmap, WebImageFormat kind) {
        WebImageFile file{
            name + "-" + std::to_string(bitmap.Width()) + "w" + WebImageExtension(kind),
            bitmap.Width(), bitmap.Height()};
        WriteWhenChanged(JoinPath(folder, file.name), EncodeWebImage(bitmap, kind, profile));
        return file;
    };
    const int fallbackWidth = fallbackFor(set.width);
    for (int width : widthsFor(set.width)) {
        const Bitmap shrunk = ShrinkByArea(original, width, HeightAt(width, set.width, set.height));
        set.webp.push_back(write(shrunk, WebImageFormat::Webp));
        if (width == fallbackWidth) {
            set.fallback = write(shrunk, FallbackWebImageFormat(format));
        }
    }
    return set;
}

// Always one of the picture's widths: kWebFallbackWidth lies below a wider picture's width.
int PictureFallbackWidth(int width) {
    return std::min(kWebFallbackWidth, width);
}

std::vector<int> WidthsBelow(int width) {
    std::vector<int> widths;
    if (width > kLargeEffectPictureWidth) {
        for (int w : kWebImageWidths) {
            if (w < width) {
                widths.push_back(w);
            }
        }
    }
    return widths;
}

int NoFallback(int) {
    return 0;
}

}  // namespace

WebImageSet WriteWebImages(const std::string& sourcePath, const std::string& folder,
                           const ReadScope& scope) {
    return WriteCopies(sourcePath, folder, scope, WebImageWidths, PictureFallbackWidth);
}

WebImageSet WriteEffectPictureCopies(const std::string& sourcePath, const std::string& folder,
                                     const ReadScope& scope) {
    if (FormatOfPath(sourcePath) == ImageFormat::Unknown) {
        return {};
    }
    const std::optional<ImageSize> size = ReadImageSize(sourcePath, scope);
    if (size && size->width <= kLargeEffectPictureWidth) {
        return {};
    }
    return WriteCopies(sourcePath, folder, scope, WidthsBelow, NoFallback);
}

std::string SrcsetUrl(const std::string& urlFolder, const std::string& name) {
    std::string url = urlFolder.empty() ? std::string() : urlFolder + "/";
    for (char c : EncodeFileReference(name)) {
        if (c == ' ') {
            url += "%20";
        } else if (c == ',') {
            url += "%2C";
        } else {
            url += c;
        }
    }
    return url;
}

std::string WebImageSrcset(const std::vector<WebImageFile>& files, const std::string& urlFolder) {
    std::string srcset;
    for (const WebImageFile& file : files) {
        if (!srcset.empty()) {
            srcset += ", ";
        }
        srcset += SrcsetUrl(urlFolder, file.name) + " " + std::to_string(file.width) + "w";
    }
    return srcset;
}

}  // namespace velmora
