#include "shapes/svg_style.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>

#include "shapes/xml_tree.h"

namespace velmora {

namespace {

constexpr std::array<const char*, 5> kProperties = {"display", "visibility", "fill-rule",
                                                    "clip-rule", "clip-path"};

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

std::string Trim(const std::string& text) {
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && IsSpace(text[first])) {
        ++first;
    }
    while (last > first && IsSpace(text[last - 1])) {
        --last;
    }
    return text.substr(first, last - first);
}

std::string Lower(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

bool IsNameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-' || c == '_' ||
           static_cast<unsigned char>(c) >= 0x80;
}

struct Declaration {
    std::string property;
    std::string value;
    bool important = false;
};

// "a: b; c: d !important" into its declarations of the properties that matter here.
std::vector<Declaration> Declarations(const std::string& block) {
    std::vector<Declaration> result;
    std::size_t at = 0;
    while (at < block.size()) {
        std::size_t end = block.find(';', at);
        if (end == std::string::npos) {
            end = block.size();
        }
        const std::string item = block.substr(at, end - at);
        at = end + 1;
        const std::size_t colon = item.find(':');
        if (colon == std::string::npos) {
            continue;
        }
        Declaration declaration{Lower(Trim(item.substr(0, colon))), Trim(item.substr(colon + 1))};
        if (std::find(kProperties.begin(), kProperties.end(), declaration.property) ==
            kProperties.end()) {
            continue;
        }
        if (const std::size_t bang = declaration.value.find('!'); bang != std::string::npos) {
            declaration.important = Lower(Trim(declaration.value.substr(bang + 1))) == "important";
            declaration.value = Trim(declaration.value.substr(0, bang));
        }
        result.push_back(std::move(declaration));
    }
    return result;
}

std::string WithoutComments(const std::string& css) {
    std::string text;
    std::size_t at = 0;
    while (at < css.size()) {
        const std::size_t open = css.find("/*", at);
        text += css.substr(at, open == std::string::npos ? std::string::npos : open - at);
        if (open == std::string::npos) {
            break;
        }
        const std::size_t close = css.find("*/", open + 2);
        at = close == std::string::npos ? css.size() : close + 2;
        text += ' ';
    }
    return text;
}

// The end of the block that opens at text[open] == '{', past its '}'.
std::size_t BlockEnd(const std::string& text, std::size_t open) {
    int depth = 0;
    for (std::size_t i = open; i < text.size(); ++i) {
        if (text[i] == '{') {
            ++depth;
        } else if (text[i] == '}' && --depth == 0) {
            return i + 1;
        }
    }
    return text.size();
}

std::vector<std::string> Classes(const xmlNode* node) {
    std::vector<std::string> classes;
    const std::string text = XmlAttribute(node, "class").value_or("");
    std::size_t at = 0;
    while (at < text.size()) {
        while (at < text.size() && IsSpace(text[at])) {
            ++at;
        }
        std::size_t end = at;
        while (end < text.size() && !IsSpace(text[end])) {
            ++end;
        }
        if (end > at) {
            classes.push_back(text.substr(at, end - at));
        }
        at = end;
    }
    return classes;
}

const xmlNode* ParentElement(const xmlNode* node) {
    const xmlNode* parent = node->parent;
    return parent != nullptr && parent->type == XML_ELEMENT_NODE ? parent : nullptr;
}

}  // namespace

SvgStyleSheet::SvgStyleSheet(const xmlNode* root) {
    // Iterative, so that a deep document cannot run the stack out.
    for (const xmlNode* node = root; node != nullptr;) {
        if (node->type == XML_ELEMENT_NODE && XmlName(node) == "style") {
            xmlChar* text = xmlNodeGetContent(node);
            if (text != nullptr) {
                Parse(reinterpret_cast<const char*>(text));
                xmlFree(text);
            }
        } else if (node->type == XML_ELEMENT_NODE && node->children != nullptr) {
            node = node->children;
            continue;
        }
        while (node != nullptr && node != root && node->next == nullptr) {
            node = node->parent;
        }
        node = node == nullptr || node == root ? nullptr : node->next;
    }
    std::stable_sort(m_rules.begin(), m_rules.end(),
                     [](const Rule& a, const Rule& b) { return a.specificity < b.specificity; });
}

void SvgStyleSheet::Parse(const std::string& css) {
    const std::string text = WithoutComments(css);
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t open = text.find('{', at);
        if (open == std::string::npos) {
            break;
        }
        const std::size_t end = BlockEnd(text, open);
        std::string prelude = Trim(text.substr(at, open - at));
        at = end;
        if (const std::size_t semicolon = prelude.rfind(';'); semicolon != std::string::npos) {
            prelude = Trim(prelude.substr(semicolon + 1));  // after "@import ...;" and the like
        }
        if (prelude.empty() || prelude[0] == '@') {
            continue;  // @media and other at-rules: not for a picture of areas
        }
        const std::vector<Declaration> declarations =
            Declarations(text.substr(open + 1, end - open - 2));
        if (declarations.empty()) {
            continue;
        }
        std::size_t from = 0;
        while (from <= prelude.size()) {
            std::size_t comma = prelude.find(',', from);
            if (comma == std::string::npos) {
                comma = prelude.size();
            }
            const std::string selectorText = prelude.substr(from, comma - from) + ' ';
            from = comma + 1;
            std::vector<Compound> selector;
            Compound compound;
            bool started = false;
            bool child = false;
            bool supported = true;
            int ids = 0, classes = 0, types = 0;
            for (std::size_t i = 0; i < selectorText.size() && supported;) {
                const char c = selectorText[i];
                if (IsSpace(c) || c == '>') {
                    if (started) {
                        selector.push_back(compound);
                        compound = Compound{};
                        started = false;
                    }
                    if (c == '>') {
                        child = true;
                    }
                    ++i;
                    continue;
                }
                if (!started) {
                    compound.child = child && !selector.empty();
                    supported = !(child && selector.empty());
                    child = false;
                    started = true;
                }
                std::size_t nameAt = i + (c == '#' || c == '.' ? 1 : 0);
                std::size_t nameEnd = nameAt;
                while (nameEnd < selectorText.size() && IsNameChar(selectorText[nameEnd])) {
                    ++nameEnd;
                }
                const std::string name = selectorText.substr(nameAt, nameEnd - nameAt);
                if (c == '*') {
                    nameEnd = i + 1;
                } else if (name.empty()) {
                    supported = false;  // attribute, pseudo-class, sibling: not matched here
                } else if (c == '#') {
                    compound.id = name;
                    ++ids;
                } else if (c == '.') {
                    compound.classes.push_back(name);
                    ++classes;
                } else {
                    compound.type = Lower(name);
                    ++types;
                }
                i = nameEnd;
            }
            if (!supported || selector.empty() || child) {
                continue;
            }
            for (const Declaration& declaration : declarations) {
                m_rules.push_back({selector, ids * 10000 + classes * 100 + types,
                                   declaration.property, declaration.value, declaration.important});
            }
        }
    }
}

bool SvgStyleSheet::Matches(const Compound& compound, const xmlNode* node) {
    if (!compound.type.empty() && XmlName(node) != compound.type) {
        return false;
    }
    if (!compound.id.empty() && XmlAttribute(node, "id").value_or("") != compound.id) {
        return false;
    }
    if (!compound.classes.empty()) {
        const std::vector<std::string> classes = Classes(node);
        for (const std::string& wanted : compound.classes) {
            if (std::find(classes.begin(), classes.end(), wanted) == classes.end()) {
                return false;
            }
        }
    }
    return true;
}

bool SvgStyleSheet::MatchesFrom(const std::vector<Compound>& selector, std::size_t last,
                                const xmlNode* node) {
    if (!Matches(selector[last], node)) {
        return false;
    }
    if (last == 0) {
        return true;
    }
    if (selector[last].child) {
        const xmlNode* parent = ParentElement(node);
        return parent != nullptr && MatchesFrom(selector, last - 1, parent);
    }
    for (const xmlNode* up = ParentElement(node); up != nullptr; up = ParentElement(up)) {
        if (MatchesFrom(selector, last - 1, up)) {
            return true;
        }
    }
    return false;
}

SvgStyle SvgStyleSheet::Compute(const xmlNode* node, const SvgStyle& parent) const {
    // The declared value of each property: later layers win over earlier ones.
    std::array<std::optional<std::string>, kProperties.size()> declared;
    auto declare = [&](const std::string& property, const std::string& value) {
        for (std::size_t i = 0; i < kProperties.size(); ++i) {
            if (property == kProperties[i]) {
                declared[i] = value;
            }
        }
    };
    for (const char* property : kProperties) {
        if (const auto value = XmlAttribute(node, property)) {
            declare(property, Trim(*value));
        }
    }
    std::vector<const Rule*> matched;
    for (const Rule& rule : m_rules) {
        if (MatchesFrom(rule.selector, rule.selector.size() - 1, node)) {
            matched.push_back(&rule);
        }
    }
    const std::vector<Declaration> inline_ = Declarations(XmlAttribute(node, "style").value_or(""));
    for (const bool important : {false, true}) {
        for (const Rule* rule : matched) {
            if (rule->important == important) {
                declare(rule->property, rule->value);
            }
        }
        for (const Declaration& declaration : inline_) {
            if (declaration.important == important) {
                declare(declaration.property, declaration.value);
            }
        }
    }

    for (std::size_t i = 0; i + 1 < declared.size(); ++i) {
        if (declared[i]) {
            declared[i] = Lower(*declared[i]);  // keywords; a clip path's id keeps its case
        }
    }
    SvgStyle style = parent;
    style.displayed = declared[0].value_or("") != "none";
    style.clipPath = declared[4].value_or("");
    const std::string visibility = declared[1].value_or("inherit");
    if (visibility == "hidden" || visibility == "collapse") {
        style.visible = false;
    } else if (visibility == "visible") {
        style.visible = true;
    }
    auto rule = [](const std::optional<std::string>& value, FillRule inherited) {
        return value == "evenodd"   ? FillRule::EvenOdd
               : value == "nonzero" ? FillRule::NonZero
                                    : inherited;
    };
    style.fillRule = rule(declared[2], parent.fillRule);
    style.clipRule = rule(declared[3], parent.clipRule);
    return style;
}

}  // namespace velmora
