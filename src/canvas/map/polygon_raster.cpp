#include "canvas/map/polygon_raster.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace velmora {

namespace {

struct Edge {
    double x0, y0, x1, y1;  // y0 < y1
    int winding;
    int firstRow;  // rows whose centre line y + 0.5 lies in [y0, y1)
    int endRow;
};

// The first pixel whose centre is at or right of x, clamped to [0, limit].
int FirstPixelFrom(double x, int limit) {
    const double first = std::ceil(x - 0.5);
    return static_cast<int>(std::clamp(first, 0.0, static_cast<double>(limit)));
}

int RowFrom(double y, int limit) {
    return static_cast<int>(std::clamp(std::ceil(y - 0.5), 0.0, static_cast<double>(limit)));
}

}  // namespace

void RasterizeRings(const std::vector<ShapeRing>& rings, FillRule rule, int width, int height,
                    const SpanSink& sink) {
    std::vector<Edge> edges;
    for (const ShapeRing& ring : rings) {
        for (std::size_t i = 0; i < ring.size(); ++i) {
            const ShapePoint& a = ring[i];
            const ShapePoint& b = ring[(i + 1) % ring.size()];
            if (a.y == b.y) {
                continue;
            }
            Edge e =
                a.y < b.y ? Edge{a.x, a.y, b.x, b.y, 1, 0, 0} : Edge{b.x, b.y, a.x, a.y, -1, 0, 0};
            e.firstRow = RowFrom(e.y0, height);
            e.endRow = RowFrom(e.y1, height);
            if (e.firstRow < e.endRow) {
                edges.push_back(e);
            }
        }
    }
    if (edges.empty()) {
        return;
    }
    std::sort(edges.begin(), edges.end(),
              [](const Edge& a, const Edge& b) { return a.firstRow < b.firstRow; });
    std::vector<const Edge*> active;
    std::vector<std::pair<double, int>> crossings;
    std::size_t next = 0;
    for (int y = edges.front().firstRow; y < height; ++y) {
        std::erase_if(active, [y](const Edge* e) { return e->endRow <= y; });
        while (next < edges.size() && edges[next].firstRow == y) {
            active.push_back(&edges[next++]);
        }
        if (active.empty()) {
            if (next == edges.size()) {
                break;
            }
            y = edges[next].firstRow - 1;
            continue;
        }
        const double centre = y + 0.5;
        crossings.clear();
        for (const Edge* e : active) {
            const double t = (centre - e->y0) / (e->y1 - e->y0);
            crossings.push_back({e->x0 + t * (e->x1 - e->x0), e->winding});
        }
        std::sort(crossings.begin(), crossings.end());
        int winding = 0;
        double spanStart = 0;
        for (const auto& [x, w] : crossings) {
            const bool wasInside = rule == FillRule::NonZero ? winding != 0 : (winding & 1) != 0;
            winding += w;
            const bool inside = rule == FillRule::NonZero ? winding != 0 : (winding & 1) != 0;
            if (inside && !wasInside) {
                spanStart = x;
            } else if (!inside && wasInside) {
                const int x0 = FirstPixelFrom(spanStart, width);
                const int x1 = FirstPixelFrom(x, width);
                if (x0 < x1) {
                    sink(y, x0, x1);
                }
            }
        }
    }
}

void RasterizeEllipse(double left, double top, double ellipseWidth, double ellipseHeight, int width,
                      int height, const SpanSink& sink) {
    if (!(ellipseWidth > 0) || !(ellipseHeight > 0)) {
        return;
    }
    const double a = ellipseWidth / 2;
    const double b = ellipseHeight / 2;
    const double cx = left + a;
    const double cy = top + b;
    const int firstRow = RowFrom(top, height);
    const int endRow = static_cast<int>(
        std::clamp(std::floor(top + ellipseHeight - 0.5) + 1, 0.0, static_cast<double>(height)));
    for (int y = firstRow; y < endRow; ++y) {
        const double dy = (y + 0.5 - cy) / b;
        const double rest = 1 - dy * dy;
        if (rest < 0) {
            continue;
        }
        const double half = a * std::sqrt(rest);
        const int x0 = FirstPixelFrom(cx - half, width);
        // Pixels whose centre is at or left of cx + half.
        const int x1 = static_cast<int>(
            std::clamp(std::floor(cx + half - 0.5) + 1, 0.0, static_cast<double>(width)));
        if (x0 < x1) {
            sink(y, x0, x1);
        }
    }
}

}  // namespace velmora
