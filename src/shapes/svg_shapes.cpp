// Shapes from an SVG file, read with libxml2: rect, circle, ellipse, polygon, polyline (taken
// as closed) and path with every command, each under the transforms of its element and
// groups; the root's viewBox is stretched onto the picture.
#include <libxml/parser.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <set>
#include <string>
#include <vector>

#include "shapes/shape_file.h"
#include "shapes/shape_numbers.h"
#include "shapes/xml_tree.h"
#include "store/errors.h"

namespace velmora {

namespace {

// x' = a x + c y + e, y' = b x + d y + f.
struct Affine {
    double a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;

    ShapePoint Apply(ShapePoint p) const { return {a * p.x + c * p.y + e, b * p.x + d * p.y + f}; }
    // This transform applied after other.
    Affine After(const Affine& o) const {
        return {a * o.a + c * o.b, b * o.a + d * o.b,     a * o.c + c * o.d,
                b * o.c + d * o.d, a * o.e + c * o.f + e, b * o.e + d * o.f + f};
    }
    // How many picture pixels one user unit may span, to pick how finely to flatten curves.
    double Scale() const { return std::max(std::hypot(a, b), std::hypot(c, d)); }
};

// Elements whose content is never drawn where it stands, and elements that are no area.
const std::set<std::string> kSkipped = {
    "defs",           "clippath",      "mask",  "pattern", "marker", "symbol", "lineargradient",
    "radialgradient", "filter",        "style", "script",  "text",   "title",  "desc",
    "metadata",       "foreignobject", "image", "use",     "line",   "switch"};

class SvgReader {
public:
    SvgReader(std::string label) : m_label(std::move(label)), m_budget(m_label) {}

    std::vector<ImportedShape> Read(const xmlNode* root, int width, int height) {
        if (root == nullptr || XmlName(root) != "svg") {
            throw Error(m_label + ": корневой элемент файла не <svg>.");
        }
        Affine toPicture;
        if (const auto viewBox = XmlAttribute(root, "viewBox")) {
            m_where = XmlWhere(root);
            NumberScanner scanner(*viewBox);
            const double x = Need(scanner, "viewBox");
            const double y = Need(scanner, "viewBox");
            const double w = Need(scanner, "viewBox");
            const double h = Need(scanner, "viewBox");
            if (!(w > 0) || !(h > 0) || !std::isfinite(x) || !std::isfinite(y)) {
                Fail("в viewBox ширина и высота должны быть больше 0.");
            }
            toPicture = {width / w, 0, 0, height / h, -x * width / w, -y * height / h};
        }
        Walk(root, toPicture, FillRule::NonZero);
        return std::move(m_shapes);
    }

private:
    [[noreturn]] void Fail(const std::string& what) const {
        throw Error(m_label + ": " + m_where + ": " + what);
    }

    double Need(NumberScanner& scanner, const std::string& what) {
        scanner.SkipSeparator();
        const auto number = scanner.Number();
        if (!number) {
            Fail("в " + what + " ожидается число (позиция " + std::to_string(scanner.Offset() + 1) +
                 ").");
        }
        if (!std::isfinite(*number) || std::fabs(*number) > kMaxShapeCoordinate) {
            Fail("в " + what + " число вне допустимых пределов (±10000000).");
        }
        return *number;
    }

    // A length attribute in user units ("12", "12.5", "12px"); absent gives fallback.
    double Length(const xmlNode* node, const char* name, double fallback) {
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
            Fail(std::string("значение ") + name + "=\"" + text->substr(0, 20) +
                 "\" не читается (нужно число в пикселях).");
        }
        if (!std::isfinite(*number) || std::fabs(*number) > kMaxShapeCoordinate) {
            Fail(std::string("значение ") + name + " вне допустимых пределов (±10000000).");
        }
        return *number;
    }

    Affine Transform(const std::string& text) {
        Affine total;
        NumberScanner scanner(text);
        while (!scanner.AtEnd()) {
            std::string name;
            while (std::isalpha(static_cast<unsigned char>(scanner.Peek()))) {
                name += scanner.Peek();
                scanner.Take();
            }
            if (scanner.Peek() != '(') {
                Fail("в transform не читается \"" + text.substr(0, 40) + "\".");
            }
            scanner.Take();
            std::vector<double> args;
            while (scanner.Peek() != ')' && !scanner.AtEnd()) {
                args.push_back(Need(scanner, "transform"));
                scanner.SkipSeparator();
                if (args.size() > 6) {
                    break;
                }
            }
            if (scanner.Peek() != ')') {
                Fail("в transform не закрыта скобка у " + name + ".");
            }
            scanner.Take();
            scanner.SkipSeparator();
            auto argCount = [&](std::initializer_list<std::size_t> allowed) {
                if (std::find(allowed.begin(), allowed.end(), args.size()) == allowed.end()) {
                    Fail("в transform у " + name + " неверное число аргументов.");
                }
            };
            const double radians = args.empty() ? 0 : args[0] * std::numbers::pi / 180;
            Affine step;
            if (name == "matrix") {
                argCount({6});
                step = {args[0], args[1], args[2], args[3], args[4], args[5]};
            } else if (name == "translate") {
                argCount({1, 2});
                step.e = args[0];
                step.f = args.size() > 1 ? args[1] : 0;
            } else if (name == "scale") {
                argCount({1, 2});
                step.a = args[0];
                step.d = args.size() > 1 ? args[1] : args[0];
            } else if (name == "rotate") {
                argCount({1, 3});
                const Affine rotation{std::cos(radians),
                                      std::sin(radians),
                                      -std::sin(radians),
                                      std::cos(radians),
                                      0,
                                      0};
                if (args.size() == 3) {
                    step = Affine{1, 0, 0, 1, args[1], args[2]}.After(rotation).After(
                        Affine{1, 0, 0, 1, -args[1], -args[2]});
                } else {
                    step = rotation;
                }
            } else if (name == "skewX") {
                argCount({1});
                step.c = std::tan(radians);
            } else if (name == "skewY") {
                argCount({1});
                step.b = std::tan(radians);
            } else {
                Fail("неизвестное преобразование \"" + name.substr(0, 20) + "\" в transform.");
            }
            total = total.After(step);
        }
        return total;
    }

    static std::optional<FillRule> RuleOf(const xmlNode* node) {
        std::optional<std::string> value = XmlAttribute(node, "fill-rule");
        if (const auto style = XmlAttribute(node, "style")) {
            const std::size_t at = style->find("fill-rule");
            if (at != std::string::npos) {
                const std::size_t colon = style->find(':', at);
                const std::size_t end = style->find(';', at);
                if (colon != std::string::npos && colon < end) {
                    value =
                        style->substr(colon + 1, end == std::string::npos ? end : end - colon - 1);
                }
            }
        }
        if (!value) {
            return std::nullopt;
        }
        return value->find("evenodd") != std::string::npos ? FillRule::EvenOdd : FillRule::NonZero;
    }

    static std::string NameOf(const xmlNode* node) {
        auto trimmed = [](const std::string& text) {
            const std::size_t first = text.find_first_not_of(" \t\r\n");
            return first == std::string::npos
                       ? std::string()
                       : text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
        };
        for (const char* attribute : {"alt", "title"}) {
            if (auto name = trimmed(XmlAttribute(node, attribute).value_or("")); !name.empty()) {
                return name;
            }
        }
        for (const xmlNode* child = node->children; child != nullptr; child = child->next) {
            if (child->type == XML_ELEMENT_NODE && XmlName(child) == "title") {
                xmlChar* text = xmlNodeGetContent(child);
                std::string name = trimmed(text != nullptr ? reinterpret_cast<char*>(text) : "");
                xmlFree(text);
                if (!name.empty()) {
                    return name;
                }
            }
        }
        return trimmed(XmlAttribute(node, "id").value_or(""));
    }

    void Walk(const xmlNode* node, const Affine& parent, FillRule parentRule) {
        for (; node != nullptr; node = node->next) {
            if (node->type != XML_ELEMENT_NODE) {
                continue;
            }
            const std::string name = XmlName(node);
            if (kSkipped.contains(name) || XmlAttribute(node, "display").value_or("") == "none") {
                continue;
            }
            m_where = XmlWhere(node);
            Affine transform = parent;
            if (const auto text = XmlAttribute(node, "transform")) {
                transform = parent.After(Transform(*text));
            }
            const FillRule rule = RuleOf(node).value_or(parentRule);
            if (name == "svg" || name == "g" || name == "a") {
                // The root's own transform was already handled by viewBox; nested ones act as
                // groups.
                Walk(node->children, transform, rule);
                continue;
            }
            ImportedShape shape;
            shape.rule = rule;
            m_transform = transform;
            m_curveScale = transform.Scale();
            if (name == "rect") {
                RectRings(node, shape.rings);
            } else if (name == "circle") {
                const double r = Length(node, "r", 0);
                EllipseRing(Length(node, "cx", 0), Length(node, "cy", 0), r, r, shape.rings);
            } else if (name == "ellipse") {
                EllipseRing(Length(node, "cx", 0), Length(node, "cy", 0), Length(node, "rx", 0),
                            Length(node, "ry", 0), shape.rings);
            } else if (name == "polygon" || name == "polyline") {
                PointsRing(XmlAttribute(node, "points").value_or(""), shape.rings);
            } else if (name == "path") {
                PathRings(XmlAttribute(node, "d").value_or(""), shape.rings);
            } else {
                continue;
            }
            if (shape.rings.empty()) {
                continue;  // drawn as nothing (zero size), as a browser would
            }
            shape.name = NameOf(node);
            m_shapes.push_back(std::move(shape));
        }
    }

    void Add(ShapeRing& ring, ShapePoint userPoint) {
        const ShapePoint p = m_transform.Apply(userPoint);
        m_budget.Add(p, m_where);
        ring.push_back(p);
    }

    void Finish(ShapeRing& ring, std::vector<ShapeRing>& rings) {
        if (ring.size() >= 3) {
            rings.push_back(std::move(ring));
        }
        ring.clear();
    }

    int Segments(double userLength) const {
        return std::clamp(static_cast<int>(std::ceil(userLength * m_curveScale / 2)), 1, 256);
    }

    // An elliptical arc around (cx, cy) from angle start through sweep (radians), rotated by
    // phi; the start point itself is not added.
    void ArcPoints(ShapeRing& ring, double cx, double cy, double rx, double ry, double phi,
                   double start, double sweep) {
        const int n = Segments(std::fabs(sweep) * std::max(rx, ry));
        for (int i = 1; i <= n; ++i) {
            const double t = start + sweep * i / n;
            const double x = rx * std::cos(t);
            const double y = ry * std::sin(t);
            Add(ring, {cx + x * std::cos(phi) - y * std::sin(phi),
                       cy + x * std::sin(phi) + y * std::cos(phi)});
        }
    }

    void RectRings(const xmlNode* node, std::vector<ShapeRing>& rings) {
        const double x = Length(node, "x", 0);
        const double y = Length(node, "y", 0);
        const double w = Length(node, "width", 0);
        const double h = Length(node, "height", 0);
        if (!(w > 0) || !(h > 0)) {
            return;
        }
        const auto rxText = XmlAttribute(node, "rx");
        const auto ryText = XmlAttribute(node, "ry");
        double rx = Length(node, "rx", 0);
        double ry = Length(node, "ry", 0);
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
            Add(ring, {x, y});
            Add(ring, {x + w, y});
            Add(ring, {x + w, y + h});
            Add(ring, {x, y + h});
        } else {
            const double pi = std::numbers::pi;
            Add(ring, {x + rx, y});
            Add(ring, {x + w - rx, y});
            ArcPoints(ring, x + w - rx, y + ry, rx, ry, 0, -pi / 2, pi / 2);
            Add(ring, {x + w, y + h - ry});
            ArcPoints(ring, x + w - rx, y + h - ry, rx, ry, 0, 0, pi / 2);
            Add(ring, {x + rx, y + h});
            ArcPoints(ring, x + rx, y + h - ry, rx, ry, 0, pi / 2, pi / 2);
            Add(ring, {x, y + ry});
            ArcPoints(ring, x + rx, y + ry, rx, ry, 0, pi, pi / 2);
        }
        Finish(ring, rings);
    }

    void EllipseRing(double cx, double cy, double rx, double ry, std::vector<ShapeRing>& rings) {
        if (!(rx > 0) || !(ry > 0)) {
            return;
        }
        ShapeRing ring;
        ArcPoints(ring, cx, cy, rx, ry, 0, 0, 2 * std::numbers::pi);
        Finish(ring, rings);
    }

    void PointsRing(const std::string& text, std::vector<ShapeRing>& rings) {
        ShapeRing ring;
        NumberScanner scanner(text);
        while (!scanner.AtEnd()) {
            const double x = Need(scanner, "points");
            if (scanner.AtEnd()) {
                Fail("в points нечётное число чисел.");
            }
            const double y = Need(scanner, "points");
            Add(ring, {x, y});
            scanner.SkipSeparator();
        }
        if (ring.size() < 3) {
            Fail("многоугольнику нужно не меньше 3 точек, а их " + std::to_string(ring.size()) +
                 ".");
        }
        Finish(ring, rings);
    }

    void PathRings(const std::string& text, std::vector<ShapeRing>& rings);

    std::string m_label;
    std::string m_where;
    ShapeBudget m_budget;
    Affine m_transform;
    double m_curveScale = 1;
    std::vector<ImportedShape> m_shapes;
};

void SvgReader::PathRings(const std::string& text, std::vector<ShapeRing>& rings) {
    NumberScanner scanner(text);
    ShapeRing ring;
    ShapePoint current;
    ShapePoint start;
    ShapePoint control;  // the last control point, for S and T
    char previous = 0;
    char command = 0;
    std::size_t commands = 0;
    auto number = [&] { return Need(scanner, "пути d"); };
    auto point = [&](bool relative) {
        const double x = number();
        const double y = number();
        return relative ? ShapePoint{current.x + x, current.y + y} : ShapePoint{x, y};
    };
    auto lineTo = [&](ShapePoint p) {
        if (ring.empty()) {
            Add(ring, current);
        }
        Add(ring, p);
        current = p;
    };
    auto cubic = [&](ShapePoint c1, ShapePoint c2, ShapePoint end) {
        if (ring.empty()) {
            Add(ring, current);
        }
        const double length = std::hypot(c1.x - current.x, c1.y - current.y) +
                              std::hypot(c2.x - c1.x, c2.y - c1.y) +
                              std::hypot(end.x - c2.x, end.y - c2.y);
        const int n = Segments(length);
        for (int i = 1; i <= n; ++i) {
            const double t = static_cast<double>(i) / n;
            const double u = 1 - t;
            Add(ring, {u * u * u * current.x + 3 * u * u * t * c1.x + 3 * u * t * t * c2.x +
                           t * t * t * end.x,
                       u * u * u * current.y + 3 * u * u * t * c1.y + 3 * u * t * t * c2.y +
                           t * t * t * end.y});
        }
        current = end;
    };
    auto quadratic = [&](ShapePoint c, ShapePoint end) {
        cubic({current.x + 2.0 / 3 * (c.x - current.x), current.y + 2.0 / 3 * (c.y - current.y)},
              {end.x + 2.0 / 3 * (c.x - end.x), end.y + 2.0 / 3 * (c.y - end.y)}, end);
    };
    while (!scanner.AtEnd()) {
        const char c = scanner.Peek();
        if (std::isalpha(static_cast<unsigned char>(c))) {
            command = c;
            scanner.Take();
        } else if (command == 0) {
            Fail("путь d должен начинаться с команды M.");
        } else if (command == 'M') {
            command = 'L';  // coordinates after a move are lines
        } else if (command == 'm') {
            command = 'l';
        } else if (command == 'Z' || command == 'z') {
            Fail("после Z в пути d ожидается команда (позиция " +
                 std::to_string(scanner.Offset() + 1) + ").");
        }
        if (++commands > kMaxPathCommands) {
            Fail("в пути d слишком много команд (больше " + std::to_string(kMaxPathCommands) +
                 ").");
        }
        if (previous == 0 && command != 'M' && command != 'm') {
            Fail("путь d должен начинаться с команды M.");
        }
        const bool relative = std::islower(static_cast<unsigned char>(command)) != 0;
        ShapePoint nextControl{};
        bool keepsControl = false;
        switch (std::toupper(static_cast<unsigned char>(command))) {
            case 'M':
                Finish(ring, rings);
                current = start = point(relative);
                break;
            case 'L':
                lineTo(point(relative));
                break;
            case 'H': {
                const double x = number();
                lineTo({relative ? current.x + x : x, current.y});
                break;
            }
            case 'V': {
                const double y = number();
                lineTo({current.x, relative ? current.y + y : y});
                break;
            }
            case 'C': {
                const ShapePoint c1 = point(relative);
                const ShapePoint c2 = point(relative);
                const ShapePoint end = point(relative);
                cubic(c1, c2, end);
                nextControl = c2;
                keepsControl = true;
                break;
            }
            case 'S': {
                const bool smooth = std::toupper(previous) == 'C' || std::toupper(previous) == 'S';
                const ShapePoint c1 =
                    smooth ? ShapePoint{2 * current.x - control.x, 2 * current.y - control.y}
                           : current;
                const ShapePoint c2 = point(relative);
                const ShapePoint end = point(relative);
                cubic(c1, c2, end);
                nextControl = c2;
                keepsControl = true;
                break;
            }
            case 'Q': {
                const ShapePoint c = point(relative);
                const ShapePoint end = point(relative);
                quadratic(c, end);
                nextControl = c;
                keepsControl = true;
                break;
            }
            case 'T': {
                const bool smooth = std::toupper(previous) == 'Q' || std::toupper(previous) == 'T';
                const ShapePoint c =
                    smooth ? ShapePoint{2 * current.x - control.x, 2 * current.y - control.y}
                           : current;
                quadratic(c, point(relative));
                nextControl = c;
                keepsControl = true;
                break;
            }
            case 'A': {
                double rx = std::fabs(number());
                double ry = std::fabs(number());
                const double phi = number() * std::numbers::pi / 180;
                scanner.SkipSeparator();
                const auto large = scanner.Flag();
                scanner.SkipSeparator();
                const auto sweep = scanner.Flag();
                if (!large || !sweep) {
                    Fail("в дуге A пути d флаги должны быть 0 или 1 (позиция " +
                         std::to_string(scanner.Offset() + 1) + ").");
                }
                const ShapePoint end = point(relative);
                if (rx == 0 || ry == 0 || (end.x == current.x && end.y == current.y)) {
                    lineTo(end);
                    break;
                }
                // From the end points to the centre, as the SVG arc notes describe.
                const double dx = (current.x - end.x) / 2;
                const double dy = (current.y - end.y) / 2;
                const double x1 = std::cos(phi) * dx + std::sin(phi) * dy;
                const double y1 = -std::sin(phi) * dx + std::cos(phi) * dy;
                const double lambda = (x1 * x1) / (rx * rx) + (y1 * y1) / (ry * ry);
                if (lambda > 1) {
                    rx *= std::sqrt(lambda);
                    ry *= std::sqrt(lambda);
                }
                const double numerator = rx * rx * ry * ry - rx * rx * y1 * y1 - ry * ry * x1 * x1;
                const double denominator = rx * rx * y1 * y1 + ry * ry * x1 * x1;
                double factor = std::sqrt(std::max(0.0, numerator / denominator));
                if (*large == *sweep) {
                    factor = -factor;
                }
                const double cx1 = factor * rx * y1 / ry;
                const double cy1 = -factor * ry * x1 / rx;
                const double cx =
                    std::cos(phi) * cx1 - std::sin(phi) * cy1 + (current.x + end.x) / 2;
                const double cy =
                    std::sin(phi) * cx1 + std::cos(phi) * cy1 + (current.y + end.y) / 2;
                const double theta = std::atan2((y1 - cy1) / ry, (x1 - cx1) / rx);
                double delta = std::atan2((-y1 - cy1) / ry, (-x1 - cx1) / rx) - theta;
                if (*sweep && delta < 0) {
                    delta += 2 * std::numbers::pi;
                } else if (!*sweep && delta > 0) {
                    delta -= 2 * std::numbers::pi;
                }
                if (ring.empty()) {
                    Add(ring, current);
                }
                ArcPoints(ring, cx, cy, rx, ry, phi, theta, delta);
                current = end;
                break;
            }
            case 'Z':
                Finish(ring, rings);
                current = start;
                break;
            default:
                Fail(std::string("неизвестная команда \"") + command + "\" в пути d.");
        }
        control = keepsControl ? nextControl : current;
        previous = command;
        scanner.SkipSeparator();
    }
    Finish(ring, rings);
}

}  // namespace

std::vector<ImportedShape> ReadSvgShapes(std::string_view bytes, int pictureWidth,
                                         int pictureHeight, const std::string& label) {
    const std::unique_ptr<xmlParserCtxt, decltype(&xmlFreeParserCtxt)> context(xmlNewParserCtxt(),
                                                                               xmlFreeParserCtxt);
    if (!context) {
        throw Error(label + ": не хватает памяти для разбора SVG.");
    }
    // No network, no external entities, no messages on stderr: errors come back to us.
    const std::unique_ptr<xmlDoc, decltype(&xmlFreeDoc)> document(
        xmlCtxtReadMemory(context.get(), bytes.data(), static_cast<int>(bytes.size()), nullptr,
                          nullptr, XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING),
        xmlFreeDoc);
    if (!document || !context->wellFormed) {
        const xmlError* error = xmlCtxtGetLastError(context.get());
        std::string detail;
        if (error != nullptr && error->message != nullptr) {
            detail = error->message;
            while (!detail.empty() && (detail.back() == '\n' || detail.back() == ' ')) {
                detail.pop_back();
            }
        }
        throw Error(label + ": строка " + std::to_string(error != nullptr ? error->line : 0) +
                    ": файл не читается как SVG" + (detail.empty() ? "" : " (" + detail + ")") +
                    ".");
    }
    SvgReader reader(label);
    return reader.Read(xmlDocGetRootElement(document.get()), pictureWidth, pictureHeight);
}

}  // namespace velmora
