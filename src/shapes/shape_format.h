#pragma once

#include <optional>
#include <string>

namespace velmora {

// The markup a shape file is written in: an HTML image map, SVG, or a JSON list.
enum class ShapeFormat { Html, Svg, Json };

// The format an extension names, the dot included and in any case: .htm, .html, .xhtml, .svg,
// .json; none for any other.
std::optional<ShapeFormat> ShapeFormatOfExtension(const std::string& extension);
// The format the extension of a file name names (ExtractExtension).
std::optional<ShapeFormat> ShapeFormatOfPath(const std::string& path);

// The extension a file in the format is given when its name names no format.
const char* ShapeFormatExtension(ShapeFormat format);

}  // namespace velmora
