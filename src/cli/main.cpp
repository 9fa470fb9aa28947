// velmora-cli: every project operation of Velmora Editor from the command line.
#include <iostream>

#include <CLI/CLI.hpp>

#include "cli/cli_app.h"

int main(int argc, char** argv) {
    using namespace velmora::cli;
    CLI::App app{"Velmora Editor 4.0 — project operations from the command line"};
    app.require_subcommand(1);
    app.set_help_all_flag("--help-all", "print help for every verb");
    app.set_version_flag("--version", "velmora-cli 4.0", "print the version and exit");
    Context context;
    for (VerbAdder add : VerbAdders()) {
        add(app, context);
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int status = app.exit(e);
        return status == 0 ? 0 : kUsage;
    } catch (const Exit& e) {
        if (!e.message.empty()) {
            std::cerr << e.message << '\n';
        }
        return e.status;
    } catch (const std::exception& e) {
        std::cerr << e.what() << '\n';
        return kFailed;
    }
    return 0;
}
