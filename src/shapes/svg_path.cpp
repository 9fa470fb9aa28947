#include "shapes/svg_path.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <numbers>

namespace velmora {

std::vector<ShapeRing> ReadSvgPath(const std::string& text, RingWriter& writer) {
    std::vector<ShapeRing> rings;
    NumberScanner scanner(text);
    ShapeRing ring;
    ShapePoint current;
    ShapePoint start;
    ShapePoint control;  // the last control point, for S and T
    char previous = 0;
    char command = 0;
    std::size_t commands = 0;
    auto number = [&] { return NeedSvgNumber(scanner, "пути d"); };
    auto point = [&](bool relative) {
        const double x = number();
        const double y = number();
        return relative ? ShapePoint{current.x + x, current.y + y} : ShapePoint{x, y};
    };
    auto lineTo = [&](ShapePoint p) {
        if (ring.empty()) {
            writer.Add(ring, current);
        }
        writer.Add(ring, p);
        current = p;
    };
    auto cubic = [&](ShapePoint c1, ShapePoint c2, ShapePoint end) {
        if (ring.empty()) {
            writer.Add(ring, current);
        }
        const double length = std::hypot(c1.x - current.x, c1.y - current.y) +
                              std::hypot(c2.x - c1.x, c2.y - c1.y) +
                              std::hypot(end.x - c2.x, end.y - c2.y);
        const int n = writer.Segments(length);
        for (int i = 1; i <= n; ++i) {
            const double t = static_cast<double>(i) / n;
            const double u = 1 - t;
            writer.Add(ring, {u * u * u * current.x + 3 * u * u * t * c1.x + 3 * u * t * t * c2.x +
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
            throw SvgSyntaxError("путь d должен начинаться с команды M.");
        } else if (command == 'M') {
            command = 'L';  // coordinates after a move are lines
        } else if (command == 'm') {
            command = 'l';
        } else if (command == 'Z' || command == 'z') {
            throw SvgSyntaxError("после Z в пути d ожидается команда (позиция " +
                                 std::to_string(scanner.Offset() + 1) + ").");
        }
        if (++commands > kMaxPathCommands) {
            throw SvgSyntaxError("в пути d слишком много команд (больше " +
                                 std::to_string(kMaxPathCommands) + ").");
        }
        if (previous == 0 && command != 'M' && command != 'm') {
            throw SvgSyntaxError("путь d должен начинаться с команды M.");
        }
        const bool relative = std::islower(static_cast<unsigned char>(command)) != 0;
        ShapePoint nextControl{};
        bool keepsControl = false;
        switch (std::toupper(static_cast<unsigned char>(command))) {
            case 'M':
                RingWriter::Finish(ring, rings);
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
                    throw SvgSyntaxError("в дуге A пути d флаги должны быть 0 или 1 (позиция " +
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
                    writer.Add(ring, current);
                }
                writer.Arc(ring, cx, cy, rx, ry, phi, theta, delta);
                current = end;
                break;
            }
            case 'Z':
                RingWriter::Finish(ring, rings);
                current = start;
                break;
            default:
                throw SvgSyntaxError(std::string("неизвестная команда \"") + command +
                                     "\" в пути d.");
        }
        control = keepsControl ? nextControl : current;
        previous = command;
        scanner.SkipSeparator();
    }
    RingWriter::Finish(ring, rings);
    return rings;
}

}  // namespace velmora
