#include "export/text_rules.h"

#include <cstdlib>

namespace velmora {

std::string ReplaceAll(std::string_view text, std::string_view pattern,
                       std::string_view replacement) {
    if (pattern.empty()) {
        return std::string(text);
    }
    std::string result;
    result.reserve(text.size());
    std::size_t from = 0;
    for (std::size_t at = text.find(pattern); at != std::string_view::npos;
         at = text.find(pattern, from)) {
        result.append(text.substr(from, at - from));
        result.append(replacement);
        from = at + pattern.size();
    }
    result.append(text.substr(from));
    return result;
}

std::string FormatDecimal(std::int32_t n) {
    // Widened first so that the most negative value has a magnitude.
    const std::int64_t magnitude = std::llabs(static_cast<std::int64_t>(n));
    std::string text = n < 0 ? "-" : "";
    text += std::to_string(magnitude / 100);
    const int hundredths = static_cast<int>(magnitude % 100);
    if (hundredths != 0) {
        text += '.';
        text += static_cast<char>('0' + hundredths / 10);
        if (hundredths % 10 != 0) {
            text += static_cast<char>('0' + hundredths % 10);
        }
    }
    return text;
}

}  // namespace velmora
