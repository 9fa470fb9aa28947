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
    EXPECT_EQ(data.AreaCount, 3);
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
    const ATTRIBUTES reset = data.Attributes[kOver];
    data.ReadAttributes("Door");
    EXPECT_EQ(data.Attributes[kClick], reset);
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
    EXPECT_EQ(data.AreaCount, 255);
}

TEST_F(AreasTest, NamesWithQuotesAndSemicolonsTravelAsParameters) {
    const std::string tricky = "O'Brien\"; DROP TABLE properties; --";
    CreateWithAreas({tricky, "Зал №1"});
    ASSERT_TRUE(data.ListAreas());
    EXPECT_EQ(data.AreaNames[1], tricky);
    EXPECT_EQ(data.FindArea("Зал №1"), 2);
    EXPECT_TRUE(data.RenameArea(tricky, "a;b'c"));
    data.CloseProject();
    EXPECT_EQ(Rows(ProjectPath(), "select count(*) from properties where field='a;b''c';")[0][0],
              "3");
}

TEST_F(AreasTest, RenameKeepsNumberPixelsAndLoadedRecords) {
    CreateWithAreas({"Door", "Window"});
    data.ReadAttributes("Door");
    EXPECT_TRUE(data.RenameArea("Door", "Gate"));
    EXPECT_EQ(data.AreaNames[1], "Gate");
    EXPECT_EQ(data.AttributesArea, "Gate");

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
    EXPECT_EQ(data.AreaNames[1], "Сад");
    EXPECT_EQ(data.AddArea("Сад ", true), kAreaNameTaken);
    EXPECT_EQ(data.AddArea(" \t\r\n ", true), kEmptyAreaName);
    EXPECT_FALSE(data.RenameArea("Сад", "   "));
    EXPECT_TRUE(data.RenameArea("Сад", " Пруд "));
    EXPECT_EQ(data.FindArea("Пруд"), 1);
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
    data.Width = 4;
    data.Height = 2;
    data.ClearMap();
    const std::uint8_t values[2][4] = {{7, 3, 7, 0}, {1, 7, 255, 7}};
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 4; ++x) {
            std::fill_n(data.Map.Pixel(x, y), 3, values[y][x]);
        }
    }
    int resets = 0;
    data.AreasRemoved = [&] { ++resets; };
    ASSERT_TRUE(data.DeleteArea("G"));
    const std::uint8_t expected[2][4] = {{0, 3, 0, 0}, {1, 0, 255, 0}};
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 4; ++x) {
            for (int c = 0; c < 3; ++c) {
                EXPECT_EQ(data.Map.Pixel(x, y)[c], expected[y][x]) << x << "," << y;
            }
        }
    }
    EXPECT_EQ(resets, 1);
    EXPECT_EQ(data.FindArea("G"), 0);
    data.CloseProject();
    EXPECT_EQ(Rows(ProjectPath(), "select count(*) from properties where field='G';")[0][0], "0");
}

TEST_F(AreasTest, DeleteAllForgetsEverythingAndWithoutAProjectOnlyMemory) {
    CreateWithAreas({"A", "B"});
    data.DeleteAllAreas();
    EXPECT_EQ(data.AreaCount, 0);
    EXPECT_EQ(data.FindArea("A"), 0);
    data.CloseProject();
    EXPECT_EQ(Rows(ProjectPath(), "select count(*) from properties;")[0][0], "0");

    data.AreaNames[5] = "X";
    data.AreaCount = 1;
    data.DeleteAllAreas();
    EXPECT_EQ(data.AreaCount, 0);
    EXPECT_TRUE(data.AreaNames[5].empty());
}

TEST_F(AreasTest, ListAreasSkipsNumbersOutsideTheRange) {
    CreateWithAreas({"A", "B"});
    projectDb.Execute(
        "insert into properties (field,color,event) values ('zero',0,'over'),('big',300,'over'),"
        "('neg',-1,'over'),('wrap',4294967297,'over'),('dupe',2,'over');");
    ASSERT_TRUE(data.ListAreas());
    EXPECT_EQ(data.AreaCount, 2);
    EXPECT_EQ(data.AreaNames[1], "A");
    EXPECT_EQ(data.AreaNames[2], "dupe") << "names in order, the later one wins its number";
    EXPECT_EQ(data.FindArea("big"), 0);
    EXPECT_EQ(data.FindArea("wrap"), 0);
}

TEST_F(AreasTest, RecordsAreWrittenReadAndCopied) {
    CreateWithAreas({"Door", "Window"});
    data.ReadAttributes("Door");
    data.Attributes[kOver].message_text = "Hello\r\nworld";
    data.Attributes[kOver].overlay_x = -40;
    data.Attributes[kClick].link = "https://example.org/?a=1&b='2'";
    data.Attributes[kDblClick].area_gamma = 250;
    data.AttributesModified = true;
    ASSERT_TRUE(data.WriteAttributes("Door"));
    EXPECT_FALSE(data.AttributesModified);
    const auto written = data.Attributes;

    data.ReadAttributes("Window");
    EXPECT_EQ(data.Attributes[kOver], DefaultAttributes());
    data.ReadAttributes("Door");
    EXPECT_EQ(data.Attributes, written);

    ASSERT_TRUE(data.CopyAttributes("Door", kOver, kClick));
    data.ReadAttributes("Door");
    EXPECT_EQ(data.Attributes[kClick], written[kOver]);
    EXPECT_EQ(data.Attributes[kDblClick], written[kDblClick]);
    EXPECT_FALSE(data.CopyAttributes("Door", kClick, kClick));
}

TEST_F(AreasTest, ReadingKeepsRecordsThatHaveNoRowAndNullsReadAsEmpty) {
    CreateWithAreas({"Door"});
    projectDb.Execute("delete from properties where event='dblclick';");
    projectDb.Execute(
        "update properties set message_text=NULL, sound_volume=NULL "
        "where event='over';");
    data.Attributes[kDblClick].js_code = "kept()";
    data.ReadAttributes("Door");
    EXPECT_EQ(data.Attributes[kDblClick].js_code, "kept()");
    EXPECT_EQ(data.Attributes[kOver].message_text, "");
    EXPECT_EQ(data.Attributes[kOver].sound_volume, 0);
    EXPECT_TRUE(data.WriteAttributes("Nobody")) << "a name without rows updates nothing";
}

TEST_F(AreasTest, ResetAttributes) {
    data.Attributes[kClick].copy_text = "x";
    EXPECT_FALSE(data.ResetAttributes(3));
    EXPECT_FALSE(data.ResetAttributes(-1));
    EXPECT_EQ(data.Attributes[kClick].copy_text, "x");
    data.AttributesModified = false;
    EXPECT_TRUE(data.ResetAllAttributes());
    EXPECT_EQ(data.Attributes[kClick], DefaultAttributes());
    EXPECT_FALSE(data.AttributesModified);
}

TEST_F(AreasTest, PaletteAndEventNames) {
    EXPECT_EQ(data.Palette[1], 0xBD77C7u);
    EXPECT_EQ(PaletteBlue(data.Palette[1]), 0xBD);
    EXPECT_EQ(PaletteRed(data.Palette[1]), 0xC7);
    EXPECT_EQ(data.Palette[255], 0xA4837Eu);
    std::set<std::uint32_t> distinct(data.Palette.begin(), data.Palette.end());
    EXPECT_EQ(distinct.size(), 256u);
    EXPECT_EQ(std::string(EventName(kDblClick)), "dblclick");
    EXPECT_EQ(EventFromName("click"), kClick);
    EXPECT_FALSE(EventFromName("Click").has_value());
}

}  // namespace
}  // namespace velmora::test
