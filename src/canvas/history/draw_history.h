#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "canvas/history/history_steps.h"
#include "canvas/history/map_tiles.h"
#include "canvas/map/change_mask.h"
#include "canvas/map/rect.h"
#include "store/bitmap.h"

namespace velmora {

// Undo and redo for the area map: the steps painted since the last reset, and the map as they
// leave it kept in packed tiles. Each step keeps the tiles it changed as they were before it,
// so undo puts back only those tiles and redo takes them away again; the map is never rebuilt
// from the start. One exists for the whole run.
class DRAW_HISTORY {
public:
    static constexpr int kStepCapacity = 100;
    static constexpr int kPointCapacity = 10'000;

    DRAW_HISTORY();

    // The history starts again from map (packed, never copied whole); both lists are emptied.
    // The open step stays.
    void Reset(const Bitmap& map);

    // Closes an open step that holds points, then opens a stroke of this colour and width.
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
    // Records an area tool's use as one step: the pixels noted in changed took value.
    void RecordPixels(const ChangeMask& changed, std::uint8_t value);
    // Records a change of many values as one step: the values after it inside changed, which
    // holds every pixel where after differs from the map before the step, and the areas made
    // for it.
    void RecordValues(const Bitmap& after, const Rect& changed, StepAreas areas = {});
    // The bytes the undoable and redoable steps hold with the tiles they keep, for the memory
    // budget.
    std::size_t StepBytes() const;
    // The bytes of the packed map the history starts undo from.
    std::size_t MapBytes() const { return m_tiles.Bytes(); }

    // Rebuild map without the last step; false when there is nothing to undo.
    bool Undo(Bitmap& map);
    // Rebuild map with the last undone step again; false when there is nothing to redo.
    bool Redo(Bitmap& map);
    // target becomes the map as it was at the reset with the first n undoable steps painted in.
    void Replay(Bitmap& target, int n) const;

    // The rectangle of the map that the last Undo or Redo may have changed: the reach of the
    // step it took away or brought back, so that a view redraws only that.
    const Rect& LastChanged() const { return m_changed; }

    // The areas made by the step Redo would bring back; null when there is none or it made none.
    StepAreas* NextRedoAreas();
    // Forgets the undone steps, for when one can no longer be brought back as it was.
    void DropRedo();

    int UndoCount() const { return static_cast<int>(m_undo.size()); }
    int RedoCount() const { return static_cast<int>(m_redo.size()); }
    const DRAW_HISTORY_RECORD& UndoStep(int index) const { return m_undo.at(index); }

private:
    // A tile of the packed map as it stood on the other side of a step.
    struct KeptTile {
        int index = 0;
        std::vector<std::uint8_t> packed;
    };
    using KeptTiles = std::vector<KeptTile>;

    void CloseOpenStroke();
    void Append(DRAW_HISTORY_RECORD step);
    void MergeWhenFull();
    // Paints step into the packed map; returns the tiles it changed as they were before.
    KeptTiles PaintIntoTiles(const DRAW_HISTORY_RECORD& step);
    // Swaps the kept tiles with the packed map's and writes them into map, which is made
    // whole from the packed map when its size differs.
    void SwapTiles(KeptTiles& kept, Bitmap& map);
    // Undo and redo alike: takes the last step of one list back (or again) into map and moves
    // it, with its kept tiles, onto the other list.
    bool MoveLastStep(std::vector<DRAW_HISTORY_RECORD>& from, std::vector<KeptTiles>& fromTiles,
                      std::vector<DRAW_HISTORY_RECORD>& to, std::vector<KeptTiles>& toTiles,
                      Bitmap& map);

    StrokeStep m_open;
    MapTiles m_tiles;
    std::vector<DRAW_HISTORY_RECORD> m_undo;
    std::vector<DRAW_HISTORY_RECORD> m_redo;
    std::vector<KeptTiles> m_undoTiles;
    std::vector<KeptTiles> m_redoTiles;
    Rect m_changed;
};

}  // namespace velmora
