#pragma once

#include "canvas/map/polygon_raster.h"
#include "store/bitmap.h"
#include "store/progress.h"

namespace velmora {

// The 4-connected part of the map that holds the same area value as pixel (x, y), which the
// caller keeps inside the map. Each row run goes to sink once. A cancel (OperationCancelled)
// may come after some runs went to sink.
void SelectMapRegion(const Bitmap& map, int x, int y, const SpanSink& sink,
                     Progress& progress = NoProgress());

// Picture pixels whose blue, green and red each differ from those of pixel (x, y) by at most
// tolerance; only those 4-connected to (x, y) through such pixels when contiguous.
void SelectSimilarColour(const Bitmap& picture, int x, int y, int tolerance, bool contiguous,
                         const SpanSink& sink, Progress& progress = NoProgress());

}  // namespace velmora
