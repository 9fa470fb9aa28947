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
    m_undo.clear();
    m_redo.clear();
    m_undoTiles.clear();
    m_redoTiles.clear();
    m_tiles = MapTiles();  // the old tiles go before the new ones are packed
    m_tiles = MapTiles(map);
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

void DRAW_HISTORY::RecordValues(const Bitmap& after, const Rect& changed, StepAreas areas) {
    CloseOpenStroke();
    ValuesStep step = MakeValuesStep(after, changed);
    step.Areas = std::move(areas);
    Append(std::move(step));
}

std::size_t DRAW_HISTORY::StepBytes() const {
    std::size_t bytes = 0;
    for (const auto* list : {&m_undo, &m_redo}) {
        for (const DRAW_HISTORY_RECORD& step : *list) {
            bytes += velmora::StepBytes(step);
        }
    }
    for (const auto* list : {&m_undoTiles, &m_redoTiles}) {
        for (const KeptTiles& tiles : *list) {
            bytes += tiles.capacity() * sizeof(KeptTile);
            for (const KeptTile& tile : tiles) {
                bytes += tile.packed.capacity();
            }
        }
    }
    return bytes;
}

void DRAW_HISTORY::Append(DRAW_HISTORY_RECORD step) {
    KeptTiles before = PaintIntoTiles(step);
    m_undo.push_back(std::move(step));
    m_undoTiles.push_back(std::move(before));
    DropRedo();
    MergeWhenFull();
}

void DRAW_HISTORY::MergeWhenFull() {
    if (UndoCount() < kStepCapacity) {
        return;
    }
    // The packed map already holds every step: the oldest are merged by forgetting them.
    const int merged = UndoCount() - kStepsKeptAfterMerge;
    m_undo.erase(m_undo.begin(), m_undo.begin() + merged);
    m_undoTiles.erase(m_undoTiles.begin(), m_undoTiles.begin() + merged);
}

DRAW_HISTORY::KeptTiles DRAW_HISTORY::PaintIntoTiles(const DRAW_HISTORY_RECORD& step) {
    KeptTiles before;
    const Rect reach = StepReach(step, m_tiles.Width(), m_tiles.Height());
    if (reach.Empty()) {
        return before;
    }
    // One band of tiles at a time, as wide as the reach, so a step across a huge map never
    // needs a second map's worth of memory.
    const StepPainter painter(step);
    constexpr int kSide = MapTiles::kTileSide;
    const int left = reach.x / kSide * kSide;
    const int right = std::min((reach.Right() + kSide - 1) / kSide * kSide, m_tiles.Width());
    Bitmap band;
    for (int top = reach.y / kSide * kSide; top < reach.Bottom(); top += kSide) {
        const Rect bandRect = Rect{left, top, right - left, kSide}.Intersected(
            {0, 0, m_tiles.Width(), m_tiles.Height()});
        if (band.Width() != bandRect.width || band.Height() != bandRect.height) {
            band.Resize(bandRect.width, bandRect.height);
        }
        const MapWindow window{band, bandRect.x, bandRect.y, m_tiles.Width(), m_tiles.Height()};
        const std::vector<int> tiles = m_tiles.TilesMeeting(bandRect);
        for (const int index : tiles) {
            MapTiles::Unpack(m_tiles.Packed(index), m_tiles.TileRect(index), window);
        }
        painter.Paint(window);
        for (const int index : tiles) {
            std::vector<std::uint8_t> after =
                MapTiles::Pack(m_tiles.TileRect(index), band, bandRect.x, bandRect.y);
            if (after != m_tiles.Packed(index)) {
                before.push_back({index, std::move(m_tiles.Packed(index))});
                m_tiles.Packed(index) = std::move(after);
            }
        }
    }
    return before;
}

void DRAW_HISTORY::SwapTiles(KeptTiles& kept, Bitmap& map) {
    for (KeptTile& tile : kept) {
        std::swap(tile.packed, m_tiles.Packed(tile.index));
    }
    if (map.Width() != m_tiles.Width() || map.Height() != m_tiles.Height()) {
        map = m_tiles.ToBitmap();
        return;
    }
    const MapWindow whole = MapWindow::Whole(map);
    for (const KeptTile& tile : kept) {
        MapTiles::Unpack(m_tiles.Packed(tile.index), m_tiles.TileRect(tile.index), whole);
    }
}

bool DRAW_HISTORY::MoveLastStep(std::vector<DRAW_HISTORY_RECORD>& from,
                                std::vector<KeptTiles>& fromTiles,
                                std::vector<DRAW_HISTORY_RECORD>& to,
                                std::vector<KeptTiles>& toTiles, Bitmap& map) {
    if (from.empty()) {
        return false;
    }
    const bool sameSize = map.Width() == m_tiles.Width() && map.Height() == m_tiles.Height();
    SwapTiles(fromTiles.back(), map);
    m_changed = sameSize ? StepReach(from.back(), map.Width(), map.Height())
                         : Rect{0, 0, map.Width(), map.Height()};
    to.push_back(std::move(from.back()));
    toTiles.push_back(std::move(fromTiles.back()));
    from.pop_back();
    fromTiles.pop_back();
    return true;
}

StepAreas* DRAW_HISTORY::NextRedoAreas() {
    if (m_redo.empty()) {
        return nullptr;
    }
    auto* values = std::get_if<ValuesStep>(&m_redo.back());
    return values != nullptr && !values->Areas.Made.empty() ? &values->Areas : nullptr;
}

void DRAW_HISTORY::DropRedo() {
    m_redo.clear();
    m_redoTiles.clear();
}

bool DRAW_HISTORY::Undo(Bitmap& map) {
    return MoveLastStep(m_undo, m_undoTiles, m_redo, m_redoTiles, map);
}

bool DRAW_HISTORY::Redo(Bitmap& map) {
    return MoveLastStep(m_redo, m_redoTiles, m_undo, m_undoTiles, map);
}

void DRAW_HISTORY::Replay(Bitmap& target, int n) const {
    // The packed map with the later steps taken back: each tile as it stood before the
    // earliest of them that changed it.
    std::vector<const std::vector<std::uint8_t>*> tiles(
        static_cast<std::size_t>(m_tiles.TileCount()));
    for (int i = 0; i < m_tiles.TileCount(); ++i) {
        tiles[static_cast<std::size_t>(i)] = &m_tiles.Packed(i);
    }
    for (int step = UndoCount() - 1; step >= std::max(n, 0); --step) {
        for (const KeptTile& tile : m_undoTiles[static_cast<std::size_t>(step)]) {
            tiles[static_cast<std::size_t>(tile.index)] = &tile.packed;
        }
    }
    target = Bitmap();
    target.Resize(m_tiles.Width(), m_tiles.Height());
    const MapWindow whole = MapWindow::Whole(target);
    for (int i = 0; i < m_tiles.TileCount(); ++i) {
        MapTiles::Unpack(*tiles[static_cast<std::size_t>(i)], m_tiles.TileRect(i), whole);
    }
}

}  // namespace velmora
