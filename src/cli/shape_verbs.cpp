// Verbs that turn areas into shapes and back: the traced outlines of every area, and areas
// made from the shapes of an image map, an SVG file or a JSON list.
#include <cmath>
#include <iostream>
#include <memory>
#include <string>

#include "canvas/history/draw_history.h"
#include "canvas/map/outline_trace.h"
#include "cli/cli_app.h"
#include "shapes/outline_text.h"
#include "shapes/shape_file.h"
#include "shapes/shape_import.h"

namespace velmora::cli {

namespace {

void AddShapes(CLI::App& app, Context& context) {
    auto* verb = app.add_subcommand(
        "shapes",
        "print the outlines of every painted area as polygons (outer outlines and holes) with "
        "the area names: an HTML image map, SVG or JSON");
    auto project = std::make_shared<std::string>();
    auto format = std::make_shared<std::string>("html");
    auto tolerance = std::make_shared<double>(kDefaultOutlineTolerance);
    verb->add_option("project", *project)->required();
    verb->add_option("--format", *format, "html (default), svg or json")
        ->check(CLI::IsMember({"html", "svg", "json"}));
    verb->add_option("--tolerance", *tolerance,
                     "how far in pixels a traced corner may lie from the polygon (default: 1)")
        ->check(CLI::Range(0.0, 1000.0));
    verb->callback([&context, project, format, tolerance] {
        Session session(context.prompter, *project, ProjectAccess::Read);
        RequireMap(session);
        COMMON_DATA& data = session.Data();
        const std::string text = WriteOutlines(
            TraceOutlinesWithin(data.canvas.Map, *tolerance, data.areas.AreaNames, false),
            data.areas.AreaNames, data.canvas.Width, data.canvas.Height,
            ShapeFormatOfExtension("." + *format).value());
        session.Finish();
        std::cout << text;
    });
}

void AddImportShapes(CLI::App& app, Context& context) {
    auto* verb = app.add_subcommand(
        "import-shapes",
        "make one new area of each shape of an HTML image map, an SVG file or a JSON list "
        "([{\"name\": ..., \"points\": [[x, y], ...]}]); prints NUMBER<TAB>NAME of each new area. "
        "When the file names more areas than the project has room for, or a name is refused, the "
        "shapes that fit are imported, the rest are named in a message, and the status is 0");
    auto project = std::make_shared<std::string>();
    auto file = std::make_shared<std::string>();
    auto prefix = std::make_shared<std::string>(kDefaultShapePrefix);
    verb->add_option("project", *project)->required();
    verb->add_option("file", *file, "the markup file (.html, .svg or .json)")->required();
    verb->add_option("--prefix", *prefix,
                     "start of the name of a shape the file leaves unnamed (default: Область_)");
    verb->callback([&context, project, file, prefix] {
        Session session(context.prompter, *project);
        RequireMap(session);
        COMMON_DATA& data = session.Data();
        // The whole file is read and checked before the project changes.
        const ShapeFileContents contents =
            ReadShapeFile(*file, data.canvas.Width, data.canvas.Height);
        // Each call is a history of its own, which ends with the call.
        DRAW_HISTORY history;
        const ShapeImportResult result = ImportShapes(data, history, contents, *prefix);
        if (!result.changed.Empty()) {
            session.MapChanged();
        }
        session.Finish();
        for (const int number : result.newAreas) {
            std::cout << number << '\t' << data.areas.AreaNames[number] << '\n';
        }
    });
}

void AddShapeVerbs(CLI::App& app, Context& context) {
    AddShapes(app, context);
    AddImportShapes(app, context);
}

const Registrar registrar(AddShapeVerbs);

}  // namespace

}  // namespace velmora::cli
