#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "canvas/map/change_mask.h"
#include "canvas/map/map_window.h"
#include "canvas/map/rect.h"
#include "store/bitmap.h"

namespace velmora {

// One point of a recorded stroke. Kept as 32-bit so that pictures wider or taller than
// 32,767 pixels replay exactly.
struct HistoryPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;

    friend bool operator==(const HistoryPoint&, const HistoryPoint&) = default;
};

// The value of a grid step's cell that got no area (its name was refused).
inline constexpr std::int32_t kSkippedCell = -1;

// A brush stroke: the pen colour (value x 0x010101, 0 erases), its width and the press point
// followed by every move point. Fewer than two points paint nothing.
struct StrokeStep {
    std::int32_t Color = 0;
    std::int32_t Width = 0;
    std::vector<HistoryPoint> Points;

    std::int32_t Count() const { return static_cast<std::int32_t>(Points.size()); }

    friend bool operator==(const StrokeStep&, const StrokeStep&) = default;
};

// A clearing of the whole map.
struct ClearStep {
    friend bool operator==(const ClearStep&, const ClearStep&) = default;
};

// A grid fill: the cells column by column, each from top to bottom, with the value each got
// (kSkippedCell for none); without overwrite only pixels of no area were filled.
struct GridStep {
    std::int32_t Columns = 0;
    std::int32_t Rows = 0;
    bool Overwrite = false;
    std::vector<std::int32_t> CellValues;

    friend bool operator==(const GridStep&, const GridStep&) = default;
};

// An area tool's use: the pixels of Changed that took Value, one bit per pixel, row by row,
// each row starting on a byte, zlib-compressed. A tool's result is kept rather than its input,
// so that replay never depends on the picture or on a segmentation giving the same answer
// twice.
struct PixelsStep {
    Rect Changed;
    std::uint8_t Value = 0;
    std::vector<std::uint8_t> Mask;

    friend bool operator==(const PixelsStep&, const PixelsStep&) = default;
};

// An area made together with a step's pixels. Undoing the step takes the area back too while
// nothing else has made use of it; redoing the step makes it again under its number and name.
struct StepArea {
    std::int32_t Number = 0;
    std::string Name;
    bool TakenBack = false;  // the step's undo removed it

    friend bool operator==(const StepArea&, const StepArea&) = default;
};

// The areas a step made, and how many times the map had been written before it, which tells
// whether the stored map may hold their pixels.
struct StepAreas {
    std::vector<StepArea> Made;
    std::uint64_t MapWritesBefore = 0;

    friend bool operator==(const StepAreas&, const StepAreas&) = default;
};

// A change of many values at once (shapes imported into several areas): the value of every
// pixel of Changed after it, one byte each, row by row, zlib-compressed, and the areas made
// for it.
struct ValuesStep {
    Rect Changed;
    std::vector<std::uint8_t> Values;
    StepAreas Areas;

    friend bool operator==(const ValuesStep&, const ValuesStep&) = default;
};

// One painting step of the drawing history; each kind holds only its own fields.
using DRAW_HISTORY_RECORD = std::variant<StrokeStep, ClearStep, GridStep, PixelsStep, ValuesStep>;

// The step of a tool's use: the pixels noted in changed, which took value.
PixelsStep MakePixelsStep(const ChangeMask& changed, std::uint8_t value);
// The step of a change of many values: the values of after inside changed (clipped to after).
ValuesStep MakeValuesStep(const Bitmap& after, const Rect& changed);

// Paints one step onto target exactly as live painting did.
void ApplyStep(Bitmap& target, const DRAW_HISTORY_RECORD& step);

// Paints one step onto parts of a map, one window after another, each exactly as ApplyStep
// paints that part of the whole map. The step's pixels are unpacked once for all windows.
class StepPainter {
public:
    explicit StepPainter(const DRAW_HISTORY_RECORD& step);
    void Paint(const MapWindow& window) const;

private:
    const DRAW_HISTORY_RECORD& m_step;
    std::vector<std::uint8_t> m_unpacked;
};
// The rectangle of a map of the size that applying step can change.
Rect StepReach(const DRAW_HISTORY_RECORD& step, int width, int height);
// The bytes a step holds, itself and what it owns.
std::size_t StepBytes(const DRAW_HISTORY_RECORD& step);

}  // namespace velmora
