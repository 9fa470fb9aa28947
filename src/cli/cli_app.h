#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "canvas/map/rect.h"
#include "store/common_data.h"
#include "store/prompter.h"

namespace velmora::cli {

// Exit statuses: a refused or failed operation gives 1, a wrong call (unknown verb, field,
// event or area) gives 2.
inline constexpr int kFailed = 1;
inline constexpr int kUsage = 2;

// Thrown by a verb to end the program with a status; the message, when any, goes to stderr.
struct Exit {
    int status;
    std::string message;
};

// Prints the system's messages to stderr exactly as written and answers questions from the
// command line's flags: No, or Cancel where Cancel is offered, unless told otherwise.
class CliPrompter : public Prompter {
public:
    void Message(const std::string& text) override;
    Answer Ask(const std::string& text, const std::string& caption, Buttons buttons) override;
    void Beep() override;

    // --overwrite answers Yes, --keep answers No.
    void AnswerWith(Answer answer) { m_answer = answer; }

private:
    Answer m_answer = Answer::Cancel;
};

// An open project for the length of one verb: OpenProject, the picture's record and the area
// list on construction; the picture and the map are decoded only by NeedPixels(), which the
// verbs that paint, delete pixels or export call (those that never look at the picture's
// pixels decode only the map). A writing verb is one change of the project:
// Finish() commits it together with the map when the map changed, and leaving without Finish()
// (an error) takes all of it back. A reading verb shares the project with its writer and
// changes nothing.
class Session {
public:
    Session(CliPrompter& prompter, const std::string& projectPath,
            ProjectAccess access = ProjectAccess::Write);
    ~Session();

    COMMON_DATA& Data() { return m_data; }
    // Decodes the picture and the map once; PictureLoaded then tells whether they are there.
    void NeedPixels(COMMON_DATA::PixelsOf what = COMMON_DATA::PixelsOf::PictureAndMap);
    // Marks the map as changed so that Finish() saves it.
    void MapChanged() { m_mapChanged = true; }
    void Finish();

    // The area number for a name; throws Exit{kUsage} for an unknown name.
    int RequireArea(const std::string& name);

private:
    DbConnection m_projectDb;
    DbConnection m_sourceDb;
    COMMON_DATA m_data;
    bool m_mapChanged = false;
    bool m_pixelsRead = false;
    bool m_finished = false;
};

// What a verb that needs the picture says when the project has none.
inline constexpr const char* kNoPicture =
    "В проекте нет изображения: сначала импортируйте его (picture).";

// Decodes the picture and the map (Session::NeedPixels); a project without a picture ends the
// verb with status 1 and the message.
void RequirePicture(Session& session, const char* message = kNoPicture);
// The same for a verb that reads or paints only the map: the picture's pixels stay undecoded.
void RequireMap(Session& session, const char* message = kNoPicture);

// Adds --overwrite and --keep to a verb; the returned function applies them to the prompter.
std::function<void(CliPrompter&)> AddOverwriteFlags(CLI::App& verb);

// Everything the verb files share.
struct Context {
    CliPrompter prompter;
};

// Each verb file registers its verbs through a static Registrar, so that adding a verb file
// never touches main.cpp.
using VerbAdder = void (*)(CLI::App& app, Context& context);
std::vector<VerbAdder>& VerbAdders();
struct Registrar {
    explicit Registrar(VerbAdder adder) { VerbAdders().push_back(adder); }
};

// Comma-separated whole numbers (32-bit), exactly count of them; throws Exit{kUsage} naming
// the option otherwise.
std::vector<std::int64_t> ParseNumbers(const std::string& what, const std::string& text,
                                       std::size_t count);

// Prints L,T,W,H and a line break.
void PrintRect(const Rect& rect);

// The value an area tool writes: 0 for "0" (erasing, as paint does), else the named area.
int AreaOrErase(Session& session, const std::string& name);

// Saves the map when the tool changed pixels, closes the project and prints the rectangle of
// the changed pixels (nothing when none changed).
void FinishTool(Session& session, const Rect& changed);

// Parses an event name ("over", "click", "dblclick"); throws Exit{kUsage} otherwise.
int RequireEvent(const std::string& name);

}  // namespace velmora::cli
