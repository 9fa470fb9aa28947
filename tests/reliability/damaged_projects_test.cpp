// Damaged and hostile project files: opened, listed and exported through the CLI, each gets a
// success or a clear refusal (never a crash), nothing is read or written outside the project,
// and the picture, the map and the earlier export stay whole.
#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "reliability/reliability_fixture.h"
#include "store/bitmap.h"
#include "store/image_file.h"

namespace velmora::test {
namespace {

namespace fs = std::filesystem;

// No: refused as no project; OtherVersion: a project file of a version we do not read.
enum class Opens { Yes, No, OtherVersion };

struct DamagedProject {
    std::string label;
    Opens opens;
    // Changes the project folder; the project file is whole before it runs.
    std::function<void(const std::string& folder)> damage;
};

void Sql(const std::string& folder, const std::vector<std::string>& statements) {
    SQLite::Database db(folder + "/tour.vlm", SQLite::OPEN_READWRITE);
    for (const std::string& statement : statements) {
        db.exec(statement);
    }
}

// Every column of every table set to NULL, the version row excepted when keepVersion. Each
// table is copied without its constraints first, as a file damaged outside SQLite may be.
void NullEverywhere(const std::string& folder, bool keepVersion) {
    SQLite::Database db(folder + "/tour.vlm", SQLite::OPEN_READWRITE);
    for (const std::string table : {"properties", "pictures", "edit", "meta_info"}) {
        if (keepVersion && table == "meta_info") {
            continue;
        }
        db.exec("CREATE TABLE loose AS SELECT * FROM " + table);
        db.exec("DROP TABLE " + table);
        db.exec("ALTER TABLE loose RENAME TO " + table);
        SQLite::Statement columns(db, "PRAGMA table_info(" + table + ")");
        std::string sets;
        while (columns.executeStep()) {
            sets += (sets.empty() ? "" : ",") + columns.getColumn(1).getString() + "=NULL";
        }
        db.exec("UPDATE " + table + " SET " + sets);
    }
}

std::string SetField(const std::string& value) {
    return "UPDATE properties SET field=" + value + " WHERE field='Зал'";
}

std::string SetFile(const std::string& column, const std::string& name) {
    return "UPDATE properties SET " + column + "='" + name + "' WHERE field='Зал'";
}

std::vector<DamagedProject> Cases() {
    auto sql = [](std::vector<std::string> statements) {
        return [statements](const std::string& folder) { Sql(folder, statements); };
    };
    auto bytes = [](std::string content) {
        return [content](const std::string& folder) { WriteFile(folder + "/tour.vlm", content); };
    };
    std::vector<DamagedProject> cases = {
        {"a text file", Opens::No, bytes("Это не проект, а текст.\n")},
        {"an empty file", Opens::No, bytes("")},
        {"a database without tables", Opens::No,
         [](const std::string& folder) {
             fs::remove(folder + "/tour.vlm");
             SQLite::Database db(folder + "/tour.vlm",
                                 SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
             db.exec("PRAGMA user_version=4");
         }},
        {"version NULL", Opens::OtherVersion, sql({"UPDATE meta_info SET version=NULL"})},
        {"version 9.1", Opens::OtherVersion, sql({"UPDATE meta_info SET version='9.1'"})},
        {"NULL in every column", Opens::Yes,
         [](const std::string& folder) { NullEverywhere(folder, false); }},
        {"NULL in every column but the version", Opens::Yes,
         [](const std::string& folder) { NullEverywhere(folder, true); }},
        {"colour 0", Opens::Yes, sql({"UPDATE properties SET color=0 WHERE field='Зал'"})},
        {"colour 300", Opens::Yes, sql({"UPDATE properties SET color=300 WHERE field='Зал'"})},
        {"colour -1", Opens::Yes, sql({"UPDATE properties SET color=-1 WHERE field='Зал'"})},
        {"colour as text", Opens::Yes, sql({"UPDATE properties SET color='x' WHERE field='Зал'"})},
        {"duplicate names with different colours", Opens::Yes,
         sql({"INSERT INTO properties (field,color,event) SELECT field,7,event FROM properties "
              "WHERE field='Зал'",
              "INSERT INTO properties (field,color,event) SELECT 'Холл',1,event FROM properties "
              "WHERE field='Зал' AND color=1"})},
        {"10,000 rows", Opens::Yes,
         sql({"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<10000) "
              "INSERT INTO properties (field,color,event,message_text) "
              "SELECT 'Область ' || i, 1 + i % 300, 'over', 'текст' FROM n"})},
        {"name with /", Opens::Yes, sql({SetField("'../Зал/x'")})},
        {"name ..", Opens::Yes, sql({SetField("'..'")})},
        {"name with NUL", Opens::Yes, sql({SetField("'За' || char(0) || 'л'")})},
        {"name of 10,000 characters", Opens::Yes,
         sql({SetField("replace(hex(zeroblob(5000)),'0','я')")})},
        {"name in invalid UTF-8", Opens::Yes, sql({SetField("CAST(x'c3ffd0fe80' AS TEXT)")})},
        {"records naming files outside", Opens::Yes,
         sql({SetFile("picture_file_name", "../pic.png"),
              SetFile("sound_file_name", "/etc/hostname"), SetFile("overlay_file_name", "..")})},
        {"background sound outside", Opens::Yes,
         sql({"UPDATE pictures SET sound='../tour.vlm' WHERE id=0"})},
        {"record naming a missing file", Opens::Yes,
         sql({SetFile("picture_file_name", "gone.png")})},
        {"texts with quotes, backticks and control characters", Opens::Yes,
         sql({"UPDATE properties SET message_text='`${x}`\"\\' || char(1) || char(13) || char(10), "
              "link='</script>`', js_code='\\u0000' WHERE field='Зал'"})},
        {"map of another size than the picture", Opens::Yes,
         [](const std::string& folder) {
             Bitmap small(5, 70);
             small.Pixel(0, 0)[0] = 1;
             SaveImageFile(small, folder + "/Maps/pic.png");
         }},
        {"stored size far from the picture's", Opens::Yes,
         sql({"UPDATE pictures SET width=2147483647, height=-5 WHERE id=0"})},
        {"picture name pointing outside", Opens::Yes,
         sql({"UPDATE pictures SET picture='../pic.png' WHERE id=0"})},
        {"picture name absolute", Opens::Yes,
         sql({"UPDATE pictures SET picture='/etc/hostname' WHERE id=0"})},
        {"map name pointing outside", Opens::Yes,
         sql({"UPDATE pictures SET map='../../pic.png' WHERE id=0"})},
        {"picture missing", Opens::Yes, sql({"UPDATE pictures SET picture='gone.png' WHERE id=0"})},
        {"properties table missing", Opens::Yes, sql({"DROP TABLE properties"})},
        {"pictures table missing", Opens::Yes, sql({"DROP TABLE pictures"})},
        {"a schema with a trigger", Opens::Yes,
         sql({"CREATE TRIGGER t AFTER UPDATE ON properties BEGIN DELETE FROM pictures; END"})},
        {"a view in place of a table", Opens::Yes,
         sql({"ALTER TABLE pictures RENAME TO old_pictures",
              "CREATE VIEW pictures AS SELECT * FROM old_pictures"})},
    };
    return cases;
}

TEST_F(ReliabilityTest, DamagedProjectsAreOpenedOrRefusedCleanly) {
    MakeProject();
    const std::string pristine = ReadFile(ProjectPath());
    const auto images = FilesUnder(folder / "Images");
    const auto maps = FilesUnder(folder / "Maps");
    const std::string page = ReadFile(folder / "site/page.html");
    const std::string script = ReadFile(folder / "site/VLM/page.js");

    for (const DamagedProject& c : Cases()) {
        SCOPED_TRACE(c.label);
        WriteFile(ProjectPath(), pristine);
        WriteFile(MapPath(), maps.at("pic.png"));
        fs::remove_all(folder / "out");
        c.damage(folder.Path());
        const std::string damaged = ReadFile(ProjectPath());

        const CliRun info = Cli({"info", "tour.vlm"});
        if (c.opens != Opens::Yes) {
            ExpectCleanFailure(info);
        }
        if (c.opens == Opens::No) {
            // A file that never proved to be a project is left exactly as it was.
            EXPECT_EQ(ReadFile(ProjectPath()), damaged);
        }
        if (c.opens == Opens::Yes) {
            ExpectNoCrash(info);
        }
        ExpectNoCrash(Cli({"area", "list", "tour.vlm"}));
        ExpectNoCrash(Cli({"map-text", "tour.vlm"}));

        // Exporting over the earlier export replaces each file whole or not at all.
        const CliRun over = Cli({"export", "tour.vlm", "site/page.html"});
        ExpectNoCrash(over);
        if (over.status != 0) {
            EXPECT_FALSE(over.err.empty());
        }
        const std::string pageNow = ReadFile(folder / "site/page.html");
        const std::string scriptNow = ReadFile(folder / "site/VLM/page.js");
        EXPECT_TRUE(pageNow == page || CompletePage(pageNow));
        EXPECT_TRUE(scriptNow == script || CompleteDataScript(scriptNow));

        // Into a fresh folder only the page's own files appear.
        const CliRun fresh = Cli({"export", "tour.vlm", "out/page.html"});
        ExpectNoCrash(fresh);
        for (const auto& [name, content] : FilesUnder(folder / "out")) {
            EXPECT_TRUE(name == "page.html" || name == "pic.png" || name.rfind("VLM/", 0) == 0)
                << name;
            EXPECT_NE(content, pristine) << name << " is a copy of the project file";
        }
        EXPECT_FALSE(fs::exists(folder / "out/VLM/hostname"));

        EXPECT_TRUE(FilesUnder(folder / "Images") == images);
        if (c.label != "map of another size than the picture") {
            EXPECT_TRUE(FilesUnder(folder / "Maps") == maps);
        }
    }
}

}  // namespace
}  // namespace velmora::test
