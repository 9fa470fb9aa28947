// Shapes from an SVG file, read with libxml2, as a renderer fills them: the walk through the
// document's groups, nested viewports and <use> instances, each shape under the transforms
// above it and with the style it inherits; the root's viewBox is fitted onto the picture as
// its preserveAspectRatio says. The path, transform, basic shape, viewport and style readers
// do the rest.
#include <libxml/parser.h>

#include <exception>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "shapes/shape_file.h"
#include "shapes/shape_source.h"
#include "shapes/svg_basic_shapes.h"
#include "shapes/svg_path.h"
#include "shapes/svg_style.h"
#include "shapes/svg_transform.h"
#include "shapes/svg_viewport.h"
#include "shapes/xml_tree.h"
#include "store/errors.h"

namespace velmora {

namespace {

// Elements whose content is never drawn where it stands, and elements that draw nothing.
const std::set<std::string> kNeverDrawn = {
    "defs",           "clippath", "mask",  "pattern", "marker", "symbol", "lineargradient",
    "radialgradient", "filter",   "style", "script",  "title",  "desc",   "metadata"};
// Drawn elements that are no filled shape, so they make no area; the user is told of them. A
// switch picks its child by the reader's language and features, which an area cannot follow.
const std::set<std::string> kNotFilled = {"line", "text", "image", "foreignobject", "switch"};

// How deep <use> may nest and how many elements all of them together may bring in: beyond
// that a file is refused, as a renderer's limits would stop it.
constexpr int kMaxUseDepth = 32;
constexpr std::size_t kMaxUseElements = 1'000'000;

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

// Every element with an id, the first of each id, without recursion.
std::map<std::string, const xmlNode*> ElementsById(const xmlNode* root) {
    std::map<std::string, const xmlNode*> byId;
    for (const xmlNode* node = root; node != nullptr;) {
        if (node->type == XML_ELEMENT_NODE) {
            if (const auto id = XmlAttribute(node, "id")) {
                byId.emplace(*id, node);
            }
            if (node->children != nullptr) {
                node = node->children;
                continue;
            }
        }
        while (node != nullptr && node != root && node->next == nullptr) {
            node = node->parent;
        }
        node = node == nullptr || node == root ? nullptr : node->next;
    }
    return byId;
}

// Where the children of a viewport element are drawn, and the size percentages refer to.
struct Place {
    Affine transform;
    SvgStyle style;
    double viewportWidth = 0;
    double viewportHeight = 0;
    std::vector<std::shared_ptr<const ShapeClip>> clips;  // of the element and its ancestors
};

class SvgWalk {
public:
    SvgWalk(std::string label, const xmlNode* root)
        : m_label(std::move(label)), m_budget(m_label), m_sheet(root), m_byId(ElementsById(root)) {}

    ShapeFileContents Read(const xmlNode* root, int width, int height) {
        if (root == nullptr || XmlName(root) != "svg") {
            throw Error(m_label + ": корневой элемент файла не <svg>.");
        }
        m_where = XmlWhere(root);
        Place place;
        place.viewportWidth = width;
        place.viewportHeight = height;
        Guarded([&] {
            if (const auto box = ReadSvgViewBox(root)) {
                place.transform = FitSvgViewBox(
                    *box, width, height, XmlAttribute(root, "preserveAspectRatio").value_or(""));
                place.viewportWidth = box->width;
                place.viewportHeight = box->height;
            }
        });
        // The root's own transform, x, y, width and height are the picture's business: its
        // viewBox is fitted onto the picture.
        place.style = m_sheet.Compute(root, SvgStyle{});
        if (place.style.displayed) {
            WalkChildren(root, place);
        }
        return {std::move(m_shapes), std::move(m_notFilled), m_label};
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

    void WalkChildren(const xmlNode* parent, const Place& place) {
        for (const xmlNode* node = parent->children; node != nullptr; node = node->next) {
            Element(node, place);
        }
    }

    void Element(const xmlNode* node, const Place& parent) {
        if (node->type != XML_ELEMENT_NODE) {
            return;
        }
        const std::string name = XmlName(node);
        if (kNeverDrawn.contains(name)) {
            return;
        }
        if (m_depth > 0 && ++m_instanced > kMaxUseElements) {
            throw Error(m_label + ": " + XmlWhere(node) +
                        ": элементы <use> дают слишком много "
                        "элементов (больше " +
                        std::to_string(kMaxUseElements) + ").");
        }
        m_where = XmlWhere(node);
        Place place = parent;
        place.style = m_sheet.Compute(node, parent.style);
        if (!place.style.displayed) {
            return;
        }
        if (const auto text = XmlAttribute(node, "transform")) {
            Guarded([&] { place.transform = parent.transform.After(ReadSvgTransform(*text)); });
        }
        if (!place.style.clipPath.empty()) {
            if (auto clip = ClipPath(place.style.clipPath, place.transform)) {
                place.clips.push_back(std::make_shared<const ShapeClip>(std::move(*clip)));
            }
            m_where = XmlWhere(node);
        }
        if (name == "g" || name == "a") {
            WalkChildren(node, place);
        } else if (name == "svg") {
            Viewport(node, node, place);
        } else if (name == "use") {
            Use(node, place);
        } else if (kNotFilled.contains(name)) {
            if (place.style.visible) {
                m_notFilled.push_back(m_where);
            }
        } else if (place.style.visible) {
            Shape(node, name, place);
        }
    }

    // A nested <svg>, or a <symbol> or <svg> drawn by use: its x, y, width and height (the
    // use's own when it gives them) make a new viewport for its viewBox.
    void Viewport(const xmlNode* node, const xmlNode* sizing, Place place) {
        Guarded([&] {
            const double x = SvgViewportLength(sizing, "x", place.viewportWidth, 0);
            const double y = SvgViewportLength(sizing, "y", place.viewportHeight, 0);
            auto length = [&](const char* attribute, double reference) {
                const double own = SvgViewportLength(node, attribute, reference, reference);
                return SvgViewportLength(sizing, attribute, reference, own);
            };
            const double width = length("width", place.viewportWidth);
            const double height = length("height", place.viewportHeight);
            // What falls outside the viewport is not drawn.
            ShapeClipPart viewport;
            viewport.rings.emplace_back();
            RingWriter writer(place.transform, m_budget, m_where);
            for (const ShapePoint corner :
                 {ShapePoint{x, y}, ShapePoint{x + width, y}, ShapePoint{x + width, y + height},
                  ShapePoint{x, y + height}}) {
                writer.Add(viewport.rings.back(), corner);
            }
            place.clips.push_back(std::make_shared<const ShapeClip>(ShapeClip{viewport}));
            place.transform = place.transform.After(Affine{1, 0, 0, 1, x, y});
            if (const auto box = ReadSvgViewBox(node)) {
                place.transform = place.transform.After(FitSvgViewBox(
                    *box, width, height, XmlAttribute(node, "preserveAspectRatio").value_or("")));
                place.viewportWidth = box->width;
                place.viewportHeight = box->height;
            } else {
                place.viewportWidth = width;
                place.viewportHeight = height;
            }
        });
        if (place.viewportWidth > 0 && place.viewportHeight > 0) {
            WalkChildren(node, place);
        }
    }

    void Use(const xmlNode* use, Place place) {
        std::string href = XmlAttribute(use, "href").value_or("");
        const auto target =
            href.size() > 1 && href[0] == '#' ? m_byId.find(href.substr(1)) : m_byId.end();
        if (target == m_byId.end()) {
            m_notFilled.push_back(m_where + " (ссылка \"" + href.substr(0, 40) + "\" ни на что)");
            return;
        }
        const xmlNode* referenced = target->second;
        for (const xmlNode* up = use; up != nullptr; up = up->parent) {
            if (up == referenced) {
                m_notFilled.push_back(m_where + " (ссылка по кругу на " + href.substr(0, 40) + ")");
                return;
            }
        }
        for (const xmlNode* open : m_openUses) {
            if (open == referenced) {
                m_notFilled.push_back(m_where + " (ссылка по кругу на " + href.substr(0, 40) + ")");
                return;
            }
        }
        if (m_depth >= kMaxUseDepth) {
            throw Error(m_label + ": " + m_where +
                        ": элементы <use> вложены слишком глубоко "
                        "(больше " +
                        std::to_string(kMaxUseDepth) + ").");
        }
        // Every shape the use brings in is one area with the use's name, when it has one.
        const std::string savedName = m_instanceName;
        if (m_instanceName.empty()) {
            m_instanceName = NameOf(use);
        }
        m_openUses.push_back(referenced);
        ++m_depth;
        const std::string kind = XmlName(referenced);
        if (kind == "symbol" || kind == "svg") {
            // The use's x, y, width and height place and size the symbol's viewport.
            m_where = XmlWhere(referenced);
            place.style = m_sheet.Compute(referenced, place.style);
            Viewport(referenced, use, place);
        } else {
            Guarded([&] {
                place.transform = place.transform.After(
                    Affine{1, 0, 0, 1, SvgLength(use, "x", 0), SvgLength(use, "y", 0)});
            });
            Element(referenced, place);
        }
        --m_depth;
        m_openUses.pop_back();
        m_instanceName = savedName;
    }

    void Shape(const xmlNode* node, const std::string& name, const Place& place) {
        ImportedShape shape;
        shape.rule = place.style.fillRule;
        RingWriter writer(place.transform, m_budget, m_where);
        Guarded([&] {
            if (name == "path") {
                shape.rings = ReadSvgPath(XmlAttribute(node, "d").value_or(""), writer);
            } else if (auto rings = ReadSvgBasicShape(node, name, writer)) {
                shape.rings = std::move(*rings);
            }
        });
        if (shape.rings.empty()) {
            return;  // drawn as nothing (zero size, or an element that is no shape)
        }
        shape.name = m_instanceName.empty() ? NameOf(node) : m_instanceName;
        for (const auto& clip : place.clips) {
            shape.clips.push_back(*clip);
        }
        m_shapes.push_back(std::move(shape));
    }

    // The style an element has where it stands in the document.
    SvgStyle StyleInPlace(const xmlNode* node) const {
        std::vector<const xmlNode*> line;
        for (const xmlNode* up = node; up != nullptr && up->type == XML_ELEMENT_NODE;
             up = up->parent) {
            line.push_back(up);
        }
        SvgStyle style;
        for (auto it = line.rbegin(); it != line.rend(); ++it) {
            style = m_sheet.Compute(*it, style);
        }
        return style;
    }

    // The region of clip-path="url(#id)" in the user space of transform: the union of the
    // clipPath's shapes (and uses of shapes), each filled by its clip-rule. nullopt for a
    // reference to no clipPath, or one in the units of the element's bounding box, which
    // are left unclipped.
    std::optional<ShapeClip> ClipPath(const std::string& value, const Affine& transform) {
        const std::size_t hash = value.find('#');
        const std::size_t close = value.find_first_of(")'\"", hash);
        if (value.rfind("url(", 0) != 0 || hash == std::string::npos ||
            close == std::string::npos) {
            return std::nullopt;
        }
        const auto found = m_byId.find(value.substr(hash + 1, close - hash - 1));
        if (found == m_byId.end() || XmlName(found->second) != "clippath" ||
            XmlAttribute(found->second, "clipPathUnits").value_or("") == "objectBoundingBox") {
            return std::nullopt;
        }
        const xmlNode* clipPath = found->second;
        m_where = XmlWhere(clipPath);
        Affine clipTransform = transform;
        if (const auto text = XmlAttribute(clipPath, "transform")) {
            Guarded([&] { clipTransform = transform.After(ReadSvgTransform(*text)); });
        }
        const SvgStyle clipStyle = StyleInPlace(clipPath);
        ShapeClip clip;
        for (const xmlNode* child = clipPath->children; child != nullptr; child = child->next) {
            if (child->type != XML_ELEMENT_NODE) {
                continue;
            }
            const xmlNode* shape = child;
            Affine childTransform = clipTransform;
            SvgStyle style = m_sheet.Compute(child, clipStyle);
            m_where = XmlWhere(child);
            if (const auto text = XmlAttribute(child, "transform")) {
                Guarded([&] { childTransform = clipTransform.After(ReadSvgTransform(*text)); });
            }
            if (XmlName(child) == "use") {
                const std::string href = XmlAttribute(child, "href").value_or("");
                const auto target =
                    href.size() > 1 && href[0] == '#' ? m_byId.find(href.substr(1)) : m_byId.end();
                if (target == m_byId.end()) {
                    continue;
                }
                shape = target->second;
                Guarded([&] {
                    childTransform = childTransform.After(
                        Affine{1, 0, 0, 1, SvgLength(child, "x", 0), SvgLength(child, "y", 0)});
                    if (const auto text = XmlAttribute(shape, "transform")) {
                        childTransform = childTransform.After(ReadSvgTransform(*text));
                    }
                });
                style = m_sheet.Compute(shape, style);
            }
            if (!style.displayed || !style.visible) {
                continue;
            }
            ShapeClipPart part;
            part.rule = style.clipRule;
            RingWriter writer(childTransform, m_budget, m_where);
            Guarded([&] {
                const std::string name = XmlName(shape);
                if (name == "path") {
                    part.rings = ReadSvgPath(XmlAttribute(shape, "d").value_or(""), writer);
                } else if (auto rings = ReadSvgBasicShape(shape, name, writer)) {
                    part.rings = std::move(*rings);
                }
            });
            clip.push_back(std::move(part));
        }
        return clip;
    }

    std::string m_label;
    std::string m_where;
    ShapeBudget m_budget;
    SvgStyleSheet m_sheet;
    std::map<std::string, const xmlNode*> m_byId;
    std::vector<const xmlNode*> m_openUses;  // the elements the uses being drawn refer to
    int m_depth = 0;
    std::size_t m_instanced = 0;
    std::string m_instanceName;
    std::vector<ImportedShape> m_shapes;
    std::vector<std::string> m_notFilled;
};

// What the parser's callbacks share: the source and the first error, which stops the parser
// (no exception may cross libxml2's frames).
struct SvgRead {
    ShapeSource& source;
    std::exception_ptr failure;
};

int ReadSvgPiece(void* read, char* into, int capacity) {
    auto& state = *static_cast<SvgRead*>(read);
    try {
        return static_cast<int>(state.source.Read(into, static_cast<std::size_t>(capacity)));
    } catch (...) {
        state.failure = std::current_exception();
        return -1;
    }
}

// An entity declaration is refused: one entity used many times grows a small file into
// gigabytes of text (and an external one reads other files). Character references and the
// five predefined entities need no declaration and are read as ever.
void RefuseEntity(void* user, const xmlChar* name, int, const xmlChar*, const xmlChar*, xmlChar*) {
    auto* context = static_cast<xmlParserCtxtPtr>(user);
    auto& state = *static_cast<SvgRead*>(context->_private);
    if (!state.failure) {
        const std::string entity = name != nullptr ? reinterpret_cast<const char*>(name) : "";
        state.failure = std::make_exception_ptr(
            Error(state.source.Label() + ": строка " + std::to_string(context->input->line) +
                  ": объявление сущности <!ENTITY " + entity.substr(0, 40) +
                  "> не принимается: подстановка сущностей может раздуть файл до гигабайтов."));
    }
    xmlStopParser(context);
}

}  // namespace

ShapeFileContents ReadSvgShapes(ShapeSource& source, int pictureWidth, int pictureHeight) {
    const std::string& label = source.Label();
    const std::unique_ptr<xmlParserCtxt, decltype(&xmlFreeParserCtxt)> context(xmlNewParserCtxt(),
                                                                               xmlFreeParserCtxt);
    if (!context || context->sax == nullptr) {
        throw Error(label + ": не хватает памяти для разбора SVG.");
    }
    SvgRead state{source, {}};
    context->_private = &state;
    context->sax->entityDecl = RefuseEntity;
    // No network, no external entities, no messages on stderr: errors come back to us. Without
    // XML_PARSE_HUGE no attribute or text grows past the parser's own limit of 10 MB.
    const std::unique_ptr<xmlDoc, decltype(&xmlFreeDoc)> document(
        xmlCtxtReadIO(context.get(), ReadSvgPiece, nullptr, &state, nullptr, nullptr,
                      XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING),
        xmlFreeDoc);
    if (state.failure) {
        std::rethrow_exception(state.failure);
    }
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
    const xmlNode* root = xmlDocGetRootElement(document.get());
    SvgWalk walk(label, root);
    return walk.Read(root, pictureWidth, pictureHeight);
}

}  // namespace velmora
