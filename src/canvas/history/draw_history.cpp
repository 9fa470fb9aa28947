#include "canvas/history/draw_history.h"

#include <algorithm>
#include <iterator>

namespace velmora {

namespace {

// Merging keeps this many of the newest steps undoable.
constexpr int kStepsKeptAfterMerge = DRAW_HISTORY::kStepCapacity / 2;

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
    CloseOpenStroke();
    m_open.Color = color;
    m_open.Width = width;
}

void DRAW_HISTORY::AddPoint(std::int32_t x, std::int32_t y) {
    m_open.Points.push_back({x, y});
    if (m_open.Count() >= kPointCapacity) {
        CloseStep();
        m_open.Points.push_back({x, y});
    }
}

void DRAW_HISTORY::CloseStep() {
    // A step of fewer than two points changed no pixel (a click, a middle click, a Ctrl-click;
    // a click that paints a dab records it as a segment of two equal points), and recording it
    // would make the next undo do nothing visible.
    if (m_open.Count() < 2) {
        m_open.Points.clear();
        return;
    }
    // The closed step gets exactly its own points; the open one keeps its room for the next.
    StrokeStep step;
    step.Color = m_open.Color;
    step.Width = m_open.Width;
    step.Points.assign(m_open.Points.begin(), m_open.Points.end());
    m_open.Points.clear();
    Append(std::move(step));
}

void DRAW_HISTORY::CloseOpenStroke() {
    if (!m_open.Points.empty()) {
        CloseStep();
    }
}

void DRAW_HISTORY::MarkClear() {
    CloseOpenStroke();
    Append(ClearStep{});
}

void DRAW_HISTORY::RecordGrid(int columns, int rows, bool overwrite,
                              std::span<const int> cellValues) {
    CloseOpenStroke();
    GridStep step;
    step.Columns = columns;
    step.Rows = rows;
    step.Overwrite = overwrite;
    step.CellValues.assign(cellValues.begin(), cellValues.end());
    Append(std::move(step));
}

void DRAW_HISTORY::RecordPixels(const ChangeMask& changed, std::uint8_t value) {
    CloseOpenStroke();
    Append(MakePixelsStep(changed, value));
}

void DRAW_HISTORY::RecordValues(const Bitmap& after, const Rect& changed) {
    CloseOpenStroke();
    Append(MakeValuesStep(after, changed));
}

std::size_t DRAW_HISTORY::StepBytes() const {
    std::size_t bytes = 0;
    for (const auto* list : {&m_undo, &m_redo}) {
        for (const DRAW_HISTORY_RECORD& step : *list) {
            bytes += velmora::StepBytes(step);
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
    const Rect reach = StepReach(step, map.Width(), map.Height());
    if (UndoCount() < kStepCapacity) {
        m_undo.push_back(std::move(step));
    }
    Replay(map, UndoCount());
    m_changed = map.Width() == whole.width && map.Height() == whole.height
                    ? reach
                    : Rect{0, 0, map.Width(), map.Height()};
    return true;
}

void DRAW_HISTORY::Replay(Bitmap& target, int n) const {
    target = m_snapshot;
    const int steps = std::clamp(n, 0, UndoCount());
    for (int i = 0; i < steps; ++i) {
        ApplyStep(target, m_undo[i]);
    }
}

}  // namespace velmora
