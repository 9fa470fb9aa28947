#include "canvas/map/polygon_raster.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <queue>

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

// The first pixel of row y at or right of where the edge crosses the row's centre line: the
// pixels from there on see the edge's winding. Along an edge it never turns back, since every
// step of the sum is monotonic in y.
int CrossingPixel(const Edge& e, int y, int width) {
    const double t = (y + 0.5 - e.y0) / (e.y1 - e.y0);
    return FirstPixelFrom(e.x0 + t * (e.x1 - e.x0), width);
}

// The first row after y where the edge crosses another pixel than pixel, or its end row.
// Steep edges keep their pixel for many rows, so the rows are searched by doubling steps.
int NextCrossingChange(const Edge& e, int y, int pixel, int width) {
    int same = y;  // the last row known to cross at pixel
    int step = 1;
    int probe = y + 1;
    while (probe < e.endRow && CrossingPixel(e, probe, width) == pixel) {
        same = probe;
        step *= 2;
        probe = same + step;
    }
    int differs = std::min(probe, e.endRow);
    while (differs - same > 1) {
        const int middle = same + (differs - same) / 2;
        if (CrossingPixel(e, middle, width) == pixel) {
            same = middle;
        } else {
            differs = middle;
        }
    }
    return differs;
}

struct ActiveEdge {
    int changeRow;  // the row at which the edge leaves its pixel or ends
    int edge;
    int pixel;
    friend bool operator>(const ActiveEdge& a, const ActiveEdge& b) {
        return a.changeRow > b.changeRow;
    }
};

}  // namespace

// Each row's winding is kept as the sum of the edges' windings placed at the pixel where each
// crosses the row, so a row costs its width within the rings' reach, not its count of edges;
// an edge is touched only where its pixel changes. A zig-zag of a million near-vertical edges
// is thus as cheap as its pixels.
void RasterizeRings(const std::vector<ShapeRing>& rings, FillRule rule, int width, int height,
                    const SpanSink& sink) {
    std::vector<Edge> edges;
    double left = 0;
    double right = 0;
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
                left = edges.empty() ? std::min(e.x0, e.x1) : std::min({left, e.x0, e.x1});
                right = edges.empty() ? std::max(e.x0, e.x1) : std::max({right, e.x0, e.x1});
                edges.push_back(e);
            }
        }
    }
    if (edges.empty()) {
        return;
    }
    std::sort(edges.begin(), edges.end(),
              [](const Edge& a, const Edge& b) { return a.firstRow < b.firstRow; });
    // Pixels that any crossing can reach; beyond them every row is outside.
    const int firstPixel = FirstPixelFrom(left, width);
    const int endPixel = FirstPixelFrom(right, width);
    std::vector<std::int64_t> windingAt(static_cast<std::size_t>(width) + 1, 0);
    std::priority_queue<ActiveEdge, std::vector<ActiveEdge>, std::greater<>> active;
    auto inside = [rule](std::int64_t winding) {
        return rule == FillRule::NonZero ? winding != 0 : (winding & 1) != 0;
    };
    auto enter = [&](int index, int y) {
        const Edge& e = edges[index];
        const int pixel = CrossingPixel(e, y, width);
        windingAt[pixel] += e.winding;
        active.push({NextCrossingChange(e, y, pixel, width), index, pixel});
    };
    std::size_t next = 0;
    for (int y = edges.front().firstRow; y < height; ++y) {
        while (!active.empty() && active.top().changeRow == y) {
            const ActiveEdge moved = active.top();
            active.pop();
            windingAt[moved.pixel] -= edges[moved.edge].winding;
            if (y < edges[moved.edge].endRow) {
                enter(moved.edge, y);
            }
        }
        while (next < edges.size() && edges[next].firstRow == y) {
            enter(static_cast<int>(next++), y);
        }
        if (active.empty()) {
            if (next == edges.size()) {
                break;
            }
            y = edges[next].firstRow - 1;
            continue;
        }
        std::int64_t winding = 0;
        int spanStart = -1;
        for (int x = firstPixel; x <= endPixel; ++x) {
            winding += windingAt[x];
            const bool in = x < width && inside(winding);
            if (in && spanStart < 0) {
                spanStart = x;
            } else if (!in && spanStart >= 0) {
                sink(y, spanStart, x);
                spanStart = -1;
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
