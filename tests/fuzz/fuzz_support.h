#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "store/common_data.h"
#include "store/db_connection.h"
#include "store/prompter.h"

namespace velmora::fuzz {

// A prompter that swallows every message and gives one fixed answer to every question, so a
// fuzzed operation runs to its end without a person.
class QuietPrompter : public Prompter {
public:
    void Message(const std::string&) override {}
    Answer Ask(const std::string&, const std::string&, Buttons buttons) override;
    void Beep() override {}

    // true: Yes to every question; false: No (or Cancel where offered).
    bool agree = false;
};

// A project session as the CLI keeps one: the state object wired to its two connections.
struct Session {
    Session();
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    QuietPrompter prompter;
    DbConnection projectDb;
    DbConnection sourceDb;
    COMMON_DATA data;
};

// The input as bytes.
inline std::string_view Bytes(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// A folder of this fuzzing process, made once and kept until it ends; under /dev/shm when
// there is one, since every input is written to a file.
const std::string& ScratchFolder();

void WriteBytes(const std::string& path, std::string_view bytes);
void MakeFolders(const std::string& path);
void RemoveTree(const std::string& path);
// A project file's side files (journal, WAL): a hot journal left by one input must not be
// replayed into the next.
void RemoveProjectSideFiles(const std::string& projectPath);

// Splits the input at every kPieceMark into at most maxPieces pieces; the last takes the rest.
inline constexpr std::string_view kPieceMark = "\n=====\n";
std::vector<std::string_view> SplitPieces(std::string_view input, std::size_t maxPieces);

// The files a fuzzed project may name, placed in the working folders under projectFolder:
// picture "pic.png" (8 x 6), its map "pic.png" with areas 1 and 2, a map "small.png" of
// another size, popup "pop.png", overlay "over.gif" and sound "tone.mp3".
void PlaceProjectFiles(const std::string& projectFolder);

// A valid project at path with areas and edited records that name the files above; withPicture
// false leaves it without picture. Used for seeds and as the import fuzzer's target.
void MakeSampleProject(const std::string& path, bool withPicture, int areaCount);

}  // namespace velmora::fuzz
