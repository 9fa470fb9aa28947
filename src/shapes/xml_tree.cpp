#include "shapes/xml_tree.h"

#include <strings.h>

namespace velmora {

std::optional<std::string> XmlAttribute(const xmlNode* node, const char* name) {
    for (const xmlAttr* attr = node->properties; attr != nullptr; attr = attr->next) {
        if (strcasecmp(reinterpret_cast<const char*>(attr->name), name) != 0) {
            continue;
        }
        xmlChar* value = xmlNodeListGetString(node->doc, attr->children, 1);
        std::string text = value != nullptr ? reinterpret_cast<const char*>(value) : "";
        xmlFree(value);
        return text;
    }
    return std::nullopt;
}

std::string XmlName(const xmlNode* node) {
    std::string name = node->name != nullptr ? reinterpret_cast<const char*>(node->name) : "";
    for (char& c : name) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return name;
}

std::string XmlWhere(const xmlNode* node) {
    std::string where = "строка " + std::to_string(xmlGetLineNo(node)) + ": <" + XmlName(node);
    if (const auto id = XmlAttribute(node, "id")) {
        where += " id=\"" + id->substr(0, 40) + "\"";
    }
    return where + ">";
}

}  // namespace velmora
