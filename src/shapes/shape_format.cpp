#include "shapes/shape_format.h"

#include "store/paths.h"

namespace velmora {

std::optional<ShapeFormat> ShapeFormatOfExtension(const std::string& extension) {
    const std::string lower = AsciiLower(extension);
    if (lower == ".htm" || lower == ".html" || lower == ".xhtml") {
        return ShapeFormat::Html;
    }
    if (lower == ".svg") {
        return ShapeFormat::Svg;
    }
    if (lower == ".json") {
        return ShapeFormat::Json;
    }
    return std::nullopt;
}

std::optional<ShapeFormat> ShapeFormatOfPath(const std::string& path) {
    return ShapeFormatOfExtension(ExtractExtension(path));
}

const char* ShapeFormatExtension(ShapeFormat format) {
    switch (format) {
        case ShapeFormat::Svg:
            return ".svg";
        case ShapeFormat::Json:
            return ".json";
        case ShapeFormat::Html:
            break;
    }
    return ".html";
}

}  // namespace velmora
