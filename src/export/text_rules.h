#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace velmora {

// Left-to-right, non-overlapping replacement of every occurrence of pattern; replacements are
// not scanned again and an empty pattern leaves the text unchanged.
std::string ReplaceAll(std::string_view text, std::string_view pattern,
                       std::string_view replacement);

// n / 100 as its shortest exact decimal with "." as separator: 100 -> "1", 7 -> "0.07",
// -50 -> "-0.5". The same on every locale.
std::string FormatDecimal(std::int32_t n);

}  // namespace velmora
