#pragma once

#include <string>

#include "shapes/svg_geometry.h"

namespace velmora {

// The transform attribute: matrix, translate, scale, rotate (about the origin or a point),
// skewX and skewY, in any number, applied right to left as written. Throws SvgSyntaxError for
// an unknown name, a wrong count of arguments or a bad number.
Affine ReadSvgTransform(const std::string& text);

}  // namespace velmora
