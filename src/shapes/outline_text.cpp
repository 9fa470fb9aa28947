#include "shapes/outline_text.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include <nlohmann/json.hpp>

#include "web/web_escape.h"

namespace velmora {

std::vector<AreaRing> RingsInnermostFirst(const std::vector<AreaOutline>& outlines) {
    std::vector<AreaRing> refs;
    for (const AreaOutline& outline : outlines) {
        for (const OutlineRing& ring : outline.rings) {
            refs.push_back({outline.area, &ring, std::llabs(RingDoubleArea(ring.points))});
        }
    }
    std::stable_sort(refs.begin(), refs.end(), [](const AreaRing& a, const AreaRing& b) {
        return a.size != b.size ? a.size < b.size : !a.ring->hole && b.ring->hole;
    });
    return refs;
}

std::string RingCoords(const OutlineRing& ring) {
    std::string text;
    for (const OutlinePoint& p : ring.points) {
        if (!text.empty()) {
            text += ',';
        }
        text += std::to_string(p.x) + ',' + std::to_string(p.y);
    }
    return text;
}

namespace {

std::string EscapeXml(const std::string& text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string Html(const std::vector<AreaOutline>& outlines,
                 const std::array<std::string, 256>& names) {
    std::string text = "<map name=\"areas\">\n";
    for (const AreaRing& ref : RingsInnermostFirst(outlines)) {
        text += "<area shape=\"poly\" coords=\"" + RingCoords(*ref.ring) + "\"";
        if (ref.ring->hole) {
            text += " nohref>\n";
        } else {
            const std::string name = EscapeHtml(names[ref.area]);
            text += " alt=\"" + name + "\" title=\"" + name + "\">\n";
        }
    }
    return text + "</map>\n";
}

std::string Svg(const std::vector<AreaOutline>& outlines, const std::array<std::string, 256>& names,
                int width, int height) {
    const std::string w = std::to_string(width);
    const std::string h = std::to_string(height);
    std::string text =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
        w + "\" height=\"" + h + "\" viewBox=\"0 0 " + w + " " + h + "\">\n";
    for (const AreaOutline& outline : outlines) {
        std::string d;
        for (const OutlineRing& ring : outline.rings) {
            for (std::size_t i = 0; i < ring.points.size(); ++i) {
                d += (i == 0 ? (d.empty() ? "M" : " M") : " L") + std::to_string(ring.points[i].x) +
                     " " + std::to_string(ring.points[i].y);
            }
            d += " Z";
        }
        text += "<path d=\"" + d + "\" fill-rule=\"nonzero\"><title>" +
                EscapeXml(names[outline.area]) + "</title></path>\n";
    }
    return text + "</svg>\n";
}

std::string Json(const std::vector<AreaOutline>& outlines,
                 const std::array<std::string, 256>& names) {
    std::string text = "[";
    bool first = true;
    for (const AreaRing& ref : RingsInnermostFirst(outlines)) {
        nlohmann::ordered_json shape;
        shape["name"] = names[ref.area];
        nlohmann::ordered_json points = nlohmann::ordered_json::array();
        for (const OutlinePoint& p : ref.ring->points) {
            points.push_back({p.x, p.y});
        }
        shape["points"] = std::move(points);
        if (ref.ring->hole) {
            shape["hole"] = true;
        }
        text += (first ? "\n" : ",\n") +
                shape.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
        first = false;
    }
    return text + (first ? "]\n" : "\n]\n");
}

}  // namespace

std::string WriteOutlines(const std::vector<AreaOutline>& outlines,
                          const std::array<std::string, 256>& names, int width, int height,
                          ShapeFormat format) {
    switch (format) {
        case ShapeFormat::Html:
            return Html(outlines, names);
        case ShapeFormat::Svg:
            return Svg(outlines, names, width, height);
        case ShapeFormat::Json:
            return Json(outlines, names);
    }
    return {};
}

}  // namespace velmora
