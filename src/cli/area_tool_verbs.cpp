// Verbs that make an area from the picture itself: pixels of a similar colour, and the object
// inside a box.
#include <memory>
#include <string>

#include "canvas/history/draw_history.h"
#include "canvas/tools/area_tool_step.h"
#include "canvas/tools/area_tools.h"
#include "cli/cli_app.h"

namespace velmora::cli {

namespace {

void AddWand(CLI::App& app, Context& context) {
    auto* verb = app.add_subcommand(
        "wand",
        "fill the picture pixels of a colour like that at X,Y (4-connected to it unless "
        "--global) with an area; prints L,T,W,H of the pixels it wrote");
    auto project = std::make_shared<std::string>();
    auto area = std::make_shared<std::string>();
    auto at = std::make_shared<std::string>();
    auto tolerance = std::make_shared<int>(kDefaultWandTolerance);
    auto global = std::make_shared<bool>(false);
    auto overwrite = std::make_shared<bool>(false);
    verb->add_option("project", *project)->required();
    verb->add_option("area", *area, "the area's name, or 0 to erase")->required();
    verb->add_option("--at", *at, "X,Y: the pixel whose colour is sought")->required();
    verb->add_option("--tolerance", *tolerance,
                     "how far red, green and blue may each differ, 0..255 (default: 32)")
        ->check(CLI::Range(0, 255));
    verb->add_flag("--global", *global, "take such pixels anywhere in the picture");
    verb->add_flag("--overwrite", *overwrite, "fill pixels of other areas too");
    verb->callback([&context, project, area, at, tolerance, global, overwrite] {
        const auto xy = ParseNumbers("--at", *at, 2);
        Session session(context.prompter, *project);
        COMMON_DATA& data = session.Data();
        RequirePicture(session);
        const int value = AreaOrErase(session, *area);
        if (!data.canvas.Picture.Contains(static_cast<int>(xy[0]), static_cast<int>(xy[1]))) {
            throw Exit{kFailed, PointOffPictureText(xy[0], xy[1], data.canvas.Picture)};
        }
        DRAW_HISTORY history;
        const Rect changed = ApplyAreaTool(
            data, history, static_cast<std::uint8_t>(value), *overwrite, [&](MapWriter& writer) {
                FillSimilarColour(writer, data.canvas.Picture, xy[0], xy[1], *tolerance, !*global);
            });
        FinishTool(session, changed);
    });
}

void AddSelectObject(CLI::App& app, Context& context) {
    auto* verb = app.add_subcommand(
        "select-object",
        "fill the object inside a box, told from its background by a graph cut, with an "
        "area; prints L,T,W,H of the pixels it wrote");
    auto project = std::make_shared<std::string>();
    auto area = std::make_shared<std::string>();
    auto box = std::make_shared<std::string>();
    auto overwrite = std::make_shared<bool>(false);
    verb->add_option("project", *project)->required();
    verb->add_option("area", *area, "the area's name, or 0 to erase")->required();
    verb->add_option("--box", *box, "L,T,W,H around the object")->required();
    verb->add_flag("--overwrite", *overwrite, "fill pixels of other areas too");
    verb->callback([&context, project, area, box, overwrite] {
        const auto b = ParseNumbers("--box", *box, 4);
        Session session(context.prompter, *project);
        COMMON_DATA& data = session.Data();
        RequirePicture(session);
        const int value = AreaOrErase(session, *area);
        DRAW_HISTORY history;
        const Rect changed = ApplyAreaTool(
            data, history, static_cast<std::uint8_t>(value), *overwrite, [&](MapWriter& writer) {
                FillObject(writer, data.canvas.Picture, b[0], b[1], b[2], b[3]);
            });
        FinishTool(session, changed);
    });
}

void AddAreaToolVerbs(CLI::App& app, Context& context) {
    AddWand(app, context);
    AddSelectObject(app, context);
}

const Registrar registrar(AddAreaToolVerbs);

}  // namespace

}  // namespace velmora::cli
