// Verbs over the area map: painting it as the mouse does, filling rectangles and grids of
// areas, clearing it, and writing the composed view to a picture file.
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "canvas/history/draw_history.h"
#include "canvas/history/stroke_recorder.h"
#include "canvas/map/area_map.h"
#include "canvas/map/map_ops.h"
#include "canvas/tools/area_grid.h"
#include "canvas/tools/area_tool_step.h"
#include "canvas/tools/area_tools.h"
#include "canvas/view/overlay_preview.h"
#include "canvas/view/view_compose.h"
#include "cli/cli_app.h"
#include "store/image_file.h"
#include "store/paths.h"

namespace velmora::cli {

namespace {

void AddPaint(CLI::App& app, Context& context) {
    auto* verb = app.add_subcommand(
        "paint",
        "paint a stroke with the brush, as dragging the mouse does; prints L,T,W,H of "
        "the pixels it wrote");
    auto project = std::make_shared<std::string>();
    auto area = std::make_shared<std::string>();
    auto brush = std::make_shared<int>(0);
    auto stroke = std::make_shared<std::vector<std::string>>();
    verb->add_option("project", *project)->required();
    verb->add_option("area", *area, "the area's name, or 0 to erase")->required();
    verb->add_option("--brush", *brush, "brush size 1..100 (default: 10)")
        ->check(CLI::Range(1, 100));
    verb->add_option("--stroke", *stroke, "the press point, then every move point: X,Y ...")
        ->required();
    verb->callback([&context, project, area, brush, stroke] {
        std::vector<HistoryPoint> points;
        for (const std::string& text : *stroke) {
            const auto xy = ParseNumbers("--stroke", text, 2);
            points.push_back({static_cast<std::int32_t>(xy[0]), static_cast<std::int32_t>(xy[1])});
        }
        Session session(context.prompter, *project);
        COMMON_DATA& data = session.Data();
        RequirePicture(session);
        const int value = *area == "0" ? 0 : session.RequireArea(*area);
        if (*brush > 0) {
            data.BrushSize = *brush;
        }
        // A press, moves and a release over the picture, as the mouse paints; each call is a
        // history of its own, which ends with the call.
        DRAW_HISTORY history;
        StrokeRecorder stroke(data, history);
        stroke.Press(points.front().x, points.front().y, value);
        Rect touched;
        for (std::size_t i = 1; i < points.size(); ++i) {
            touched = touched.United(stroke.Move(points[i].x, points[i].y));
        }
        stroke.Release();
        session.MapChanged();
        session.Finish();
        PrintRect(touched);
    });
}

void AddFill(CLI::App& app, Context& context) {
    auto* verb = app.add_subcommand(
        "fill",
        "fill a rectangle, an ellipse, a polygon or a region of the map with an area; prints "
        "L,T,W,H of the part of the rectangle inside the map, or of the pixels the other "
        "shapes wrote");
    auto project = std::make_shared<std::string>();
    auto area = std::make_shared<std::string>();
    auto rect = std::make_shared<std::string>();
    auto ellipse = std::make_shared<std::string>();
    auto polygon = std::make_shared<std::vector<std::string>>();
    auto region = std::make_shared<std::string>();
    auto overwrite = std::make_shared<bool>(false);
    verb->add_option("project", *project)->required();
    verb->add_option("area", *area, "the area's name (or 0 to erase, except with --rect)")
        ->required();
    auto* rectOption = verb->add_option("--rect", *rect, "L,T,W,H");
    auto* ellipseOption =
        verb->add_option("--ellipse", *ellipse, "the ellipse inscribed in L,T,W,H");
    auto* polygonOption = verb->add_option("--polygon", *polygon,
                                           "X1,Y1 X2,Y2 X3,Y3 ...: a polygon (non-zero winding)");
    auto* regionOption = verb->add_option(
        "--region", *region, "X,Y: the 4-connected part of the map holding that pixel's value");
    verb->add_flag("--overwrite", *overwrite, "fill pixels of other areas too");
    for (CLI::Option* option : {rectOption, ellipseOption, polygonOption, regionOption}) {
        for (CLI::Option* other : {rectOption, ellipseOption, polygonOption, regionOption}) {
            if (option != other) {
                option->excludes(other);
            }
        }
    }
    verb->callback([&context, project, area, rect, ellipse, polygon, region, overwrite] {
        if (rect->empty() && ellipse->empty() && polygon->empty() && region->empty()) {
            throw Exit{kUsage,
                       "fill ждёт одну из форм: --rect, --ellipse, --polygon или --region."};
        }
        if (!rect->empty()) {
            const auto box = ParseNumbers("--rect", *rect, 4);
            Session session(context.prompter, *project);
            COMMON_DATA& data = session.Data();
            RequirePicture(session);
            const int value = session.RequireArea(*area);
            const Rect touched =
                AreaMap(data).FillMapRect(box[0], box[1], box[2], box[3], value, *overwrite);
            session.MapChanged();
            session.Finish();
            PrintRect(touched);
            return;
        }
        ShapeRing points;
        for (const std::string& text : *polygon) {
            const auto xy = ParseNumbers("--polygon", text, 2);
            points.push_back({static_cast<double>(xy[0]), static_cast<double>(xy[1])});
        }
        const auto box =
            ellipse->empty() ? std::vector<std::int64_t>{} : ParseNumbers("--ellipse", *ellipse, 4);
        const auto at =
            region->empty() ? std::vector<std::int64_t>{} : ParseNumbers("--region", *region, 2);
        if (!polygon->empty() && points.size() < 3) {
            throw Exit{kFailed, "--polygon: многоугольнику нужно не меньше 3 точек, а их " +
                                    std::to_string(points.size()) + "."};
        }
        Session session(context.prompter, *project);
        COMMON_DATA& data = session.Data();
        RequirePicture(session);
        const int value = AreaOrErase(session, *area);
        AreaToolPass tool;
        if (!box.empty()) {
            tool = [&box](MapWriter& writer) {
                FillEllipse(writer, box[0], box[1], box[2], box[3]);
            };
        } else if (!points.empty()) {
            tool = [&points](MapWriter& writer) { FillPolygon(writer, points); };
        } else {
            if (!data.canvas.Map.Contains(static_cast<int>(at[0]), static_cast<int>(at[1]))) {
                throw Exit{kFailed, PointOffPictureText(at[0], at[1], data.canvas.Map)};
            }
            const int held = AreaAt(data.canvas.Map, at[0], at[1]);
            if (held != 0 && !*overwrite) {
                throw Exit{kFailed, "Точка " + *region + " принадлежит области «" +
                                        data.areas.AreaNames[held] +
                                        "»: без --overwrite заливка пишет только в пиксели вне "
                                        "областей, поэтому ничего не изменено."};
            }
            tool = [&at](MapWriter& writer) { FillRegion(writer, at[0], at[1]); };
        }
        DRAW_HISTORY history;
        FinishTool(session, ApplyAreaTool(data, history, static_cast<std::uint8_t>(value),
                                          *overwrite, tool));
    });
}

void AddGrid(CLI::App& app, Context& context) {
    auto* verb = app.add_subcommand(
        "grid",
        "add a grid of areas, one per cell, and paint the cells, as the grid dialog does; "
        "prints NUMBER<TAB>NAME of each new area");
    auto project = std::make_shared<std::string>();
    auto request = std::make_shared<GridRequest>();
    verb->add_option("project", *project)->required();
    verb->add_option("columns", request->columns, "1..20")
        ->required()
        ->check(CLI::Range(1, kGridMaxSide));
    verb->add_option("rows", request->rows, "1..20")
        ->required()
        ->check(CLI::Range(1, kGridMaxSide));
    verb->add_option("--prefix", request->prefix, "start of every name (default: Область_)");
    verb->add_flag("--overwrite", request->overwrite, "cells replace pixels of other areas");
    verb->callback([&context, project, request] {
        Session session(context.prompter, *project);
        COMMON_DATA& data = session.Data();
        RequirePicture(session);
        DRAW_HISTORY history;
        history.Reset(data.canvas.Map);
        const GridResult result = AddAreaGrid(data, history, *request);
        if (!result.done) {
            throw Exit{kFailed, ""};
        }
        session.MapChanged();
        session.Finish();
        bool skipped = false;
        for (const int value : result.cellValues) {
            if (value == kSkippedCell) {
                skipped = true;
            } else {
                std::cout << value << '\t' << data.areas.AreaNames[value] << '\n';
            }
        }
        // Refused cells were reported one by one; the rest of the grid is saved.
        if (skipped) {
            throw Exit{kFailed, ""};
        }
    });
}

void AddClearMap(CLI::App& app, Context& context) {
    auto* verb = app.add_subcommand("clear-map", "take every pixel out of its area");
    auto project = std::make_shared<std::string>();
    verb->add_option("project", *project)->required();
    verb->callback([&context, project] {
        Session session(context.prompter, *project);
        RequirePicture(session);
        session.Data().ClearMap();
        session.MapChanged();
        session.Finish();
    });
}

void AddView(CLI::App& app, Context& context) {
    auto* verb =
        app.add_subcommand("view",
                           "write what the main window shows (picture, mask or current area, or an "
                           "overlay preview) as a PNG file");
    auto project = std::make_shared<std::string>();
    auto output = std::make_shared<std::string>();
    auto mode = std::make_shared<std::string>("mask");
    auto area = std::make_shared<std::string>();
    auto overlay = std::make_shared<std::vector<std::string>>();
    verb->add_option("project", *project)->required();
    verb->add_option("output", *output, "the PNG file to write")->required();
    verb->add_option("--mode", *mode, "picture, mask (default) or current")
        ->check(CLI::IsMember({"picture", "mask", "current"}));
    verb->add_option("--area", *area, "the current area for --mode current (default: number 1)");
    verb->add_option("--overlay", *overlay, "preview the overlay of AREA for EVENT instead")
        ->expected(2);
    verb->callback([&context, project, output, mode, area, overlay] {
        if (AsciiLower(ExtractExtension(*output)) != ".png") {
            throw Exit{kUsage, "Вид записывается только в PNG (.png): " + *output};
        }
        Session session(context.prompter, *project, ProjectAccess::Read);
        COMMON_DATA& data = session.Data();
        RequirePicture(session);
        const ViewMode viewMode = *mode == "picture"   ? ViewMode::Picture
                                  : *mode == "current" ? ViewMode::PictureAndCurrentArea
                                                       : ViewMode::PictureAndMask;
        if (!area->empty()) {
            data.areas.CurrentArea = session.RequireArea(*area);
        }
        Bitmap view;
        if (!overlay->empty()) {
            session.RequireArea((*overlay)[0]);
            const int event = RequireEvent((*overlay)[1]);
            data.ReadAttributes((*overlay)[0]);
            if (!DrawOverlay(data, event, viewMode, view)) {
                const std::string name = data.records.Attributes[event].overlay_file_name;
                session.Finish();
                // A forbidden name has been reported by DrawOverlay itself.
                throw Exit{kFailed, data.project.WorkFilePath("Pictures", name).empty()
                                        ? ""
                                        : "Файл оверлея не найден: Pictures/" + name};
            }
        } else {
            UpdateView(data, viewMode, view);
        }
        session.Finish();
        SaveImageFile(view, *output);
        std::cout << *output << '\n';
    });
}

void AddCanvasVerbs(CLI::App& app, Context& context) {
    AddPaint(app, context);
    AddFill(app, context);
    AddGrid(app, context);
    AddClearMap(app, context);
    AddView(app, context);
}

const Registrar registrar(AddCanvasVerbs);

}  // namespace

}  // namespace velmora::cli
