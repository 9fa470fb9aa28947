#pragma once

#include <string>
#include <string_view>

namespace velmora {

// Whether a page opens this link: "http", "https" and "mailto" addresses and relative ones.
// Any other scheme ("javascript:", "data:", "file:"...) is refused by the page's runtime.
bool LinkSchemeAllowed(std::string_view link);

// What the author should know about a link set on an event (EventKind), or empty: a link on
// "over" is blocked by browsers, which open windows only on a click; a link of another scheme
// is not opened at all.
std::string LinkWarning(int event, std::string_view link);

}  // namespace velmora
