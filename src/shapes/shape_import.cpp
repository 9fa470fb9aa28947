#include "shapes/shape_import.h"

#include <algorithm>
#include <map>
#include <utility>

#include "canvas/map/map_writer.h"

namespace velmora {

ShapeImportResult ImportShapes(COMMON_DATA& data, DRAW_HISTORY& history,
                               const ShapeFileContents& contents, const std::string& prefix,
                               Progress& progress) {
    if (const std::string notFilled = NotFilledMessage(contents); !notFilled.empty()) {
        data.UserPrompter().Notice(notFilled);
    }
    const std::vector<ImportedShape>& shapes = contents.shapes;
    ShapeImportResult result;
    // Which area each shape paints: 0 for a hole, -1 for a shape left without an area.
    std::vector<int> shapeArea(shapes.size(), -1);
    std::map<std::string, int> byName;
    int unnamed = 0;
    // The new areas are committed only once their shapes are painted, so that a cancel or a
    // failure of the painting takes them back too.
    StepAreas made{.Made = {}, .MapWritesBefore = data.MapWrites()};
    data.BeginTransaction();
    try {
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
            if (data.areas.AreaCount >= kMaxAreas) {
                if (!result.limitReached) {
                    data.UserPrompter().Message(kAreaLimitText);
                    result.limitReached = true;
                }
                ++result.shapesLeftOut;
                continue;
            }
            const int number = data.AddArea(data.areas.UniqueAreaName(name), true);
            if (number < 1) {
                continue;  // refused, and AddArea said why
            }
            byName[name] = number;
            shapeArea[i] = number;
            result.newAreas.push_back(number);
            made.Made.push_back({.Number = number, .Name = data.areas.AreaNames[number]});
        }
        result.changed = PaintShapes(data.canvas.Map, shapes, shapeArea, progress);
    } catch (...) {
        data.RollbackChange();
        data.ListAreas();
        throw;
    }
    data.CommitTransaction();
    if (result.shapesLeftOut > 0) {
        data.UserPrompter().Message(
            "Без области остались фигуры: " + std::to_string(result.shapesLeftOut) +
            ". Остальные импортированы.");
    }
    if (!result.changed.Empty()) {
        history.RecordValues(data.canvas.Map, result.changed, std::move(made));
        data.canvas.MapModified = true;
    }
    return result;
}

namespace {

// The pixels of a region, row by row: sorted runs [x0, x1) that neither touch nor overlap.
using RowRuns = std::vector<std::vector<std::pair<int, int>>>;

RowRuns ClipRuns(const ShapeClip& clip, int width, int height) {
    RowRuns runs(static_cast<std::size_t>(height));
    for (const ShapeClipPart& part : clip) {
        RasterizeRings(part.rings, part.rule, width, height,
                       [&runs](int y, int x0, int x1) { runs[y].emplace_back(x0, x1); });
    }
    for (auto& row : runs) {
        std::sort(row.begin(), row.end());
        std::vector<std::pair<int, int>> merged;
        for (const auto& run : row) {
            if (!merged.empty() && run.first <= merged.back().second) {
                merged.back().second = std::max(merged.back().second, run.second);
            } else {
                merged.push_back(run);
            }
        }
        row = std::move(merged);
    }
    return runs;
}

RowRuns Intersect(const RowRuns& a, const RowRuns& b) {
    RowRuns both(a.size());
    for (std::size_t y = 0; y < a.size(); ++y) {
        std::size_t i = 0;
        std::size_t j = 0;
        while (i < a[y].size() && j < b[y].size()) {
            const int x0 = std::max(a[y][i].first, b[y][j].first);
            const int x1 = std::min(a[y][i].second, b[y][j].second);
            if (x0 < x1) {
                both[y].emplace_back(x0, x1);
            }
            (a[y][i].second < b[y][j].second ? i : j) += 1;
        }
    }
    return both;
}

}  // namespace

namespace {

// Marks of PaintShapes: a pixel of an area before the import, or one a shape took.
constexpr std::uint8_t kTakenBefore = 1;
constexpr std::uint8_t kTakenByShape = 2;

// Gives every pixel a shape took back to no area.
void EraseShapePixels(Bitmap& map, const std::vector<std::uint8_t>& taken) {
    MapWriter eraser(map, 0, true);
    for (int y = 0; y < map.Height(); ++y) {
        const std::uint8_t* row = &taken[static_cast<std::size_t>(y) * map.Width()];
        for (int x = 0; x < map.Width();) {
            if (row[x] != kTakenByShape) {
                ++x;
                continue;
            }
            const int run = x;
            while (x < map.Width() && row[x] == kTakenByShape) {
                ++x;
            }
            eraser.Span(y, run, x);
        }
    }
}

// Paints shape after shape, marking in taken what each took.
void PaintEachShape(Bitmap& map, const std::vector<ImportedShape>& shapes,
                    const std::vector<int>& shapeArea, std::vector<std::uint8_t>& taken,
                    Rect& changed, Progress& progress);

}  // namespace

Rect PaintShapes(Bitmap& map, const std::vector<ImportedShape>& shapes,
                 const std::vector<int>& shapeArea, Progress& progress) {
    Rect changed;
    // Pixels already in an area, or taken by an earlier shape, stay as they are.
    std::vector<std::uint8_t> taken(static_cast<std::size_t>(map.Width()) * map.Height());
    for (int y = 0; y < map.Height(); ++y) {
        const std::uint8_t* p = map.Row(y);
        for (int x = 0; x < map.Width(); ++x, p += 3) {
            taken[static_cast<std::size_t>(y) * map.Width() + x] = p[0] != 0 ? kTakenBefore : 0;
        }
    }
    try {
        PaintEachShape(map, shapes, shapeArea, taken, changed, progress);
    } catch (...) {
        EraseShapePixels(map, taken);
        throw;
    }
    return changed;
}

namespace {

void PaintEachShape(Bitmap& map, const std::vector<ImportedShape>& shapes,
                    const std::vector<int>& shapeArea, std::vector<std::uint8_t>& taken,
                    Rect& changed, Progress& progress) {
    const auto count = static_cast<std::int64_t>(shapes.size());
    for (std::size_t i = 0; i < shapes.size(); ++i) {
        progress.Step(static_cast<std::int64_t>(i), count);
        if (shapeArea[i] < 0) {
            continue;
        }
        MapWriter writer(map, static_cast<std::uint8_t>(shapeArea[i]), false);
        auto paint = [&](int y, int x0, int x1) {
            std::uint8_t* row = &taken[static_cast<std::size_t>(y) * map.Width()];
            int x = x0;
            while (x < x1) {
                while (x < x1 && row[x]) {
                    ++x;
                }
                const int run = x;
                while (x < x1 && !row[x]) {
                    row[x++] = kTakenByShape;
                }
                if (run < x) {
                    writer.Span(y, run, x);
                }
            }
        };
        if (shapes[i].clips.empty()) {
            RasterizeRings(shapes[i].rings, shapes[i].rule, map.Width(), map.Height(), paint);
        } else {
            // Only the runs inside every clip are painted.
            RowRuns inside = ClipRuns(shapes[i].clips[0], map.Width(), map.Height());
            for (std::size_t c = 1; c < shapes[i].clips.size(); ++c) {
                inside = Intersect(inside, ClipRuns(shapes[i].clips[c], map.Width(), map.Height()));
            }
            RasterizeRings(shapes[i].rings, shapes[i].rule, map.Width(), map.Height(),
                           [&](int y, int x0, int x1) {
                               for (const auto& [c0, c1] : inside[y]) {
                                   if (std::max(x0, c0) < std::min(x1, c1)) {
                                       paint(y, std::max(x0, c0), std::min(x1, c1));
                                   }
                               }
                           });
        }
        changed = changed.United(writer.Changed());
    }
}

}  // namespace

}  // namespace velmora
