#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// The bytes of a web file the system writes: UTF-8 byte-order mark, then every line followed
// by CR LF, the last one included.
std::string JoinWebLines(const std::vector<std::string>& lines);

// The lines of a text file read back: decoded from the encoding its byte-order mark names
// (UTF-8, UTF-16 LE or BE), UTF-8 without one; CR, LF and CR LF each end a line.
std::vector<std::string> SplitTextLines(std::string_view bytes);

// Appends one code point as UTF-8.
void AppendUtf8(std::string& out, std::uint32_t code);

}  // namespace velmora
