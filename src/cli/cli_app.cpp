#include "cli/cli_app.h"

#include <unistd.h>

#include <climits>
#include <iostream>
#include <stdexcept>

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
    m_data.project.ProjectDb = &m_projectDb;
    m_data.project.SourceDb = &m_sourceDb;
    m_data.project.Holder = LockHolder::Command;
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
    if (!m_finished && m_data.project.ProjectOpen) {
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
    const int number = m_data.areas.FindArea(name);
    if (name.empty() || number == 0) {
        throw Exit{kUsage, "Область не найдена: " + name};
    }
    return number;
}

void RequirePicture(Session& session, const char* message) {
    session.NeedPixels();
    if (!session.Data().canvas.PictureLoaded) {
        throw Exit{kFailed, message};
    }
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

std::vector<std::int64_t> ParseNumbers(const std::string& what, const std::string& text,
                                       std::size_t count) {
    std::vector<std::int64_t> numbers;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        const std::string part =
            text.substr(start, comma == std::string::npos ? comma : comma - start);
        try {
            std::size_t used = 0;
            const long long value = std::stoll(part, &used);
            if (used != part.size() || value < INT32_MIN || value > INT32_MAX) {
                throw std::invalid_argument(part);
            }
            numbers.push_back(value);
        } catch (const std::exception&) {
            numbers.clear();
            break;
        }
        if (comma == std::string::npos) {
            break;
        }
        start = comma + 1;
    }
    if (numbers.size() != count) {
        throw Exit{kUsage,
                   what + " ждёт " + std::to_string(count) + " целых числа через запятую: " + text};
    }
    return numbers;
}

void PrintRect(const Rect& rect) {
    std::cout << rect.x << ',' << rect.y << ',' << rect.width << ',' << rect.height << '\n';
}

int AreaOrErase(Session& session, const std::string& name) {
    return name == "0" ? 0 : session.RequireArea(name);
}

void FinishTool(Session& session, const Rect& changed) {
    if (!changed.Empty()) {
        session.MapChanged();
    }
    session.Finish();
    if (!changed.Empty()) {
        PrintRect(changed);
    }
}

int RequireEvent(const std::string& name) {
    if (const auto event = EventFromName(name)) {
        return *event;
    }
    throw Exit{kUsage, "Неизвестное событие: " + name + " (over, click или dblclick)"};
}

}  // namespace velmora::cli
