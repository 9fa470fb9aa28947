#include "shapes/svg_viewport.h"

#include <algorithm>
#include <cmath>
#include <sstream>

#include "shapes/svg_basic_shapes.h"
#include "shapes/xml_tree.h"

namespace velmora {

std::optional<SvgViewBox> ReadSvgViewBox(const xmlNode* node) {
    const auto text = XmlAttribute(node, "viewBox");
    if (!text) {
        return std::nullopt;
    }
    NumberScanner scanner(*text);
    SvgViewBox box;
    box.x = NeedSvgNumber(scanner, "viewBox");
    box.y = NeedSvgNumber(scanner, "viewBox");
    box.width = NeedSvgNumber(scanner, "viewBox");
    box.height = NeedSvgNumber(scanner, "viewBox");
    if (!(box.width > 0) || !(box.height > 0)) {
        throw SvgSyntaxError("в viewBox ширина и высота должны быть больше 0.");
    }
    return box;
}

Affine FitSvgViewBox(const SvgViewBox& box, double width, double height,
                     const std::string& preserveAspectRatio) {
    std::istringstream words(preserveAspectRatio);
    std::string align = "xMidYMid";
    std::string meetOrSlice = "meet";
    words >> align;
    if (align == "defer") {
        words >> align;
    }
    words >> meetOrSlice;
    double sx = width / box.width;
    double sy = height / box.height;
    if (align == "none") {
        return {sx, 0, 0, sy, -box.x * sx, -box.y * sy};
    }
    const double scale = meetOrSlice == "slice" ? std::max(sx, sy) : std::min(sx, sy);
    sx = sy = scale;
    // "xMinYMax" and the like: where the box sits in the room left over on each axis.
    auto part = [&](const std::string& axis) {
        const std::size_t at = align.find(axis);
        if (at == std::string::npos || align.size() < at + 4) {
            return 0.5;
        }
        const std::string where = align.substr(at + 1, 3);
        return where == "Min" ? 0.0 : where == "Max" ? 1.0 : 0.5;
    };
    const double ex = (width - box.width * scale) * part("x") - box.x * scale;
    const double ey = (height - box.height * scale) * part("Y") - box.y * scale;
    return {scale, 0, 0, scale, ex, ey};
}

double SvgViewportLength(const xmlNode* node, const char* name, double reference, double fallback) {
    const auto text = XmlAttribute(node, name);
    if (!text) {
        return fallback;
    }
    const std::size_t percent = text->find('%');
    if (percent == std::string::npos) {
        return SvgLength(node, name, fallback);
    }
    const std::string number = text->substr(0, percent);  // outlives the scanner's view of it
    NumberScanner scanner(number);
    const auto value = scanner.Number();
    if (!value || !scanner.AtEnd() ||
        text->find_first_not_of(" \t\r\n", percent + 1) != std::string::npos) {
        throw SvgSyntaxError(std::string("значение ") + name + "=\"" + text->substr(0, 20) +
                             "\" не читается (нужно число в пикселях или в процентах).");
    }
    const double length = *value / 100 * reference;
    if (!std::isfinite(length) || std::fabs(length) > kMaxShapeCoordinate) {
        throw SvgSyntaxError(std::string("значение ") + name +
                             " вне допустимых пределов (±10000000).");
    }
    return length;
}

}  // namespace velmora
