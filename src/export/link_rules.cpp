#include "export/link_rules.h"

#include <algorithm>
#include <cctype>

#include "store/attributes.h"
#include "store/paths.h"

namespace velmora {

namespace {

constexpr const char* kOverLinkWarning =
    "Браузеры открывают новое окно только по щелчку: ссылка на событии «Над областью» не "
    "откроется. Назначьте её на щелчок.";
constexpr const char* kSchemeWarning =
    "Страница открывает только адреса http, https, mailto и относительные: эта ссылка не "
    "откроется.";

bool IsUrlSpace(unsigned char c) {
    return c <= 0x20;
}

}  // namespace

bool LinkSchemeAllowed(std::string_view link) {
    // Browsers read a URL after dropping surrounding controls and spaces and every tab and
    // line break inside, so "java\tscript:" is a scheme too.
    std::string url;
    for (const char c : link) {
        if (c != '\t' && c != '\n' && c != '\r') {
            url += c;
        }
    }
    const auto first = std::find_if_not(
        url.begin(), url.end(), [](char c) { return IsUrlSpace(static_cast<unsigned char>(c)); });
    url.erase(url.begin(), first);
    std::size_t end = 0;
    while (end < url.size() && (std::isalnum(static_cast<unsigned char>(url[end])) ||
                                url[end] == '+' || url[end] == '-' || url[end] == '.')) {
        ++end;
    }
    const bool hasScheme = end > 0 && end < url.size() && url[end] == ':' &&
                           std::isalpha(static_cast<unsigned char>(url[0]));
    if (!hasScheme) {
        return true;
    }
    const std::string scheme = AsciiLower(url.substr(0, end));
    return scheme == "http" || scheme == "https" || scheme == "mailto";
}

std::string LinkWarning(int event, std::string_view link) {
    if (link.empty()) {
        return {};
    }
    if (!LinkSchemeAllowed(link)) {
        return kSchemeWarning;
    }
    return event == kOver ? kOverLinkWarning : std::string();
}

}  // namespace velmora
