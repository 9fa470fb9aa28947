#pragma once

#include <cstddef>
#include <string>

namespace velmora {

// An area name as the registry keeps it: without spaces, tabs or line breaks at either end,
// so that a name never shows as a blank line and "Озеро " is the same area as "Озеро".
std::string TrimAreaName(const std::string& name);

// A new name is at most this many characters (UTF-8 code points) long.
inline constexpr std::size_t kMaxAreaNameLength = 255;

// What is wrong with a trimmed name given to a new or renamed area: too long for the lists,
// the pages and the lines the CLI prints, or holding a control character (NUL, a line break,
// a tab) that would cut those lines. Names already in a project are kept as they are.
enum class AreaNameFault { None, TooLong, ControlCharacter };
AreaNameFault CheckAreaName(const std::string& name);

}  // namespace velmora
