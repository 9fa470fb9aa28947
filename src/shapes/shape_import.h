#pragma once

#include <string>
#include <vector>

#include "canvas/history/draw_history.h"
#include "canvas/map/rect.h"
#include "shapes/shape_file.h"
#include "store/common_data.h"

namespace velmora {

inline constexpr const char* kAreaLimitText = "Превышен лимит областей. Максимум 255.";
inline constexpr const char* kDefaultShapePrefix = "Область_";

struct ShapeImportResult {
    std::vector<int> newAreas;  // area numbers, in the order the file names them
    bool limitReached = false;  // some shapes got no area: the 255 were reached
    int shapesLeftOut = 0;      // how many, told in a message after kAreaLimitText
    Rect changed;               // the map pixels that got a new value
};

// Makes one new area per name of the shapes (shapes that share a name share the area; an
// unnamed shape gets prefix and its number among the unnamed ones) and paints each shape
// into the pixels of no area that no earlier shape took. A name already in the project gets
// the suffix of UniqueAreaName. When 255 areas are reached, kAreaLimitText is shown once and
// the shapes left over are not painted. The drawn elements of the file that are no filled
// shape are listed first in one notice. The map is changed in memory only: all the painted
// pixels are one step of history, which also knows the new areas: undo takes the pixels away
// and with them the new areas nothing else has used yet (UndoMap), redo brings both back.
// MapModified is set when a pixel changed.
// Progress hears of each shape painted; a cancel (OperationCancelled) takes back the new areas
// and their pixels, leaving the project as it was.
ShapeImportResult ImportShapes(COMMON_DATA& data, DRAW_HISTORY& history,
                               const ShapeFileContents& contents, const std::string& prefix,
                               Progress& progress = NoProgress());

// The painting step of ImportShapes: shape i paints value shapeArea[i] (0 for a hole, which
// only takes its pixels; below 0 skipped) into pixels of no area that no earlier shape took.
// Returns the rectangle of the changed pixels. A cancel leaves the map as it was.
Rect PaintShapes(Bitmap& map, const std::vector<ImportedShape>& shapes,
                 const std::vector<int>& shapeArea, Progress& progress = NoProgress());

}  // namespace velmora
