#pragma once

#include <QIcon>

#include "ui/main/canvas_tools.h"

namespace velmora {

// The tool bar's picture of each area tool, drawn here so that it is crisp at any scale.
QIcon ToolIcon(AreaTool tool);

}  // namespace velmora
