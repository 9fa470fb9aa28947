#pragma once

#include <optional>
#include <string>
#include <vector>

#include <libxml/tree.h>

#include "shapes/svg_geometry.h"

namespace velmora {

// The rings of a basic shape element (rect with its rounded corners, circle, ellipse, polygon,
// polyline taken as closed) in picture pixels through writer; nullopt for any other element.
// A shape of zero size gives no rings, as a renderer draws nothing for it. Throws
// SvgSyntaxError for a length or point list that does not read.
std::optional<std::vector<ShapeRing>> ReadSvgBasicShape(const xmlNode* node,
                                                        const std::string& name,
                                                        RingWriter& writer);

// A length attribute in user units ("12", "12.5", "12px"); absent gives fallback.
double SvgLength(const xmlNode* node, const char* name, double fallback);

}  // namespace velmora
