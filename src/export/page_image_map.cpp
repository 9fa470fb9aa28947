#include "export/page_image_map.h"

#include "canvas/map/outline_trace.h"
#include "export/link_rules.h"
#include "shapes/outline_text.h"
#include "store/attributes.h"
#include "store/common_data.h"
#include "web/web_escape.h"

namespace velmora {

namespace {

// Up to one pixel off the traced edge the rings still cover exactly the area's pixels, with
// far fewer corners on slanted and round edges.
constexpr double kOutlineTolerance = 1.0;

}  // namespace

std::string ImageMapName(const std::string& pageId) {
    return pageId + "_areas";
}

std::vector<std::string> ImageMapLines(const Bitmap& map, const std::array<std::string, 256>& names,
                                       const std::array<std::string, 256>& links,
                                       const std::string& mapName) {
    std::vector<AreaOutline> outlines = TraceOutlines(map, kOutlineTolerance);
    std::erase_if(outlines, [&names](const AreaOutline& o) { return names[o.area].empty(); });
    if (outlines.empty()) {
        return {};
    }
    std::vector<std::string> lines = {"\t\t\t<map name=\"" + EscapeHtml(mapName) + "\">"};
    for (const AreaRing& ref : RingsInnermostFirst(outlines)) {
        std::string line = "\t\t\t\t<area shape=\"poly\" coords=\"" + RingCoords(*ref.ring) + "\"";
        const std::string& link = links[ref.area];
        // A hole, and an area without a link, has neither link nor name (an alt is only allowed
        // with an href): it only keeps the outline after it off its pixels. Firefox makes even
        // such an area a Tab stop when scripts are off: tabindex -1 keeps it out of the keyboard
        // order there too.
        if (!ref.ring->hole && !link.empty() && LinkSchemeAllowed(link)) {
            // As the runtime opens it: a new window that cannot reach back to the page.
            line += " href=\"" + EscapeHtml(link) + "\" target=\"_blank\" rel=\"noopener\" alt=\"" +
                    EscapeHtml(names[ref.area]) + "\"";
        } else {
            line += " tabindex=\"-1\"";
        }
        lines.push_back(line + ">");
    }
    lines.push_back("\t\t\t</map>");
    return lines;
}

std::vector<std::string> ProjectImageMapLines(COMMON_DATA& data) {
    data.WritePendingAttributes();
    std::array<std::string, 256> links;
    for (int area = 1; area <= 255; ++area) {
        if (data.AreaNames[area].empty()) {
            continue;
        }
        // A missing event row must read as a new area's defaults, not as the previous area's.
        data.ResetAllAttributes();
        data.ReadAttributes(data.AreaNames[area]);
        links[area] = data.Attributes[kClick].link;
    }
    return ImageMapLines(data.Map, data.AreaNames, links, ImageMapName(data.PageId));
}

}  // namespace velmora
