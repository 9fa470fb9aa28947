#include "ui/common/file_filters.h"

#include <vector>

namespace velmora {

namespace {

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::string::size_type start = 0;
    while (true) {
        const auto end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::string::npos) {
            return parts;
        }
        start = end + 1;
    }
}

// The description without a pattern list in parentheses at its end.
std::string BareDescription(std::string description) {
    if (!description.empty() && description.back() == ')') {
        const auto open = description.rfind('(');
        if (open != std::string::npos) {
            description.erase(open);
            while (!description.empty() && description.back() == ' ') {
                description.pop_back();
            }
        }
    }
    return description;
}

}  // namespace

std::string ToQtFilter(const std::string& pairs) {
    if (pairs.empty()) {
        return {};
    }
    const std::vector<std::string> parts = Split(pairs, '|');
    std::string result;
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        std::string patterns;
        for (const std::string& pattern : Split(parts[i + 1], ';')) {
            if (pattern.empty()) {
                continue;
            }
            if (!patterns.empty()) {
                patterns += ' ';
            }
            patterns += pattern == "*.*" ? "*" : pattern;
        }
        if (!result.empty()) {
            result += ";;";
        }
        result += BareDescription(parts[i]) + " (" + patterns + ")";
    }
    return result;
}

}  // namespace velmora
