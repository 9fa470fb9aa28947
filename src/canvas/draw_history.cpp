#include "canvas/draw_history.h"

#include <algorithm>
#include <iterator>

#include "canvas/grid_geometry.h"
#include "canvas/map_ops.h"
#include "canvas/pen.h"

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
    Replay(map, UndoCount() - 1);
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
    if (UndoCount() < kStepCapacity) {
        m_undo.push_back(std::move(step));
    }
    Replay(map, UndoCount());
    return true;
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
    } else {
        ApplyStroke(target, step);
    }
}

}  // namespace velmora
