#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "canvas/map/polygon_raster.h"
#include "shapes/shape_file.h"
#include "shapes/shape_numbers.h"

namespace velmora {

// What the SVG readers share: the user-unit-to-pixel transform, the check of every number, and
// the writer that turns user-unit points into rings in picture pixels.

// A fault in one attribute of an SVG element; the document walk adds the file and the element.
class SvgSyntaxError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

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
    double Scale() const;
};

// The next number of an attribute (after one separator); throws SvgSyntaxError naming what
// ("viewBox", "пути d", ...) when there is none or it lies beyond kMaxShapeCoordinate.
double NeedSvgNumber(NumberScanner& scanner, const std::string& what);

// Takes points in user units, moves them into picture pixels through the element's transform
// and counts them against the file's ShapeBudget (which names the element on overrun).
class RingWriter {
public:
    RingWriter(const Affine& toPicture, ShapeBudget& budget, const std::string& where)
        : m_toPicture(toPicture), m_scale(toPicture.Scale()), m_budget(budget), m_where(where) {}

    void Add(ShapeRing& ring, ShapePoint userPoint);
    // Moves ring into rings when it has an inside (3 points or more), and empties it.
    static void Finish(ShapeRing& ring, std::vector<ShapeRing>& rings);
    // How many straight pieces a curve of this length in user units is cut into: about one
    // per 2 pixels, 1 to 256.
    int Segments(double userLength) const;
    // An elliptical arc around (cx, cy) from angle start through sweep (radians), rotated by
    // phi; the start point itself is not added.
    void Arc(ShapeRing& ring, double cx, double cy, double rx, double ry, double phi, double start,
             double sweep);

private:
    Affine m_toPicture;
    double m_scale;
    ShapeBudget& m_budget;
    const std::string& m_where;
};

}  // namespace velmora
