#include "web/web_escape.h"

#include <cstdint>
#include <cstdlib>

#include "web/web_text.h"

namespace velmora {

namespace {

constexpr char kHexUpper[] = "0123456789ABCDEF";

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

}  // namespace

std::string EscapeScriptText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        // The JSON escape's own backslash must survive the template literal too, hence the
        // doubled backslashes: the literal turns "\\n" into "\n", which JSON reads as LF.
        switch (c) {
            case '"':
                out += "\\\\\"";
                break;
            case '\\':
                out += "\\\\\\\\";
                break;
            case '\n':
                out += "\\\\n";
                break;
            case '\r':
                out += "\\\\r";
                break;
            case '\t':
                out += "\\\\t";
                break;
            case '\b':
                out += "\\\\b";
                break;
            case '\f':
                out += "\\\\f";
                break;
            case '`':
                out += "\\`";
                break;
            case '$':
                out += (i + 1 < text.size() && text[i + 1] == '{') ? "\\$" : "$";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    out += "\\\\u00";
                    out += kHexUpper[(c >> 4) & 0xF];
                    out += kHexUpper[c & 0xF];
                } else {
                    out += c;
                }
        }
    }
    return out;
}

std::string EncodeFileReference(std::string_view name) {
    std::string out;
    out.reserve(name.size());
    for (const char c : name) {
        if (c == '%' || c == '#' || c == '?') {
            out += '%';
            out += kHexUpper[(static_cast<unsigned char>(c) >> 4) & 0xF];
            out += kHexUpper[c & 0xF];
        } else {
            out += c;
        }
    }
    return out;
}

std::string DecodePercent(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
            HexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string EscapeHtml(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string UnescapeHtml(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '&') {
            out += text[i];
            continue;
        }
        const std::size_t end = text.find(';', i);
        if (end == std::string_view::npos || end - i > 10) {
            out += text[i];
            continue;
        }
        const std::string_view entity = text.substr(i + 1, end - i - 1);
        std::string replacement;
        if (entity == "amp") {
            replacement = "&";
        } else if (entity == "lt") {
            replacement = "<";
        } else if (entity == "gt") {
            replacement = ">";
        } else if (entity == "quot") {
            replacement = "\"";
        } else if (entity == "apos") {
            replacement = "'";
        } else if (entity.size() > 1 && entity[0] == '#') {
            const bool hex = entity[1] == 'x' || entity[1] == 'X';
            const std::string digits(entity.substr(hex ? 2 : 1));
            char* stop = nullptr;
            const unsigned long code = std::strtoul(digits.c_str(), &stop, hex ? 16 : 10);
            if (!digits.empty() && stop && *stop == '\0' && code > 0 && code < 0x110000) {
                AppendUtf8(replacement, static_cast<std::uint32_t>(code));
            }
        }
        if (replacement.empty()) {
            out += text[i];
            continue;
        }
        out += replacement;
        i = end;
    }
    return out;
}

}  // namespace velmora
