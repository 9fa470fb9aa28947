#pragma once

#include <cstdint>
#include <string>

#include "canvas/map/map_writer.h"
#include "canvas/map/polygon_raster.h"
#include "canvas/map/rect.h"
#include "store/bitmap.h"
#include "store/progress.h"

namespace velmora {

// The area tools: each writes value (0 takes pixels out of their area) into the pixels it
// selects, only into pixels of no area unless overwrite, never smoothing an edge, clipped to
// the map. Each returns the rectangle of the pixels it changed (empty when none).
// Refused input (a point or box off the picture, too few points) throws Error with a text
// that names it; the map is then unchanged.
//
// Each tool also writes through a MapWriter, which holds the map, the value and the overwrite
// rule and can note every pixel the tool changes (what ApplyAreaTool records as one step).

void FillRectangle(MapWriter& writer, std::int64_t left, std::int64_t top, std::int64_t width,
                   std::int64_t height);
void FillEllipse(MapWriter& writer, std::int64_t left, std::int64_t top, std::int64_t width,
                 std::int64_t height);
void FillPolygon(MapWriter& writer, const ShapeRing& points);
void FillRegion(MapWriter& writer, std::int64_t x, std::int64_t y);
// The tools that take long on a big picture may also note what they select in a mask
// (MaskWriter), for a picture too big to hold beside its map, or for work done apart from the
// map that is applied once it finished. They report to progress; a cancel throws
// OperationCancelled, possibly after some runs went to the target.
void FillRegion(SpanTarget& target, const Bitmap& map, std::int64_t x, std::int64_t y,
                Progress& progress = NoProgress());
void FillSimilarColour(SpanTarget& target, const Bitmap& picture, std::int64_t x, std::int64_t y,
                       int tolerance, bool contiguous, Progress& progress = NoProgress());
void FillObject(SpanTarget& target, const Bitmap& picture, std::int64_t left, std::int64_t top,
                std::int64_t width, std::int64_t height, Progress& progress = NoProgress());

Rect FillEllipse(Bitmap& map, std::int64_t left, std::int64_t top, std::int64_t width,
                 std::int64_t height, std::uint8_t value, bool overwrite);

// Non-zero winding; at least 3 points.
Rect FillPolygon(Bitmap& map, const ShapeRing& points, std::uint8_t value, bool overwrite);

// The 4-connected part of the map holding the value of pixel (x, y). The caller decides what
// to do when that part belongs to an area and overwrite is off (nothing would change).
Rect FillRegion(Bitmap& map, std::int64_t x, std::int64_t y, std::uint8_t value, bool overwrite);

inline constexpr int kDefaultWandTolerance = 32;

// Picture pixels of a colour close to that of (x, y) (tolerance 0..255 per channel),
// 4-connected to it when contiguous.
Rect FillSimilarColour(const Bitmap& picture, Bitmap& map, std::int64_t x, std::int64_t y,
                       int tolerance, bool contiguous, std::uint8_t value, bool overwrite);

// The object inside the box, told from its background by a graph cut.
Rect FillObject(const Bitmap& picture, Bitmap& map, std::int64_t left, std::int64_t top,
                std::int64_t width, std::int64_t height, std::uint8_t value, bool overwrite);

// The refusal texts, shared with the CLI and the editor.
std::string PointOffPictureText(std::int64_t x, std::int64_t y, const Bitmap& map);

}  // namespace velmora
