#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "canvas/map/outline_trace.h"
#include "shapes/shape_format.h"
#include "store/errors.h"

namespace velmora {

// How far a traced corner may lie from the written polygon unless told otherwise: up to one
// pixel off the traced edge the rings still cover exactly the area's pixels, with far fewer
// corners on slanted and round edges.
inline constexpr double kDefaultOutlineTolerance = 1.0;

// The largest outline text written: an image map, SVG or JSON list beyond it is too big for a
// page or for importing again, and keeping its rings would cost memory without bound.
inline constexpr std::int64_t kMaxOutlineTextBytes = 20 * 1024 * 1024;

// The outlines of a map would make a text over the limit. Its message names the areas whose
// outlines weigh most, with their share, as the ones to simplify.
class OutlinesTooLarge : public Error {
public:
    using Error::Error;
};

// TraceOutlines for the areas that have a name (or every painted area, when unnamed areas are
// wanted too), its rings kept only while their text stays under limit bytes. Beyond it the
// tracing goes on only to weigh each area, and OutlinesTooLarge is thrown naming them.
std::vector<AreaOutline> TraceOutlinesWithin(const Bitmap& map, double tolerance,
                                             const std::array<std::string, 256>& names,
                                             bool namedOnly,
                                             std::int64_t limit = kMaxOutlineTextBytes,
                                             Progress& progress = NoProgress());

// Writes traced outlines with their area names, so that importing the text again gives the
// areas back:
// - Html: an image map, one <area shape="poly"> per ring, alt and title the area's name; a
//   hole is an <area nohref> without a name. Rings come innermost first (ascending enclosed
//   area), because the first <area> that holds a point wins, in a browser as in the import.
// - Svg: one <path> per area holding all its rings (fill-rule nonzero), its name in <title>,
//   viewBox the picture.
// - Json: [{"name": ..., "points": [[x, y], ...]}, ...] in the same order as Html, a hole
//   marked "hole": true.
// One ring of an area, with twice the area it encloses.
struct AreaRing {
    int area;
    const OutlineRing* ring;
    std::int64_t size;
};

// Every ring of the outlines, innermost first (ascending enclosed area; an area that fills
// another's hole exactly comes before the hole), so that the first ring holding a point names
// the area the point lies in.
std::vector<AreaRing> RingsInnermostFirst(const std::vector<AreaOutline>& outlines);

// A ring's corners as the coords of an <area shape="poly">: "x1,y1,x2,y2,...".
std::string RingCoords(const OutlineRing& ring);

std::string WriteOutlines(const std::vector<AreaOutline>& outlines,
                          const std::array<std::string, 256>& names, int width, int height,
                          ShapeFormat format);

}  // namespace velmora
