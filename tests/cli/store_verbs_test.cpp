#include <sys/stat.h>

#include <cstdio>

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "cli/cli_runner.h"
#include "store/files.h"
#include "store/image_file.h"
#include "support/test_support.h"

namespace velmora::test {
namespace {

class StoreVerbs : public ::testing::Test {
protected:
    CliResult Run(std::vector<std::string> args) { return RunCli(args, folder.Path()); }

    // Runs a call that must succeed and returns its standard output.
    std::string Ok(std::vector<std::string> args) {
        const CliResult r = Run(args);
        EXPECT_EQ(r.status, 0) << args[0] << ": " << r.err;
        return r.out;
    }

    void MakePicture(const std::string& name, int width, int height) {
        Bitmap b(width, height);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                b.Pixel(x, y)[2] = static_cast<std::uint8_t>(x * 4);
            }
        }
        ASSERT_TRUE(SaveImageFile(b, folder / name));
    }

    TempFolder folder;
};

// A new picture starts an empty map: over painted areas the CLI refuses unless told, the same
// question the editor asks; area names are trimmed as the editor trims them.
TEST_F(StoreVerbs, PictureOverPaintedAreasNeedsWipeAreasAndNamesAreTrimmed) {
    Ok({"new", "tour"});
    MakePicture("hall.png", 64, 48);
    MakePicture("yard.png", 32, 32);
    Ok({"picture", "tour.vlm", "hall.png"});
    EXPECT_EQ(Ok({"area", "add", "tour.vlm", "  Door  ", "Gate"}), "1\tDoor\n2\tGate\n");
    EXPECT_NE(Run({"area", "add", "tour.vlm", "   "}).status, 0);
    Ok({"paint", "tour.vlm", "Door", "--stroke", "5,5", "20,20"});

    const CliResult refused = Run({"picture", "tour.vlm", "yard.png"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("(1)"), std::string::npos) << refused.err;
    EXPECT_NE(Ok({"info", "tour.vlm"}).find("hall.png"), std::string::npos);

    Ok({"picture", "tour.vlm", "yard.png", "--wipe-areas"});
    EXPECT_NE(Ok({"info", "tour.vlm"}).find("yard.png"), std::string::npos);
}

TEST_F(StoreVerbs, AProjectFromStartToEnd) {
    EXPECT_EQ(Ok({"new", "tour"}), "tour.vlm\n");
    MakePicture("hall.png", 64, 48);
    Ok({"picture", "tour.vlm", "hall.png"});
    EXPECT_EQ(Ok({"area", "add", "tour.vlm", "Door", "Window", "Зал \"1\""}),
              "1\tDoor\n2\tWindow\n3\tЗал \"1\"\n");
    Ok({"area", "rename", "tour.vlm", "Window", "Gate"});
    Ok({"area", "delete", "tour.vlm", "Door"});
    EXPECT_EQ(Ok({"area", "add", "tour.vlm", "Tower"}), "1\tTower\n");
    EXPECT_EQ(Ok({"area", "list", "tour.vlm"}), "1\tTower\n2\tGate\n3\tЗал \"1\"\n");

    WriteFile(folder / "bell.ogg", "not really a sound, but copied all the same");
    EXPECT_EQ(Ok({"attach", "tour.vlm", "sound", "bell.ogg"}), "bell.ogg\n");
    EXPECT_TRUE(FileExists(folder / "Sounds/bell.ogg"));
    Ok({"set", "tour.vlm", "Gate", "click", "message_text=Hello|world", "sound_volume=35",
        "sound_file_name=bell.ogg", "overlay_x=-12"});
    Ok({"copy-event", "tour.vlm", "Gate", "click", "dblclick"});
    const auto record = nlohmann::ordered_json::parse(Ok({"get", "tour.vlm", "Gate", "dblclick"}));
    EXPECT_EQ(record.size(), 30u);
    EXPECT_EQ(record.begin().key(), "message_style");
    EXPECT_EQ(record["message_text"], "Hello|world");
    EXPECT_EQ(record["sound_volume"], 35);
    EXPECT_EQ(record["overlay_x"], -12);
    EXPECT_EQ(record["area_gamma"], 100);

    WriteFile(folder / "waves.mp3", "music");
    Ok({"music", "tour.vlm", "waves.mp3", "--volume", "35"});
    auto info = nlohmann::json::parse(Ok({"info", "tour.vlm"}));
    EXPECT_EQ(info["picture"], "hall.png");
    EXPECT_EQ(info["map"], "hall.png");
    EXPECT_EQ(info["width"], 64);
    EXPECT_EQ(info["height"], 48);
    EXPECT_EQ(info["sound"], "waves.mp3");
    EXPECT_EQ(info["volume"], 35);
    ASSERT_EQ(info["areas"].size(), 3u);
    EXPECT_EQ(info["areas"][1]["name"], "Gate");
    EXPECT_EQ(info["areas"][1]["number"], 2);
    EXPECT_EQ(info["areas"][1]["pixels"], 0);

    Ok({"music", "tour.vlm", "--none"});
    info = nlohmann::json::parse(Ok({"info", "tour.vlm"}));
    EXPECT_EQ(info["sound"], "");
    EXPECT_EQ(info["volume"], 35);

    Ok({"area", "clear", "tour.vlm"});
    EXPECT_EQ(Ok({"area", "list", "tour.vlm"}), "");
}

TEST_F(StoreVerbs, ImportFromAnotherProject) {
    Ok({"new", "a.vlm"});
    Ok({"new", "b.vlm"});
    Ok({"area", "add", "a.vlm", "Door"});
    Ok({"area", "add", "b.vlm", "Door", "Window"});
    Ok({"set", "b.vlm", "Door", "over", "link=https://example.org"});
    EXPECT_EQ(Ok({"area", "import", "a.vlm", "b.vlm"}), "1\tDoor\n2\tDoor_2\n3\tWindow\n");
    const auto record = nlohmann::json::parse(Ok({"get", "a.vlm", "Door_2", "over"}));
    EXPECT_EQ(record["link"], "https://example.org");
    EXPECT_EQ(Ok({"area", "import", "a.vlm", "b.vlm", "--replace"}), "1\tDoor\n2\tWindow\n");

    const CliResult self = Run({"area", "import", "a.vlm", "a.vlm"});
    EXPECT_EQ(self.status, 1);
    EXPECT_EQ(self.err, "Нельзя импортировать области из открытого проекта!\n");
}

TEST_F(StoreVerbs, OverwriteQuestionsAreAnsweredFromFlags) {
    Ok({"new", "t.vlm"});
    MakePicture("hall.png", 10, 10);
    Ok({"picture", "t.vlm", "hall.png"});
    MakePicture("hall2.png", 20, 10);
    ASSERT_EQ(std::rename((folder / "hall2.png").c_str(), (folder / "sub.png").c_str()), 0);
    // A different file under the stored name.
    ::mkdir((folder / "other").c_str(), 0755);
    MakePicture("other/hall.png", 30, 10);

    const CliResult cancelled = Run({"picture", "t.vlm", "other/hall.png"});
    EXPECT_EQ(cancelled.status, 1);
    EXPECT_NE(cancelled.err.find("Файл уже существует. Перезаписать?"), std::string::npos);
    EXPECT_EQ(nlohmann::json::parse(Ok({"info", "t.vlm"}))["width"], 10);

    Ok({"picture", "t.vlm", "other/hall.png", "--keep"});
    EXPECT_EQ(nlohmann::json::parse(Ok({"info", "t.vlm"}))["width"], 10);
    Ok({"picture", "t.vlm", "other/hall.png", "--overwrite"});
    EXPECT_EQ(nlohmann::json::parse(Ok({"info", "t.vlm"}))["width"], 30);
}

struct FailureCase {
    std::vector<std::string> args;
    int status;
    const char* err;  // the exact text on stderr, or nullptr to check only the status
};

TEST_F(StoreVerbs, RefusalsAndWrongCalls) {
    Ok({"new", "t.vlm"});
    Ok({"area", "add", "t.vlm", "Door"});
    WriteFile(folder / "text.vlm", "plain text");
    const FailureCase cases[] = {
        {{"new", "t.vlm"}, 1, "Файл уже существует: t.vlm (--force удаляет его)\n"},
        {{"area", "add", "t.vlm", "Door"}, 1, "Область с таким названием уже существует!\n"},
        {{"area", "add", "t.vlm", ""}, 1, "Название области не может быть пустым!\n"},
        {{"area", "rename", "t.vlm", "Nobody", "X"}, 1, "Область не найдена!\n"},
        {{"area", "delete", "t.vlm", "Nobody"}, 1, "Область не найдена!\n"},
        {{"info", "text.vlm"}, 1, "Ошибка открытия базы данных\n"},
        {{"info", "missing.vlm"}, 1, "Ошибка открытия базы данных\n"},
        {{"picture", "t.vlm", "missing.png"}, 1, nullptr},
        {{"set", "t.vlm", "Door", "over", "colour=1"}, 2, "Неизвестное поле: colour\n"},
        {{"set", "t.vlm", "Door", "over", "sound_volume=loud"}, 2, nullptr},
        {{"set", "t.vlm", "Door", "hover", "link=x"}, 2, nullptr},
        {{"get", "t.vlm", "Nobody", "over"}, 2, "Область не найдена: Nobody\n"},
        {{"copy-event", "t.vlm", "Door", "over", "over"}, 1, nullptr},
        {{"frobnicate"}, 2, nullptr},
        {{"music", "t.vlm", "--volume", "101"}, 2, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + (c.args.size() > 1 ? c.args[1] : ""));
        const CliResult r = Run(c.args);
        EXPECT_EQ(r.status, c.status) << r.err;
        if (c.err) {
            EXPECT_EQ(r.err, c.err);
        }
    }
    // Nothing of the above changed the project.
    EXPECT_EQ(Ok({"area", "list", "t.vlm"}), "1\tDoor\n");
}

TEST_F(StoreVerbs, EveryVerbHasHelp) {
    for (const std::vector<std::string>& verb :
         std::vector<std::vector<std::string>>{{"new"},
                                               {"picture"},
                                               {"area", "add"},
                                               {"area", "import"},
                                               {"attach"},
                                               {"set"},
                                               {"get"},
                                               {"copy-event"},
                                               {"music"},
                                               {"info"}}) {
        std::vector<std::string> args = verb;
        args.push_back("--help");
        const CliResult r = Run(args);
        EXPECT_EQ(r.status, 0) << verb[0];
        EXPECT_NE(r.out.find("Usage"), std::string::npos) << verb[0];
    }
}

}  // namespace
}  // namespace velmora::test
