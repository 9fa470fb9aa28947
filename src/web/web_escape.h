#pragma once

#include <string>
#include <string_view>

namespace velmora {

// A stored text as it stands between the quotes of a data script entry: escaped as a JSON
// string, then for the template literal that carries the object, so that the page's runtime
// receives exactly the stored text. A text without quotes, backslashes, backticks, "${" or
// control characters comes back unchanged.
std::string EscapeScriptText(std::string_view text);

// A file name as part of a relative URL: only the characters that would end or redirect the
// path ("%", "#", "?") are percent-encoded; plain names come back unchanged.
std::string EncodeFileReference(std::string_view name);
// Undoes every %XX sequence; malformed ones stay as they are.
std::string DecodePercent(std::string_view text);

// A text inside an HTML attribute value: &, <, >, " and ' become character references.
std::string EscapeHtml(std::string_view text);
// Undoes the named references above and numeric ones (&#39; &#x27;).
std::string UnescapeHtml(std::string_view text);

}  // namespace velmora
