#include <gtest/gtest.h>

#include <filesystem>

#include "cli/cli_runner.h"
#include "store/bitmap.h"
#include "store/files.h"
#include "store/image_file.h"
#include "store/paths.h"
#include "support/test_support.h"

namespace velmora::test {
namespace {

// A project made with the store verbs, its map painted by writing the map file: area Door
// covers the left half of an 8 x 4 picture.
class ExportVerbsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SaveImageFile(Bitmap(8, 4), folder / "hall.png"));
        Ok({"new", "tour.vlm"});
        Ok({"picture", "tour.vlm", "hall.png"});
        Ok({"area", "add", "tour.vlm", "Door"});
        Bitmap map(8, 4);
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < 4; ++x) {
                std::uint8_t* p = map.Pixel(x, y);
                p[0] = p[1] = p[2] = 1;
            }
        }
        ASSERT_TRUE(SaveImageFile(map, folder / "Maps/hall.png"));
        Ok({"set", "tour.vlm", "Door", "over", "message_text=Дверь"});
    }

    CliResult Run(const std::vector<std::string>& args) { return RunCli(args, folder.Path()); }
    std::string Ok(const std::vector<std::string>& args) {
        const CliResult r = Run(args);
        EXPECT_EQ(r.status, 0) << args[0] << "\n" << r.err;
        return r.out;
    }

    // The runtime the build puts beside velmora-cli.
    static std::string Runtime(const std::string& name) {
        return ReadFile(JoinPath(ExtractFolder(VELMORA_CLI), name));
    }

    TempFolder folder;
};

TEST_F(ExportVerbsTest, ExportWritesThePageWithTheRuntimeBesideTheProgram) {
    EXPECT_EQ(Ok({"export", "tour.vlm", "site/demo.htm"}), "site/demo.html\n");
    EXPECT_TRUE(FileExists(folder / "site/demo.html"));
    EXPECT_TRUE(FileExists(folder / "site/hall.png"));
    EXPECT_NE(ReadFile(folder / "site/VLM/demo.js").find("\"text\":\"Дверь\""), std::string::npos);
    EXPECT_EQ(ReadFile(folder / "site/VLM/vlm4.js"), Runtime("vlm4.js"));
    EXPECT_EQ(ReadFile(folder / "site/VLM/vlm4.css"), Runtime("vlm4.css"));
}

TEST_F(ExportVerbsTest, AccessibleExportAddsImageMapAndNamesOnlyWhenAsked) {
    Ok({"set", "tour.vlm", "Door", "click", "link=https://example.org/"});
    for (const bool accessible : {false, true}) {
        SCOPED_TRACE(accessible);
        std::vector<std::string> args = {"export", "tour.vlm", "site/demo"};
        if (accessible) {
            args.push_back("--accessible");
        }
        EXPECT_EQ(Ok(args), "site/demo.html\n");
        const std::string page = ReadFile(folder / "site/demo.html");
        const std::string script = ReadFile(folder / "site/VLM/demo.js");
        EXPECT_EQ(page.find("usemap=") != std::string::npos, accessible);
        EXPECT_EQ(page.find("<area shape=\"poly\" coords=\"") != std::string::npos &&
                      page.find("\" href=\"https://example.org/\" target=\"_blank\" "
                                "rel=\"noopener\" alt=\"Door\">") != std::string::npos,
                  accessible)
            << page;
        EXPECT_EQ(script.find("\t\t\t\"name\":\"Door\",\r\n") != std::string::npos, accessible);
    }
    Ok({"test", "tour.vlm", "--no-open", "--accessible"});
    EXPECT_NE(ReadFile(folder / "HTML/tour.html").find("<map name="), std::string::npos);
}

TEST_F(ExportVerbsTest, TitleHeadingAndDescriptionAreTheAuthorsAndEscaped) {
    struct Case {
        std::vector<std::string> options;
        std::string title, heading, description;  // as they stand in the page
    };
    const std::string kDefault = "Dorvan Software - Velmora Demo";
    const Case cases[] = {
        {{}, kDefault, kDefault, ""},
        {{"--title", "Озеро & <лодки> \"1\""},
         "Озеро &amp; &lt;лодки&gt; &quot;1&quot;",
         "Озеро &amp; &lt;лодки&gt; &quot;1&quot;",
         ""},
        {{"--title", "Озеро", "--heading", "Лодки <у> берега", "--description", "Пирс \"и\" & лес"},
         "Озеро",
         "Лодки &lt;у&gt; берега",
         "Пирс &quot;и&quot; &amp; лес"},
        {{"--heading", "Только заголовок"}, kDefault, "Только заголовок", ""},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"export", "tour.vlm", "site/demo"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        SCOPED_TRACE(args.size());
        Ok(args);
        const std::string page = ReadFile(folder / "site/demo.html");
        EXPECT_NE(page.find("\t\t<TITLE>" + c.title + "</TITLE>\r\n"), std::string::npos) << page;
        EXPECT_NE(page.find("\t\t\t<h1>" + c.heading + "</h1>\r\n"), std::string::npos) << page;
        const std::string meta = "<meta name=\"description\" content=\"" + c.description + "\">";
        EXPECT_EQ(page.find("<meta name=\"description\"") != std::string::npos,
                  !c.description.empty());
        if (!c.description.empty()) {
            EXPECT_NE(page.find("</TITLE>\r\n\t\t" + meta + "\r\n"), std::string::npos) << page;
        }
    }
    Ok({"test", "tour.vlm", "--no-open", "--title", "Тест"});
    EXPECT_NE(ReadFile(folder / "HTML/tour.html").find("<TITLE>Тест</TITLE>"), std::string::npos);
}

TEST_F(ExportVerbsTest, ExportReplacesADifferentPictureOnlyWithOverwrite) {
    Ok({"export", "tour.vlm", "site/demo"});
    const std::string page = ReadFile(folder / "site/demo.html");
    WriteFile(folder / "site/hall.png", "someone else's picture");
    const CliResult refused = Run({"export", "tour.vlm", "site/demo"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("Перезаписать?"), std::string::npos) << refused.err;
    EXPECT_NE(refused.err.find("site/hall.png"), std::string::npos) << refused.err;
    EXPECT_EQ(ReadFile(folder / "site/demo.html"), page);
    EXPECT_EQ(ReadFile(folder / "site/hall.png"), "someone else's picture");
    Ok({"export", "tour.vlm", "site/demo", "--overwrite"});
    EXPECT_EQ(ReadFile(folder / "site/hall.png"), ReadFile(folder / "Images/hall.png"));
    EXPECT_NE(ReadFile(folder / "site/demo.html"), page);
}

TEST_F(ExportVerbsTest, MapTextAndBrowserTestWithoutOpening) {
    EXPECT_EQ(Ok({"map-text", "tour.vlm"}), "01020002 01020002 \n");
    const std::string page = std::filesystem::absolute(folder / "HTML/tour.html").string();
    EXPECT_EQ(Ok({"test", "tour.vlm", "--no-open"}), page + "\n");
    EXPECT_TRUE(FileExists(folder / "HTML/VLM/tour.js"));
}

TEST_F(ExportVerbsTest, MissingFilePrintsThePageAndFails) {
    Ok({"set", "tour.vlm", "Door", "click", "sound_file_name=gone.ogg"});
    const CliResult r = Run({"export", "tour.vlm", "out.html"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "out.html\n");
    EXPECT_NE(r.err.find("Файл не найден: "), std::string::npos) << r.err;
    EXPECT_FALSE(FileExists(folder / "VLM/out.js"));
}

TEST_F(ExportVerbsTest, MergeAsksBeforeReplacingAndNeedsTwoPages) {
    Ok({"export", "tour.vlm", "a.html"});
    Ok({"export", "tour.vlm", "b.html"});
    EXPECT_EQ(Ok({"merge", "all", "a.html", "b.html"}), "all.html\n");
    EXPECT_TRUE(FileExists(folder / "VLM/all.js"));

    const CliResult declined = Run({"merge", "all", "b.html", "a.html"});
    EXPECT_EQ(declined.status, 1);
    EXPECT_NE(declined.err.find("Файл существует. Перезаписать?"), std::string::npos);
    Ok({"merge", "all", "b.html", "a.html", "--overwrite"});

    EXPECT_EQ(Run({"merge", "one", "a.html"}).status, 2);
    EXPECT_FALSE(FileExists(folder / "one.html"));
}

}  // namespace
}  // namespace velmora::test
