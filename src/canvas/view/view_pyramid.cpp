#include "canvas/view/view_pyramid.h"

#include <algorithm>

#include "canvas/view/row_bands.h"

namespace velmora {

namespace {

// The level rectangle whose pixels depend on rect of the level below.
Rect Halved(const Rect& rect, int width, int height) {
    const int left = rect.x / 2;
    const int top = rect.y / 2;
    const int right = (rect.Right() + 1) / 2;
    const int bottom = (rect.Bottom() + 1) / 2;
    return Rect{left, top, right - left, bottom - top}.Intersected({0, 0, width, height});
}

// Averages 2 x 2 pixels of source into dest over rect (dest's pixels); a source of odd size
// repeats its last row or column.
void HalvePicture(const Bitmap& source, Bitmap& dest) {
    const int lastX = source.Width() - 1;
    const int lastY = source.Height() - 1;
    for (int y = 0; y < dest.Height(); ++y) {
        const std::uint8_t* r0 = source.Row(std::min(2 * y, lastY));
        const std::uint8_t* r1 = source.Row(std::min(2 * y + 1, lastY));
        std::uint8_t* out = dest.Row(y);
        const int pairs = std::min(dest.Width(), source.Width() / 2);
        for (int x = 0; x < pairs; ++x) {
            const std::uint8_t* a = r0 + 6 * x;
            const std::uint8_t* b = r1 + 6 * x;
            for (int c = 0; c < 3; ++c) {
                out[3 * x + c] =
                    static_cast<std::uint8_t>((a[c] + a[c + 3] + b[c] + b[c + 3] + 2) >> 2);
            }
        }
        for (int x = pairs; x < dest.Width(); ++x) {
            const std::uint8_t* a = r0 + 3 * std::min(2 * x, lastX);
            const std::uint8_t* b = r1 + 3 * std::min(2 * x, lastX);
            for (int c = 0; c < 3; ++c) {
                out[3 * x + c] = static_cast<std::uint8_t>((a[c] + b[c] + 1) >> 1);
            }
        }
    }
}

// Reads an area value from a row of the full map (3 bytes a pixel) or of a half (1 byte).
struct MapRows {
    const std::uint8_t* data;
    std::size_t stride;
    int step;
    int width;
    int height;

    const std::uint8_t* Row(int y) const { return data + static_cast<std::size_t>(y) * stride; }
};

void HalveMap(const MapRows& source, AreaPlane& dest, const Rect& rect) {
    const int lastX = source.width - 1;
    const int lastY = source.height - 1;
    const int step = source.step;
    for (int y = rect.y; y < rect.Bottom(); ++y) {
        const std::uint8_t* r0 = source.Row(std::min(2 * y, lastY));
        const std::uint8_t* r1 = source.Row(std::min(2 * y + 1, lastY));
        std::uint8_t* out = dest.values.data() + static_cast<std::size_t>(y) * dest.width;
        // Whole pairs first, without the edge's clamping; most blocks hold one area.
        const int pairs = std::min(rect.Right(), source.width / 2);
        int x = rect.x;
        for (; x < pairs; ++x) {
            const std::size_t x0 = static_cast<std::size_t>(2 * x) * step;
            const std::uint8_t a = r0[x0];
            const std::uint8_t b = r0[x0 + step];
            const std::uint8_t c = r1[x0];
            const std::uint8_t d = r1[x0 + step];
            if (a == b && a == c && a == d) {
                out[x] = a;
            } else {
                const std::uint8_t four[4] = {a, b, c, d};
                out[x] = ThinAreaOf(four, 4);
            }
        }
        for (; x < rect.Right(); ++x) {
            const int x0 = std::min(2 * x, lastX) * step;
            const int x1 = std::min(2 * x + 1, lastX) * step;
            const std::uint8_t four[4] = {r0[x0], r0[x1], r1[x0], r1[x1]};
            out[x] = ThinAreaOf(four, 4);
        }
    }
}

// The first level kept for a picture of width x height: the finest from which all coarser
// levels, picture and map, fit in the kept bytes.
int FirstKeptLevel(int width, int height) {
    std::size_t bytes = 0;
    int first = ViewPyramid::kLevels + 1;
    for (int level = ViewPyramid::kLevels; level >= 1; --level) {
        const std::size_t side = std::size_t{1} << level;
        const std::size_t pixels = ((static_cast<std::size_t>(width) + side - 1) / side) *
                                   ((static_cast<std::size_t>(height) + side - 1) / side);
        bytes += pixels * 4;  // three bytes of picture, one of map
        if (bytes > ViewPyramid::kKeptBytes && level < ViewPyramid::kLevels) {
            break;
        }
        first = level;
    }
    return first;
}

// dest as the average of each block of 2^level x 2^level pixels of picture (clipped to it).
void ReducePicture(const Bitmap& picture, int level, Bitmap& dest) {
    const int side = 1 << level;
    std::vector<std::uint32_t> sums(static_cast<std::size_t>(dest.Width()) * 3);
    for (int y = 0; y < dest.Height(); ++y) {
        std::fill(sums.begin(), sums.end(), 0);
        const int top = y * side;
        const int bottom = std::min(top + side, picture.Height());
        for (int py = top; py < bottom; ++py) {
            const std::uint8_t* p = picture.Row(py);
            for (int px = 0; px < picture.Width(); ++px, p += 3) {
                std::uint32_t* sum = &sums[static_cast<std::size_t>(px >> level) * 3];
                sum[0] += p[0];
                sum[1] += p[1];
                sum[2] += p[2];
            }
        }
        std::uint8_t* out = dest.Row(y);
        for (int x = 0; x < dest.Width(); ++x) {
            const std::uint32_t count = static_cast<std::uint32_t>(
                (std::min(x * side + side, picture.Width()) - x * side) * (bottom - top));
            for (int c = 0; c < 3; ++c) {
                out[3 * x + c] = static_cast<std::uint8_t>(
                    (sums[static_cast<std::size_t>(x) * 3 + c] + count / 2) / count);
            }
        }
    }
}

// The map's values over rect of dest, each the thin area of its whole 2^level block of the map.
void ReduceMapBlocks(const Bitmap& map, int level, AreaPlane& dest, const Rect& rect) {
    const int side = 1 << level;
    std::vector<std::uint8_t> block(static_cast<std::size_t>(side) * side);
    for (int y = rect.y; y < rect.Bottom(); ++y) {
        const int top = y * side;
        const int bottom = std::min(top + side, map.Height());
        std::uint8_t* out = dest.values.data() + static_cast<std::size_t>(y) * dest.width;
        for (int x = rect.x; x < rect.Right(); ++x) {
            const int left = x * side;
            const int right = std::min(left + side, map.Width());
            int count = 0;
            for (int py = top; py < bottom; ++py) {
                const std::uint8_t* p = map.Pixel(left, py) + 2;
                for (int px = left; px < right; ++px, p += 3) {
                    block[static_cast<std::size_t>(count++)] = *p;
                }
            }
            out[x] = ThinAreaOf(block.data(), count);
        }
    }
}

}  // namespace

std::uint8_t ThinAreaOf(const std::uint8_t* values, int count) {
    const std::uint8_t first = values[0];
    bool same = true;
    for (int i = 1; i < count; ++i) {
        same = same && values[i] == first;
    }
    if (same) {
        return first;
    }
    std::uint8_t best = 0;
    int bestCount = count + 1;
    for (int i = 0; i < count; ++i) {
        const std::uint8_t v = values[i];
        if (v == 0) {
            continue;
        }
        int n = 0;
        for (int j = 0; j < count; ++j) {
            n += values[j] == v ? 1 : 0;
        }
        if (n < bestCount || (n == bestCount && v < best)) {
            best = v;
            bestCount = n;
        }
    }
    return best;
}

void ViewPyramid::SetPicture(const Bitmap& picture) {
    m_firstKept = FirstKeptLevel(picture.Width(), picture.Height());
    const Bitmap* below = &picture;
    for (int level = 1; level <= kLevels; ++level) {
        Bitmap& half = m_picture[level - 1];
        const int side = 1 << level;
        if (level < m_firstKept) {
            half = Bitmap();
            continue;
        }
        half = Bitmap();  // a level of another size goes before the new one is made
        half.Resize((picture.Width() + side - 1) / side, (picture.Height() + side - 1) / side);
        if (!picture.Empty() && level == m_firstKept && level > 1) {
            ReducePicture(picture, level, half);
        } else if (!picture.Empty()) {
            HalvePicture(*below, half);
        }
        below = &half;
    }
    m_mapValid = false;
}

void ViewPyramid::Clear() {
    for (Bitmap& level : m_picture) {
        level = Bitmap();
    }
    for (AreaPlane& level : m_map) {
        level = AreaPlane();
    }
    m_mapValid = false;
}

void ViewPyramid::ReduceMap(const Bitmap& map, int level, const Rect& rect) {
    AreaPlane& dest = m_map[level - 1];
    if (level < m_firstKept) {
        return;
    }
    if (level == m_firstKept && level > 1) {
        ReduceMapBlocks(map, level, dest, rect);
    } else if (level == 1) {
        // Any byte of a map pixel is its value; the red one, as everywhere the view reads it.
        HalveMap({map.Data() + 2, map.BytesPerLine(), 3, map.Width(), map.Height()}, dest, rect);
    } else {
        const AreaPlane& below = m_map[level - 2];
        HalveMap({below.values.data(), static_cast<std::size_t>(below.width), 1, below.width,
                  below.height},
                 dest, rect);
    }
}

void ViewPyramid::EnsureMap(const Bitmap& map) {
    if (m_mapValid) {
        return;
    }
    int width = map.Width();
    int height = map.Height();
    for (int level = 1; level <= kLevels; ++level) {
        AreaPlane& plane = m_map[level - 1];
        width = (width + 1) / 2;
        height = (height + 1) / 2;
        plane.width = width;
        plane.height = height;
        if (level < m_firstKept) {
            plane.values = {};
            continue;
        }
        plane.values.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
        if (!map.Empty()) {
            // A whole map's halves after undo of a big change: shared out over the cores.
            InRowBands({0, 0, width, height}, 512 * 1024,
                       [&](const Rect& band) { ReduceMap(map, level, band); });
        }
    }
    m_mapValid = true;
}

void ViewPyramid::UpdateMap(const Bitmap& map, const Rect& rect) {
    if (!m_mapValid || m_map[0].width != (map.Width() + 1) / 2 ||
        m_map[0].height != (map.Height() + 1) / 2) {
        m_mapValid = false;
        return;
    }
    Rect changed = rect.Intersected({0, 0, map.Width(), map.Height()});
    for (int level = 1; level <= kLevels && !changed.Empty(); ++level) {
        const AreaPlane& plane = m_map[level - 1];
        changed = Halved(changed, plane.width, plane.height);
        ReduceMap(map, level, changed);
    }
}

}  // namespace velmora
