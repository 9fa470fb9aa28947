#include "canvas/map/line_raster.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

namespace velmora {

namespace {

using i64 = std::int64_t;
using u128 = unsigned __int128;

// Stands for "no bound" in an interval of doubled coordinates; far beyond any pen position.
constexpr i64 kUnbounded = i64{1} << 50;

i64 FloorDiv(i64 a, i64 b) {
    i64 q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) {
        --q;
    }
    return q;
}

// The largest r with r * r <= n.
i64 IntegerSqrt(u128 n) {
    auto r = static_cast<i64>(std::sqrt(static_cast<long double>(n)));
    while (r > 0 && static_cast<u128>(r) * static_cast<u128>(r) > n) {
        --r;
    }
    while (static_cast<u128>(r + 1) * static_cast<u128>(r + 1) <= n) {
        ++r;
    }
    return r;
}

// The same for the small numbers of a row's disc chord, where a double's square root is
// already within one of the answer.
i64 SmallIntegerSqrt(i64 n) {
    auto r = static_cast<i64>(std::sqrt(static_cast<double>(n)));
    while (r > 0 && r * r > n) {
        --r;
    }
    while ((r + 1) * (r + 1) <= n) {
        ++r;
    }
    return r;
}

i64 Clamp(std::int32_t v) {
    return std::clamp<i64>(v, -kPenCoordinateLimit, kPenCoordinateLimit);
}

// The pixel columns covered on one row, gathered from bounds in doubled coordinates.
struct Span {
    i64 lo = std::numeric_limits<i64>::max();
    i64 hi = std::numeric_limits<i64>::min();

    // Adds the pixels whose doubled centre lies in [l, r].
    void Add(i64 l, i64 r) {
        // ceil((l - 1) / 2) and floor((r - 1) / 2); C++20 shifts negative numbers arithmetically.
        const i64 first = l >> 1;
        const i64 last = (r - 1) >> 1;
        if (first <= last) {
            lo = std::min(lo, first);
            hi = std::max(hi, last);
        }
    }
};

// floor(n / d) and ceil(n / d) for a numerator n that grows by a fixed step from one row to
// the next, kept exactly without a division per row. d is positive.
class QuotientTracker {
public:
    void Start(i64 n, i64 d, i64 step) {
        m_d = d;
        m_q = FloorDiv(n, d);
        m_r = n - m_q * d;
        m_stepQ = FloorDiv(step, d);
        m_stepR = step - m_stepQ * d;
    }
    void Next() {
        m_q += m_stepQ;
        m_r += m_stepR;
        if (m_r >= m_d) {
            m_r -= m_d;
            ++m_q;
        }
    }
    i64 Floor() const { return m_q; }
    i64 Ceil() const { return m_q + (m_r != 0 ? 1 : 0); }

private:
    i64 m_d = 1, m_q = 0, m_r = 0, m_stepQ = 0, m_stepR = 0;
};

// Half chords of the pen's disc: entry t is floor(sqrt(width^2 - t^2)), the reach of the disc
// on a row t doubled units from its centre. Strokes keep one width for thousands of segments,
// so the table of the last width is kept.
const std::vector<i64>& DiscChords(i64 width) {
    thread_local i64 tableWidth = 0;
    thread_local std::vector<i64> chords;
    if (tableWidth != width) {
        chords.resize(static_cast<std::size_t>(width) + 1);
        for (i64 t = 0; t <= width; ++t) {
            chords[static_cast<std::size_t>(t)] = SmallIntegerSqrt(width * width - t * t);
        }
        tableWidth = width;
    }
    return chords;
}

// Segment in doubled coordinates, where the centre of pixel p lies at 2p + 1. Rows are
// visited from top to bottom; the band's bounds follow them through QuotientTrackers.
class Capsule {
public:
    Capsule(i64 ax, i64 ay, i64 bx, i64 by, i64 width)
        : m_ax(ax),
          m_ay(ay),
          m_bx(bx),
          m_dx(bx - ax),
          m_dy(by - ay),
          m_length2(m_dx * m_dx + m_dy * m_dy),
          m_radius2(width * width),
          m_width(width),
          m_chords(DiscChords(width)),
          m_bandLimit(IntegerSqrt(static_cast<u128>(m_radius2) * static_cast<u128>(m_length2))) {}

    // Positions the band's bounds at the row whose doubled centre is py; rows then follow
    // one by one through NextRow.
    void StartAt(i64 py) {
        m_ry = py - m_ay;
        if (m_length2 == 0) {
            return;
        }
        // Band: -bandLimit <= u * dy - ry * dx <= bandLimit for u = px - ax, that is
        // (k - bandLimit) / |dy| <= u <= (k + bandLimit) / |dy| with k = sign(dy) * ry * dx.
        if (m_dy != 0) {
            const i64 sign = m_dy > 0 ? 1 : -1;
            const i64 k = sign * m_ry * m_dx;
            const i64 step = sign * 2 * m_dx;
            m_bandLo.Start(k - m_bandLimit, sign * m_dy, step);
            m_bandHi.Start(k + m_bandLimit, sign * m_dy, step);
        }
        // Projection: 0 <= u * dx + ry * dy <= length2.
        if (m_dx != 0) {
            const i64 sign = m_dx > 0 ? 1 : -1;
            const i64 m = -sign * m_ry * m_dy;
            const i64 step = -sign * 2 * m_dy;
            m_projLo.Start(m - (sign < 0 ? m_length2 : 0), sign * m_dx, step);
            m_projHi.Start(m + (sign > 0 ? m_length2 : 0), sign * m_dx, step);
        }
    }

    void NextRow() {
        m_ry += 2;
        if (m_length2 == 0) {
            return;
        }
        if (m_dy != 0) {
            m_bandLo.Next();
            m_bandHi.Next();
        }
        if (m_dx != 0) {
            m_projLo.Next();
            m_projHi.Next();
        }
    }

    // The pixels of the current row within the radius of the segment.
    Span RowSpan() const {
        Span span;
        AddDisc(span, m_ax, m_ry);
        AddDisc(span, m_bx, m_ry - m_dy);
        AddBand(span);
        return span;
    }

private:
    // Adds the pixels within the disc around the end point at column cx, ry rows away.
    void AddDisc(Span& span, i64 cx, i64 ry) const {
        const i64 t = ry < 0 ? -ry : ry;
        if (t <= m_width) {
            const i64 s = m_chords[static_cast<std::size_t>(t)];
            span.Add(cx - s, cx + s);
        }
    }

    // Adds the pixels of the band between the two end discs: their projection onto the
    // segment falls within it and their distance from its line is at most the radius.
    void AddBand(Span& span) const {
        if (m_length2 == 0) {
            return;
        }
        i64 lo = -kUnbounded;
        i64 hi = kUnbounded;
        if (m_dy != 0) {
            lo = m_bandLo.Ceil();
            hi = m_bandHi.Floor();
        } else if (const i64 k = m_ry * m_dx; k > m_bandLimit || k < -m_bandLimit) {
            return;
        }
        if (m_dx != 0) {
            lo = std::max(lo, m_projLo.Ceil());
            hi = std::min(hi, m_projHi.Floor());
        } else if (const i64 m = m_ry * m_dy; m < 0 || m > m_length2) {
            return;
        }
        if (lo <= hi) {
            span.Add(m_ax + lo, m_ax + hi);
        }
    }

    i64 m_ax, m_ay, m_bx;
    i64 m_dx, m_dy;
    i64 m_length2;  // |B - A|^2
    i64 m_radius2;  // width^2, the squared radius in doubled units
    i64 m_width;
    const std::vector<i64>& m_chords;
    i64 m_bandLimit;  // floor(width * |B - A|): bound of the cross product inside the band
    i64 m_ry = 0;     // the current row's doubled centre less ay
    QuotientTracker m_bandLo, m_bandHi, m_projLo, m_projHi;
};

// A one-pixel line: one pixel per column, or per row when the line is steep, each the pixel
// nearest to the exact line (halves round towards the larger coordinate). The ends are
// ordered along the long axis first, so a line drawn backwards covers the same pixels.
Rect DrawThinLine(const MapWindow& window, i64 x0, i64 y0, i64 x1, i64 y1, std::uint8_t value) {
    const bool steep = std::abs(y1 - y0) > std::abs(x1 - x0);
    // (a, b): a runs along the long axis, b across it.
    i64 a0 = steep ? y0 : x0, b0 = steep ? x0 : y0;
    i64 a1 = steep ? y1 : x1, b1 = steep ? x1 : y1;
    if (a1 < a0) {
        std::swap(a0, a1);
        std::swap(b0, b1);
    }
    const Rect bounds = window.Bounds();
    const i64 longFirst = steep ? bounds.y : bounds.x;
    const i64 longLast = (steep ? bounds.Bottom() : bounds.Right()) - 1;
    const i64 crossFirst = steep ? bounds.x : bounds.y;
    const i64 crossLast = (steep ? bounds.Right() : bounds.Bottom()) - 1;
    const i64 first = std::max<i64>(a0, longFirst);
    const i64 last = std::min<i64>(a1, longLast);
    const i64 da = a1 - a0;
    const i64 db = b1 - b0;
    Rect touched;
    for (i64 a = first; a <= last; ++a) {
        // b = b0 + (a - a0) * db / da rounded half up: floor((2 * da * b0 + 2 * (a - a0) * db
        // + da) / (2 * da)); every term stays far inside 64 bits at the pen coordinate limit.
        const i64 b = da == 0 ? b0 : FloorDiv(2 * da * b0 + 2 * (a - a0) * db + da, 2 * da);
        if (b < crossFirst || b > crossLast) {
            continue;
        }
        const int x = static_cast<int>(steep ? b : a);
        const int y = static_cast<int>(steep ? a : b);
        std::memset(window.pixels.Pixel(x - window.x, y - window.y), value, 3);
        touched = touched.United({x, y, 1, 1});
    }
    return touched;
}

}  // namespace

Rect DrawLine(Bitmap& map, std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1,
              int width, std::uint8_t value) {
    return DrawLineWithin(MapWindow::Whole(map), x0, y0, x1, y1, width, value);
}

Rect DrawLineWithin(const MapWindow& window, std::int32_t x0, std::int32_t y0, std::int32_t x1,
                    std::int32_t y1, int width, std::uint8_t value) {
    const Rect bounds = window.Bounds();
    if (bounds.Empty()) {
        return {};
    }
    const i64 w = std::clamp(width, 1, kMaxLineWidth);
    if (w == 1) {
        return DrawThinLine(window, Clamp(x0), Clamp(y0), Clamp(x1), Clamp(y1), value);
    }
    const i64 centre = w & 1;
    const i64 ax = 2 * Clamp(x0) + centre;
    const i64 ay = 2 * Clamp(y0) + centre;
    const i64 bx = 2 * Clamp(x1) + centre;
    const i64 by = 2 * Clamp(y1) + centre;

    // Pixels whose doubled centre lies within the segment's box grown by the radius.
    Span columns;
    columns.Add(std::min(ax, bx) - w, std::max(ax, bx) + w);
    Span rows;
    rows.Add(std::min(ay, by) - w, std::max(ay, by) + w);
    const i64 left = std::max<i64>(columns.lo, bounds.x);
    const i64 right = std::min<i64>(columns.hi, bounds.Right() - 1);
    const i64 top = std::max<i64>(rows.lo, bounds.y);
    const i64 bottom = std::min<i64>(rows.hi, bounds.Bottom() - 1);
    if (left > right || top > bottom) {
        return {};
    }

    Capsule capsule(ax, ay, bx, by, w);
    capsule.StartAt(2 * top + 1);
    i64 touchedLeft = right + 1;
    i64 touchedRight = left - 1;
    i64 touchedTop = -1;
    i64 touchedBottom = -1;
    for (i64 y = top; y <= bottom; ++y, capsule.NextRow()) {
        const Span span = capsule.RowSpan();
        const i64 from = std::max(span.lo, left);
        const i64 to = std::min(span.hi, right);
        if (from > to) {
            continue;
        }
        std::uint8_t* row = window.pixels.Row(static_cast<int>(y) - window.y);
        std::memset(row + (from - window.x) * 3, value,
                    static_cast<std::size_t>(to - from + 1) * 3);
        touchedLeft = std::min(touchedLeft, from);
        touchedRight = std::max(touchedRight, to);
        if (touchedTop < 0) {
            touchedTop = y;
        }
        touchedBottom = y;
    }
    if (touchedTop < 0) {
        return {};
    }
    return {static_cast<int>(touchedLeft), static_cast<int>(touchedTop),
            static_cast<int>(touchedRight - touchedLeft + 1),
            static_cast<int>(touchedBottom - touchedTop + 1)};
}

}  // namespace velmora
