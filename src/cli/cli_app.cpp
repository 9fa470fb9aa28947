#include "cli/cli_app.h"

#include <unistd.h>

#include <iostream>

namespace velmora::cli {

void CliPrompter::Message(const std::string& text) {
    std::cerr << text << '\n';
}

Answer CliPrompter::Ask(const std::string& text, const std::string& caption, Buttons buttons) {
    Answer answer = m_answer;
    if (answer == Answer::Cancel && buttons != Buttons::YesNoCancel) {
        answer = Answer::No;
    }
    const char* said = answer == Answer::Yes ? "Да" : answer == Answer::No ? "Нет" : "Отмена";
    std::cerr << caption << ": " << text << " " << said << '\n';
    return answer;
}

void CliPrompter::Beep() {
    std::cerr << '\a' << std::flush;
}

Session::Session(CliPrompter& prompter, const std::string& projectPath, ProjectAccess access)
    : m_data(prompter) {
    m_data.ProjectDb = &m_projectDb;
    m_data.SourceDb = &m_sourceDb;
    m_data.Holder = LockHolder::Command;
    if (!m_data.OpenProject(projectPath, access)) {
        throw Exit{kFailed, ""};
    }
    m_data.LoadPictureRecord();
    // An empty registry read from a file that failed to answer would make every area look
    // missing.
    if (!m_data.ListAreas()) {
        throw Exit{kFailed, "Ошибка чтения списка областей проекта"};
    }
    if (access == ProjectAccess::Write) {
        m_data.BeginChange();
    }
}

void Session::NeedPixels() {
    if (!m_pixelsRead) {
        m_pixelsRead = true;
        m_data.LoadPicture();
    }
}

Session::~Session() {
    if (!m_finished && m_data.ProjectOpen) {
        try {
            m_data.RollbackChange();
            m_data.CloseProject();
        } catch (...) {
            // Leaving through an error already reported; the file stays as it was.
        }
    }
}

void Session::Finish() {
    m_finished = true;
    try {
        m_data.WritePendingAttributes();
        if (m_mapChanged) {
            m_data.SaveMap();
        }
        m_data.CommitChange();
    } catch (...) {
        m_data.RollbackChange();
        m_data.CloseProject();
        throw;
    }
    m_data.CloseProject();
}

int Session::RequireArea(const std::string& name) {
    const int number = m_data.FindArea(name);
    if (name.empty() || number == 0) {
        throw Exit{kUsage, "Область не найдена: " + name};
    }
    return number;
}

std::function<void(CliPrompter&)> AddOverwriteFlags(CLI::App& verb) {
    auto overwrite = std::make_shared<bool>(false);
    auto keep = std::make_shared<bool>(false);
    auto* o = verb.add_flag("--overwrite", *overwrite,
                            "answer Yes when a file of that name exists: replace it");
    verb.add_flag("--keep", *keep, "answer No when a file of that name exists: use it")
        ->excludes(o);
    return [overwrite, keep](CliPrompter& prompter) {
        if (*overwrite) {
            prompter.AnswerWith(Answer::Yes);
        } else if (*keep) {
            prompter.AnswerWith(Answer::No);
        }
    };
}

std::vector<VerbAdder>& VerbAdders() {
    static std::vector<VerbAdder> adders;
    return adders;
}

int RequireEvent(const std::string& name) {
    if (const auto event = EventFromName(name)) {
        return *event;
    }
    throw Exit{kUsage, "Неизвестное событие: " + name + " (over, click или dblclick)"};
}

}  // namespace velmora::cli
