// Shapes from an HTML image map: every <area> with shape rect, circle or poly and its coords
// in picture pixels, read with libxml2's HTML parser, which takes pages as browsers do.
#include <libxml/HTMLparser.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

#include "shapes/shape_file.h"
#include "shapes/shape_numbers.h"
#include "shapes/xml_tree.h"
#include "store/errors.h"

namespace velmora {

namespace {

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// The circle as a polygon with edges of about a pixel, close enough that every pixel centre
// decides as it does for the true circle but for those within a hair of it.
ShapeRing CircleRing(double cx, double cy, double r) {
    const int count = std::clamp(static_cast<int>(std::ceil(2 * std::numbers::pi * r)), 16, 4096);
    ShapeRing ring;
    for (int i = 0; i < count; ++i) {
        const double angle = 2 * std::numbers::pi * i / count;
        ring.push_back({cx + r * std::cos(angle), cy + r * std::sin(angle)});
    }
    return ring;
}

ImportedShape AreaShape(const xmlNode* node, ShapeBudget& budget, const std::string& label) {
    const std::string where = XmlWhere(node);
    auto fail = [&](const std::string& what) { throw Error(label + ": " + where + ": " + what); };
    std::string kind = Trimmed(XmlAttribute(node, "shape").value_or("rect"));
    for (char& c : kind) {
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    const std::string coords = XmlAttribute(node, "coords").value_or("");
    std::vector<double> numbers;
    NumberScanner scanner(coords);
    while (!scanner.AtEnd()) {
        const auto number = scanner.Number();
        if (!number) {
            fail("в coords не число: \"" + coords.substr(scanner.Offset(), 20) + "\".");
        }
        numbers.push_back(*number);
        if (numbers.size() > 2 * kMaxShapePoints) {
            fail("слишком много чисел в coords.");
        }
        scanner.SkipSeparator();
    }
    ShapeRing ring;
    const auto count = std::to_string(numbers.size());
    if (kind == "rect" || kind == "rectangle") {
        if (numbers.size() != 4) {
            fail("для rect в coords нужно 4 числа, а их " + count + ".");
        }
        ring = {{numbers[0], numbers[1]},
                {numbers[2], numbers[1]},
                {numbers[2], numbers[3]},
                {numbers[0], numbers[3]}};
    } else if (kind == "circle" || kind == "circ") {
        if (numbers.size() != 3) {
            fail("для circle в coords нужно 3 числа, а их " + count + ".");
        }
        for (const double v : numbers) {
            budget.Add({v, v}, where);
        }
        if (numbers[2] <= 0) {
            fail("радиус круга должен быть больше 0.");
        }
        ring = CircleRing(numbers[0], numbers[1], numbers[2]);
    } else if (kind == "poly" || kind == "polygon") {
        if (numbers.size() % 2 != 0 || numbers.size() < 6) {
            fail("для poly в coords нужно чётное число чисел, не меньше 6 (3 точки), а их " +
                 count + ".");
        }
        for (std::size_t i = 0; i < numbers.size(); i += 2) {
            ring.push_back({numbers[i], numbers[i + 1]});
        }
    } else {
        fail("неизвестная форма shape=\"" + kind.substr(0, 20) +
             "\" (нужна rect, circle или poly).");
    }
    for (const ShapePoint& p : ring) {
        budget.Add(p, where);
    }
    ImportedShape shape;
    shape.hole = XmlAttribute(node, "nohref").has_value();
    if (!shape.hole) {
        for (const char* attribute : {"alt", "title", "id"}) {
            shape.name = Trimmed(XmlAttribute(node, attribute).value_or(""));
            if (!shape.name.empty()) {
                break;
            }
        }
    }
    shape.rings.push_back(std::move(ring));
    return shape;
}

}  // namespace

std::vector<ImportedShape> ReadHtmlShapes(std::string_view bytes, const std::string& label) {
    const std::unique_ptr<htmlParserCtxt, decltype(&htmlFreeParserCtxt)> context(
        htmlNewParserCtxt(), htmlFreeParserCtxt);
    if (!context) {
        throw Error(label + ": не хватает памяти для разбора HTML.");
    }
    const std::unique_ptr<xmlDoc, decltype(&xmlFreeDoc)> document(
        htmlCtxtReadMemory(
            context.get(), bytes.data(), static_cast<int>(bytes.size()), nullptr, "UTF-8",
            HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET | HTML_PARSE_NOIMPLIED),
        xmlFreeDoc);
    if (!document) {
        const xmlError* error = xmlCtxtGetLastError(context.get());
        throw Error(label + ": строка " + std::to_string(error != nullptr ? error->line : 0) +
                    ": файл не читается как HTML.");
    }
    ShapeBudget budget(label);
    std::vector<ImportedShape> shapes;
    // Depth first in document order, without recursion: nesting depth is the file's choice.
    std::vector<const xmlNode*> pending = {xmlDocGetRootElement(document.get())};
    while (!pending.empty()) {
        const xmlNode* node = pending.back();
        pending.pop_back();
        for (; node != nullptr; node = node->next) {
            if (node->type != XML_ELEMENT_NODE) {
                continue;
            }
            if (XmlName(node) == "area") {
                const std::string kind = XmlAttribute(node, "shape").value_or("rect");
                if (kind != "default") {
                    shapes.push_back(AreaShape(node, budget, label));
                }
            }
            if (node->children != nullptr) {
                // Finish the children before the following siblings.
                pending.push_back(node->next);
                node = node->children;
                pending.push_back(node);
                break;
            }
        }
    }
    return shapes;
}

}  // namespace velmora
