// Shapes from an SVG file, read with libxml2: the walk through the document's elements and
// groups, each shape under the transforms of its element and groups; the root's viewBox is
// stretched onto the picture. The path, transform and basic shape readers do the rest.
#include <libxml/parser.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "shapes/shape_file.h"
#include "shapes/svg_basic_shapes.h"
#include "shapes/svg_path.h"
#include "shapes/svg_transform.h"
#include "shapes/xml_tree.h"
#include "store/errors.h"

namespace velmora {

namespace {

// Elements whose content is never drawn where it stands, and elements that are no area.
const std::set<std::string> kSkipped = {
    "defs",           "clippath",      "mask",  "pattern", "marker", "symbol", "lineargradient",
    "radialgradient", "filter",        "style", "script",  "text",   "title",  "desc",
    "metadata",       "foreignobject", "image", "use",     "line",   "switch"};

std::optional<FillRule> RuleOf(const xmlNode* node) {
    std::optional<std::string> value = XmlAttribute(node, "fill-rule");
    if (const auto style = XmlAttribute(node, "style")) {
        const std::size_t at = style->find("fill-rule");
        if (at != std::string::npos) {
            const std::size_t colon = style->find(':', at);
            const std::size_t end = style->find(';', at);
            if (colon != std::string::npos && colon < end) {
                value = style->substr(colon + 1, end == std::string::npos ? end : end - colon - 1);
            }
        }
    }
    if (!value) {
        return std::nullopt;
    }
    return value->find("evenodd") != std::string::npos ? FillRule::EvenOdd : FillRule::NonZero;
}

std::string NameOf(const xmlNode* node) {
    auto trimmed = [](const std::string& text) {
        const std::size_t first = text.find_first_not_of(" \t\r\n");
        return first == std::string::npos
                   ? std::string()
                   : text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
    };
    for (const char* attribute : {"alt", "title"}) {
        if (auto name = trimmed(XmlAttribute(node, attribute).value_or("")); !name.empty()) {
            return name;
        }
    }
    for (const xmlNode* child = node->children; child != nullptr; child = child->next) {
        if (child->type == XML_ELEMENT_NODE && XmlName(child) == "title") {
            xmlChar* text = xmlNodeGetContent(child);
            std::string name = trimmed(text != nullptr ? reinterpret_cast<char*>(text) : "");
            xmlFree(text);
            if (!name.empty()) {
                return name;
            }
        }
    }
    return trimmed(XmlAttribute(node, "id").value_or(""));
}

class SvgWalk {
public:
    explicit SvgWalk(std::string label) : m_label(std::move(label)), m_budget(m_label) {}

    std::vector<ImportedShape> Read(const xmlNode* root, int width, int height) {
        if (root == nullptr || XmlName(root) != "svg") {
            throw Error(m_label + ": корневой элемент файла не <svg>.");
        }
        m_where = XmlWhere(root);
        Affine toPicture;
        if (const auto viewBox = XmlAttribute(root, "viewBox")) {
            Guarded([&] {
                NumberScanner scanner(*viewBox);
                const double x = NeedSvgNumber(scanner, "viewBox");
                const double y = NeedSvgNumber(scanner, "viewBox");
                const double w = NeedSvgNumber(scanner, "viewBox");
                const double h = NeedSvgNumber(scanner, "viewBox");
                if (!(w > 0) || !(h > 0)) {
                    throw SvgSyntaxError("в viewBox ширина и высота должны быть больше 0.");
                }
                toPicture = {width / w, 0, 0, height / h, -x * width / w, -y * height / h};
            });
        }
        Walk(root, toPicture, FillRule::NonZero);
        return std::move(m_shapes);
    }

private:
    // Runs read, giving a fault in an attribute the file's name and the element.
    template <typename Read>
    void Guarded(const Read& read) {
        try {
            read();
        } catch (const SvgSyntaxError& error) {
            throw Error(m_label + ": " + m_where + ": " + error.what());
        }
    }

    void Walk(const xmlNode* node, const Affine& parent, FillRule parentRule) {
        for (; node != nullptr; node = node->next) {
            if (node->type != XML_ELEMENT_NODE) {
                continue;
            }
            const std::string name = XmlName(node);
            if (kSkipped.contains(name) || XmlAttribute(node, "display").value_or("") == "none") {
                continue;
            }
            m_where = XmlWhere(node);
            Affine transform = parent;
            if (const auto text = XmlAttribute(node, "transform")) {
                Guarded([&] { transform = parent.After(ReadSvgTransform(*text)); });
            }
            const FillRule rule = RuleOf(node).value_or(parentRule);
            if (name == "svg" || name == "g" || name == "a") {
                // The root's own transform was already handled by viewBox; nested ones act as
                // groups.
                Walk(node->children, transform, rule);
                continue;
            }
            ImportedShape shape;
            shape.rule = rule;
            RingWriter writer(transform, m_budget, m_where);
            Guarded([&] {
                if (name == "path") {
                    shape.rings = ReadSvgPath(XmlAttribute(node, "d").value_or(""), writer);
                } else if (auto rings = ReadSvgBasicShape(node, name, writer)) {
                    shape.rings = std::move(*rings);
                }
            });
            if (shape.rings.empty()) {
                continue;  // drawn as nothing (zero size), as a browser would
            }
            shape.name = NameOf(node);
            m_shapes.push_back(std::move(shape));
        }
    }

    std::string m_label;
    std::string m_where;
    ShapeBudget m_budget;
    std::vector<ImportedShape> m_shapes;
};

}  // namespace

std::vector<ImportedShape> ReadSvgShapes(std::string_view bytes, int pictureWidth,
                                         int pictureHeight, const std::string& label) {
    const std::unique_ptr<xmlParserCtxt, decltype(&xmlFreeParserCtxt)> context(xmlNewParserCtxt(),
                                                                               xmlFreeParserCtxt);
    if (!context) {
        throw Error(label + ": не хватает памяти для разбора SVG.");
    }
    // No network, no external entities, no messages on stderr: errors come back to us.
    const std::unique_ptr<xmlDoc, decltype(&xmlFreeDoc)> document(
        xmlCtxtReadMemory(context.get(), bytes.data(), static_cast<int>(bytes.size()), nullptr,
                          nullptr, XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING),
        xmlFreeDoc);
    if (!document || !context->wellFormed) {
        const xmlError* error = xmlCtxtGetLastError(context.get());
        std::string detail;
        if (error != nullptr && error->message != nullptr) {
            detail = error->message;
            while (!detail.empty() && (detail.back() == '\n' || detail.back() == ' ')) {
                detail.pop_back();
            }
        }
        throw Error(label + ": строка " + std::to_string(error != nullptr ? error->line : 0) +
                    ": файл не читается как SVG" + (detail.empty() ? "" : " (" + detail + ")") +
                    ".");
    }
    SvgWalk walk(label);
    return walk.Read(xmlDocGetRootElement(document.get()), pictureWidth, pictureHeight);
}

}  // namespace velmora
