#pragma once

#include <string>
#include <vector>

#include "shapes/svg_geometry.h"

namespace velmora {

// The d attribute of <path>: every command (M L H V C S Q T A Z), absolute and relative, with
// the implicit repeats ("M 0 0 5 5" draws a line). Curves and arcs are cut into straight pieces
// by writer, which also moves the points into picture pixels. Each subpath with an inside
// becomes one ring. Throws SvgSyntaxError for a path that does not read, or one of more than
// kMaxPathCommands commands.
std::vector<ShapeRing> ReadSvgPath(const std::string& text, RingWriter& writer);

}  // namespace velmora
