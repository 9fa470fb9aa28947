#include "canvas/map/outline_trace.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <utility>

namespace velmora {

namespace {

// Walking directions: east, south, west, north (y grows downwards).
constexpr std::array<int, 4> kDx = {1, 0, -1, 0};
constexpr std::array<int, 4> kDy = {0, 1, 0, -1};
constexpr int kEast = 0;

int TurnRight(int d) {
    return (d + 1) & 3;
}
int TurnLeft(int d) {
    return (d + 3) & 3;
}

// The area values of the map (the red byte) with a look-up that treats everything beyond the
// edges as no area. It reads the map in place: a copy would cost a byte per pixel.
class ValueGrid {
public:
    explicit ValueGrid(const Bitmap& map) : m_map(map) {}
    int Width() const { return m_map.Width(); }
    int Height() const { return m_map.Height(); }
    std::uint8_t At(int x, int y) const {
        if (x < 0 || y < 0 || x >= m_map.Width() || y >= m_map.Height()) {
            return 0;
        }
        return m_map.Pixel(x, y)[2];
    }

private:
    const Bitmap& m_map;
};

// One bit per pixel: whether the pixel's top edge still waits to be traced.
class EdgeFlags {
public:
    EdgeFlags(int width, int height)
        : m_width(width), m_bits((static_cast<std::size_t>(width) * height + 63) / 64, 0) {}
    bool Test(int x, int y) const {
        const std::size_t i = Index(x, y);
        return (m_bits[i / 64] >> (i % 64)) & 1U;
    }
    void Set(int x, int y) {
        const std::size_t i = Index(x, y);
        m_bits[i / 64] |= std::uint64_t{1} << (i % 64);
    }
    void Clear(int x, int y) {
        const std::size_t i = Index(x, y);
        m_bits[i / 64] &= ~(std::uint64_t{1} << (i % 64));
    }

private:
    std::size_t Index(int x, int y) const { return static_cast<std::size_t>(y) * m_width + x; }
    int m_width;
    std::vector<std::uint64_t> m_bits;
};

// The pixel that lies in the quadrant (qx, qy) of corner (cx, cy), qx and qy being +1 or -1.
std::pair<int, int> QuadrantPixel(int cx, int cy, int qx, int qy) {
    return {qx > 0 ? cx : cx - 1, qy > 0 ? cy : cy - 1};
}

// Follows one ring from the top edge of pixel (x, y), the area always on the right. Where
// two pixels of the area touch only at a corner the walk turns away, so they stay apart.
// Clears the pending flag of every top edge it passes.
std::vector<OutlinePoint> FollowRing(const ValueGrid& grid, EdgeFlags& pendingTop, int x, int y) {
    const std::uint8_t value = grid.At(x, y);
    std::vector<OutlinePoint> corners;
    int cx = x;
    int cy = y;
    int d = kEast;
    do {
        if (d == kEast) {
            pendingTop.Clear(cx, cy);
        }
        cx += kDx[d];
        cy += kDy[d];
        const int r = TurnRight(d);
        const auto [arx, ary] = QuadrantPixel(cx, cy, kDx[d] + kDx[r], kDy[d] + kDy[r]);
        const auto [alx, aly] = QuadrantPixel(cx, cy, kDx[d] - kDx[r], kDy[d] - kDy[r]);
        int next = TurnRight(d);
        if (grid.At(arx, ary) == value) {
            next = grid.At(alx, aly) == value ? TurnLeft(d) : d;
        }
        if (next != d) {
            corners.push_back({cx, cy});
        }
        d = next;
    } while (cx != x || cy != y || d != kEast);
    return corners;
}

double SegmentDistance(const OutlinePoint& p, const OutlinePoint& a, const OutlinePoint& b) {
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    const double px = p.x - a.x;
    const double py = p.y - a.y;
    const double length2 = dx * dx + dy * dy;
    double t = length2 > 0 ? (px * dx + py * dy) / length2 : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(px - t * dx, py - t * dy);
}

// Whether the chord from ring[a] to ring[b % n] keeps every pixel of the corners between
// them on its side under the polygon fill's pixel-centre rule: the corners must climb or
// fall steadily, and on every pixel row the chord must cross the row's centre line where the
// first pixel to its right is the one the corners' vertical edge starts at. The crossing is
// computed as the fill computes it, so a tie is decided the same way.
bool ChordKeepsPixels(const std::vector<OutlinePoint>& ring, std::size_t a, std::size_t b) {
    const std::size_t n = ring.size();
    const OutlinePoint& from = ring[a];
    const OutlinePoint& to = ring[b % n];
    const bool down = to.y > from.y;
    // The chord as the fill sees it: from its upper end to its lower end.
    const OutlinePoint& upper = down ? from : to;
    const OutlinePoint& lower = down ? to : from;
    for (std::size_t i = a; i < b; ++i) {
        const OutlinePoint& p = ring[i % n];
        const OutlinePoint& q = ring[(i + 1) % n];
        if (p.x != q.x || p.y == q.y) {
            continue;
        }
        if (from.y == to.y || (q.y > p.y) != down) {
            return false;
        }
        for (int row = std::min(p.y, q.y); row < std::max(p.y, q.y); ++row) {
            const double t = (row + 0.5 - upper.y) / static_cast<double>(lower.y - upper.y);
            const double x = upper.x + t * (lower.x - upper.x);
            if (std::ceil(x - 0.5) != p.x) {
                return false;
            }
        }
    }
    return true;
}

// Douglas-Peucker on a closed ring, anchored at the first corner and the corner furthest
// from it, so the result does not depend on a seam being a good place to cut.
// Up to a tolerance of one pixel a chord must also keep the pixels exactly (see
// ChordKeepsPixels), so that the polygons give back their areas pixel for pixel and two
// areas that share an edge never reach into each other.
std::vector<OutlinePoint> Simplify(const std::vector<OutlinePoint>& ring, double tolerance) {
    const bool exact = tolerance <= 1.0;
    const std::size_t n = ring.size();
    if (n < 4) {
        return ring;
    }
    std::size_t far = 0;
    double farDistance = -1;
    for (std::size_t i = 1; i < n; ++i) {
        const double d = std::hypot(ring[i].x - ring[0].x, ring[i].y - ring[0].y);
        if (d > farDistance) {
            farDistance = d;
            far = i;
        }
    }
    std::vector<bool> keep(n, false);
    keep[0] = keep[far] = true;
    std::vector<std::pair<std::size_t, std::size_t>> stack = {{0, far}, {far, n}};
    while (!stack.empty()) {
        const auto [a, b] = stack.back();
        stack.pop_back();
        if (b - a < 2) {
            continue;
        }
        double worst = -1;
        std::size_t worstAt = a;
        for (std::size_t i = a + 1; i < b; ++i) {
            const double d = SegmentDistance(ring[i], ring[a], ring[b % n]);
            if (d > worst) {
                worst = d;
                worstAt = i;
            }
        }
        if (worst > tolerance || (exact && !ChordKeepsPixels(ring, a, b))) {
            keep[worstAt] = true;
            stack.push_back({a, worstAt});
            stack.push_back({worstAt, b});
        }
    }
    std::vector<OutlinePoint> simplified;
    for (std::size_t i = 0; i < n; ++i) {
        if (keep[i]) {
            simplified.push_back(ring[i]);
        }
    }
    // A ring thinner than the tolerance would vanish or turn inside out: keep it whole.
    const std::int64_t before = RingDoubleArea(ring);
    const std::int64_t after = RingDoubleArea(simplified);
    if (simplified.size() < 3 || after == 0 || (after > 0) != (before > 0)) {
        return ring;
    }
    return simplified;
}

}  // namespace

std::int64_t RingDoubleArea(const std::vector<OutlinePoint>& points) {
    std::int64_t sum = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const OutlinePoint& a = points[i];
        const OutlinePoint& b = points[(i + 1) % points.size()];
        sum += static_cast<std::int64_t>(a.x) * b.y - static_cast<std::int64_t>(b.x) * a.y;
    }
    return sum;
}

void TraceRings(const Bitmap& map, double tolerance,
                const std::function<void(int area, OutlineRing ring)>& take, Progress& progress) {
    const ValueGrid grid(map);
    const int width = grid.Width();
    const int height = grid.Height();
    // A pixel's top edge is part of an outline when the pixel above holds another value.
    EdgeFlags pendingTop(width, height);
    // Finding the edges is a tenth of the work, following them the rest.
    const std::int64_t total = 10LL * height;
    for (int y = 0; y < height; ++y) {
        StepRows(progress, y, total);
        for (int x = 0; x < width; ++x) {
            const std::uint8_t v = grid.At(x, y);
            if (v != 0 && grid.At(x, y - 1) != v) {
                pendingTop.Set(x, y);
            }
        }
    }
    for (int y = 0; y < height; ++y) {
        StepRows(progress, height + 9LL * y, total);
        for (int x = 0; x < width; ++x) {
            if (!pendingTop.Test(x, y)) {
                continue;
            }
            std::vector<OutlinePoint> corners = FollowRing(grid, pendingTop, x, y);
            OutlineRing ring;
            ring.hole = RingDoubleArea(corners) < 0;
            ring.points = tolerance > 0 ? Simplify(corners, tolerance) : std::move(corners);
            take(grid.At(x, y), std::move(ring));
        }
    }
}

std::vector<AreaOutline> TraceOutlines(const Bitmap& map, double tolerance) {
    std::array<std::vector<OutlineRing>, 256> rings;
    TraceRings(map, tolerance,
               [&rings](int area, OutlineRing ring) { rings[area].push_back(std::move(ring)); });
    std::vector<AreaOutline> outlines;
    for (int value = 1; value < 256; ++value) {
        if (!rings[value].empty()) {
            outlines.push_back({value, std::move(rings[value])});
        }
    }
    return outlines;
}

}  // namespace velmora
