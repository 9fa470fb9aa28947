#include "shapes/svg_geometry.h"

#include <algorithm>
#include <cmath>

namespace velmora {

double Affine::Scale() const {
    return std::max(std::hypot(a, b), std::hypot(c, d));
}

double NeedSvgNumber(NumberScanner& scanner, const std::string& what) {
    scanner.SkipSeparator();
    const auto number = scanner.Number();
    if (!number) {
        throw SvgSyntaxError("в " + what + " ожидается число (позиция " +
                             std::to_string(scanner.Offset() + 1) + ").");
    }
    if (!std::isfinite(*number) || std::fabs(*number) > kMaxShapeCoordinate) {
        throw SvgSyntaxError("в " + what + " число вне допустимых пределов (±10000000).");
    }
    return *number;
}

void RingWriter::Add(ShapeRing& ring, ShapePoint userPoint) {
    const ShapePoint p = m_toPicture.Apply(userPoint);
    m_budget.Add(p, m_where);
    ring.push_back(p);
}

void RingWriter::Finish(ShapeRing& ring, std::vector<ShapeRing>& rings) {
    if (ring.size() >= 3) {
        rings.push_back(std::move(ring));
    }
    ring.clear();
}

int RingWriter::Segments(double userLength) const {
    return std::clamp(static_cast<int>(std::ceil(userLength * m_scale / 2)), 1, 256);
}

void RingWriter::Arc(ShapeRing& ring, double cx, double cy, double rx, double ry, double phi,
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

}  // namespace velmora
