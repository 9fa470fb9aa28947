#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "canvas/map/rect.h"
#include "store/bitmap.h"

namespace velmora {

// One point of a recorded step. Kept as 32-bit so that pictures wider or taller than
// 32,767 pixels replay exactly.
struct HistoryPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;

    friend bool operator==(const HistoryPoint&, const HistoryPoint&) = default;
};

// Colours that mark the steps which are not strokes.
inline constexpr std::int32_t kClearStepColor = -1;
inline constexpr std::int32_t kGridStepColor = -2;
// An area tool's step: the pixels it changed and the value it gave them.
inline constexpr std::int32_t kPixelsStepColor = -3;
// A step that gave many values at once (shapes imported into several areas): the values of a
// rectangle after it.
inline constexpr std::int32_t kValuesStepColor = -4;
// The x of a grid step's point for a cell that got no area (its name was refused).
inline constexpr std::int32_t kSkippedCell = -1;

// One painting step: a stroke (its colour, width and points), a clearing of the whole map,
// a grid fill (columns, rows, overwrite and one point per cell whose x is the cell's value) or
// an area tool's pixels (Columns the value; Points the changed rectangle's corner and size;
// Pixels one bit per pixel of that rectangle, row by row, zlib-compressed) or a rectangle's
// values (Points as before; Pixels one byte per pixel, row by row, zlib-compressed).
struct DRAW_HISTORY_RECORD {
    std::int32_t Color = 0;
    std::int32_t Width = 0;
    std::int32_t Columns = 0;
    std::int32_t Rows = 0;
    std::int32_t Overwrite = 0;
    std::vector<HistoryPoint> Points;
    std::vector<std::uint8_t> Pixels;

    std::int32_t Count() const { return static_cast<std::int32_t>(Points.size()); }

    friend bool operator==(const DRAW_HISTORY_RECORD&, const DRAW_HISTORY_RECORD&) = default;
};

// Undo and redo for the area map: one snapshot of the map and the steps painted since,
// replayed onto a copy of the snapshot to rebuild the map. One exists for the whole run.
class DRAW_HISTORY {
public:
    static constexpr int kStepCapacity = 100;
    static constexpr int kPointCapacity = 10'000;

    DRAW_HISTORY();

    // The snapshot becomes a copy of map; both lists are emptied. The open step stays.
    void Reset(const Bitmap& map);

    // Closes an open step that holds points, then opens a step of this colour and width.
    void BeginStep(std::int32_t color, std::int32_t width);
    // At kPointCapacity points the step is closed and a new one of the same colour and width
    // opens, starting again at this point, so that replay draws the joining segment too.
    void AddPoint(std::int32_t x, std::int32_t y);
    // Appends the open step and empties the redo list; a step of fewer than two points
    // painted nothing and is dropped, leaving both lists as they were.
    void CloseStep();
    // Records that the whole map was cleared.
    void MarkClear();
    // Records a grid fill as one step; cellValues in the grid's order (column by column, each
    // from top to bottom), kSkippedCell for a cell that got no area.
    void RecordGrid(int columns, int rows, bool overwrite, std::span<const int> cellValues);

    // Records an area tool's use as one step: the pixels inside changed where after differs
    // from before took value. A tool's result is kept rather than its input, so that replay
    // never depends on the picture or on a segmentation giving the same answer twice.
    void RecordPixels(const Bitmap& before, const Bitmap& after, const Rect& changed,
                      std::uint8_t value);
    // Records a change of many values as one step: the values after it inside changed, which
    // holds every pixel where after differs from the map before the step.
    void RecordValues(const Bitmap& after, const Rect& changed);
    // The bytes the undoable and redoable steps hold, for the memory budget.
    std::size_t StepBytes() const;

    // Rebuild map without the last step; false when there is nothing to undo.
    bool Undo(Bitmap& map);
    // Rebuild map with the last undone step again; false when there is nothing to redo.
    bool Redo(Bitmap& map);
    // target becomes the snapshot with the first n undoable steps painted in.
    void Replay(Bitmap& target, int n) const;

    // The rectangle of the map that the last Undo or Redo may have changed: the reach of the
    // step it took away or brought back, so that a view redraws only that.
    const Rect& LastChanged() const { return m_changed; }

    int UndoCount() const { return static_cast<int>(m_undo.size()); }
    int RedoCount() const { return static_cast<int>(m_redo.size()); }
    const DRAW_HISTORY_RECORD& UndoStep(int index) const { return m_undo.at(index); }

    // Paints one step onto target exactly as live painting did.
    static void ApplyStep(Bitmap& target, const DRAW_HISTORY_RECORD& step);
    // The rectangle of a map of the size that applying step can change.
    static Rect StepReach(const DRAW_HISTORY_RECORD& step, int width, int height);

private:
    void Append(DRAW_HISTORY_RECORD step);
    void MergeWhenFull();

    DRAW_HISTORY_RECORD m_open;
    Bitmap m_snapshot;
    std::vector<DRAW_HISTORY_RECORD> m_undo;
    std::vector<DRAW_HISTORY_RECORD> m_redo;
    Rect m_changed;
};

}  // namespace velmora
