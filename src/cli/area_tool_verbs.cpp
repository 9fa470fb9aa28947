// Verbs that make an area from the picture itself: pixels of a similar colour, and the object
// inside a box.
#include <algorithm>
#include <functional>
#include <memory>
#include <string>

#include "canvas/history/draw_history.h"
#include "canvas/map/change_mask.h"
#include "canvas/map/map_writer.h"
#include "canvas/tools/area_tool_step.h"
#include "canvas/tools/area_tools.h"
#include "cli/cli_app.h"

namespace velmora::cli {

namespace {

// A tool that reads the picture, noting what it selects in target.
using PictureSelection = std::function<void(SpanTarget& target, const Bitmap& picture)>;

// Runs select while only the picture is held, then lets the picture go, decodes the map and
// writes the selection into it as one step: a picture and its map are never held together,
// only one of them and a bit a pixel of selection.
void ApplyToMapAfterPicture(Session& session, const std::string& area, bool overwrite,
                            const PictureSelection& select) {
    COMMON_DATA& data = session.Data();
    const int value = AreaOrErase(session, area);
    ChangeMask selected(0, 0);
    {
        Bitmap picture;
        if (!data.DecodePicture(picture)) {
            throw Exit{kFailed, kNoPicture};
        }
        selected = ChangeMask(picture.Width(), picture.Height());
        MaskWriter target(selected, picture.Width(), picture.Height());
        select(target, picture);
    }
    RequireMap(session);
    DRAW_HISTORY history;
    const Rect changed = ApplyAreaTool(data, history, static_cast<std::uint8_t>(value), overwrite,
                                       [&](MapWriter& writer) {
                                           selected.ForEachRun([&writer](int y, int x0, int x1) {
                                               if (y < writer.Height() && x0 < writer.Width()) {
                                                   writer.Span(y, x0, std::min(x1, writer.Width()));
                                               }
                                           });
                                       });
    FinishTool(session, changed);
}

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
        ApplyToMapAfterPicture(
            session, *area, *overwrite, [&](SpanTarget& target, const Bitmap& picture) {
                if (!picture.Contains(static_cast<int>(xy[0]), static_cast<int>(xy[1]))) {
                    throw Exit{kFailed, PointOffPictureText(xy[0], xy[1], picture)};
                }
                FillSimilarColour(target, picture, xy[0], xy[1], *tolerance, !*global);
            });
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
        ApplyToMapAfterPicture(session, *area, *overwrite,
                               [&](SpanTarget& target, const Bitmap& picture) {
                                   FillObject(target, picture, b[0], b[1], b[2], b[3]);
                               });
    });
}

void AddAreaToolVerbs(CLI::App& app, Context& context) {
    AddWand(app, context);
    AddSelectObject(app, context);
}

const Registrar registrar(AddAreaToolVerbs);

}  // namespace

}  // namespace velmora::cli
