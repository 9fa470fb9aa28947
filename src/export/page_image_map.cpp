#include "export/page_image_map.h"

#include "canvas/map/outline_trace.h"
#include "export/link_rules.h"
#include "shapes/outline_text.h"
#include "store/attributes.h"
#include "store/common_data.h"
#include "web/web_escape.h"

namespace velmora {

std::string ImageMapName(const std::string& pageId) {
    return pageId + "_areas";
}

std::vector<std::string> ImageMapLines(const Bitmap& map, const std::array<std::string, 256>& names,
                                       const std::array<std::string, 256>& links,
                                       const std::string& mapName) {
    const std::vector<AreaOutline> outlines = TraceOutlinesWithin(
        map, kDefaultOutlineTolerance, names, true, kMaxOutlineTextBytes, ThreadProgress());
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

std::vector<std::string> ProjectImageMapLines(COMMON_DATA& data, const std::string& pageId) {
    data.WritePendingAttributes();
    std::array<std::string, 256> links;
    for (int area = 1; area <= 255; ++area) {
        if (data.areas.AreaNames[area].empty()) {
            continue;
        }
        // A missing event row must read as a new area's defaults, not as the previous area's.
        data.ResetAllAttributes();
        data.ReadAttributes(data.areas.AreaNames[area]);
        links[area] = data.records.Attributes[kClick].link;
    }
    return ImageMapLines(data.canvas.Map, data.areas.AreaNames, links, ImageMapName(pageId));
}

}  // namespace velmora
