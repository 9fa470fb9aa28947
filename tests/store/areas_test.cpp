#include <set>

#include "store_fixture.h"

namespace velmora::test {
namespace {

using AreasTest = StoreTest;
using Table = std::vector<std::vector<std::string>>;

TEST_F(AreasTest, NumbersAreTheLowestFreeAndReused) {
    CreateWithAreas({});
    EXPECT_EQ(data.AddArea("A", true), 1);
    EXPECT_EQ(data.AddArea("B", true), 2);
    EXPECT_EQ(data.AddArea("C", true), 3);
    EXPECT_TRUE(data.DeleteArea("B"));
    EXPECT_EQ(data.AddArea("D", true), 2);
    EXPECT_EQ(data.areas.AreaCount, 3);
    data.CloseProject();
    EXPECT_EQ(Rows(ProjectPath(),
                   "select field,color,event from properties where field='D' "
                   "order by id;"),
              (Table{{"D", "2", "over"}, {"D", "2", "click"}, {"D", "2", "dblclick"}}));
}

TEST_F(AreasTest, RowsOfANewAreaHoldTheDefaults) {
    CreateWithAreas({"Door"});
    data.CloseProject();
    const auto rows = Rows(ProjectPath(), "select * from properties where event='click';");
    ASSERT_EQ(rows.size(), 1u);
    const std::vector<std::string> expected = {
        "2", "Door", "1",          "click",  "blue_small", "speech", "",    "0", "0",
        "0", "0",    "blue_small", "circle", "",           "0",      "0",   "0", "0",
        "",  "0",    "0",          "",       "",           "",       "100", "",  "0",
        "0", "100",  "0",          "0",      "0",          "100",    "0"};
    EXPECT_EQ(rows[0], expected);

    // The in-memory reset gives the same values as the row insert.
    ASSERT_TRUE(data.OpenProject(ProjectPath()));
    data.ResetAttributes(kOver);
    const ATTRIBUTES reset = data.records.Attributes[kOver];
    data.ReadAttributes("Door");
    EXPECT_EQ(data.records.Attributes[kClick], reset);
}

TEST_F(AreasTest, AddAreaRefusals) {
    CreateWithAreas({"window"});
    EXPECT_EQ(data.AddArea("", true), kEmptyAreaName);
    EXPECT_EQ(data.AddArea("window", true), kAreaNameTaken);
    EXPECT_EQ(data.AddArea("Window", true), 2) << "names are compared with case";
    EXPECT_EQ(prompter.messages,
              (std::vector<std::string>{"Название области не может быть пустым!",
                                        "Область с таким названием уже существует!"}));
    for (int i = 3; i <= 255; ++i) {
        ASSERT_EQ(data.AddArea("a" + std::to_string(i), false), i);
    }
    prompter.messages.clear();
    EXPECT_EQ(data.AddArea("", true), kTooManyAreas) << "the limit is tested first";
    EXPECT_EQ(prompter.messages, std::vector<std::string>{"Слишком много областей!"});
    EXPECT_EQ(data.areas.AreaCount, 255);
}

TEST_F(AreasTest, NamesWithQuotesAndSemicolonsTravelAsParameters) {
    const std::string tricky = "O'Brien\"; DROP TABLE properties; --";
    CreateWithAreas({tricky, "Зал №1"});
    ASSERT_TRUE(data.ListAreas());
    EXPECT_EQ(data.areas.AreaNames[1], tricky);
    EXPECT_EQ(data.areas.FindArea("Зал №1"), 2);
    EXPECT_TRUE(data.RenameArea(tricky, "a;b'c"));
    data.CloseProject();
    EXPECT_EQ(Rows(ProjectPath(), "select count(*) from properties where field='a;b''c';")[0][0],
              "3");
}

TEST_F(AreasTest, RenameKeepsNumberPixelsAndLoadedRecords) {
    CreateWithAreas({"Door", "Window"});
    data.ReadAttributes("Door");
    EXPECT_TRUE(data.RenameArea("Door", "Gate"));
    EXPECT_EQ(data.areas.AreaNames[1], "Gate");
    EXPECT_EQ(data.records.AttributesArea, "Gate");

    EXPECT_FALSE(data.RenameArea("Gate", "Gate"));
    EXPECT_FALSE(data.RenameArea("Gate", ""));
    EXPECT_FALSE(data.RenameArea("Nobody", "X"));
    EXPECT_EQ(prompter.messages,
              (std::vector<std::string>{"Область с таким названием уже существует!",
                                        "Название области не может быть пустым!",
                                        "Область не найдена!"}));
    data.CloseProject();
    EXPECT_EQ(Rows(ProjectPath(), "select distinct field,color from properties order by color;"),
              (Table{{"Gate", "1"}, {"Window", "2"}}));
}

// Names are trimmed at both ends, so no area shows as a blank line; a blank name is refused as
// empty, never as taken.
TEST_F(AreasTest, NamesAreTrimmedAndBlankNamesRefusedAsEmpty) {
    CreateWithAreas({});
    EXPECT_EQ(data.AddArea("  Сад \t", true), 1);
    EXPECT_EQ(data.areas.AreaNames[1], "Сад");
    EXPECT_EQ(data.AddArea("Сад ", true), kAreaNameTaken);
    EXPECT_EQ(data.AddArea(" \t\r\n ", true), kEmptyAreaName);
    EXPECT_FALSE(data.RenameArea("Сад", "   "));
    EXPECT_TRUE(data.RenameArea("Сад", " Пруд "));
    EXPECT_EQ(data.areas.FindArea("Пруд"), 1);
    EXPECT_EQ(prompter.messages,
              (std::vector<std::string>{"Область с таким названием уже существует!",
                                        "Название области не может быть пустым!",
                                        "Название области не может быть пустым!"}));
    // A quiet add refuses without a message.
    prompter.messages.clear();
    EXPECT_EQ(data.AddArea("Пруд", true, true), kAreaNameTaken);
    EXPECT_TRUE(prompter.messages.empty());
    data.CloseProject();
    EXPECT_EQ(Rows(ProjectPath(), "select distinct field from properties;"), (Table{{"Пруд"}}));
}

TEST_F(AreasTest, RenameAndDeleteWithoutAreas) {
    CreateWithAreas({});
    EXPECT_FALSE(data.RenameArea("A", "B"));
    EXPECT_FALSE(data.DeleteArea("A"));
    EXPECT_EQ(prompter.messages, (std::vector<std::string>{"Нет областей!", "Нет областей!"}));
}

TEST_F(AreasTest, DeleteErasesTheAreasPixelsOnly) {
    CreateWithAreas({"A", "B", "C", "D", "E", "F", "G"});
    data.canvas.Width = 4;
    data.canvas.Height = 2;
    data.ClearMap();
    const std::uint8_t values[2][4] = {{7, 3, 7, 0}, {1, 7, 255, 7}};
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 4; ++x) {
            std::fill_n(data.canvas.Map.Pixel(x, y), 3, values[y][x]);
        }
    }
    int resets = 0;
    data.AreasRemoved = [&] { ++resets; };
    ASSERT_TRUE(data.DeleteArea("G"));
    const std::uint8_t expected[2][4] = {{0, 3, 0, 0}, {1, 0, 255, 0}};
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 4; ++x) {
            for (int c = 0; c < 3; ++c) {
                EXPECT_EQ(data.canvas.Map.Pixel(x, y)[c], expected[y][x]) << x << "," << y;
            }
        }
    }
    EXPECT_EQ(resets, 1);
    EXPECT_EQ(data.areas.FindArea("G"), 0);
    data.CloseProject();
    EXPECT_EQ(Rows(ProjectPath(), "select count(*) from properties where field='G';")[0][0], "0");
}

TEST_F(AreasTest, DeleteAllForgetsEverythingAndWithoutAProjectOnlyMemory) {
    CreateWithAreas({"A", "B"});
    data.DeleteAllAreas();
    EXPECT_EQ(data.areas.AreaCount, 0);
    EXPECT_EQ(data.areas.FindArea("A"), 0);
    data.CloseProject();
    EXPECT_EQ(Rows(ProjectPath(), "select count(*) from properties;")[0][0], "0");

    data.areas.AreaNames[5] = "X";
    data.areas.AreaCount = 1;
    data.DeleteAllAreas();
    EXPECT_EQ(data.areas.AreaCount, 0);
    EXPECT_TRUE(data.areas.AreaNames[5].empty());
}

TEST_F(AreasTest, ListAreasSkipsNumbersOutsideTheRange) {
    CreateWithAreas({"A", "B"});
    projectDb.Execute(
        "insert into properties (field,color,event) values ('zero',0,'over'),('big',300,'over'),"
        "('neg',-1,'over'),('wrap',4294967297,'over'),('dupe',2,'over');");
    ASSERT_TRUE(data.ListAreas());
    EXPECT_EQ(data.areas.AreaCount, 2);
    EXPECT_EQ(data.areas.AreaNames[1], "A");
    EXPECT_EQ(data.areas.AreaNames[2], "dupe") << "names in order, the later one wins its number";
    EXPECT_EQ(data.areas.FindArea("big"), 0);
    EXPECT_EQ(data.areas.FindArea("wrap"), 0);
}

TEST_F(AreasTest, RecordsAreWrittenReadAndCopied) {
    CreateWithAreas({"Door", "Window"});
    data.ReadAttributes("Door");
    data.records.Attributes[kOver].message_text = "Hello\r\nworld";
    data.records.Attributes[kOver].overlay_x = -40;
    data.records.Attributes[kClick].link = "https://example.org/?a=1&b='2'";
    data.records.Attributes[kDblClick].area_gamma = 250;
    data.records.AttributesModified = true;
    ASSERT_TRUE(data.WriteAttributes("Door"));
    EXPECT_FALSE(data.records.AttributesModified);
    const auto written = data.records.Attributes;

    data.ReadAttributes("Window");
    EXPECT_EQ(data.records.Attributes[kOver], DefaultAttributes());
    data.ReadAttributes("Door");
    EXPECT_EQ(data.records.Attributes, written);

    ASSERT_TRUE(data.CopyAttributes("Door", kOver, kClick));
    data.ReadAttributes("Door");
    EXPECT_EQ(data.records.Attributes[kClick], written[kOver]);
    EXPECT_EQ(data.records.Attributes[kDblClick], written[kDblClick]);
    EXPECT_FALSE(data.CopyAttributes("Door", kClick, kClick));
}

TEST_F(AreasTest, ReadingKeepsRecordsThatHaveNoRowAndNullsReadAsEmpty) {
    CreateWithAreas({"Door"});
    projectDb.Execute("delete from properties where event='dblclick';");
    projectDb.Execute(
        "update properties set message_text=NULL, sound_volume=NULL "
        "where event='over';");
    data.records.Attributes[kDblClick].js_code = "kept()";
    data.ReadAttributes("Door");
    EXPECT_EQ(data.records.Attributes[kDblClick].js_code, "kept()");
    EXPECT_EQ(data.records.Attributes[kOver].message_text, "");
    EXPECT_EQ(data.records.Attributes[kOver].sound_volume, 0);
    EXPECT_TRUE(data.WriteAttributes("Nobody")) << "a name without rows updates nothing";
}

TEST_F(AreasTest, ResetAttributes) {
    data.records.Attributes[kClick].copy_text = "x";
    EXPECT_FALSE(data.ResetAttributes(3));
    EXPECT_FALSE(data.ResetAttributes(-1));
    EXPECT_EQ(data.records.Attributes[kClick].copy_text, "x");
    data.records.AttributesModified = false;
    EXPECT_TRUE(data.ResetAllAttributes());
    EXPECT_EQ(data.records.Attributes[kClick], DefaultAttributes());
    EXPECT_FALSE(data.records.AttributesModified);
}

TEST_F(AreasTest, PaletteAndEventNames) {
    EXPECT_EQ(data.areas.Palette[1], 0xBD77C7u);
    EXPECT_EQ(PaletteBlue(data.areas.Palette[1]), 0xBD);
    EXPECT_EQ(PaletteRed(data.areas.Palette[1]), 0xC7);
    EXPECT_EQ(data.areas.Palette[255], 0xA4837Eu);
    std::set<std::uint32_t> distinct(data.areas.Palette.begin(), data.areas.Palette.end());
    EXPECT_EQ(distinct.size(), 256u);
    EXPECT_EQ(std::string(EventName(kDblClick)), "dblclick");
    EXPECT_EQ(EventFromName("click"), kClick);
    EXPECT_FALSE(EventFromName("Click").has_value());
}

}  // namespace
}  // namespace velmora::test
