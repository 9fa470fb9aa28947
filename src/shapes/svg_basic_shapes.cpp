#include "shapes/svg_basic_shapes.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "shapes/xml_tree.h"

namespace velmora {

namespace {

std::vector<ShapeRing> RectRings(const xmlNode* node, RingWriter& writer) {
    std::vector<ShapeRing> rings;
    const double x = SvgLength(node, "x", 0);
    const double y = SvgLength(node, "y", 0);
    const double w = SvgLength(node, "width", 0);
    const double h = SvgLength(node, "height", 0);
    if (!(w > 0) || !(h > 0)) {
        return rings;
    }
    const auto rxText = XmlAttribute(node, "rx");
    const auto ryText = XmlAttribute(node, "ry");
    double rx = SvgLength(node, "rx", 0);
    double ry = SvgLength(node, "ry", 0);
    if (!rxText) {
        rx = ry;
    }
    if (!ryText) {
        ry = rx;
    }
    rx = std::clamp(rx, 0.0, w / 2);
    ry = std::clamp(ry, 0.0, h / 2);
    ShapeRing ring;
    if (rx <= 0 || ry <= 0) {
        writer.Add(ring, {x, y});
        writer.Add(ring, {x + w, y});
        writer.Add(ring, {x + w, y + h});
        writer.Add(ring, {x, y + h});
    } else {
        const double pi = std::numbers::pi;
        writer.Add(ring, {x + rx, y});
        writer.Add(ring, {x + w - rx, y});
        writer.Arc(ring, x + w - rx, y + ry, rx, ry, 0, -pi / 2, pi / 2);
        writer.Add(ring, {x + w, y + h - ry});
        writer.Arc(ring, x + w - rx, y + h - ry, rx, ry, 0, 0, pi / 2);
        writer.Add(ring, {x + rx, y + h});
        writer.Arc(ring, x + rx, y + h - ry, rx, ry, 0, pi / 2, pi / 2);
        writer.Add(ring, {x, y + ry});
        writer.Arc(ring, x + rx, y + ry, rx, ry, 0, pi, pi / 2);
    }
    RingWriter::Finish(ring, rings);
    return rings;
}

std::vector<ShapeRing> EllipseRings(double cx, double cy, double rx, double ry,
                                    RingWriter& writer) {
    std::vector<ShapeRing> rings;
    if (!(rx > 0) || !(ry > 0)) {
        return rings;
    }
    ShapeRing ring;
    writer.Arc(ring, cx, cy, rx, ry, 0, 0, 2 * std::numbers::pi);
    RingWriter::Finish(ring, rings);
    return rings;
}

std::vector<ShapeRing> PointsRings(const std::string& text, RingWriter& writer) {
    std::vector<ShapeRing> rings;
    ShapeRing ring;
    NumberScanner scanner(text);
    while (!scanner.AtEnd()) {
        const double x = NeedSvgNumber(scanner, "points");
        if (scanner.AtEnd()) {
            throw SvgSyntaxError("в points нечётное число чисел.");
        }
        const double y = NeedSvgNumber(scanner, "points");
        writer.Add(ring, {x, y});
        scanner.SkipSeparator();
    }
    if (ring.size() < 3) {
        throw SvgSyntaxError("многоугольнику нужно не меньше 3 точек, а их " +
                             std::to_string(ring.size()) + ".");
    }
    RingWriter::Finish(ring, rings);
    return rings;
}

}  // namespace

double SvgLength(const xmlNode* node, const char* name, double fallback) {
    const auto text = XmlAttribute(node, name);
    if (!text) {
        return fallback;
    }
    NumberScanner scanner(*text);
    const auto number = scanner.Number();
    std::string rest(text->substr(std::min(scanner.Offset(), text->size())));
    rest.erase(std::remove_if(rest.begin(), rest.end(), [](char c) { return c == ' '; }),
               rest.end());
    if (!number || !(rest.empty() || rest == "px")) {
        throw SvgSyntaxError(std::string("значение ") + name + "=\"" + text->substr(0, 20) +
                             "\" не читается (нужно число в пикселях).");
    }
    if (!std::isfinite(*number) || std::fabs(*number) > kMaxShapeCoordinate) {
        throw SvgSyntaxError(std::string("значение ") + name +
                             " вне допустимых пределов (±10000000).");
    }
    return *number;
}

std::optional<std::vector<ShapeRing>> ReadSvgBasicShape(const xmlNode* node,
                                                        const std::string& name,
                                                        RingWriter& writer) {
    if (name == "rect") {
        return RectRings(node, writer);
    }
    if (name == "circle") {
        const double r = SvgLength(node, "r", 0);
        return EllipseRings(SvgLength(node, "cx", 0), SvgLength(node, "cy", 0), r, r, writer);
    }
    if (name == "ellipse") {
        return EllipseRings(SvgLength(node, "cx", 0), SvgLength(node, "cy", 0),
                            SvgLength(node, "rx", 0), SvgLength(node, "ry", 0), writer);
    }
    if (name == "polygon" || name == "polyline") {
        return PointsRings(XmlAttribute(node, "points").value_or(""), writer);
    }
    return std::nullopt;
}

}  // namespace velmora
