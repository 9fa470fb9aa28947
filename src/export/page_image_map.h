#pragma once

#include <array>
#include <string>
#include <vector>

#include "store/bitmap.h"

namespace velmora {

class COMMON_DATA;

// The name of an accessible page's image map, made from the picture's id so that the maps of
// a merged page stay apart.
std::string ImageMapName(const std::string& pageId);

// The image map of an accessible page, as lines of the page: one <area shape="poly"> per
// outline of every named, painted area, traced from the full-resolution map, with the area's
// link as href and its name as alt when the page's runtime would open the link (HTML allows
// an alt only beside an href; an area without one is no Tab stop). An image map
// cannot cut holes: each hole becomes an <area> without a link or name placed before the
// outline it lies in, and the browser takes the first <area> that holds a point, so a hole belongs
// to no area, or to the area painted inside it. Empty when no named area is painted.
std::vector<std::string> ImageMapLines(const Bitmap& map, const std::array<std::string, 256>& names,
                                       const std::array<std::string, 256>& links,
                                       const std::string& mapName);

// The image map of the open project's page of that id: the links are the areas' "click" links,
// read from the project after the pending record edits were stored. Throws OutlinesTooLarge
// when the map would pass the size limit of outline texts.
std::vector<std::string> ProjectImageMapLines(COMMON_DATA& data, const std::string& pageId);

}  // namespace velmora
