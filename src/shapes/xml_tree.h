#pragma once

#include <optional>
#include <string>

#include <libxml/tree.h>

namespace velmora {

// Small helpers over libxml2's tree that the markup readers share.

// The attribute's value, matched without regard to case as HTML does; nullopt when absent.
std::optional<std::string> XmlAttribute(const xmlNode* node, const char* name);
// The element's name in lower case.
std::string XmlName(const xmlNode* node);
// "строка N: <name>" (with id="..." when the element has one) for messages.
std::string XmlWhere(const xmlNode* node);

}  // namespace velmora
