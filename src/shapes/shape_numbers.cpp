#include "shapes/shape_numbers.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

namespace velmora {

namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

}  // namespace

void NumberScanner::SkipSpace() {
    while (m_at < m_text.size() && IsSpace(m_text[m_at])) {
        ++m_at;
    }
}

void NumberScanner::SkipSeparator() {
    SkipSpace();
    if (m_at < m_text.size() && m_text[m_at] == ',') {
        ++m_at;
        SkipSpace();
    }
}

bool NumberScanner::AtEnd() {
    SkipSpace();
    return m_at >= m_text.size();
}

char NumberScanner::Peek() {
    SkipSpace();
    return m_at < m_text.size() ? m_text[m_at] : '\0';
}

std::optional<double> NumberScanner::Number() {
    SkipSpace();
    std::size_t at = m_at;
    if (at < m_text.size() && m_text[at] == '+') {
        ++at;
        if (at < m_text.size() && m_text[at] == '-') {
            return std::nullopt;
        }
    }
    // Only the plain decimal forms: no "inf", "nan" or hexadecimal.
    const std::size_t digitsAt = at < m_text.size() && m_text[at] == '-' ? at + 1 : at;
    if (digitsAt >= m_text.size() ||
        !((m_text[digitsAt] >= '0' && m_text[digitsAt] <= '9') || m_text[digitsAt] == '.')) {
        return std::nullopt;
    }
    double value = 0;
    const char* begin = m_text.data() + at;
    const char* end = m_text.data() + m_text.size();
    const auto [next, error] = std::from_chars(begin, end, value, std::chars_format::general);
    if (error == std::errc::invalid_argument || next == begin) {
        return std::nullopt;
    }
    if (error == std::errc::result_out_of_range) {
        // Too small gives 0, too large a value far beyond any limit, so the caller reports it
        // as out of range rather than as a broken number.
        value = std::strtod(std::string(begin, next).c_str(), nullptr);
        if (std::isinf(value)) {
            value = value < 0 ? -1e300 : 1e300;
        }
    }
    m_at = static_cast<std::size_t>(next - m_text.data());
    return value;
}

std::optional<bool> NumberScanner::Flag() {
    const char c = Peek();
    if (c != '0' && c != '1') {
        return std::nullopt;
    }
    ++m_at;
    return c == '1';
}

}  // namespace velmora
