#include "canvas/history/draw_history.h"

#include <algorithm>
#include <iterator>
#include <new>

#include <zlib.h>

#include "canvas/map/grid_geometry.h"
#include "canvas/map/line_raster.h"
#include "canvas/map/map_ops.h"
#include "canvas/map/pen.h"

namespace velmora {

namespace {

// Merging keeps this many of the newest steps undoable.
constexpr int kStepsKeptAfterMerge = DRAW_HISTORY::kStepCapacity / 2;

void ApplyGrid(Bitmap& target, const DRAW_HISTORY_RECORD& step) {
    int k = 0;
    for (int column = 0; column < step.Columns; ++column) {
        for (int row = 0; row < step.Rows; ++row, ++k) {
            if (k >= step.Count()) {
                return;
            }
            const std::int32_t value = step.Points[k].x;
            if (value < 1 || value > 255) {
                continue;
            }
            const Rect cell =
                GridCellRect(target.Width(), target.Height(), step.Columns, step.Rows, column, row);
            FillMapRect(target, cell.x, cell.y, cell.width, cell.height,
                        static_cast<std::uint8_t>(value), step.Overwrite != 0);
        }
    }
}

void ApplyStroke(Bitmap& target, const DRAW_HISTORY_RECORD& step) {
    if (step.Count() < 2) {
        return;
    }
    Pen pen;
    pen.Set(static_cast<std::uint8_t>(step.Color & 0xFF), step.Width);
    pen.MoveTo(step.Points[0].x, step.Points[0].y);
    for (std::size_t i = 1; i < step.Points.size(); ++i) {
        pen.LineTo(target, step.Points[i].x, step.Points[i].y);
    }
}

std::size_t MaskBytes(int width, int height) {
    return static_cast<std::size_t>((width + 7) / 8) * static_cast<std::size_t>(height);
}

// The rectangle a pixel step holds, its first two points as L,T and W,H.
Rect StepRect(const DRAW_HISTORY_RECORD& step) {
    return step.Count() < 2
               ? Rect{}
               : Rect{step.Points[0].x, step.Points[0].y, step.Points[1].x, step.Points[1].y};
}

// The step's packed bytes, which must unpack to exactly size bytes; empty when they do not.
std::vector<std::uint8_t> Unpacked(const DRAW_HISTORY_RECORD& step, std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    uLongf got = bytes.size();
    if (uncompress(bytes.data(), &got, step.Pixels.data(), step.Pixels.size()) != Z_OK ||
        got != bytes.size()) {
        return {};
    }
    return bytes;
}

void ApplyPixels(Bitmap& target, const DRAW_HISTORY_RECORD& step) {
    const Rect rect = StepRect(step);
    if (rect.Empty()) {
        return;
    }
    const std::size_t rowBytes = static_cast<std::size_t>((rect.width + 7) / 8);
    const std::vector<std::uint8_t> mask = Unpacked(step, MaskBytes(rect.width, rect.height));
    if (mask.empty()) {
        return;
    }
    const auto value = static_cast<std::uint8_t>(step.Columns);
    const Rect inside = rect.Intersected({0, 0, target.Width(), target.Height()});
    for (int y = inside.y; y < inside.Bottom(); ++y) {
        const std::uint8_t* bits = &mask[static_cast<std::size_t>(y - rect.y) * rowBytes];
        for (int x = inside.x; x < inside.Right(); ++x) {
            const int bit = x - rect.x;
            if (bits[bit >> 3] & (1u << (bit & 7))) {
                std::uint8_t* p = target.Pixel(x, y);
                p[0] = p[1] = p[2] = value;
            }
        }
    }
}

void ApplyValues(Bitmap& target, const DRAW_HISTORY_RECORD& step) {
    const Rect rect = StepRect(step);
    if (rect.Empty()) {
        return;
    }
    const std::vector<std::uint8_t> values =
        Unpacked(step, static_cast<std::size_t>(rect.width) * rect.height);
    if (values.empty()) {
        return;
    }
    const Rect inside = rect.Intersected({0, 0, target.Width(), target.Height()});
    for (int y = inside.y; y < inside.Bottom(); ++y) {
        const std::uint8_t* row = &values[static_cast<std::size_t>(y - rect.y) * rect.width];
        std::uint8_t* p = target.Pixel(inside.x, y);
        for (int x = inside.x; x < inside.Right(); ++x, p += 3) {
            p[0] = p[1] = p[2] = row[x - rect.x];
        }
    }
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

}  // namespace

DRAW_HISTORY::DRAW_HISTORY() {
    m_open.Points.reserve(kPointCapacity);
    m_undo.reserve(kStepCapacity);
    m_redo.reserve(kStepCapacity);
}

void DRAW_HISTORY::Reset(const Bitmap& map) {
    m_snapshot = map;
    m_undo.clear();
    m_redo.clear();
}

void DRAW_HISTORY::BeginStep(std::int32_t color, std::int32_t width) {
    if (!m_open.Points.empty()) {
        CloseStep();
    }
    m_open.Color = color;
    m_open.Width = width;
    m_open.Columns = 0;
    m_open.Rows = 0;
    m_open.Overwrite = 0;
    m_open.Points.clear();
}

void DRAW_HISTORY::AddPoint(std::int32_t x, std::int32_t y) {
    m_open.Points.push_back({x, y});
    if (m_open.Count() >= kPointCapacity) {
        CloseStep();
        BeginStep(m_open.Color, m_open.Width);
        m_open.Points.push_back({x, y});
    }
}

void DRAW_HISTORY::CloseStep() {
    // A press paints nothing, only the moves after it: a step of fewer than two points (a
    // click, a middle click, a Ctrl-click) changed no pixel, and recording it would make the
    // next undo do nothing visible.
    if (m_open.Count() < 2) {
        m_open.Points.clear();
        return;
    }
    DRAW_HISTORY_RECORD step;
    step.Color = m_open.Color;
    step.Width = m_open.Width;
    step.Columns = m_open.Columns;
    step.Rows = m_open.Rows;
    step.Overwrite = m_open.Overwrite;
    step.Points.assign(m_open.Points.begin(), m_open.Points.end());
    m_open.Points.clear();
    Append(std::move(step));
}

void DRAW_HISTORY::MarkClear() {
    BeginStep(kClearStepColor, -1);
    DRAW_HISTORY_RECORD step;
    step.Color = kClearStepColor;
    step.Width = -1;
    step.Points.push_back({0, 0});
    Append(std::move(step));
}

void DRAW_HISTORY::RecordGrid(int columns, int rows, bool overwrite,
                              std::span<const int> cellValues) {
    if (!m_open.Points.empty()) {
        CloseStep();
    }
    DRAW_HISTORY_RECORD step;
    step.Color = kGridStepColor;
    step.Columns = columns;
    step.Rows = rows;
    step.Overwrite = overwrite ? 1 : 0;
    step.Points.reserve(cellValues.size());
    for (const int value : cellValues) {
        step.Points.push_back({value, 0});
    }
    Append(std::move(step));
}

void DRAW_HISTORY::RecordPixels(const Bitmap& before, const Bitmap& after, const Rect& changed,
                                std::uint8_t value) {
    if (!m_open.Points.empty()) {
        CloseStep();
    }
    const Rect rect = changed.Intersected(
        {0, 0, std::min(before.Width(), after.Width()), std::min(before.Height(), after.Height())});
    DRAW_HISTORY_RECORD step;
    step.Color = kPixelsStepColor;
    step.Columns = value;
    step.Points = {{rect.x, rect.y}, {rect.width, rect.height}};
    const std::size_t rowBytes = static_cast<std::size_t>((rect.width + 7) / 8);
    std::vector<std::uint8_t> mask(MaskBytes(rect.width, rect.height), 0);
    for (int y = rect.y; y < rect.Bottom(); ++y) {
        const std::uint8_t* a = before.Pixel(rect.x, y);
        const std::uint8_t* b = after.Pixel(rect.x, y);
        std::uint8_t* bits = &mask[static_cast<std::size_t>(y - rect.y) * rowBytes];
        for (int i = 0; i < rect.width; ++i, a += 3, b += 3) {
            if (a[0] != b[0] || a[1] != b[1] || a[2] != b[2]) {
                bits[i >> 3] |= static_cast<std::uint8_t>(1u << (i & 7));
            }
        }
    }
    step.Pixels = Compressed(mask);
    Append(std::move(step));
}

void DRAW_HISTORY::RecordValues(const Bitmap& after, const Rect& changed) {
    if (!m_open.Points.empty()) {
        CloseStep();
    }
    const Rect rect = changed.Intersected({0, 0, after.Width(), after.Height()});
    DRAW_HISTORY_RECORD step;
    step.Color = kValuesStepColor;
    step.Points = {{rect.x, rect.y}, {rect.width, rect.height}};
    std::vector<std::uint8_t> values(static_cast<std::size_t>(rect.width) *
                                     std::max(rect.height, 0));
    for (int y = rect.y; y < rect.Bottom(); ++y) {
        const std::uint8_t* p = after.Pixel(rect.x, y);
        std::uint8_t* row = &values[static_cast<std::size_t>(y - rect.y) * rect.width];
        for (int i = 0; i < rect.width; ++i, p += 3) {
            row[i] = p[2];
        }
    }
    step.Pixels = Compressed(values);
    Append(std::move(step));
}

std::size_t DRAW_HISTORY::StepBytes() const {
    std::size_t bytes = 0;
    for (const auto* list : {&m_undo, &m_redo}) {
        for (const DRAW_HISTORY_RECORD& step : *list) {
            bytes += sizeof(step) + step.Points.capacity() * sizeof(HistoryPoint) +
                     step.Pixels.capacity();
        }
    }
    return bytes;
}

void DRAW_HISTORY::Append(DRAW_HISTORY_RECORD step) {
    m_undo.push_back(std::move(step));
    m_redo.clear();
    MergeWhenFull();
}

void DRAW_HISTORY::MergeWhenFull() {
    if (UndoCount() < kStepCapacity) {
        return;
    }
    const int merged = UndoCount() - kStepsKeptAfterMerge;
    for (int i = 0; i < merged; ++i) {
        ApplyStep(m_snapshot, m_undo[i]);
    }
    m_undo.erase(m_undo.begin(), m_undo.begin() + merged);
}

bool DRAW_HISTORY::Undo(Bitmap& map) {
    if (m_undo.empty()) {
        return false;
    }
    const Rect whole{0, 0, map.Width(), map.Height()};
    Replay(map, UndoCount() - 1);
    m_changed = map.Width() == whole.width && map.Height() == whole.height
                    ? StepReach(m_undo.back(), map.Width(), map.Height())
                    : Rect{0, 0, map.Width(), map.Height()};
    DRAW_HISTORY_RECORD step = std::move(m_undo.back());
    m_undo.pop_back();
    if (RedoCount() < kStepCapacity) {
        m_redo.push_back(std::move(step));
    }
    return true;
}

bool DRAW_HISTORY::Redo(Bitmap& map) {
    if (m_redo.empty()) {
        return false;
    }
    DRAW_HISTORY_RECORD step = std::move(m_redo.back());
    m_redo.pop_back();
    const Rect whole{0, 0, map.Width(), map.Height()};
    Rect reach = StepReach(step, map.Width(), map.Height());
    if (UndoCount() < kStepCapacity) {
        m_undo.push_back(std::move(step));
    }
    Replay(map, UndoCount());
    m_changed = map.Width() == whole.width && map.Height() == whole.height
                    ? reach
                    : Rect{0, 0, map.Width(), map.Height()};
    return true;
}

Rect DRAW_HISTORY::StepReach(const DRAW_HISTORY_RECORD& step, int width, int height) {
    const Rect whole{0, 0, width, height};
    if (step.Color == kClearStepColor || step.Color == kGridStepColor) {
        return whole;
    }
    if (step.Points.size() < 2) {
        return {};
    }
    if (step.Color == kPixelsStepColor || step.Color == kValuesStepColor) {
        // Their points are a corner and a size, not places the pen went.
        return StepRect(step).Intersected(whole);
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

void DRAW_HISTORY::Replay(Bitmap& target, int n) const {
    target = m_snapshot;
    const int steps = std::clamp(n, 0, UndoCount());
    for (int i = 0; i < steps; ++i) {
        ApplyStep(target, m_undo[i]);
    }
}

void DRAW_HISTORY::ApplyStep(Bitmap& target, const DRAW_HISTORY_RECORD& step) {
    if (step.Color == kClearStepColor) {
        target.Clear();
    } else if (step.Color == kGridStepColor) {
        ApplyGrid(target, step);
    } else if (step.Color == kPixelsStepColor) {
        ApplyPixels(target, step);
    } else if (step.Color == kValuesStepColor) {
        ApplyValues(target, step);
    } else {
        ApplyStroke(target, step);
    }
}

}  // namespace velmora
