#pragma once

#include <optional>
#include <string>
#include <vector>

#include <libxml/tree.h>

#include "canvas/map/polygon_raster.h"

namespace velmora {

// The properties that decide whether and how an SVG element is filled, as a renderer
// computes them: display and clip-path (not inherited), visibility, fill-rule and clip-rule
// (inherited).
struct SvgStyle {
    bool displayed = true;
    bool visible = true;
    FillRule fillRule = FillRule::NonZero;
    FillRule clipRule = FillRule::NonZero;
    std::string clipPath;  // "url(#id)" of the element itself (not inherited), or empty
};

// The document's <style> sheets (CSS with type, class, id, universal and descendant or child
// selectors; rules with other selectors are left out) and the cascade over an element's
// presentation attributes, the sheet and its style attribute, !important included.
class SvgStyleSheet {
public:
    // Reads every <style> element under root.
    explicit SvgStyleSheet(const xmlNode* root);

    // The element's computed style, inheriting from parent (the element's parent in the
    // document, or the <use> that instantiates it).
    SvgStyle Compute(const xmlNode* node, const SvgStyle& parent) const;

private:
    struct Compound {
        std::string type;  // empty for any
        std::string id;
        std::vector<std::string> classes;
        bool child = false;  // joined to the compound before it by '>' rather than a space
    };
    struct Rule {
        std::vector<Compound> selector;  // outermost first
        int specificity = 0;
        std::string property;
        std::string value;
        bool important = false;
    };

    void Parse(const std::string& css);
    static bool Matches(const Compound& compound, const xmlNode* node);
    static bool MatchesFrom(const std::vector<Compound>& selector, std::size_t last,
                            const xmlNode* node);

    std::vector<Rule> m_rules;  // in sheet order, stably sorted by specificity
};

}  // namespace velmora
