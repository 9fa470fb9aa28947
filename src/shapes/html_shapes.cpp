// Shapes from an HTML image map: every <area> with shape rect, circle or poly and its coords
// in picture pixels, read with libxml2's HTML parser, which takes pages as browsers do. The
// parser reports each start tag as it reads it, and only the areas are kept, so a large page
// is never all in memory; its declared encoding (or a byte-order mark) is honoured.
#include <libxml/HTMLparser.h>
#include <libxml/parserInternals.h>
#include <strings.h>

#include <cmath>
#include <exception>
#include <memory>
#include <numbers>
#include <optional>
#include <vector>

#include "shapes/shape_file.h"
#include "shapes/shape_numbers.h"
#include "shapes/shape_source.h"
#include "store/errors.h"

namespace velmora {

namespace {

// The attributes of a start tag as the parser gives them: name, value, name, value, ..., null.
struct Attributes {
    const xmlChar** list = nullptr;

    // The value, the name matched without regard to case; nullopt when absent.
    std::optional<std::string> Get(const char* name) const {
        for (const xmlChar** at = list; at != nullptr && at[0] != nullptr; at += 2) {
            if (strcasecmp(reinterpret_cast<const char*>(at[0]), name) == 0) {
                return at[1] != nullptr ? reinterpret_cast<const char*>(at[1]) : "";
            }
        }
        return std::nullopt;
    }
};

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

ImportedShape AreaShape(const Attributes& attributes, const std::string& where, ShapeBudget& budget,
                        const std::string& label) {
    auto fail = [&](const std::string& what) { throw Error(label + ": " + where + ": " + what); };
    std::string kind = Trimmed(attributes.Get("shape").value_or("rect"));
    for (char& c : kind) {
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    const std::string coords = attributes.Get("coords").value_or("");
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
    shape.hole = attributes.Get("nohref").has_value();
    if (!shape.hole) {
        for (const char* attribute : {"alt", "title", "id"}) {
            shape.name = Trimmed(attributes.Get(attribute).value_or(""));
            if (!shape.name.empty()) {
                break;
            }
        }
    }
    shape.rings.push_back(std::move(ring));
    return shape;
}

// What the parser's callbacks share: the source, the shapes so far and the first error, which
// stops the parser (no exception may cross libxml2's frames).
struct HtmlRead {
    ShapeSource& source;
    htmlParserCtxtPtr context = nullptr;
    ShapeBudget budget;
    std::vector<ImportedShape> shapes;
    std::exception_ptr failure;
    std::size_t untagged = 0;  // bytes since the last '<' or '>'
    std::size_t line = 1;
};

// As the XML parser caps an attribute or a text, so no stretch of the page without a tag
// may be longer than this: the parser would hold it whole, and twice.
constexpr std::size_t kMaxUntaggedBytes = 10'000'000;

int ReadPiece(void* read, char* into, int capacity) {
    auto& state = *static_cast<HtmlRead*>(read);
    try {
        const std::size_t size = state.source.Read(into, static_cast<std::size_t>(capacity));
        for (std::size_t i = 0; i < size; ++i) {
            state.line += into[i] == '\n';
            state.untagged = into[i] == '<' || into[i] == '>' ? 0 : state.untagged + 1;
            if (state.untagged > kMaxUntaggedBytes) {
                throw Error(state.source.Label() + ": строка " + std::to_string(state.line) +
                            ": значение или текст длиннее 10 МБ: файл не читается как HTML.");
            }
        }
        return static_cast<int>(size);
    } catch (...) {
        state.failure = std::current_exception();
        return -1;
    }
}

void StartElement(void* user, const xmlChar* name, const xmlChar** attributes) {
    auto* context = static_cast<htmlParserCtxtPtr>(user);
    auto& state = *static_cast<HtmlRead*>(context->_private);
    if (state.failure || strcasecmp(reinterpret_cast<const char*>(name), "area") != 0) {
        return;
    }
    const Attributes list{attributes};
    if (list.Get("shape").value_or("rect") == "default") {
        return;
    }
    std::string where = "строка " + std::to_string(xmlSAX2GetLineNumber(context)) + ": <area";
    if (const auto id = list.Get("id")) {
        where += " id=\"" + id->substr(0, 40) + "\"";
    }
    where += ">";
    try {
        state.budget.AddShape(where);
        state.shapes.push_back(AreaShape(list, where, state.budget, state.source.Label()));
    } catch (...) {
        state.failure = std::current_exception();
        xmlStopParser(context);
    }
}

// Nothing (the parser then follows the byte-order mark or the page's <meta> charset) when the
// page tells its encoding, else UTF-8, which the parser would not assume by itself. As a browser
// does, only the start of the page is looked at.
const char* DeclaredEncoding(ShapeSource& source) {
    std::string start(source.Start().substr(0, 1024));
    if (start.starts_with("\xFF\xFE") || start.starts_with("\xFE\xFF") ||
        start.starts_with("\xEF\xBB\xBF")) {
        return nullptr;
    }
    for (char& c : start) {
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    return start.find("charset") != std::string::npos ? nullptr : "UTF-8";
}

}  // namespace

std::vector<ImportedShape> ReadHtmlShapes(ShapeSource& source) {
    const std::string& label = source.Label();
    const std::unique_ptr<htmlParserCtxt, decltype(&htmlFreeParserCtxt)> context(
        htmlNewParserCtxt(), htmlFreeParserCtxt);
    if (!context || context->sax == nullptr) {
        throw Error(label + ": не хватает памяти для разбора HTML.");
    }
    // Only the start tags are wanted: no tree is built.
    xmlSAXHandler& sax = *context->sax;
    sax.startElement = StartElement;
    sax.endElement = nullptr;
    sax.characters = nullptr;
    sax.ignorableWhitespace = nullptr;
    sax.cdataBlock = nullptr;
    sax.comment = nullptr;
    sax.processingInstruction = nullptr;
    sax.internalSubset = nullptr;
    HtmlRead state{source, context.get(), ShapeBudget(label), {}, nullptr, 0, 1};
    context->_private = &state;
    // The parser calls back with the context as user data when none is given.
    const std::unique_ptr<xmlDoc, decltype(&xmlFreeDoc)> document(
        htmlCtxtReadIO(
            context.get(), ReadPiece, nullptr, &state, nullptr, DeclaredEncoding(source),
            HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET | HTML_PARSE_NOIMPLIED),
        xmlFreeDoc);
    if (state.failure) {
        std::rethrow_exception(state.failure);
    }
    if (!document) {
        const xmlError* error = xmlCtxtGetLastError(context.get());
        throw Error(label + ": строка " + std::to_string(error != nullptr ? error->line : 0) +
                    ": файл не читается как HTML.");
    }
    return std::move(state.shapes);
}

}  // namespace velmora
