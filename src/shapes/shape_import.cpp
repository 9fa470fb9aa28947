#include "shapes/shape_import.h"

#include <map>

#include "canvas/map/map_writer.h"

namespace velmora {

ShapeImportResult ImportShapes(COMMON_DATA& data, DRAW_HISTORY& history,
                               const std::vector<ImportedShape>& shapes,
                               const std::string& prefix) {
    ShapeImportResult result;
    // Which area each shape paints: 0 for a hole, -1 for a shape left without an area.
    std::vector<int> shapeArea(shapes.size(), -1);
    std::map<std::string, int> byName;
    int unnamed = 0;
    data.BeginTransaction();
    for (std::size_t i = 0; i < shapes.size(); ++i) {
        const ImportedShape& shape = shapes[i];
        if (shape.hole) {
            shapeArea[i] = 0;
            continue;
        }
        const std::string name =
            shape.name.empty() ? prefix + std::to_string(++unnamed) : shape.name;
        if (!shape.name.empty()) {
            if (const auto known = byName.find(name); known != byName.end()) {
                shapeArea[i] = known->second;
                continue;
            }
        }
        if (data.AreaCount >= kMaxAreas) {
            if (!result.limitReached) {
                data.UserPrompter().Message(kAreaLimitText);
                result.limitReached = true;
            }
            continue;
        }
        const int number = data.AddArea(data.UniqueAreaName(name), true);
        if (number < 1) {
            continue;  // refused, and AddArea said why
        }
        byName[name] = number;
        shapeArea[i] = number;
        result.newAreas.push_back(number);
    }
    data.CommitTransaction();
    result.changed = PaintShapes(data.Map, shapes, shapeArea);
    if (!result.changed.Empty()) {
        history.RecordValues(data.Map, result.changed);
        data.MapModified = true;
    }
    return result;
}

Rect PaintShapes(Bitmap& map, const std::vector<ImportedShape>& shapes,
                 const std::vector<int>& shapeArea) {
    Rect changed;
    // Pixels already in an area, or taken by an earlier shape, stay as they are.
    std::vector<std::uint8_t> taken(static_cast<std::size_t>(map.Width()) * map.Height());
    for (int y = 0; y < map.Height(); ++y) {
        const std::uint8_t* p = map.Row(y);
        for (int x = 0; x < map.Width(); ++x, p += 3) {
            taken[static_cast<std::size_t>(y) * map.Width() + x] = p[0] != 0;
        }
    }
    for (std::size_t i = 0; i < shapes.size(); ++i) {
        if (shapeArea[i] < 0) {
            continue;
        }
        MapWriter writer(map, static_cast<std::uint8_t>(shapeArea[i]), false);
        RasterizeRings(shapes[i].rings, shapes[i].rule, map.Width(), map.Height(),
                       [&](int y, int x0, int x1) {
                           std::uint8_t* row = &taken[static_cast<std::size_t>(y) * map.Width()];
                           int x = x0;
                           while (x < x1) {
                               while (x < x1 && row[x]) {
                                   ++x;
                               }
                               const int run = x;
                               while (x < x1 && !row[x]) {
                                   row[x++] = 1;
                               }
                               if (run < x) {
                                   writer.Span(y, run, x);
                               }
                           }
                       });
        changed = changed.United(writer.Changed());
    }
    return changed;
}

}  // namespace velmora
