#pragma once

#include <string>

namespace velmora {

class COMMON_DATA;

// How many registered areas own at least one pixel of the map: the areas whose painting a
// new picture (which starts an empty map) would wipe.
int PaintedAreaCount(const COMMON_DATA& data);

// The question asked before a new picture replaces a painted map, naming how many areas lose
// their pixels.
std::string ReplacePictureQuestion(int paintedAreas);

// Asks before a new picture wipes painted areas, with No offered first; true when the import
// may go on (nothing is painted, or the user said Yes).
bool ConfirmPictureReplace(COMMON_DATA& data);

}  // namespace velmora
