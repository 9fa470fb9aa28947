// velmora-cli save-as: the copy reads as the project does, its refusals, and the lock.
#include <sys/stat.h>

#include <filesystem>
#include <map>

#include <gtest/gtest.h>

#include "cli/cli_runner.h"
#include "store/image_file.h"
#include "store/project_lock.h"
#include "support/test_support.h"

namespace velmora::test {
namespace {

namespace fs = std::filesystem;

// A project "tour.vlm" with a picture, two painted areas, records naming a popup picture, an
// overlay and a sound, and background music.
class SaveAs : public ::testing::Test {
protected:
    void SetUp() override {
        Bitmap picture(40, 30);
        for (int y = 0; y < 30; ++y) {
            for (int x = 0; x < 40; ++x) {
                picture.Pixel(x, y)[1] = static_cast<std::uint8_t>(x * 6 + y);
            }
        }
        ASSERT_TRUE(SaveImageFile(picture, folder / "hall.png"));
        ASSERT_TRUE(SaveImageFile(Bitmap(3, 3), folder / "popup.png"));
        ASSERT_TRUE(SaveImageFile(Bitmap(4, 4), folder / "sign.png"));
        WriteFile(folder / "bell.ogg", "bell bytes");
        WriteFile(folder / "waves.mp3", "music bytes");
        for (const std::vector<std::string>& step : std::vector<std::vector<std::string>>{
                 {"new", "tour.vlm"},
                 {"picture", "tour.vlm", "hall.png"},
                 {"area", "add", "tour.vlm", "Door", "Зал"},
                 {"fill", "tour.vlm", "Door", "--rect", "0,0,10,10"},
                 {"fill", "tour.vlm", "Зал", "--rect", "20,5,8,20"},
                 {"attach", "tour.vlm", "picture", "popup.png"},
                 {"attach", "tour.vlm", "picture", "sign.png"},
                 {"attach", "tour.vlm", "sound", "bell.ogg"},
                 {"set", "tour.vlm", "Door", "click", "picture_file_name=popup.png",
                  "sound_file_name=bell.ogg", "message_text=Hello"},
                 {"set", "tour.vlm", "Зал", "over", "overlay_file_name=sign.png", "overlay_x=7"},
                 {"music", "tour.vlm", "waves.mp3", "--volume", "40"},
             }) {
            Ok(step);
        }
    }

    CliResult Run(std::vector<std::string> args) { return RunCli(args, folder.Path()); }
    std::string Ok(std::vector<std::string> args) {
        const CliResult r = Run(args);
        EXPECT_EQ(r.status, 0) << args[0] << ": " << r.err;
        return r.out;
    }

    // What the CLI reads of a project: info, the area list and every record.
    std::string Reading(const std::string& project) {
        std::string text = Ok({"info", project}) + Ok({"area", "list", project});
        for (const char* area : {"Door", "Зал"}) {
            for (const char* event : {"over", "click", "dblclick"}) {
                text += Ok({"get", project, area, event});
            }
        }
        return text;
    }

    // The files in the working folders under root, with their bytes.
    static std::map<std::string, std::string> WorkingFiles(const std::string& root) {
        std::map<std::string, std::string> files;
        for (const char* sub : {"Images", "Maps", "Pictures", "Sounds"}) {
            for (const auto& entry : fs::directory_iterator(root + "/" + sub)) {
                files[std::string(sub) + "/" + entry.path().filename().string()] =
                    ReadFile(entry.path().string());
            }
        }
        return files;
    }

    TempFolder folder;
};

TEST_F(SaveAs, TheCopyReadsTheSameInAnotherFolderAndInTheSame) {
    const std::string reading = Reading("tour.vlm");
    ASSERT_NE(reading.find("\"pixels\":100"), std::string::npos) << reading;

    fs::create_directory(folder / "elsewhere");
    EXPECT_EQ(Ok({"save-as", "tour.vlm", "elsewhere/copy"}), "elsewhere/copy.vlm\n");
    EXPECT_EQ(Reading("elsewhere/copy.vlm"), reading);
    EXPECT_EQ(WorkingFiles(folder / "elsewhere"), WorkingFiles(folder.Path()));
    for (const char* sub : {"HTML", "HTML/VLM"}) {
        EXPECT_TRUE(fs::is_directory(folder / (std::string("elsewhere/") + sub))) << sub;
    }

    // Beside the project the working folders are shared and only the project file is new.
    const auto before = WorkingFiles(folder.Path());
    Ok({"save-as", "tour.vlm", "twin.vlm"});
    EXPECT_EQ(Reading("twin.vlm"), reading);
    EXPECT_EQ(WorkingFiles(folder.Path()), before);

    // The copy is a project of its own: changing it leaves the first one as it was.
    Ok({"area", "rename", "elsewhere/copy.vlm", "Door", "Gate"});
    EXPECT_EQ(Reading("tour.vlm"), reading);
    // No lock is left behind by the copy or by reading the source.
    EXPECT_FALSE(fs::exists(ProjectLock::LockPath(folder / "elsewhere/copy.vlm")));
    EXPECT_FALSE(fs::exists(ProjectLock::LockPath(folder / "tour.vlm")));
}

TEST_F(SaveAs, ADifferentWorkingFileThereIsAskedAbout) {
    fs::create_directories(folder / "other/Pictures");
    ASSERT_TRUE(SaveImageFile(Bitmap(9, 9), folder / "other/Pictures/sign.png"));
    const std::string theirs = ReadFile(folder / "other/Pictures/sign.png");
    const std::string question = "Требуется подтверждение: Файл уже существует. Перезаписать?\n" +
                                 (folder / "other") + "/Pictures/sign.png";

    // Unanswered, the question gives up and no project appears.
    const CliResult cancelled = Run({"save-as", "tour.vlm", folder / "other/copy.vlm"});
    EXPECT_EQ(cancelled.status, 1);
    EXPECT_NE(cancelled.err.find(question), std::string::npos) << cancelled.err;
    EXPECT_FALSE(fs::exists(folder / "other/copy.vlm"));

    Ok({"save-as", "tour.vlm", folder / "other/copy.vlm", "--keep"});
    EXPECT_EQ(ReadFile(folder / "other/Pictures/sign.png"), theirs);
    Ok({"save-as", "tour.vlm", folder / "other/copy.vlm", "--overwrite"});
    EXPECT_EQ(ReadFile(folder / "other/Pictures/sign.png"), ReadFile(folder / "Pictures/sign.png"));
}

struct Refusal {
    const char* name;
    std::vector<std::string> args;
    const char* err;  // a text stderr holds
};

TEST_F(SaveAs, Refusals) {
    Ok({"new", "taken.vlm"});
    Ok({"area", "add", "taken.vlm", "Theirs"});
    Ok({"new", "held.vlm"});
    WriteFile(folder / "text.vlm", "plain text");
    // Another program, an editor, has held.vlm open.
    ProjectLock other;
    ASSERT_EQ(other.Take(folder / "held.vlm", LockHolder::Editor, 0), ProjectLock::Result::Taken);

    const Refusal cases[] = {
        {"existing target", {"save-as", "tour.vlm", "taken.vlm"}, "Файл существует. Перезаписать?"},
        {"existing target, --keep", {"save-as", "tour.vlm", "taken.vlm", "--keep"}, "Нет"},
        {"target held",
         {"save-as", "tour.vlm", "held.vlm", "--overwrite"},
         "Проект уже открыт в другой программе (Velmora Editor"},
        {"source missing", {"save-as", "missing.vlm", "new.vlm"}, "Ошибка открытия базы данных"},
        {"source damaged", {"save-as", "text.vlm", "new.vlm"}, "Ошибка открытия базы данных"},
        {"folder is a file",
         {"save-as", "tour.vlm", "text.vlm/new.vlm"},
         "Папка недоступна для записи: text.vlm"},
    };
    for (const Refusal& c : cases) {
        SCOPED_TRACE(c.name);
        const CliResult r = Run(c.args);
        EXPECT_EQ(r.status, 1) << r.err;
        EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
    }
    EXPECT_EQ(Run({"save-as", "tour.vlm"}).status, 2);
    // Nothing was written where it was refused.
    EXPECT_EQ(Ok({"area", "list", "taken.vlm"}), "1\tTheirs\n");
    EXPECT_FALSE(fs::exists(folder / "new.vlm"));
    other.Release();
    EXPECT_EQ(Ok({"area", "list", "held.vlm"}), "");

    // Told to, the copy replaces the existing project.
    Ok({"save-as", "tour.vlm", "taken.vlm", "--overwrite"});
    EXPECT_EQ(Ok({"area", "list", "taken.vlm"}), "1\tDoor\n2\tЗал\n");
}

// The source is read as any reading verb reads it: an editor holding it does not stop the copy,
// which holds what the editor last saved.
TEST_F(SaveAs, ASourceOpenInAnEditorIsCopiedAsSaved) {
    ProjectLock editor;
    ASSERT_EQ(editor.Take(folder / "tour.vlm", LockHolder::Editor, 0), ProjectLock::Result::Taken);
    const std::string reading = Reading("tour.vlm");
    fs::create_directory(folder / "copy");
    Ok({"save-as", "tour.vlm", "copy/tour.vlm"});
    EXPECT_EQ(Reading("copy/tour.vlm"), reading);
    EXPECT_TRUE(fs::exists(ProjectLock::LockPath(folder / "tour.vlm")));
    EXPECT_FALSE(fs::exists(ProjectLock::LockPath(folder / "copy/tour.vlm")));
}

}  // namespace
}  // namespace velmora::test
