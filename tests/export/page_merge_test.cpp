#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include <nlohmann/json.hpp>

#include "export/data_script.h"
#include "export/page.h"
#include "export/page_merge.h"
#include "export_fixture.h"
#include "store/errors.h"
#include "store/files.h"

namespace velmora::test {
namespace {

class PageMergeTest : public ExportTest {
protected:
    void SetUp() override {
        SetPictureSize(8, 4);
        Paint(0, 0, 8, 4, 1);
    }

    // An exported page <folder>/<name>.html with its data script in VLM beside it.
    std::string ExportedPage(const std::string& pageFolder, const std::string& name,
                             const std::string& id) {
        std::filesystem::create_directories(pageFolder + "/VLM");
        data.canvas.PictureFileName = name + ".png";
        data.project.PageId = id;
        const std::string page = pageFolder + "/" + name + ".html";
        WritePage(data, page);
        EXPECT_TRUE(WriteDataScript(data, pageFolder + "/VLM/" + name + ".js"));
        return page;
    }
};

TEST_F(PageMergeTest, TwoPagesMatchGolden) {
    const std::string a = ExportedPage(folder.Path(), "a", "vlm_1111");
    const std::string b = ExportedPage(folder.Path(), "b", "vlm_2222");
    EXPECT_EQ(MergePages({a, b}, folder / "c", prompter), MergeResult::Merged);
    EXPECT_EQ(ReadFile(folder / "c.html"), ReadFile(GoldenPath("merge_two", "c.html")));
    EXPECT_EQ(ReadFile(folder / "VLM/c.js"), ReadFile(GoldenPath("merge_two", "c.js")));
    EXPECT_EQ(prompter.messages, std::vector<std::string>{"Операция выполнена!"});
    EXPECT_TRUE(prompter.questions.empty());
}

TEST_F(PageMergeTest, MergedPageFromOtherFoldersWorksWhereItLies) {
    AddArea("Door");
    PutWorkFile("Sounds", "ding.mp3", "ding");
    EditRecord("Door", kClick, [](ATTRIBUTES& a) { a.sound_file_name = "ding.mp3"; });
    const std::string a = ExportedPage(folder / "one", "a", "vlm_1111");
    const std::string b = ExportedPage(folder / "two", "b", "vlm_2222");
    WriteFile(folder / "one/a.png", "picture a");
    WriteFile(folder / "two/b.png", "picture b");
    WriteFile(folder / "one/VLM/vlm4.js", "// runtime\n");
    WriteFile(folder / "two/VLM/vlm4.css", "/* style */\n");

    ASSERT_EQ(MergePages({a, b, a}, folder / "all/merged.HTML", prompter), MergeResult::Merged);

    EXPECT_EQ(ReadFile(folder / "all/a.png"), "picture a");
    EXPECT_EQ(ReadFile(folder / "all/b.png"), "picture b");
    EXPECT_EQ(ReadFile(folder / "all/VLM/vlm4.js"), "// runtime\n");
    EXPECT_EQ(ReadFile(folder / "all/VLM/vlm4.css"), "/* style */\n");
    EXPECT_EQ(ReadFile(folder / "all/VLM/ding.mp3"), "ding");

    const std::string page = ReadFile(folder / "all/merged.HTML");
    EXPECT_NE(page.find("<script src=\"VLM/merged.js\"></script>"), std::string::npos);
    const std::vector<std::string> imageIds = ImageIds(page);
    EXPECT_EQ(imageIds, (std::vector<std::string>{"vlm_1111", "vlm_2222", "vlm_1111"}));
    if (!NodeAvailable()) {
        GTEST_SKIP() << "node is not installed";
    }
    const auto entries =
        nlohmann::json::parse(RunNode("read_data_script.mjs", {folder / "all/VLM/merged.js"}));
    std::vector<std::string> scriptIds;
    for (const auto& entry : entries) {
        scriptIds.push_back(entry["id"]);
    }
    EXPECT_EQ(scriptIds, imageIds);
    EXPECT_EQ(entries[1]["colors"][0]["properties"]["click"]["audio"]["src"], "VLM/ding.mp3");
}

// Only what the merged pages use is brought from another folder; two different files of one
// name get two names, and the merged page names each where it uses it.
TEST_F(PageMergeTest, ForeignFilesAreBroughtOnlyWhenUsedAndNeverMixedUp) {
    AddArea("Door");
    EditRecord("Door", kClick, [](ATTRIBUTES& a) { a.sound_file_name = "ding #1.mp3"; });
    PutWorkFile("Sounds", "ding #1.mp3", "ding");
    const std::string a = ExportedPage(folder / "one", "a", "vlm_1111");
    const std::string b = ExportedPage(folder / "two", "b", "vlm_2222");
    // The second page shows a picture of the same name as the first.
    {
        const std::string own = "src=\"b.png\"";
        std::string page = ReadFile(b);
        page.replace(page.find(own), own.size(), "src=\"a.png\"");
        WriteFile(b, page);
    }
    WriteFile(folder / "one/a.png", "picture of one");
    WriteFile(folder / "two/a.png", "picture of two");
    WriteFile(folder / "one/VLM/ding #1.mp3", "ding of one");
    WriteFile(folder / "two/VLM/ding #1.mp3", "ding of two");
    WriteFile(folder / "one/VLM/unused.png", "not used by a");
    WriteFile(folder / "one/VLM/other.js", "// another page's data");
    WriteFile(folder / "one/VLM/vlm4.js", "// runtime\n");
    WriteFile(folder / "one/VLM/vlm4.css", "/* style */\n");

    ASSERT_EQ(MergePages({a, b, a}, folder / "all/m", prompter), MergeResult::Merged);

    std::vector<std::string> brought;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder / "all")) {
        if (entry.is_regular_file()) {
            brought.push_back(std::filesystem::relative(entry.path(), folder / "all").string());
        }
    }
    std::sort(brought.begin(), brought.end());
    EXPECT_EQ(brought, (std::vector<std::string>{"VLM/ding #1-2.mp3", "VLM/ding #1.mp3", "VLM/m.js",
                                                 "VLM/vlm4.css", "VLM/vlm4.js", "a-2.png", "a.png",
                                                 "m.html"}));
    EXPECT_EQ(ReadFile(folder / "all/a.png"), "picture of one");
    EXPECT_EQ(ReadFile(folder / "all/a-2.png"), "picture of two");
    EXPECT_EQ(ReadFile(folder / "all/VLM/ding #1.mp3"), "ding of one");
    EXPECT_EQ(ReadFile(folder / "all/VLM/ding #1-2.mp3"), "ding of two");

    const std::string page = ReadFile(folder / "all/m.html");
    EXPECT_NE(page.find("<img src=\"a.png\" id=\"vlm_1111\""), std::string::npos);
    EXPECT_NE(page.find("<img src=\"a-2.png\" id=\"vlm_2222\""), std::string::npos);
    if (!NodeAvailable()) {
        GTEST_SKIP() << "node is not installed";
    }
    const auto entries =
        nlohmann::json::parse(RunNode("read_data_script.mjs", {folder / "all/VLM/m.js"}));
    ASSERT_EQ(entries.size(), 3u);
    const char* sounds[] = {"VLM/ding %231.mp3", "VLM/ding %231-2.mp3", "VLM/ding %231.mp3"};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(entries[i]["colors"][0]["properties"]["click"]["audio"]["src"], sounds[i]) << i;
    }
}

// A merged page merged again, and again: every picture keeps its data and its image.
TEST_F(PageMergeTest, MergedPagesMergeAgain) {
    const std::string a = ExportedPage(folder.Path(), "a", "vlm_1111");
    const std::string b = ExportedPage(folder.Path(), "b", "vlm_2222");
    const std::string c = ExportedPage(folder / "other", "c", "vlm_3333");
    ASSERT_EQ(MergePages({a, b}, folder / "ab", prompter), MergeResult::Merged);
    ASSERT_EQ(MergePages({folder / "ab.html", c}, folder / "abc", prompter), MergeResult::Merged);
    ASSERT_EQ(MergePages({folder / "abc.html", folder / "ab.html"}, folder / "other/all", prompter),
              MergeResult::Merged);
    const std::vector<std::string> ids = {"vlm_1111", "vlm_2222", "vlm_3333", "vlm_1111",
                                          "vlm_2222"};
    EXPECT_EQ(ImageIds(ReadFile(folder / "other/all.html")), ids);
    if (!NodeAvailable()) {
        GTEST_SKIP() << "node is not installed";
    }
    const auto entries =
        nlohmann::json::parse(RunNode("read_data_script.mjs", {folder / "other/VLM/all.js"}));
    std::vector<std::string> scriptIds;
    for (const auto& entry : entries) {
        scriptIds.push_back(entry["id"]);
    }
    EXPECT_EQ(scriptIds, ids);
}

TEST_F(PageMergeTest, PageWithoutImageAndScriptWithoutObject) {
    const std::string a = ExportedPage(folder.Path(), "a", "vlm_1111");
    WriteFile(folder / "bare.html", "<html>\r\n<body>no picture</body>\r\n</html>\r\n");
    WriteFile(folder / "VLM/bare.js", "// nothing\n");
    ASSERT_EQ(MergePages({folder / "bare.html", a}, folder / "m.html", prompter),
              MergeResult::Merged);
    EXPECT_EQ(ImageIds(ReadFile(folder / "m.html")), std::vector<std::string>{"vlm_1111"});
    const std::string script = ReadFile(folder / "VLM/m.js");
    EXPECT_EQ(script.rfind("\xEF\xBB\xBF'use strict;'\r\nlet VLM_DATA=[\r\n,\r\n`{\r\n", 0), 0u);
}

// Inputs are read the way they may come: UTF-16 with a byte-order mark, or without any mark,
// with CR, LF or CR LF line ends.
TEST_F(PageMergeTest, InputsInOtherEncodingsAndLineEnds) {
    const std::string a = ExportedPage(folder.Path(), "a", "vlm_1111");
    std::string utf16 = "\xFF\xFE";
    for (char c : std::string("<p>\r<img src=\"x.png\" id=\"vlm_3333\">\r")) {
        utf16 += c;
        utf16 += '\0';
    }
    WriteFile(folder / "x.html", utf16);
    WriteFile(folder / "VLM/x.js", "let VLM_DATA=[\n`{\n\t\"id\":\"vlm_3333\"\n}`\n];\n");
    ASSERT_EQ(MergePages({folder / "x.html", a}, folder / "m", prompter), MergeResult::Merged);
    EXPECT_NE(
        ReadFile(folder / "m.html").find("\t\t\t<p>\r\n<img src=\"x.png\" id=\"vlm_3333\">\r\n"),
        std::string::npos);
    EXPECT_NE(ReadFile(folder / "VLM/m.js").find("`{\r\n\t\"id\":\"vlm_3333\"\r\n}`\r\n,\r\n"),
              std::string::npos);
}

TEST_F(PageMergeTest, ExistingFileAnsweredNoStaysAndNothingIsWritten) {
    const std::string a = ExportedPage(folder.Path(), "a", "vlm_1111");
    WriteFile(folder / "c.html", "old page");
    EXPECT_EQ(MergePages({a, a}, folder / "c", prompter), MergeResult::Declined);
    EXPECT_EQ(prompter.questions,
              std::vector<std::string>{"Файл существует. Перезаписать?\n" + folder / "c.html"});
    EXPECT_EQ(prompter.safeQuestions, prompter.questions);
    EXPECT_EQ(prompter.captions, std::vector<std::string>{"Требуется подтверждение"});
    EXPECT_EQ(ReadFile(folder / "c.html"), "old page");
    EXPECT_FALSE(FileExists(folder / "VLM/c.js"));

    prompter.Reply(Answer::Yes);
    EXPECT_EQ(MergePages({a, a}, folder / "c", prompter), MergeResult::Merged);
    EXPECT_EQ(ImageIds(ReadFile(folder / "c.html")),
              (std::vector<std::string>{"vlm_1111", "vlm_1111"}));
}

TEST_F(PageMergeTest, FewerThanTwoPagesOnlyBeeps) {
    const std::string a = ExportedPage(folder.Path(), "a", "vlm_1111");
    EXPECT_EQ(MergePages({a}, folder / "c", prompter), MergeResult::TooFewPages);
    EXPECT_EQ(MergePages({}, folder / "c", prompter), MergeResult::TooFewPages);
    EXPECT_EQ(prompter.beeps, 2);
    EXPECT_TRUE(prompter.questions.empty());
    EXPECT_FALSE(FileExists(folder / "c.html"));
}

TEST_F(PageMergeTest, MergedPathGetsHtmlUnlessItEndsSoInAnyCase) {
    const struct {
        const char* chosen;
        const char* merged;
    } cases[] = {
        {"/site/all", "/site/all.html"},
        {"/site/ALL.HTML", "/site/ALL.HTML"},
        {"/site/all.Html", "/site/all.Html"},
        {"/site/all.htm", "/site/all.htm.html"},
        {"/site/all.html.txt", "/site/all.html.txt.html"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MergedPagePath(c.chosen), c.merged) << c.chosen;
    }
}

TEST_F(PageMergeTest, UnreadableInputWritesNothing) {
    const std::string a = ExportedPage(folder.Path(), "a", "vlm_1111");
    WriteFile(folder / "lost.html", "<img src=\"lost.png\" id=\"vlm_9999\">\r\n");
    WriteFile(folder / "c.html", "old page");
    prompter.Reply(Answer::Yes);
    EXPECT_THROW(MergePages({a, folder / "lost.html"}, folder / "c", prompter), FileError);
    EXPECT_EQ(ReadFile(folder / "c.html"), "old page");
    EXPECT_FALSE(FileExists(folder / "VLM/c.js"));
}

// A picture named in a foreign page's img line is copied only when it is a bare file name.
TEST_F(PageMergeTest, ForeignPagesCannotPullFilesFromElsewhere) {
    std::filesystem::create_directories(folder / "evil/VLM");
    WriteFile(folder / "secret.png", "secret");
    WriteFile(folder / "evil/e.html", "<img src=\"../secret.png\" id=\"vlm_6666\">\r\n");
    WriteFile(folder / "evil/VLM/e.js", "`{\r\n}`\r\n");
    const std::string a = ExportedPage(folder / "one", "a", "vlm_1111");
    ASSERT_EQ(MergePages({folder / "evil/e.html", a}, folder / "out/m", prompter),
              MergeResult::Merged);
    EXPECT_FALSE(FileExists(folder / "out/secret.png"));
}

}  // namespace
}  // namespace velmora::test
