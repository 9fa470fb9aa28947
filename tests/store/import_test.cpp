#include "store_fixture.h"

namespace velmora::test {
namespace {

using Table = std::vector<std::vector<std::string>>;

class AreaImportTest : public StoreTest {
protected:
    // A second project file holding the named areas; the first area's over record carries a
    // recognisable message.
    std::string MakeSource(const std::vector<std::string>& names,
                           const std::string& file = "source.vlm") {
        DbConnection db;
        ScriptedPrompter quiet;
        COMMON_DATA source(quiet);
        source.project.ProjectDb = &db;
        const std::string path = folder / file;
        EXPECT_TRUE(source.CreateProject(path));
        for (const auto& name : names) {
            source.AddArea(name, true);
        }
        if (!names.empty()) {
            source.ReadAttributes(names.front());
            source.records.Attributes[kOver].message_text = "from " + names.front();
            source.records.Attributes[kClick].sound_volume = 35;
            source.WriteAttributes(names.front());
        }
        source.CloseProject();
        return path;
    }
};

TEST_F(AreaImportTest, ClashingNamesGetSuffixesAndRowsAreCopied) {
    CreateWithAreas({"Door"});
    const std::string source = MakeSource({"Door", "Window"});
    ASSERT_TRUE(data.ImportAreas(source));
    EXPECT_EQ(data.areas.FindArea("Door_2"), 2);
    EXPECT_EQ(data.areas.FindArea("Window"), 3);
    EXPECT_FALSE(sourceDb.Connected());
    data.ReadAttributes("Door_2");
    EXPECT_EQ(data.records.Attributes[kOver].message_text, "from Door");
    EXPECT_EQ(data.records.Attributes[kClick].sound_volume, 35);
    data.CloseProject();
    EXPECT_EQ(Rows(ProjectPath(),
                   "select field,color,event from properties where id>3 "
                   "order by field, id;"),
              (Table{{"Door_2", "2", "over"},
                     {"Door_2", "2", "click"},
                     {"Door_2", "2", "dblclick"},
                     {"Window", "3", "over"},
                     {"Window", "3", "click"},
                     {"Window", "3", "dblclick"}}));
}

TEST_F(AreaImportTest, NextFreeSuffix) {
    CreateWithAreas({"Door", "Door_2"});
    ASSERT_TRUE(data.ImportAreas(MakeSource({"Door"})));
    EXPECT_EQ(data.areas.FindArea("Door_3"), 3);
    EXPECT_EQ(data.areas.UniqueAreaName("Fresh"), "Fresh");
}

TEST_F(AreaImportTest, StopsAtTheLimitAndCopiesWhatWasRegistered) {
    std::vector<std::string> mine;
    for (int i = 0; i < 250; ++i) {
        mine.push_back("m" + std::to_string(i));
    }
    CreateWithAreas(mine);
    ASSERT_TRUE(
        data.ImportAreas(MakeSource({"s0", "s1", "s2", "s3", "s4", "s5", "s6", "s7", "s8", "s9"})));
    EXPECT_EQ(data.areas.AreaCount, 255);
    EXPECT_EQ(prompter.messages, std::vector<std::string>{"Слишком много областей!"});
    EXPECT_NE(data.areas.FindArea("s4"), 0);
    EXPECT_EQ(data.areas.FindArea("s5"), 0);
    data.CloseProject();
    EXPECT_EQ(Rows(ProjectPath(), "select count(*) from properties where field like 's%';")[0][0],
              "15");
}

TEST_F(AreaImportTest, RefusedSources) {
    CreateWithAreas({"Door"});
    const std::string empty = MakeSource({}, "empty.vlm");
    const std::string old = MakeSource({"A"}, "old.vlm");
    {
        SQLite::Database db(old, SQLite::OPEN_READWRITE);
        db.exec("update meta_info set version='3.0';");
    }
    WriteFile(folder / "text.vlm", "hello");
    const std::pair<std::string, const char*> cases[] = {
        {empty, "Нет полей для импорта в этом проекте!"},
        {old, "Эта версия не поддерживается!"},
        {folder / "text.vlm", "Ошибка открытия данных для импорта"},
        {folder / "missing.vlm", "Ошибка открытия данных для импорта"},
        {ProjectPath(), "Нельзя импортировать области из открытого проекта!"},
    };
    for (const auto& [source, message] : cases) {
        SCOPED_TRACE(source);
        prompter.messages.clear();
        EXPECT_FALSE(data.ImportAreas(source));
        EXPECT_EQ(prompter.messages, std::vector<std::string>{message});
        EXPECT_FALSE(sourceDb.Connected());
        EXPECT_EQ(data.areas.AreaCount, 1);
    }
    data.CloseProject();
    EXPECT_EQ(Rows(ProjectPath(), "select count(*) from properties;")[0][0], "3");
}

TEST_F(AreaImportTest, EmptyMetaInfoImportsAndSourceNumbersAreNotUsed) {
    CreateWithAreas({"A", "B", "C"});
    const std::string source = MakeSource({"X", "Y"});
    {
        SQLite::Database db(source, SQLite::OPEN_READWRITE);
        db.exec("delete from meta_info; update properties set color=200;");
    }
    ASSERT_TRUE(data.ImportAreas(source));
    EXPECT_EQ(data.areas.FindArea("X"), 4);
    EXPECT_EQ(data.areas.FindArea("Y"), 5);
}

TEST_F(AreaImportTest, WithoutAProject) {
    EXPECT_FALSE(data.ImportAreas(folder / "x.vlm"));
    EXPECT_EQ(prompter.messages, std::vector<std::string>{"Сначала создайте или откройте проект!"});
}

}  // namespace
}  // namespace velmora::test
