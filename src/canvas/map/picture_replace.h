#pragma once

#include <string>

namespace velmora {

class COMMON_DATA;

// How many registered areas own at least one pixel of the map: the areas whose painting a
// new picture (which starts an empty map) would wipe.
int PaintedAreaCount(const COMMON_DATA& data);

// The same counted from the stored map file, row by row, as the map reads once fitted to the
// picture's size; neither the picture nor the map is decoded into memory. 0 when the project
// has no picture that loads; a picture whose header is damaged throws ImageError, as loading it
// would.
int PaintedAreaCountInMapFile(COMMON_DATA& data);

// The question asked before a new picture replaces a painted map, naming how many areas lose
// their pixels.
std::string ReplacePictureQuestion(int paintedAreas);

// Asks before a new picture wipes painted areas, with No offered first; true when the import
// may go on (nothing is painted, or the user said Yes).
bool ConfirmPictureReplace(COMMON_DATA& data);
// The same for a count of painted areas found elsewhere (PaintedAreaCountInMapFile).
bool ConfirmPictureReplace(COMMON_DATA& data, int paintedAreas);

}  // namespace velmora
