#include "shapes/outline_text.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <numeric>

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

int DecimalDigits(std::int32_t value) {
    int digits = value < 0 ? 2 : 1;
    for (std::int64_t v = std::llabs(value); v >= 10; v /= 10) {
        ++digits;
    }
    return digits;
}

// About the bytes a ring takes in any of the formats: its coordinates, separators and the name
// of its area beside the markup.
std::int64_t RingTextBytes(const OutlineRing& ring, const std::string& name) {
    std::int64_t bytes = 48 + 2 * static_cast<std::int64_t>(name.size());
    for (const OutlinePoint& p : ring.points) {
        bytes += DecimalDigits(p.x) + DecimalDigits(p.y) + 2;
    }
    return bytes;
}

std::string Megabytes(std::int64_t bytes) {
    const std::int64_t tenths = (bytes * 10 + 512 * 1024) / (1024 * 1024);
    return std::to_string(tenths / 10) + "," + std::to_string(tenths % 10) + " МБ";
}

// The heaviest areas, as many as must go for the rest to fit (at most twelve named), each with
// its weight.
std::string TooLargeText(const std::array<std::int64_t, 256>& bytes,
                         const std::array<std::string, 256>& names, std::int64_t limit) {
    const std::int64_t total = std::accumulate(bytes.begin(), bytes.end(), std::int64_t{0});
    std::vector<int> areas;
    for (int area = 1; area < 256; ++area) {
        if (bytes[area] > 0) {
            areas.push_back(area);
        }
    }
    std::stable_sort(areas.begin(), areas.end(),
                     [&bytes](int a, int b) { return bytes[a] > bytes[b]; });
    std::string list;
    std::int64_t left = total;
    std::size_t named = 0;
    for (; named < areas.size() && left > limit && named < 12; ++named) {
        const int area = areas[named];
        const std::string name = names[area].empty() ? "№" + std::to_string(area) : names[area];
        list += (named == 0 ? "«" : ", «") + name + "» (" + Megabytes(bytes[area]) + ")";
        left -= bytes[area];
    }
    std::size_t more = 0;
    for (std::size_t i = named; i < areas.size() && left > limit; ++i) {
        left -= bytes[areas[i]];
        ++more;
    }
    if (more > 0) {
        list += " и ещё " + std::to_string(more);
    }
    return "Контуры областей слишком сложны: их текст занял бы " + Megabytes(total) +
           ", а предел — " + Megabytes(limit) + ". Упростите области: " + list + ".";
}

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

std::vector<AreaOutline> TraceOutlinesWithin(const Bitmap& map, double tolerance,
                                             const std::array<std::string, 256>& names,
                                             bool namedOnly, std::int64_t limit,
                                             Progress& progress) {
    std::array<std::vector<OutlineRing>, 256> rings;
    std::array<std::int64_t, 256> bytes{};
    std::int64_t total = 0;
    bool over = false;
    TraceRings(
        map, tolerance,
        [&](int area, OutlineRing ring) {
            if (namedOnly && names[area].empty()) {
                return;
            }
            const std::int64_t size = RingTextBytes(ring, names[area]);
            bytes[area] += size;
            total += size;
            if (over) {
                return;
            }
            if (total > limit) {
                // Only the weights matter from here on: what was kept is let go.
                over = true;
                rings = {};
                return;
            }
            rings[area].push_back(std::move(ring));
        },
        progress);
    if (over) {
        throw OutlinesTooLarge(TooLargeText(bytes, names, limit));
    }
    std::vector<AreaOutline> outlines;
    for (int area = 1; area < 256; ++area) {
        if (!rings[area].empty()) {
            outlines.push_back({area, std::move(rings[area])});
        }
    }
    return outlines;
}

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
