#pragma once

#include <optional>
#include <string>

#include <libxml/tree.h>

#include "shapes/svg_geometry.h"

namespace velmora {

// The rectangle of user units that a viewBox attribute names.
struct SvgViewBox {
    double x = 0, y = 0, width = 0, height = 0;
};

// The viewBox of an <svg> or <symbol>; nullopt when it has none. Throws SvgSyntaxError for one
// that does not read or has no positive width and height.
std::optional<SvgViewBox> ReadSvgViewBox(const xmlNode* node);

// The transform that puts box into the viewport (0, 0, width, height) as preserveAspectRatio
// says: "none" stretches it, otherwise it is scaled evenly to fit ("meet", the default) or to
// cover ("slice") and aligned by x/yMin, Mid or Max (xMidYMid by default).
Affine FitSvgViewBox(const SvgViewBox& box, double width, double height,
                     const std::string& preserveAspectRatio);

// A width or height of a viewport element: user units, px or a percentage of reference;
// fallback when absent. Throws SvgSyntaxError for a value that does not read.
double SvgViewportLength(const xmlNode* node, const char* name, double reference, double fallback);

}  // namespace velmora
