// Verbs over the project file: creating it, the picture, areas, effect records and music.
#include <iostream>

#include <nlohmann/json.hpp>

#include "canvas/map/picture_replace.h"
#include "cli/cli_app.h"
#include "export/link_rules.h"
#include "store/files.h"
#include "store/image_size.h"
#include "store/map_census.h"
#include "store/paths.h"
#include "store/project_new.h"
#include "store/project_save_as.h"

namespace velmora::cli {

namespace {

void PrintAreas(const COMMON_DATA& data) {
    for (int n = 1; n <= kMaxAreas; ++n) {
        if (!data.areas.AreaNames[n].empty()) {
            std::cout << n << '\t' << data.areas.AreaNames[n] << '\n';
        }
    }
}

void AddNew(CLI::App& app, Context& context) {
    auto* verb = app.add_subcommand("new", "create a project file and its working folders");
    auto path = std::make_shared<std::string>();
    auto force = std::make_shared<bool>(false);
    verb->add_option("project", *path, "the new .vlm file")->required();
    verb->add_flag("--force", *force, "delete an existing file of that name first");
    verb->callback([&context, path, force] {
        const std::string file = EnsureExtension(*path, ".vlm");
        if ((FileExists(file) || FolderExists(file)) && !*force) {
            throw Exit{kFailed, "Файл уже существует: " + file + " (--force удаляет его)"};
        }
        DbConnection projectDb;
        COMMON_DATA data(context.prompter);
        data.project.ProjectDb = &projectDb;
        data.project.Holder = LockHolder::Command;
        if (!NewProject(data, file)) {
            throw Exit{kFailed, ""};
        }
        data.CloseProject();
        std::cout << file << '\n';
    });
}

void AddSaveAs(CLI::App& app, Context& context) {
    auto* verb = app.add_subcommand(
        "save-as", "copy the project and the files it names beside a new project file");
    auto project = std::make_shared<std::string>();
    auto target = std::make_shared<std::string>();
    verb->add_option("project", *project)->required();
    verb->add_option("new", *target, "the new .vlm file")->required();
    auto answer = AddOverwriteFlags(*verb);
    verb->callback([&context, project, target, answer] {
        answer(context.prompter);
        const std::string file = EnsureExtension(*target, ".vlm");
        Session session(context.prompter, *project, ProjectAccess::Read);
        const bool written = WriteProjectCopy(session.Data(), file);
        session.Finish();
        if (!written) {
            throw Exit{kFailed, ""};
        }
        std::cout << file << '\n';
    });
}

void AddPicture(CLI::App& app, Context& context) {
    auto* verb = app.add_subcommand("picture", "import the picture (a copy goes into Images)");
    auto project = std::make_shared<std::string>();
    auto image = std::make_shared<std::string>();
    verb->add_option("project", *project)->required();
    verb->add_option("image", *image, "a PNG, JPEG, GIF or BMP file")->required();
    auto answer = AddOverwriteFlags(*verb);
    auto wipe = std::make_shared<bool>(false);
    verb->add_flag("--wipe-areas", *wipe,
                   "answer Yes when areas are painted: the new picture starts an empty map");
    verb->callback([&context, project, image, answer, wipe] {
        Session session(context.prompter, *project);
        // Only a refusal needs the painted areas counted; they are counted from the map file,
        // so the old map is never held beside the new one.
        if (!*wipe) {
            context.prompter.AnswerWith(Answer::No);
            if (!ConfirmPictureReplace(session.Data(), PaintedAreaCountInMapFile(session.Data()))) {
                throw Exit{kFailed, ""};
            }
        }
        context.prompter.AnswerWith(Answer::Cancel);
        answer(context.prompter);
        if (!session.Data().ImportPicture(*image, COMMON_DATA::PixelsOf::MapOnly)) {
            context.prompter.Message("Ошибка открытия файла!");
            throw Exit{kFailed, ""};
        }
        session.Finish();
    });
}

void AddAreaVerbs(CLI::App& app, Context& context) {
    auto* area = app.add_subcommand("area", "add, rename, delete, list and import areas");
    area->require_subcommand(1);
    auto project = std::make_shared<std::string>();

    auto* add = area->add_subcommand(
        "add",
        "register areas; prints NUMBER<TAB>NAME of each. All or nothing: when one name is "
        "refused, none is added");
    auto names = std::make_shared<std::vector<std::string>>();
    add->add_option("project", *project)->required();
    add->add_option("names", *names)->required();
    add->callback([&context, project, names] {
        Session session(context.prompter, *project);
        std::string added;
        for (const std::string& name : *names) {
            const int number = session.Data().AddArea(name, true);
            if (number < 1) {
                throw Exit{kFailed, ""};  // the session ends without its change
            }
            // The name as registered, trimmed as the editor trims it.
            added += std::to_string(number) + '\t' + session.Data().areas.AreaNames[number] + '\n';
        }
        session.Finish();
        std::cout << added;
    });

    auto* rename = area->add_subcommand("rename", "rename an area; it keeps number and pixels");
    auto oldName = std::make_shared<std::string>();
    auto newName = std::make_shared<std::string>();
    rename->add_option("project", *project)->required();
    rename->add_option("old", *oldName)->required();
    rename->add_option("new", *newName)->required();
    rename->callback([&context, project, oldName, newName] {
        Session session(context.prompter, *project);
        if (!session.Data().RenameArea(*oldName, *newName)) {
            throw Exit{kFailed, ""};
        }
        session.Finish();
    });

    auto* remove = area->add_subcommand("delete", "delete an area, its records and its pixels");
    auto name = std::make_shared<std::string>();
    remove->add_option("project", *project)->required();
    remove->add_option("name", *name)->required();
    remove->callback([&context, project, name] {
        Session session(context.prompter, *project);
        session.NeedPixels(COMMON_DATA::PixelsOf::MapOnly);
        const bool done = session.Data().DeleteArea(*name);
        if (done) {
            session.MapChanged();
        }
        session.Finish();
        if (!done) {
            throw Exit{kFailed, ""};
        }
    });

    auto* clear = area->add_subcommand("clear", "delete every area and empty the map");
    clear->add_option("project", *project)->required();
    clear->callback([&context, project] {
        Session session(context.prompter, *project);
        session.NeedPixels();
        session.Data().DeleteAllAreas();
        session.MapChanged();
        session.Finish();
    });

    auto* list = area->add_subcommand("list", "print NUMBER<TAB>NAME lines in number order");
    list->add_option("project", *project)->required();
    list->callback([&context, project] {
        Session session(context.prompter, *project, ProjectAccess::Read);
        PrintAreas(session.Data());
        session.Finish();
    });

    auto* importVerb = area->add_subcommand("import", "take the areas of another project file");
    auto source = std::make_shared<std::string>();
    auto replace = std::make_shared<bool>(false);
    importVerb->add_option("project", *project)->required();
    importVerb->add_option("source", *source, "the other .vlm file")->required();
    importVerb->add_flag("--replace", *replace, "delete every area of the project first");
    importVerb->callback([&context, project, source, replace] {
        Session session(context.prompter, *project);
        if (*replace) {
            session.NeedPixels();
            session.Data().DeleteAllAreas();
            session.MapChanged();
        }
        // Nothing imported: the deletion of --replace is taken back too.
        if (!session.Data().ImportAreas(*source)) {
            throw Exit{kFailed, ""};
        }
        session.Data().ListAreas();
        session.Finish();
        PrintAreas(session.Data());
    });
}

void AddAttach(CLI::App& app, Context& context) {
    auto* verb = app.add_subcommand(
        "attach", "copy a file into Pictures or Sounds, as choosing it on an effect page does");
    auto project = std::make_shared<std::string>();
    auto kind = std::make_shared<std::string>();
    auto file = std::make_shared<std::string>();
    verb->add_option("project", *project)->required();
    verb->add_option("kind", *kind, "picture or sound")
        ->required()
        ->check(CLI::IsMember({"picture", "sound"}));
    verb->add_option("file", *file)->required();
    auto answer = AddOverwriteFlags(*verb);
    verb->callback([&context, project, kind, file, answer] {
        answer(context.prompter);
        Session session(context.prompter, *project);
        const std::string name =
            session.Data().CopyIntoWorkFolder(*file, *kind == "picture" ? "Pictures" : "Sounds");
        session.Finish();
        if (name.empty()) {
            throw Exit{kFailed, ""};
        }
        std::cout << name << '\n';
    });
}

std::int32_t ParseNumber(const std::string& field, const std::string& text) {
    try {
        std::size_t used = 0;
        const long long value = std::stoll(text, &used);
        if (used == text.size() && value >= INT32_MIN && value <= INT32_MAX) {
            return static_cast<std::int32_t>(value);
        }
    } catch (const std::exception&) {
    }
    throw Exit{kUsage, "Поле " + field + " ждёт целое число: " + text};
}

void AddSetGet(CLI::App& app, Context& context) {
    auto* set = app.add_subcommand("set", "set fields of an area's record for one event");
    auto project = std::make_shared<std::string>();
    auto area = std::make_shared<std::string>();
    auto event = std::make_shared<std::string>();
    auto assignments = std::make_shared<std::vector<std::string>>();
    set->add_option("project", *project)->required();
    set->add_option("area", *area)->required();
    set->add_option("event", *event, "over, click or dblclick")->required();
    set->add_option("assignments", *assignments,
                    "FIELD=VALUE, FIELD a column from message_style on")
        ->required();
    set->callback([&context, project, area, event, assignments] {
        const int e = RequireEvent(*event);
        Session session(context.prompter, *project);
        session.RequireArea(*area);
        COMMON_DATA& data = session.Data();
        data.ReadAttributes(*area);
        for (const std::string& assignment : *assignments) {
            const auto eq = assignment.find('=');
            const std::string column = assignment.substr(0, eq);
            const AttributeField* field = FindAttributeField(column);
            if (eq == std::string::npos || !field) {
                throw Exit{kUsage, "Неизвестное поле: " + column};
            }
            const std::string value = assignment.substr(eq + 1);
            if (field->IsText()) {
                data.records.SetAttribute(e, std::get<std::string ATTRIBUTES::*>(field->member),
                                          value);
            } else {
                data.records.SetAttribute(e, std::get<std::int32_t ATTRIBUTES::*>(field->member),
                                          ParseNumber(column, value));
            }
        }
        session.Finish();
        if (const std::string warning = LinkWarning(e, data.records.Attributes[e].link);
            !warning.empty()) {
            std::cerr << warning << '\n';
        }
    });

    auto* get = app.add_subcommand("get", "print an area's record for one event as JSON");
    get->add_option("project", *project)->required();
    get->add_option("area", *area)->required();
    get->add_option("event", *event, "over, click or dblclick")->required();
    get->callback([&context, project, area, event] {
        const int e = RequireEvent(*event);
        Session session(context.prompter, *project, ProjectAccess::Read);
        session.RequireArea(*area);
        COMMON_DATA& data = session.Data();
        data.ReadAttributes(*area);
        nlohmann::ordered_json out = nlohmann::ordered_json::object();
        for (const AttributeField& field : AttributeFields()) {
            std::visit([&](auto member) { out[field.column] = data.records.Attributes[e].*member; },
                       field.member);
        }
        session.Finish();
        std::cout << out.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
    });

    auto* copy = app.add_subcommand("copy-event", "copy an area's record to another event");
    auto from = std::make_shared<std::string>();
    auto to = std::make_shared<std::string>();
    copy->add_option("project", *project)->required();
    copy->add_option("area", *area)->required();
    copy->add_option("from", *from)->required();
    copy->add_option("to", *to)->required();
    copy->callback([&context, project, area, from, to] {
        const int f = RequireEvent(*from);
        const int t = RequireEvent(*to);
        Session session(context.prompter, *project);
        session.RequireArea(*area);
        if (f == t) {
            context.prompter.Message("Нельзя копировать событие в само себя!");
            throw Exit{kFailed, ""};
        }
        const bool done = session.Data().CopyAttributes(*area, f, t);
        session.Finish();
        if (!done) {
            throw Exit{kFailed, ""};
        }
    });
}

void AddMusic(CLI::App& app, Context& context) {
    auto* verb = app.add_subcommand("music", "set or remove the background music and its volume");
    auto project = std::make_shared<std::string>();
    auto sound = std::make_shared<std::string>();
    auto none = std::make_shared<bool>(false);
    auto volume = std::make_shared<int>(-1);
    verb->add_option("project", *project)->required();
    auto* soundOption = verb->add_option("sound", *sound, "an MP3 or OGG file");
    verb->add_flag("--none", *none, "no background music (the file stays in Sounds)")
        ->excludes(soundOption);
    verb->add_option("--volume", *volume, "0 to 100")->check(CLI::Range(0, 100));
    auto answer = AddOverwriteFlags(*verb);
    verb->callback([&context, project, sound, none, volume, answer] {
        answer(context.prompter);
        Session session(context.prompter, *project);
        COMMON_DATA& data = session.Data();
        if (!sound->empty()) {
            const std::string name = data.CopyIntoWorkFolder(*sound, "Sounds");
            if (name.empty()) {
                throw Exit{kFailed, ""};
            }
            data.canvas.BackgroundSound = name;
        } else if (*none) {
            data.canvas.BackgroundSound.clear();
        }
        if (*volume >= 0) {
            data.canvas.BackgroundVolume = *volume;
        }
        const bool done = data.SaveBackgroundSound();
        session.Finish();
        if (!done) {
            throw Exit{kFailed, ""};
        }
    });
}

void AddInfo(CLI::App& app, Context& context) {
    auto* verb = app.add_subcommand("info", "print the project's picture, sound and areas as JSON");
    auto project = std::make_shared<std::string>();
    verb->add_option("project", *project)->required();
    verb->callback([&context, project] {
        Session session(context.prompter, *project, ProjectAccess::Read);
        COMMON_DATA& data = session.Data();
        // Counted from the map file alone, row by row: neither the picture nor the whole map
        // is ever held in memory.
        AreaPixelCounts pixels{};
        const std::string picturePath =
            data.project.WorkFilePath("Images", data.canvas.PictureFileName);
        const std::string mapPath = data.CurrentMapPath();
        if (!picturePath.empty() && !mapPath.empty() && EntryExists(picturePath)) {
            const ReadScope scope = data.project.ProjectReadScope();
            // The picture's header decides the size, as decoding it would; the stored numbers
            // may be stale.
            if (const auto size = ReadImageSize(picturePath, scope)) {
                data.canvas.Width = size->width;
                data.canvas.Height = size->height;
            }
            CountAreaPixels(mapPath, data.canvas.Width, data.canvas.Height, pixels, scope);
        }
        nlohmann::ordered_json out;
        out["version"] = "4.0";
        out["picture"] = data.canvas.PictureFileName;
        out["map"] = data.canvas.MapFileName;
        out["width"] = data.canvas.Width;
        out["height"] = data.canvas.Height;
        out["sound"] = data.canvas.BackgroundSound;
        out["volume"] = data.canvas.BackgroundVolume;
        out["areas"] = nlohmann::ordered_json::array();
        for (int n = 1; n <= kMaxAreas; ++n) {
            if (!data.areas.AreaNames[n].empty()) {
                out["areas"].push_back(
                    {{"number", n}, {"name", data.areas.AreaNames[n]}, {"pixels", pixels[n]}});
            }
        }
        session.Finish();
        std::cout << out.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
    });
}

void AddStoreVerbs(CLI::App& app, Context& context) {
    AddNew(app, context);
    AddSaveAs(app, context);
    AddPicture(app, context);
    AddAreaVerbs(app, context);
    AddAttach(app, context);
    AddSetGet(app, context);
    AddMusic(app, context);
    AddInfo(app, context);
}

const Registrar registrar(AddStoreVerbs);

}  // namespace

}  // namespace velmora::cli
