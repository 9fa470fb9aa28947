#pragma once

#include <string>

namespace velmora {

// An area name as the registry keeps it: without spaces, tabs or line breaks at either end,
// so that a name never shows as a blank line and "Озеро " is the same area as "Озеро".
std::string TrimAreaName(const std::string& name);

}  // namespace velmora
