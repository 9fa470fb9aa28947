#include "app/command_line.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "ui/common/text.h"

namespace velmora {

namespace {

[[noreturn]] void WrongCall(const QString& text) {
    std::fputs(qPrintable(text + Q("\n")), stderr);
    std::exit(2);
}

}  // namespace

bool OnlyPrintsText(int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--") {
            return false;
        }
        if (argument == "-h" || argument == "--help" || argument == "--help-all" ||
            argument == "-v" || argument == "--version") {
            return true;
        }
    }
    return false;
}

EditorCommandLine ParseCommandLine(const QCoreApplication& application) {
    QCommandLineParser parser;
    parser.setApplicationDescription(Q("Редактор интерактивных картинок для веб-страниц."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption quitAfter(
        Q("quit-after"), Q("Закрыть главное окно через <мс> миллисекунд, как команда «Выход»."),
        Q("мс"));
    parser.addOption(quitAfter);
    parser.addPositionalArgument(Q("проект"), Q("Файл проекта (.vlm), открываемый при запуске."),
                                 Q("[проект]"));
    if (!parser.parse(application.arguments())) {
        WrongCall(parser.errorText());
    }
    if (parser.isSet(Q("help"))) {
        parser.showHelp(0);
    }
    if (parser.isSet(Q("version"))) {
        parser.showVersion();
    }

    EditorCommandLine commandLine;
    commandLine.projects = parser.positionalArguments();
    if (parser.isSet(quitAfter)) {
        bool ok = false;
        const int milliseconds = parser.value(quitAfter).toInt(&ok);
        if (!ok || milliseconds < 0) {
            WrongCall(Q("Неверное число миллисекунд: ") + parser.value(quitAfter));
        }
        commandLine.quitAfter = milliseconds;
    }
    return commandLine;
}

}  // namespace velmora
