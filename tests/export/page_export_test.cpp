#include <gtest/gtest.h>

#include <algorithm>

#include "export/export_commands.h"
#include "export_fixture.h"
#include "store/errors.h"
#include "store/files.h"

namespace velmora::test {
namespace {

class PageExportTest : public ExportTest {
protected:
    void SetUp() override {
        SetPictureSize(8, 4);
        LoadPictureNamed("hall.jpg");
        AddArea("Door");
        Paint(0, 0, 8, 4, 1);
    }

    // The page id the img element carries and the one the data script carries.
    static std::string ImageId(const std::string& page) {
        const std::vector<std::string> ids = ImageIds(page);
        EXPECT_EQ(ids.size(), 1u);
        return ids.empty() ? "" : ids[0];
    }
    static std::string ScriptId(const std::string& script) {
        const std::string key = "\t\"id\":\"";
        const auto start = script.find(key);
        const auto end = start == std::string::npos ? start : script.find('"', start + key.size());
        EXPECT_NE(end, std::string::npos);
        return end == std::string::npos
                   ? ""
                   : script.substr(start + key.size(), end - start - key.size());
    }
    static bool IsPageId(const std::string& id) {
        return id.size() == 8 && id.rfind("vlm_", 0) == 0 && id[4] >= '1' && id[4] <= '9' &&
               std::all_of(id.begin() + 5, id.end(), [](char c) { return c >= '0' && c <= '9'; });
    }
};

TEST_F(PageExportTest, ChosenPathGivesPageScriptAndPictureBesideIt) {
    const struct {
        const char* chosen;
        const char* page;
        const char* script;
    } cases[] = {
        {"site/demo", "site/demo.html", "site/VLM/demo.js"},
        {"site/demo.htm", "site/demo.html", "site/VLM/demo.js"},
        {"site/my.demo.html", "site/my.demo.html", "site/VLM/my.demo.js"},
        {"deep/new/folder/x.html", "deep/new/folder/x.html", "deep/new/folder/VLM/x.js"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.chosen);
        const ExportOutcome outcome = ExportToHtml(data, folder / c.chosen, ProgramFolder());
        EXPECT_EQ(outcome.pagePath, folder / c.page);
        EXPECT_TRUE(outcome.scriptWritten);
        EXPECT_TRUE(FileExists(folder / c.page));
        EXPECT_TRUE(FileExists(folder / c.script));
        const std::string pageFolder = ExtractFolder(folder / c.page);
        EXPECT_EQ(ReadFile(pageFolder + "/hall.jpg"), "picture");
        EXPECT_EQ(ReadFile(pageFolder + "/VLM/vlm4.js"), "// runtime\n");
        EXPECT_EQ(ReadFile(pageFolder + "/VLM/vlm4.css"), "/* style */\n");
    }
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(PageExportTest, PageIdAndImageIdAgree) {
    const ExportOutcome outcome = ExportToHtml(data, folder / "site/demo.html", ProgramFolder());
    const std::string id = ImageId(ReadFile(outcome.pagePath));
    EXPECT_TRUE(IsPageId(id)) << id;
    EXPECT_EQ(ScriptId(ReadFile(folder / "site/VLM/demo.js")), id);
    EXPECT_EQ(data.project.PageId, id);
}

// The picture and every copied file stay when identical and are a question when different:
// No writes nothing at all, Yes replaces them. An edited runtime stays either way.
TEST_F(PageExportTest, SecondExportAsksBeforeReplacingOtherFilesAndDrawsNewId) {
    PutWorkFile("Sounds", "ding.mp3", "first sound");
    EditRecord("Door", kClick, [](ATTRIBUTES& a) { a.sound_file_name = "ding.mp3"; });
    ExportToHtml(data, folder / "site/demo.html", ProgramFolder());
    const std::string firstId = data.project.PageId;
    WriteFile(folder / "site/VLM/vlm4.js", "// an edited runtime\n");

    // Identical files are no question.
    ExportToHtml(data, folder / "site/demo.html", ProgramFolder());
    EXPECT_TRUE(prompter.questions.empty());
    EXPECT_NE(data.project.PageId, firstId);
    const std::string page = ReadFile(folder / "site/demo.html");
    const std::string script = ReadFile(folder / "site/VLM/demo.js");

    PutWorkFile("Sounds", "ding.mp3", "second sound");
    PutWorkFile("Images", "hall.jpg", "new picture");
    const std::vector<std::string> questions = {
        Naming("Файл существует. Перезаписать?", folder / "site/hall.jpg"),
        Naming("Файл существует. Перезаписать?", folder / "site/VLM/ding.mp3")};
    for (const Answer second : {Answer::No, Answer::Yes}) {
        SCOPED_TRACE(second == Answer::Yes);
        prompter.questions.clear();
        prompter.Reply(Answer::Yes);
        prompter.Reply(second);
        const std::string id = data.project.PageId;
        const ExportOutcome outcome =
            ExportToHtml(data, folder / "site/demo.html", ProgramFolder());
        EXPECT_EQ(prompter.questions, questions);
        const bool replaced = second == Answer::Yes;
        EXPECT_EQ(outcome.pagePath.empty(), !replaced);
        EXPECT_EQ(data.project.PageId != id, replaced);
        EXPECT_EQ(ReadFile(folder / "site/demo.html") == page, !replaced);
        EXPECT_EQ(ReadFile(folder / "site/VLM/demo.js") == script, !replaced);
        EXPECT_EQ(ReadFile(folder / "site/hall.jpg"), replaced ? "new picture" : "picture");
        EXPECT_EQ(ReadFile(folder / "site/VLM/ding.mp3"),
                  replaced ? "second sound" : "first sound");
    }
    EXPECT_EQ(ImageId(ReadFile(folder / "site/demo.html")), data.project.PageId);
    EXPECT_EQ(ScriptId(ReadFile(folder / "site/VLM/demo.js")), data.project.PageId);
    EXPECT_EQ(ReadFile(folder / "site/VLM/vlm4.js"), "// an edited runtime\n");
}

TEST_F(PageExportTest, MissingReferencedFileKeepsThePageAndReportsThePath) {
    EditRecord("Door", kOver, [](ATTRIBUTES& a) { a.overlay_file_name = "gone.png"; });
    const ExportOutcome outcome = ExportToHtml(data, folder / "site/demo.html", ProgramFolder());
    EXPECT_EQ(outcome.pagePath, folder / "site/demo.html");
    EXPECT_FALSE(outcome.scriptWritten);
    EXPECT_TRUE(FileExists(outcome.pagePath));
    EXPECT_FALSE(FileExists(folder / "site/VLM/demo.js"));
    EXPECT_EQ(prompter.messages,
              std::vector<std::string>{"Файл не найден: " + (folder / "Pictures/gone.png")});
}

TEST_F(PageExportTest, WithoutProjectOrPictureAClearMessageAndNothingWritten) {
    data.canvas.PictureLoaded = false;
    EXPECT_TRUE(ExportToHtml(data, folder / "site/demo.html", ProgramFolder()).pagePath.empty());
    RecordingShell shell;
    EXPECT_TRUE(TestInBrowser(data, ProgramFolder(), shell).pagePath.empty());
    data.CloseProject();
    EXPECT_TRUE(ExportToHtml(data, folder / "site/demo.html", ProgramFolder()).pagePath.empty());

    EXPECT_EQ(prompter.messages,
              (std::vector<std::string>{"Сначала откройте изображение проекта!",
                                        "Сначала откройте изображение проекта!",
                                        "Сначала создайте или откройте проект!"}));
    EXPECT_FALSE(FolderExists(folder / "site"));
    EXPECT_TRUE(shell.opened.empty());
}

TEST_F(PageExportTest, RefusedPictureNameWritesNothing) {
    data.canvas.PictureFileName = "../outside.jpg";
    EXPECT_TRUE(ExportToHtml(data, folder / "site/demo.html", ProgramFolder()).pagePath.empty());
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_NE(prompter.messages[0].find("../outside.jpg"), std::string::npos);
    EXPECT_FALSE(FolderExists(folder / "site"));
}

TEST_F(PageExportTest, MissingRuntimeOrPictureEndsTheCommandWithAnError) {
    std::filesystem::remove(JoinPath(ProgramFolder(), "vlm4.css"));
    EXPECT_THROW(ExportToHtml(data, folder / "a/demo.html", ProgramFolder()), FileError);
    EXPECT_TRUE(FileExists(folder / "a/VLM/vlm4.js"));
    EXPECT_FALSE(FileExists(folder / "a/demo.html"));

    WriteFile(JoinPath(ProgramFolder(), "vlm4.css"), "/* style */\n");
    std::filesystem::remove(folder / "Images/hall.jpg");
    EXPECT_THROW(ExportToHtml(data, folder / "b/demo.html", ProgramFolder()), FileError);
    EXPECT_FALSE(FileExists(folder / "b/demo.html"));
}

TEST_F(PageExportTest, RuntimeFilesFromTheInstalledLayout) {
    const std::string installed = folder / "usr/bin";
    std::filesystem::create_directories(folder / "usr/share/velmora-editor");
    std::filesystem::create_directories(installed);
    WriteFile(folder / "usr/share/velmora-editor/vlm4.js", "// installed\n");
    WriteFile(folder / "usr/share/velmora-editor/vlm4.css", "/* installed */\n");
    ExportToHtml(data, folder / "site/demo.html", installed);
    EXPECT_EQ(ReadFile(folder / "site/VLM/vlm4.js"), "// installed\n");
    // The program folder wins when both hold the file.
    EXPECT_EQ(FindRuntimeFile(ProgramFolder(), "vlm4.js"), JoinPath(ProgramFolder(), "vlm4.js"));
}

TEST_F(PageExportTest, ExportIntoTheImagesFolderKeepsThePicture) {
    ExportToHtml(data, folder / "Images/demo.html", ProgramFolder());
    EXPECT_EQ(ReadFile(folder / "Images/hall.jpg"), "picture");
}

TEST_F(PageExportTest, BrowserTestWritesIntoHtmlFolderAndOpensThePage) {
    std::filesystem::remove_all(folder / "HTML");
    RecordingShell shell;
    const ExportOutcome outcome = TestInBrowser(data, ProgramFolder(), shell);
    const std::string page = std::filesystem::absolute(folder / "HTML/tour.html").string();
    EXPECT_EQ(outcome.pagePath, page);
    EXPECT_TRUE(FileExists(folder / "HTML/VLM/tour.js"));
    EXPECT_TRUE(FileExists(folder / "HTML/hall.jpg"));
    EXPECT_EQ(shell.opened, std::vector<std::string>{page});

    shell.answer = false;
    TestInBrowser(data, ProgramFolder(), shell);
    EXPECT_EQ(prompter.messages,
              std::vector<std::string>{"Не удалось открыть страницу в браузере: " + page});
}

TEST_F(PageExportTest, PictureAndPageNamesAreEscapedInThePage) {
    LoadPictureNamed("a&b#1.jpg");
    const ExportOutcome outcome = ExportToHtml(data, folder / "site/p?1.html", ProgramFolder());
    const std::string page = ReadFile(outcome.pagePath);
    EXPECT_NE(page.find("<script src=\"VLM/p%3F1.js\"></script>"), std::string::npos);
    EXPECT_NE(page.find("<img src=\"a&amp;b%231.jpg\" id="), std::string::npos);
    EXPECT_TRUE(FileExists(folder / "site/VLM/p?1.js"));
    EXPECT_TRUE(FileExists(folder / "site/a&b#1.jpg"));
}

}  // namespace
}  // namespace velmora::test
