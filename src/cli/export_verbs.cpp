// Verbs of the web export: the page export, the browser test, page merging and the map text.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <iostream>

#include "cli/cli_app.h"
#include "export/export_commands.h"
#include "export/export_messages.h"
#include "export/map_encode.h"
#include "export/page_merge.h"
#include "store/paths.h"

extern char** environ;

namespace velmora::cli {

namespace {

// The runtime files are looked up beside the running program.
std::string ProgramFolder() {
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) {
        return ".";
    }
    return ExtractFolder(std::string(buffer, static_cast<std::size_t>(n)));
}

// Opens the page with the desktop's default program and does not wait for it.
class DesktopShell : public Shell {
public:
    bool Open(const std::string& pathOrUrl) override {
        const char* program = "xdg-open";
        std::string argument = pathOrUrl;
        char* argv[] = {const_cast<char*>(program), argument.data(), nullptr};
        pid_t pid = 0;
        if (::posix_spawnp(&pid, program, nullptr, nullptr, argv, environ) != 0) {
            return false;
        }
        // Reaped only if it is already done; the browser lives on after the verb ends.
        ::waitpid(pid, nullptr, WNOHANG);
        return true;
    }
};

// Stands in for the desktop when the page is only to be written.
class NoShell : public Shell {
public:
    bool Open(const std::string&) override { return true; }
};

constexpr const char* kAccessibleHelp =
    "name every area in the data script and add an image map of the areas' outlines, names "
    "and links, which works without scripts too";

constexpr const char* kWebImagesHelp =
    "offer the picture in several widths as WebP with a JPEG or PNG fallback (in VLM), with a "
    "viewport meta and deferred scripts: a page for phones and slow networks";

// The page's own texts, as the editor's export step asks for them.
void AddPageTextOptions(CLI::App& verb, PageTexts& texts) {
    verb.add_option("--title", texts.title,
                    "the page's <title> (default: \"Dorvan Software - Velmora Demo\")");
    verb.add_option("--heading", texts.heading, "the page's <h1> (default: the title)");
    verb.add_option("--description", texts.description, "a <meta name=\"description\"> text");
}

void PrintOutcome(const ExportOutcome& outcome) {
    if (outcome.pagePath.empty()) {
        throw Exit{kFailed, ""};
    }
    std::cout << outcome.pagePath << '\n';
}

void AddExport(CLI::App& app, Context& context) {
    auto* verb = app.add_subcommand(
        "export", "write the web page, its data script and copies of its files; prints the page");
    auto project = std::make_shared<std::string>();
    auto out = std::make_shared<std::string>();
    auto options = std::make_shared<ExportOptions>();
    verb->add_option("project", *project)->required();
    verb->add_option("page", *out, "the page; its extension becomes .html")->required();
    verb->add_flag("--accessible", options->accessible, kAccessibleHelp);
    verb->add_flag("--web-images", options->webImages, kWebImagesHelp);
    AddPageTextOptions(*verb, options->texts);
    auto answer = AddOverwriteFlags(*verb);
    verb->callback([&context, project, out, options, answer] {
        answer(context.prompter);
        Session session(context.prompter, *project, ProjectAccess::Read);
        session.NeedPixels(COMMON_DATA::PixelsOf::MapOnly);
        const ExportOutcome outcome = ExportToHtml(session.Data(), *out, ProgramFolder(), *options);
        session.Finish();
        PrintOutcome(outcome);
        if (!outcome.scriptWritten) {
            throw Exit{kFailed, ""};
        }
    });
}

void AddTest(CLI::App& app, Context& context) {
    auto* verb = app.add_subcommand(
        "test", "export into the project's HTML folder and open the page; prints the page");
    auto project = std::make_shared<std::string>();
    auto noOpen = std::make_shared<bool>(false);
    auto options = std::make_shared<ExportOptions>();
    verb->add_option("project", *project)->required();
    verb->add_flag("--no-open", *noOpen, "write the page but do not open it");
    verb->add_flag("--accessible", options->accessible, kAccessibleHelp);
    verb->add_flag("--web-images", options->webImages, kWebImagesHelp);
    AddPageTextOptions(*verb, options->texts);
    auto answer = AddOverwriteFlags(*verb);
    verb->callback([&context, project, noOpen, options, answer] {
        answer(context.prompter);
        Session session(context.prompter, *project, ProjectAccess::Read);
        session.NeedPixels(COMMON_DATA::PixelsOf::MapOnly);
        DesktopShell desktop;
        NoShell none;
        Shell& shell = *noOpen ? static_cast<Shell&>(none) : desktop;
        const ExportOutcome outcome =
            TestInBrowser(session.Data(), ProgramFolder(), shell, *options);
        session.Finish();
        PrintOutcome(outcome);
        if (!outcome.scriptWritten) {
            throw Exit{kFailed, ""};
        }
    });
}

void AddMerge(CLI::App& app, Context& context) {
    auto* verb = app.add_subcommand(
        "merge", "merge exported pages into one page with one data script; prints the page");
    auto out = std::make_shared<std::string>();
    auto pages = std::make_shared<std::vector<std::string>>();
    verb->add_option("merged", *out, "the merged page; .html is appended when missing")->required();
    verb->add_option("pages", *pages, "two or more exported pages, in order")->required();
    auto answer = AddOverwriteFlags(*verb);
    verb->callback([&context, out, pages, answer] {
        answer(context.prompter);
        switch (MergePages(*pages, *out, context.prompter)) {
            case MergeResult::Merged:
                std::cout << MergedPagePath(*out) << '\n';
                return;
            case MergeResult::TooFewPages:
                throw Exit{kUsage, "Для объединения нужны хотя бы две страницы."};
            case MergeResult::Declined:
            case MergeResult::Refused:
                throw Exit{kFailed, ""};
        }
    });
}

void AddMapText(CLI::App& app, Context& context) {
    auto* verb = app.add_subcommand("map-text", "print the area map's text as the page reads it");
    auto project = std::make_shared<std::string>();
    verb->add_option("project", *project)->required();
    verb->callback([&context, project] {
        Session session(context.prompter, *project, ProjectAccess::Read);
        RequireMap(session, msg::kExportNeedsPicture);
        const std::string text = EncodeMap(session.Data());
        session.Finish();
        std::cout << text << '\n';
    });
}

void AddExportVerbs(CLI::App& app, Context& context) {
    AddExport(app, context);
    AddTest(app, context);
    AddMerge(app, context);
    AddMapText(app, context);
}

const Registrar registrar(AddExportVerbs);

}  // namespace

}  // namespace velmora::cli
