// What a call answers is what it did: names that would break lists and printed lines are
// refused wherever they enter, a refused call (status 1) leaves the project as it was, and only
// what was committed is printed.
#include <SQLiteCpp/Database.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "reliability/project_state.h"
#include "reliability/reliability_fixture.h"

namespace velmora::test {
namespace {

namespace fs = std::filesystem;

class HonestAnswersTest : public ReliabilityTest {
protected:
    std::string Areas() { return Cli({"area", "list", "tour.vlm"}).out; }
};

// A name of 256 characters, and names with a control character anywhere, are refused by every
// way a new name enters; a name of 255 characters is fine.
TEST_F(HonestAnswersTest, NewNamesAreBoundedAndPrintable) {
    MakeProject();
    const std::string longest(255, 'x');
    const std::string tooLong = std::string(255, 'x') + "y";
    const std::string cyrillicLongest = [] {
        std::string name;
        for (int i = 0; i < 255; ++i) {
            name += "ж";
        }
        return name;
    }();
    const struct {
        std::string label;
        std::string name;
        const char* said;  // nullptr: accepted
    } names[] = {
        {"255 characters", longest, nullptr},
        {"255 Cyrillic characters", cyrillicLongest, nullptr},
        {"256 characters", tooLong, "не больше 255 символов"},
        {"a line break", "Зал\nВторой", "управляющие символы"},
        {"a tab", "Зал\tВторой", "управляющие символы"},
        {"a NUL", std::string("Зал\0Второй", sizeof "Зал\0Второй" - 1), "управляющие символы"},
        {"an escape", "Зал\x1b[31m", "управляющие символы"},
        {"a C1 control", "Зал\xc2\x85", "управляющие символы"},
    };
    for (const auto& n : names) {
        SCOPED_TRACE(n.label);
        const std::string before = Areas();
        // The JSON writer escapes what JSON must, so the name reaches the reader intact.
        nlohmann::json shape = {{"name", n.name}, {"points", {{40, 10}, {60, 10}, {60, 40}}}};
        WriteFile(Work("shapes.json"), nlohmann::json::array({shape}).dump());
        const std::vector<std::vector<std::string>> entries = {
            {"area", "add", "tour.vlm", n.name},
            {"area", "rename", "tour.vlm", "Холл", n.name},
            {"import-shapes", "tour.vlm", "shapes.json"},
        };
        for (const auto& args : entries) {
            SCOPED_TRACE(args[0] + " " + args[1]);
            if (args[0] == "area" && n.name.find('\0') != std::string::npos) {
                continue;  // a command line cannot carry a NUL; the JSON file can
            }
            const CliRun run = Cli(args);
            if (n.said == nullptr) {
                EXPECT_EQ(run.status, 0) << run.err;
                EXPECT_NE(Areas().find(n.name), std::string::npos);
                // Back to the state before, for the next entry.
                ASSERT_EQ(Cli({"area", "delete", "tour.vlm", n.name}).status, 0);
                if (args[1] == "rename") {
                    ASSERT_EQ(Cli({"area", "add", "tour.vlm", "Холл"}).status, 0);
                }
                continue;
            }
            EXPECT_NE(run.err.find(n.said), std::string::npos) << run.err;
            EXPECT_EQ(run.out.find(n.name), std::string::npos);
            EXPECT_EQ(Areas(), before);
        }
    }
}

// Another project holding a name no longer allowed: the import brings the other areas and says
// why that one stayed out; the old project itself still lists and exports its name.
TEST_F(HonestAnswersTest, AreaImportChecksTheNamesItBrings) {
    MakeProject();
    const std::string tooLong(300, 'z');
    ASSERT_EQ(Cli({"new", "old.vlm"}).status, 0);
    ASSERT_EQ(Cli({"area", "add", "old.vlm", "Кухня", "Сад"}).status, 0);
    {
        SQLite::Database db(Work("old.vlm"), SQLite::OPEN_READWRITE);
        SQLite::Statement rename(db, "UPDATE properties SET field=? WHERE field='Кухня'");
        rename.bind(1, tooLong);
        ASSERT_GT(rename.exec(), 0);
    }
    EXPECT_NE(Cli({"area", "list", "old.vlm"}).out.find(tooLong), std::string::npos);
    const CliRun run = Cli({"area", "import", "tour.vlm", "old.vlm"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("не больше 255 символов"), std::string::npos) << run.err;
    EXPECT_NE(Areas().find("Сад"), std::string::npos);
    EXPECT_EQ(Areas().find(tooLong), std::string::npos);
}

// Status 1 means nothing changed: a refused name among several adds none of them, and an import
// that brings nothing takes back the deletion of --replace.
TEST_F(HonestAnswersTest, ARefusedCallChangesNothing) {
    MakeProject();
    ASSERT_EQ(Cli({"new", "empty.vlm"}).status, 0);
    const std::string before = Areas();
    const auto map = ReadFile(MapPath());
    const std::vector<std::vector<std::string>> refused = {
        {"area", "add", "tour.vlm", "Кухня", "Зал", "Сад"},
        {"area", "add", "tour.vlm", "Кухня", std::string(256, 'x')},
        {"area", "import", "tour.vlm", "empty.vlm", "--replace"},
        {"area", "rename", "tour.vlm", "Зал", "Холл"},
    };
    for (const auto& args : refused) {
        SCOPED_TRACE(args[1] + " " + args.back());
        const CliRun run = Cli(args);
        ExpectCleanFailure(run);
        EXPECT_TRUE(run.out.empty()) << run.out;
        EXPECT_EQ(Areas(), before);
        EXPECT_EQ(ReadFile(MapPath()), map);
    }
}

// More shapes than free areas: what fits is imported and painted, the rest is counted in a
// message, and the call succeeds; every printed area is in the project.
TEST_F(HonestAnswersTest, ShapesBeyondTheLimitAreCountedAndTheRestImported) {
    MakeProject(640, 400);
    std::string json = "[";
    for (int i = 0; i < 300; ++i) {
        const int x = (i % 30) * 20 + 40;
        const int y = (i / 30) * 20 + 100;
        json += (i > 0 ? "," : "") + std::string(R"({"name": "Фигура )") + std::to_string(i) +
                R"(", "points": [[)" + std::to_string(x) + "," + std::to_string(y) + "],[" +
                std::to_string(x + 10) + "," + std::to_string(y) + "],[" + std::to_string(x + 10) +
                "," + std::to_string(y + 10) + "]]}";
    }
    WriteFile(Work("many.json"), json + "]");
    const CliRun run = Cli({"import-shapes", "tour.vlm", "many.json"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("Превышен лимит областей. Максимум 255."), std::string::npos);
    EXPECT_NE(run.err.find("Без области остались фигуры: 47."), std::string::npos) << run.err;
    const auto rows = ReadAreaRows(ProjectPath());
    EXPECT_EQ(rows.size(), 255u);
    int printed = 0;
    for (std::size_t at = 0; (at = run.out.find('\n', at)) != std::string::npos; ++at) {
        ++printed;
    }
    EXPECT_EQ(printed, 253);
    EXPECT_TRUE(rows.count("Фигура 252"));
    EXPECT_FALSE(rows.count("Фигура 253"));
}

}  // namespace
}  // namespace velmora::test
