#pragma once

#include <optional>
#include <string_view>

namespace velmora {

// Reads the number lists of markup attributes (coords, points, path data, transforms): numbers
// separated by white space and at most one comma, where "1-2" and "1.5.5" are two numbers each.
class NumberScanner {
public:
    explicit NumberScanner(std::string_view text) : m_text(text) {}

    // Skips white space, then one comma and the white space after it.
    void SkipSeparator();
    void SkipSpace();
    bool AtEnd();
    // The next character after white space, or '\0' at the end.
    char Peek();
    // Takes the character Peek() returned.
    void Take() { ++m_at; }
    // A number at the current place (after white space); nullopt, consuming nothing, when
    // none starts there.
    std::optional<double> Number();
    // An arc flag: a lone "0" or "1".
    std::optional<bool> Flag();
    std::size_t Offset() const { return m_at; }

private:
    std::string_view m_text;
    std::size_t m_at = 0;
};

}  // namespace velmora
