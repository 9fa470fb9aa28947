#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "export/data_script.h"
#include "export/page.h"
#include "export/text_rules.h"
#include "export_fixture.h"
#include "store/files.h"

namespace velmora::test {
namespace {

class DataScriptTest : public ExportTest {
public:
    // The golden builders below use the fixture's helpers.
    using ExportTest::AddArea;
    using ExportTest::data;
    using ExportTest::EditRecord;
    using ExportTest::Paint;
    using ExportTest::PutWorkFile;

    std::string ScriptPath() const { return folder / "out/VLM/demo.js"; }
    std::string OutFile(const std::string& name) const { return folder / ("out/VLM/" + name); }

protected:
    void SetUp() override {
        std::filesystem::create_directories(folder / "out/VLM");
        SetPictureSize(8, 4);
        data.project.PageId = "vlm_1234";
    }
};

// Areas 1 and 3 painted with default records, area 2 registered but unpainted.
void DefaultArea(DataScriptTest& t) {
    t.AddArea("Door");
    t.AddArea("Window");
    t.AddArea("Gate");
    t.Paint(0, 0, 4, 2, 1);
    t.Paint(4, 2, 4, 2, 3);
}

void EveryEffectLine(DataScriptTest& t) {
    t.AddArea("Hall");
    t.Paint(0, 0, 8, 4, 1);
    t.data.canvas.BackgroundSound = "music.ogg";
    t.data.canvas.BackgroundVolume = 35;
    t.PutWorkFile("Sounds", "music.ogg");
    t.PutWorkFile("Pictures", "pop.png");
    t.PutWorkFile("Pictures", "over.gif");
    t.PutWorkFile("Sounds", "ding.mp3");
    t.EditRecord("Hall", kOver, [](ATTRIBUTES& a) {
        a.message_text = "Привет";
        a.message_style = "red_big";
        a.message_type = "think";
        a.message_center_x = 10;
        a.message_center_y = 20;
        a.message_pointer_x = 30;
        a.message_pointer_y = 40;
        a.picture_file_name = "pop.png";
        a.picture_style = "green_middle";
        a.picture_type = "pointer";
        a.picture_center_x = 1;
        a.picture_center_y = 2;
        a.picture_pointer_x = 3;
        a.picture_pointer_y = 4;
        a.overlay_file_name = "over.gif";
        a.overlay_x = 5;
        a.overlay_y = 6;
        a.copy_text = "copy me";
        a.js_code = "alert(1)";
        a.sound_file_name = "ding.mp3";
        a.sound_volume = 100;
        a.link = "https://example.org/x";
        a.background_brightness = 10;
        a.background_contrast = -20;
        a.background_gamma = 150;
        a.area_brightness = -5;
        a.area_contrast = 7;
        a.area_gamma = 50;
        a.area_grayscale = 1;
    });
}

// Grayscale alone switches the background line on.
void BackgroundExample(DataScriptTest& t) {
    t.AddArea("A");
    t.AddArea("B");
    t.Paint(6, 2, 2, 2, 2);
    t.EditRecord("B", kClick, [](ATTRIBUTES& a) { a.background_grayscale = 1; });
}

void MultiLineTexts(DataScriptTest& t) {
    t.AddArea("Hall");
    t.Paint(0, 0, 8, 4, 1);
    t.EditRecord("Hall", kDblClick, [](ATTRIBUTES& a) {
        a.message_text = "Первая строка\r\nвторая";
        a.copy_text = "строка\r\n";
    });
}

void Volumes(DataScriptTest& t) {
    t.AddArea("Hall");
    t.Paint(0, 0, 8, 4, 1);
    t.data.canvas.BackgroundSound = "bg.ogg";
    t.data.canvas.BackgroundVolume = 100;
    t.PutWorkFile("Sounds", "bg.ogg");
    const char* names[] = {"a.ogg", "b.ogg", "c.ogg"};
    const int volumes[] = {100, 35, 0};
    for (int event = 0; event < kEventCount; ++event) {
        t.PutWorkFile("Sounds", names[event]);
        t.EditRecord("Hall", event, [&](ATTRIBUTES& a) {
            a.sound_file_name = names[event];
            a.sound_volume = volumes[event];
        });
    }
}

void NegativeCoordinates(DataScriptTest& t) {
    t.AddArea("Hall");
    t.Paint(0, 0, 8, 4, 1);
    t.PutWorkFile("Pictures", "pop.png");
    t.PutWorkFile("Pictures", "over.gif");
    t.EditRecord("Hall", kOver, [](ATTRIBUTES& a) {
        a.message_text = "Здесь";
        a.message_type = "pointer";
        a.message_center_x = -10;
        a.message_center_y = -20;
        a.message_pointer_x = -1;
        a.picture_file_name = "pop.png";
        a.picture_center_x = -3;
        a.picture_center_y = -4;
        a.picture_pointer_x = -5;
        a.picture_pointer_y = -6;
        a.overlay_file_name = "over.gif";
        a.overlay_x = -7;
        a.overlay_y = -8;
        a.area_brightness = -127;
        a.area_contrast = -1;
        a.area_gamma = 0;
    });
}

// One golden case: the project its builder sets up on an 8 x 4 map, and the expected script
// in tests/export/golden/<name>/script.js.
struct GoldenCase {
    const char* name;
    void (*build)(DataScriptTest& t);
};

class GoldenScript : public DataScriptTest, public ::testing::WithParamInterface<GoldenCase> {};

TEST_P(GoldenScript, MatchesByteForByte) {
    GetParam().build(*this);
    ASSERT_TRUE(WriteDataScript(data, ScriptPath()));
    EXPECT_EQ(ReadFile(ScriptPath()), ReadFile(GoldenPath(GetParam().name, "script.js")));
    EXPECT_TRUE(prompter.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, GoldenScript,
                         ::testing::Values(GoldenCase{"default_area", &DefaultArea},
                                           GoldenCase{"every_effect_line", &EveryEffectLine},
                                           GoldenCase{"background_example", &BackgroundExample},
                                           GoldenCase{"multi_line_texts", &MultiLineTexts},
                                           GoldenCase{"volumes", &Volumes},
                                           GoldenCase{"negative_coordinates",
                                                      &NegativeCoordinates}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DataScriptTest, PageMatchesGolden) {
    DefaultArea(*this);
    data.canvas.PictureFileName = "hall.jpg";
    WritePage(data, folder / "out/demo.html");
    EXPECT_EQ(ReadFile(folder / "out/demo.html"),
              ReadFile(GoldenPath("default_area", "page.html")));
}

TEST_F(DataScriptTest, CopiesNamedFilesOnceAndLeavesCopiesAlone) {
    EveryEffectLine(*this);
    ASSERT_TRUE(WriteDataScript(data, ScriptPath()));
    for (const char* name : {"music.ogg", "pop.png", "over.gif", "ding.mp3"}) {
        EXPECT_EQ(ReadFile(OutFile(name)), "data") << name;
    }
    // Generating again does not refresh a copy whose source has changed.
    PutWorkFile("Pictures", "pop.png", "changed");
    ASSERT_TRUE(WriteDataScript(data, ScriptPath()));
    EXPECT_EQ(ReadFile(OutFile("pop.png")), "data");
}

TEST_F(DataScriptTest, MissingFileStopsWithoutScriptAndKeepsEarlierCopies) {
    EveryEffectLine(*this);
    std::filesystem::remove(folder / "Pictures/over.gif");
    WriteFile(ScriptPath(), "previous");

    EXPECT_FALSE(WriteDataScript(data, ScriptPath()));
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0], "Файл не найден: " + (folder / "Pictures/over.gif"));
    EXPECT_EQ(ReadFile(ScriptPath()), "previous");
    EXPECT_TRUE(FileExists(OutFile("music.ogg")));
    EXPECT_TRUE(FileExists(OutFile("pop.png")));
    EXPECT_FALSE(FileExists(OutFile("ding.mp3")));
}

TEST_F(DataScriptTest, NamesThatLeaveTheWorkingFoldersAreRefused) {
    AddArea("Hall");
    Paint(0, 0, 8, 4, 1);
    WriteFile(folder / "secret.png", "secret");
    for (const char* name : {"../secret.png", "..", "sub/x.png", "a\\b.png"}) {
        SCOPED_TRACE(name);
        prompter.messages.clear();
        EditRecord("Hall", kOver, [&](ATTRIBUTES& a) { a.picture_file_name = name; });
        EXPECT_FALSE(WriteDataScript(data, ScriptPath()));
        ASSERT_EQ(prompter.messages.size(), 1u);
        EXPECT_NE(prompter.messages[0].find(name), std::string::npos);
        EXPECT_FALSE(FileExists(ScriptPath()));
    }
    EXPECT_FALSE(FileExists(folder / "out/secret.png"));
}

TEST_F(DataScriptTest, PendingEditsAreStoredFirstAndLastAreaStaysLoaded) {
    AddArea("One");
    AddArea("Two");
    Paint(0, 0, 2, 2, 1);
    Paint(4, 0, 2, 2, 2);
    ASSERT_TRUE(data.ReadAttributes("One"));
    data.records.Attributes[kClick].link = "https://pending.example";
    data.records.AttributesModified = true;

    ASSERT_TRUE(WriteDataScript(data, ScriptPath()));
    EXPECT_NE(ReadFile(ScriptPath()).find("\"link\": \"https://pending.example\","),
              std::string::npos);
    EXPECT_EQ(data.records.AttributesArea, "Two");
    EXPECT_FALSE(data.records.AttributesModified);
}

// An area whose file lacks an event row exports that event with a new area's defaults, never
// with the records of the area exported before it.
TEST_F(DataScriptTest, MissingEventRowDoesNotInheritThePreviousArea) {
    AddArea("One");
    AddArea("Two");
    Paint(0, 0, 2, 2, 1);
    Paint(4, 0, 2, 2, 2);
    EditRecord("One", kDblClick, [](ATTRIBUTES& a) { a.link = "https://one.example"; });
    projectDb.Execute("DELETE FROM properties WHERE field='Two' AND event='dblclick';");

    ASSERT_TRUE(WriteDataScript(data, ScriptPath()));
    const std::string script = ReadFile(ScriptPath());
    EXPECT_EQ(script.find("one.example"), script.rfind("one.example"));
}

TEST_F(DataScriptTest, NoPaintedAreaLeavesOnlyTheClosingElement) {
    AddArea("Door");
    ASSERT_TRUE(WriteDataScript(data, ScriptPath()));
    EXPECT_NE(
        ReadFile(ScriptPath()).find("\t\"colors\":[\r\n\t\t{ \"q\":0 }\r\n\t]\r\n}`\r\n];\r\n"),
        std::string::npos);
}

// What the runtime receives after the template literal and JSON.parse is exactly the stored
// text (message and copy texts with their CR LF pairs as "|").
TEST_F(DataScriptTest, SpecialCharactersRoundTripThroughTheBrowsersParsers) {
    if (!NodeAvailable()) {
        GTEST_SKIP() << "node is not installed";
    }
    const std::string hostile =
        "q\"b\\s`t${x}</script>\nlf\rcr\tt|bar\x01 \u2028 $ {} \\u0041 `{ }`";
    const std::string fileName = "a%b#c?d ${`'\"x.png";
    AddArea("Hall");
    Paint(0, 0, 8, 4, 1);
    data.project.PageId = "vlm_4321";
    data.canvas.BackgroundSound = fileName;
    PutWorkFile("Sounds", fileName);
    PutWorkFile("Pictures", fileName);
    EditRecord("Hall", kOver, [&](ATTRIBUTES& a) {
        a.message_text = hostile + "\r\nline";
        a.message_style = hostile;
        a.message_type = hostile;
        a.picture_file_name = fileName;
        a.picture_style = hostile;
        a.copy_text = hostile;
        a.js_code = hostile;
        a.link = hostile;
    });
    ASSERT_TRUE(WriteDataScript(data, ScriptPath()));

    const auto entries = nlohmann::json::parse(RunNode("read_data_script.mjs", {ScriptPath()}));
    ASSERT_EQ(entries.size(), 1u);
    const auto& object = entries[0];
    EXPECT_EQ(object["id"], "vlm_4321");
    EXPECT_EQ(object["audio"]["src"], "VLM/a%25b%23c%3Fd ${`'\"x.png");
    const auto& over = object["colors"][0]["properties"]["over"];
    EXPECT_EQ(over["message"]["text"], ReplaceAll(hostile, "\r\n", "|") + "|line");
    EXPECT_EQ(over["message"]["style"], hostile);
    EXPECT_EQ(over["message"]["type"], hostile);
    EXPECT_EQ(over["picture"]["src"], "VLM/a%25b%23c%3Fd ${`'\"x.png");
    EXPECT_EQ(over["picture"]["style"], hostile);
    EXPECT_EQ(over["copytext"], hostile);
    EXPECT_EQ(over["jscode"], hostile);
    EXPECT_EQ(over["link"], hostile);
    EXPECT_EQ(ReadFile(OutFile(fileName)), "data");
}

}  // namespace
}  // namespace velmora::test
