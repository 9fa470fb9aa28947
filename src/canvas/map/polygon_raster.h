#pragma once

#include <functional>
#include <vector>

namespace velmora {

// A point in picture pixel coordinates: (0, 0) is the top-left corner of the picture and
// pixel (x, y) has its centre at (x + 0.5, y + 0.5).
struct ShapePoint {
    double x = 0;
    double y = 0;
};

using ShapeRing = std::vector<ShapePoint>;

enum class FillRule { NonZero, EvenOdd };

// Receives the pixels [x0, x1) of row y.
using SpanSink = std::function<void(int y, int x0, int x1)>;

// Calls sink for every run of pixels of the width x height picture whose centre lies inside
// the rings (each closed by joining its last point to its first). A centre exactly on an edge
// counts for the pixels to its right, so shapes that share an edge never share a pixel.
void RasterizeRings(const std::vector<ShapeRing>& rings, FillRule rule, int width, int height,
                    const SpanSink& sink);

// The ellipse inscribed in the rectangle (left, top, width, height): a pixel is inside when
// its centre lies inside or on the ellipse.
void RasterizeEllipse(double left, double top, double ellipseWidth, double ellipseHeight, int width,
                      int height, const SpanSink& sink);

}  // namespace velmora
