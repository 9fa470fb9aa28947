#include "canvas/history/history_steps.h"

#include <algorithm>
#include <new>
#include <type_traits>

#include <zlib.h>

#include "canvas/map/grid_geometry.h"
#include "canvas/map/line_raster.h"
#include "canvas/map/map_ops.h"
#include "canvas/map/pen.h"

namespace velmora {

namespace {

std::size_t MaskBytes(int width, int height) {
    return static_cast<std::size_t>((width + 7) / 8) * static_cast<std::size_t>(height);
}

std::vector<std::uint8_t> Compressed(const std::vector<std::uint8_t>& bytes) {
    uLongf size = compressBound(bytes.size());
    std::vector<std::uint8_t> out(size);
    if (compress2(out.data(), &size, bytes.data(), bytes.size(), Z_BEST_SPEED) != Z_OK) {
        throw std::bad_alloc();
    }
    out.resize(size);
    out.shrink_to_fit();
    return out;
}

// The packed bytes, which must unpack to exactly size bytes; empty when they do not.
std::vector<std::uint8_t> Unpacked(const std::vector<std::uint8_t>& packed, std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    uLongf got = bytes.size();
    if (uncompress(bytes.data(), &got, packed.data(), packed.size()) != Z_OK ||
        got != bytes.size()) {
        return {};
    }
    return bytes;
}

void Paint(const MapWindow& window, const StrokeStep& step) {
    if (step.Count() < 2) {
        return;
    }
    // Segment by segment as the pen draws them live.
    const auto value = static_cast<std::uint8_t>(step.Color & 0xFF);
    for (std::size_t i = 1; i < step.Points.size(); ++i) {
        DrawLineWithin(window, step.Points[i - 1].x, step.Points[i - 1].y, step.Points[i].x,
                       step.Points[i].y, step.Width, value);
    }
}

void Paint(const MapWindow& window, const ClearStep&) {
    window.pixels.Clear();
}

void Paint(const MapWindow& window, const GridStep& step) {
    std::size_t k = 0;
    for (int column = 0; column < step.Columns; ++column) {
        for (int row = 0; row < step.Rows; ++row, ++k) {
            if (k >= step.CellValues.size()) {
                return;
            }
            const std::int32_t value = step.CellValues[k];
            if (value < 1 || value > 255) {
                continue;
            }
            const Rect cell = GridCellRect(window.mapWidth, window.mapHeight, step.Columns,
                                           step.Rows, column, row);
            FillMapRect(window.pixels, std::int64_t{cell.x} - window.x,
                        std::int64_t{cell.y} - window.y, cell.width, cell.height,
                        static_cast<std::uint8_t>(value), step.Overwrite);
        }
    }
}

// Rectangles and values are copied out of the step first: the pixel stores may alias any
// byte, so the compiler would read a field kept in the step again after every store.
void Paint(const MapWindow& window, const PixelsStep& step, const std::vector<std::uint8_t>& mask) {
    const Rect rect = step.Changed;
    const std::uint8_t value = step.Value;
    if (rect.Empty() || mask.empty()) {
        return;
    }
    const std::size_t rowBytes = static_cast<std::size_t>((rect.width + 7) / 8);
    const Rect inside = rect.Intersected(window.Bounds());
    for (int y = inside.y; y < inside.Bottom(); ++y) {
        const std::uint8_t* bits = &mask[static_cast<std::size_t>(y - rect.y) * rowBytes];
        std::uint8_t* p = window.pixels.Pixel(inside.x - window.x, y - window.y);
        for (int x = inside.x; x < inside.Right(); ++x, p += 3) {
            const int bit = x - rect.x;
            if (bits[bit >> 3] & (1u << (bit & 7))) {
                p[0] = p[1] = p[2] = value;
            }
        }
    }
}

void Paint(const MapWindow& window, const ValuesStep& step,
           const std::vector<std::uint8_t>& values) {
    const Rect rect = step.Changed;
    if (rect.Empty() || values.empty()) {
        return;
    }
    const Rect inside = rect.Intersected(window.Bounds());
    for (int y = inside.y; y < inside.Bottom(); ++y) {
        const std::uint8_t* row = &values[static_cast<std::size_t>(y - rect.y) * rect.width];
        std::uint8_t* p = window.pixels.Pixel(inside.x - window.x, y - window.y);
        for (int x = inside.x; x < inside.Right(); ++x, p += 3) {
            p[0] = p[1] = p[2] = row[x - rect.x];
        }
    }
}

Rect Reach(const StrokeStep& step, int width, int height) {
    if (step.Points.size() < 2) {
        return {};
    }
    std::int64_t left = step.Points[0].x, right = left;
    std::int64_t top = step.Points[0].y, bottom = top;
    for (const HistoryPoint& p : step.Points) {
        left = std::min<std::int64_t>(left, p.x);
        right = std::max<std::int64_t>(right, p.x);
        top = std::min<std::int64_t>(top, p.y);
        bottom = std::max<std::int64_t>(bottom, p.y);
    }
    // The pen reaches half its width past the points, and a pixel more for even widths.
    const std::int64_t reach = std::clamp(step.Width, 1, kMaxLineWidth) / 2 + 1;
    left = std::max<std::int64_t>(left - reach, 0);
    top = std::max<std::int64_t>(top - reach, 0);
    right = std::min<std::int64_t>(right + reach + 1, width);
    bottom = std::min<std::int64_t>(bottom + reach + 1, height);
    if (right <= left || bottom <= top) {
        return {};
    }
    return {static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
            static_cast<int>(bottom - top)};
}

Rect Reach(const ClearStep&, int width, int height) {
    return {0, 0, width, height};
}

Rect Reach(const GridStep&, int width, int height) {
    return {0, 0, width, height};
}

Rect Reach(const PixelsStep& step, int width, int height) {
    return step.Changed.Intersected({0, 0, width, height});
}

Rect Reach(const ValuesStep& step, int width, int height) {
    return step.Changed.Intersected({0, 0, width, height});
}

std::size_t OwnedBytes(const StrokeStep& step) {
    return step.Points.capacity() * sizeof(HistoryPoint);
}

std::size_t OwnedBytes(const ClearStep&) {
    return 0;
}

std::size_t OwnedBytes(const GridStep& step) {
    return step.CellValues.capacity() * sizeof(std::int32_t);
}

std::size_t OwnedBytes(const PixelsStep& step) {
    return step.Mask.capacity();
}

std::size_t OwnedBytes(const ValuesStep& step) {
    return step.Values.capacity();
}

}  // namespace

PixelsStep MakePixelsStep(const ChangeMask& changed, std::uint8_t value) {
    PixelsStep step;
    step.Changed = changed.Bounds();
    step.Value = value;
    step.Mask = Compressed(changed.BoundsBits());
    return step;
}

ValuesStep MakeValuesStep(const Bitmap& after, const Rect& changed) {
    const Rect rect = changed.Intersected({0, 0, after.Width(), after.Height()});
    ValuesStep step;
    step.Changed = rect;
    std::vector<std::uint8_t> values(static_cast<std::size_t>(rect.width) *
                                     static_cast<std::size_t>(rect.height));
    for (int y = rect.y; y < rect.Bottom(); ++y) {
        const std::uint8_t* p = after.Pixel(rect.x, y);
        std::uint8_t* row = &values[static_cast<std::size_t>(y - rect.y) * rect.width];
        for (int i = 0; i < rect.width; ++i, p += 3) {
            row[i] = p[2];
        }
    }
    step.Values = Compressed(values);
    return step;
}

StepPainter::StepPainter(const DRAW_HISTORY_RECORD& step) : m_step(step) {
    if (const auto* pixels = std::get_if<PixelsStep>(&step); pixels && !pixels->Changed.Empty()) {
        m_unpacked =
            Unpacked(pixels->Mask, MaskBytes(pixels->Changed.width, pixels->Changed.height));
    } else if (const auto* values = std::get_if<ValuesStep>(&step);
               values && !values->Changed.Empty()) {
        m_unpacked = Unpacked(values->Values, static_cast<std::size_t>(values->Changed.width) *
                                                  values->Changed.height);
    }
}

void StepPainter::Paint(const MapWindow& window) const {
    std::visit(
        [&](const auto& kind) {
            using Kind = std::decay_t<decltype(kind)>;
            if constexpr (std::is_same_v<Kind, PixelsStep> || std::is_same_v<Kind, ValuesStep>) {
                velmora::Paint(window, kind, m_unpacked);
            } else {
                velmora::Paint(window, kind);
            }
        },
        m_step);
}

void ApplyStep(Bitmap& target, const DRAW_HISTORY_RECORD& step) {
    StepPainter(step).Paint(MapWindow::Whole(target));
}

Rect StepReach(const DRAW_HISTORY_RECORD& step, int width, int height) {
    return std::visit([width, height](const auto& kind) { return Reach(kind, width, height); },
                      step);
}

std::size_t StepBytes(const DRAW_HISTORY_RECORD& step) {
    return sizeof(step) + std::visit([](const auto& kind) { return OwnedBytes(kind); }, step);
}

}  // namespace velmora
