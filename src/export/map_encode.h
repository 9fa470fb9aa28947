#pragma once

#include <cstdint>
#include <string>

#include "canvas/map/area_presence.h"
#include "store/bitmap.h"

namespace velmora {

class COMMON_DATA;

// Run-length codes the sampled rows of an area map into the text the page looks areas up in:
// per row, pieces of two hex digits of area number and two of count, then one space.
class MAP_ENCODE {
public:
    MAP_ENCODE() { Reset(); }

    void Reset();
    void AddSample(int value);
    // The same as count calls of AddSample(value); the encoder's fast path for whole runs.
    void AddRun(int value, std::int64_t count);
    void EndRow();
    const std::string& GetText() const { return Text; }

    std::string Text;
    std::string RowText;
    std::int32_t RunCount = 0;
    std::int32_t RunValue = -1;
    bool ValueChanged = false;

private:
    void AppendPiece(int value, int count);
};

// The map text of a width x height picture: every second pixel of every second row, read from
// the first byte of each pixel. Pixels that the bitmap does not cover read as no area.
// With painted given, it also marks the areas of every pixel of the map (AreasOnMap) in the
// same pass, so the export reads the map from memory only once.
std::string EncodeMap(const Bitmap& map, int width, int height, AreaPresence* painted = nullptr);
std::string EncodeMap(const COMMON_DATA& data);

}  // namespace velmora
