#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "store/bitmap.h"
#include "store/progress.h"

namespace velmora {

// A corner between pixels: (x, y) is the top-left corner of pixel (x, y).
struct OutlinePoint {
    std::int32_t x = 0;
    std::int32_t y = 0;

    friend bool operator==(const OutlinePoint&, const OutlinePoint&) = default;
};

// One closed outline. Outer outlines run clockwise on the screen (the area on the walker's
// right), holes the other way, so filling all rings of an area with the non-zero rule gives
// the area back. The last point joins the first; no point repeats.
struct OutlineRing {
    bool hole = false;
    std::vector<OutlinePoint> points;
};

// Every ring of one painted area.
struct AreaOutline {
    int area = 0;
    std::vector<OutlineRing> rings;
};

// Traces every painted area of the map (its value in the red byte) into rings along the pixel
// edges, 4-connected: pixels of one area that touch only at a corner get separate outlines.
// Each ring is then simplified so that no corner of the traced outline lies further than
// tolerance from it; a ring that would collapse keeps its traced corners. Up to a tolerance
// of 1 the simplified rings still cover exactly the area's pixels under the pixel-centre rule
// of RasterizeRings; beyond it they trade pixels along the edge for fewer corners. Areas come in
// ascending number, rings in the order their top-left pixel is met row by row.
std::vector<AreaOutline> TraceOutlines(const Bitmap& map, double tolerance);

// The rings of TraceOutlines in the order they are found (row by row of their top-left pixel),
// each handed to take and kept nowhere: besides the map, tracing needs one bit per pixel.
// Progress hears of every few rows; a cancel throws OperationCancelled.
void TraceRings(const Bitmap& map, double tolerance,
                const std::function<void(int area, OutlineRing ring)>& take,
                Progress& progress = NoProgress());

// Twice the enclosed area of a ring, positive for an outer (clockwise on screen) ring.
std::int64_t RingDoubleArea(const std::vector<OutlinePoint>& points);

}  // namespace velmora
