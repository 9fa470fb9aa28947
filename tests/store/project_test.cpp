#include <sys/stat.h>

#include <filesystem>
#include <optional>

#include "store/errors.h"
#include "store/files.h"
#include "store/image_file.h"
#include "store/project_problem.h"
#include "store_fixture.h"

namespace velmora::test {
namespace {

namespace fs = std::filesystem;

using ProjectTest = StoreTest;

Bitmap Gradient(int width, int height) {
    Bitmap b(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = b.Pixel(x, y);
            p[0] = static_cast<std::uint8_t>(x * 7);
            p[1] = static_cast<std::uint8_t>(y * 5);
            p[2] = static_cast<std::uint8_t>(x + y);
        }
    }
    return b;
}

TEST_F(ProjectTest, NewFileHoldsTheSchemaAndDefaultRows) {
    ASSERT_TRUE(data.CreateProject(ProjectPath()));
    EXPECT_TRUE(data.project.ProjectOpen);
    EXPECT_EQ(data.project.ProjectPath, ProjectPath());
    EXPECT_EQ(data.project.ProjectFolder, folder.Path());
    EXPECT_EQ(data.canvas.BackgroundVolume, 100);
    data.CloseProject();

    const auto tables =
        Rows(ProjectPath(), "select name from sqlite_master where type='table' order by name;");
    const std::vector<std::vector<std::string>> expected = {
        {"edit"}, {"meta_info"}, {"pictures"}, {"properties"}, {"sqlite_sequence"}};
    EXPECT_EQ(tables, expected);
    EXPECT_EQ(
        Rows(ProjectPath(), "select * from pictures;"),
        (std::vector<std::vector<std::string>>{{"0", "NULL", "NULL", "NULL", "100", "0", "0"}}));
    EXPECT_EQ(Rows(ProjectPath(), "select * from meta_info;"),
              (std::vector<std::vector<std::string>>{{"0", "4.0"}}));
    EXPECT_TRUE(Rows(ProjectPath(), "select * from properties;").empty());
    EXPECT_TRUE(Rows(ProjectPath(), "select * from edit;").empty());
    EXPECT_TRUE(Rows(ProjectPath(),
                     "select * from sqlite_master where type in "
                     "('index','view','trigger') and name not like 'sqlite_%';")
                    .empty());
    for (const char* sub : kWorkFolders) {
        EXPECT_TRUE(FolderExists(folder / sub)) << sub;
    }
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(ProjectTest, ClosingCompactsTheFile) {
    CreateWithAreas({"A", "B", "C"});
    for (int i = 0; i < 50; ++i) {
        data.AddArea("Z" + std::to_string(i), true);
    }
    data.DeleteAllAreas();
    data.CloseProject();
    EXPECT_EQ(Rows(ProjectPath(), "pragma freelist_count;")[0][0], "0");
}

struct VersionCase {
    const char* name;
    const char* setup;  // run on a fresh project; nullptr: the file is written by hand
    const char* bytes;
    bool accepted;
    const char* message;
};

TEST_F(ProjectTest, VersionRule) {
    const VersionCase cases[] = {
        {"current", "", nullptr, true, nullptr},
        {"empty meta_info", "delete from meta_info;", nullptr, true, nullptr},
        {"4.00", "update meta_info set version='4.00';", nullptr, false,
         "Эта версия не поддерживается!"},
        {"3.0", "update meta_info set version='3.0';", nullptr, false,
         "Эта версия не поддерживается!"},
        {"trailing blank", "update meta_info set version='4.0 ';", nullptr, false,
         "Эта версия не поддерживается!"},
        {"NULL version", "update meta_info set version=NULL;", nullptr, false,
         "Эта версия не поддерживается!"},
        {"no meta_info", "drop table meta_info;", nullptr, false, "Ошибка открытия базы данных"},
        {"text file", nullptr, "this is not a database\n", false, "Ошибка открытия базы данных"},
        {"empty file", nullptr, "", false, "Ошибка открытия базы данных"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = folder / (std::string("v-") + std::to_string(&c - cases) + ".vlm");
        if (c.setup) {
            DbConnection db;
            COMMON_DATA maker(prompter);
            maker.project.ProjectDb = &db;
            ASSERT_TRUE(maker.CreateProject(path));
            db.Execute(c.setup);
            maker.CloseProject();
        } else {
            WriteFile(path, c.bytes);
        }
        const std::string before = c.setup ? "" : ReadFile(path);
        prompter.messages.clear();
        data.records.AttributesModified = true;
        EXPECT_EQ(data.OpenProject(path), c.accepted);
        EXPECT_EQ(data.project.ProjectOpen, c.accepted);
        if (c.message) {
            EXPECT_EQ(prompter.messages, std::vector<std::string>{c.message});
            EXPECT_TRUE(data.project.ProjectPath.empty());
            EXPECT_FALSE(projectDb.Connected());
        } else {
            EXPECT_TRUE(prompter.messages.empty());
            EXPECT_EQ(data.project.ProjectPath, path);
            data.CloseProject();
        }
        if (!c.setup) {
            EXPECT_EQ(ReadFile(path), before) << "a file that is no project stays untouched";
        }
    }
}

TEST_F(ProjectTest, OpeningAMissingFileFailsAndCreatesNothing) {
    EXPECT_FALSE(data.OpenProject(folder / "missing.vlm"));
    EXPECT_EQ(prompter.messages, std::vector<std::string>{"Ошибка открытия базы данных"});
    EXPECT_FALSE(FileExists(folder / "missing.vlm"));
}

TEST_F(ProjectTest, CreatingInAMissingFolderFails) {
    data.records.AttributesModified = true;
    EXPECT_FALSE(data.CreateProject(folder / "no/such/folder/tour.vlm"));
    EXPECT_EQ(prompter.messages, std::vector<std::string>{"Ошибка создания базы данных"});
    EXPECT_FALSE(data.records.AttributesModified);
    EXPECT_FALSE(projectDb.Connected());
}

TEST_F(ProjectTest, WorkFolderBlockedByAFileStillOpensTheProject) {
    WriteFile(folder / "Images", "a file where a folder should be");
    EXPECT_FALSE(data.CreateWorkFolders(folder.Path()));
    EXPECT_FALSE(FolderExists(folder / "Pictures")) << "stops at the first failure";
    EXPECT_TRUE(data.CreateProject(ProjectPath()));
}

TEST_F(ProjectTest, ImportPictureCopiesDecodesAndStartsAnEmptyMap) {
    CreateWithAreas({"Door", "Window"});
    const Bitmap picture = Gradient(40, 30);
    ASSERT_TRUE(SaveImageFile(picture, folder / "hall.PNG"));
    data.areas.CurrentArea = 2;

    ASSERT_TRUE(data.ImportPicture(folder / "hall.PNG"));
    EXPECT_TRUE(data.canvas.PictureLoaded);
    EXPECT_EQ(data.canvas.PictureFileName, "hall.PNG");
    EXPECT_EQ(data.canvas.MapFileName, "hall.png");
    EXPECT_EQ(data.canvas.Width, 40);
    EXPECT_EQ(data.canvas.Height, 30);
    EXPECT_EQ(data.areas.CurrentArea, 1);
    EXPECT_EQ(data.canvas.Picture, picture);
    EXPECT_EQ(data.canvas.Map, Bitmap(40, 30));
    EXPECT_EQ(data.areas.AreaCount, 2);
    EXPECT_EQ(ReadFile(folder / "Images/hall.PNG"), ReadFile(folder / "hall.PNG"));
    Bitmap storedMap;
    ASSERT_TRUE(LoadImageFile(storedMap, folder / "Maps/hall.png"));
    EXPECT_EQ(storedMap, Bitmap(40, 30));
    data.CloseProject();
    EXPECT_EQ(Rows(ProjectPath(), "select picture,map,width,height from pictures;"),
              (std::vector<std::vector<std::string>>{{"hall.PNG", "hall.png", "40", "30"}}));
}

TEST_F(ProjectTest, ImportPictureOverAStoredFileFollowsTheAnswer) {
    ASSERT_TRUE(data.CreateProject(ProjectPath()));
    ASSERT_TRUE(SaveImageFile(Gradient(8, 8), folder / "Images/hall.png"));
    ASSERT_TRUE(SaveImageFile(Gradient(16, 4), folder / "hall.png"));
    const std::string stored = ReadFile(folder / "Images/hall.png");

    prompter.Reply(Answer::Cancel);
    EXPECT_FALSE(data.ImportPicture(folder / "hall.png"));
    EXPECT_EQ(prompter.questions, std::vector<std::string>{"Файл уже существует. Перезаписать?\n" +
                                                           folder / "Images/hall.png"});
    EXPECT_EQ(prompter.captions, std::vector<std::string>{"Требуется подтверждение"});

    prompter.Reply(Answer::No);
    ASSERT_TRUE(data.ImportPicture(folder / "hall.png"));
    EXPECT_EQ(data.canvas.Width, 8) << "No keeps and uses the stored file";
    EXPECT_EQ(ReadFile(folder / "Images/hall.png"), stored);

    prompter.Reply(Answer::Yes);
    ASSERT_TRUE(data.ImportPicture(folder / "hall.png"));
    EXPECT_EQ(data.canvas.Width, 16) << "Yes replaces it";
    EXPECT_EQ(ReadFile(folder / "Images/hall.png"), ReadFile(folder / "hall.png"));

    // The stored copy chosen itself and answered Yes: it is used, not deleted.
    prompter.Reply(Answer::Yes);
    ASSERT_TRUE(data.ImportPicture(folder / "Images/hall.png"));
    EXPECT_TRUE(FileExists(folder / "Images/hall.png"));
    EXPECT_EQ(data.canvas.Width, 16);
}

TEST_F(ProjectTest, ImportPictureFailures) {
    EXPECT_FALSE(data.ImportPicture(folder / "x.png"));
    EXPECT_EQ(prompter.messages, std::vector<std::string>{"Сначала создайте или откройте проект!"});

    ASSERT_TRUE(data.CreateProject(ProjectPath()));
    WriteFile(folder / "scan.tif", "II*\0 not really");
    EXPECT_FALSE(data.ImportPicture(folder / "scan.tif"));
    EXPECT_FALSE(EntryExists(folder / "Images/scan.tif")) << "checked before it is copied";
    EXPECT_FALSE(data.canvas.PictureLoaded);

    WriteFile(folder / "broken.png", "\x89PNG\r\n\x1a\n broken");
    EXPECT_THROW(data.ImportPicture(folder / "broken.png"), ImageError);
    EXPECT_FALSE(data.canvas.PictureLoaded);
    EXPECT_FALSE(EntryExists(folder / "Images/broken.png"));

    EXPECT_THROW(data.ImportPicture(folder / "missing.png"), FileError);
    data.CloseProject();
    EXPECT_EQ(Rows(ProjectPath(), "select picture from pictures;")[0][0], "NULL");
}

// Every failed import leaves the painted project as it was: in memory, in the file, on disk.
TEST_F(ProjectTest, AFailedImportKeepsThePaintedPictureMapAndFiles) {
    CreateWithAreas({"Door"});
    ASSERT_TRUE(SaveImageFile(Gradient(12, 9), folder / "hall.png"));
    ASSERT_TRUE(data.ImportPicture(folder / "hall.png"));
    data.canvas.Map.Pixel(2, 3)[0] = 1;
    data.SaveProject();
    const Bitmap picture = data.canvas.Picture;
    const Bitmap map = data.canvas.Map;
    const std::string storedMap = ReadFile(folder / "Maps/hall.png");

    fs::create_directories(folder / "other");
    ASSERT_TRUE(SaveImageFile(Gradient(5, 5), folder / "other/hall.png"));
    WriteFile(folder / "broken.png", "\x89PNG\r\n\x1a\n broken");
    WriteFile(folder / "cut.jpg", "\xff\xd8\xff\xe0 cut short");
    WriteFile(folder / "scan.tif", "II*\0 not really");
    struct Case {
        const char* file;
        bool throws;
        std::optional<Answer> answer;  // to "Перезаписать?"
    };
    for (const Case& c :
         {Case{"broken.png", true, {}}, Case{"cut.jpg", true, {}}, Case{"scan.tif", false, {}},
          Case{"missing.png", true, {}}, Case{"other/hall.png", false, Answer::Cancel}}) {
        SCOPED_TRACE(c.file);
        if (c.answer) {
            prompter.Reply(*c.answer);
        }
        if (c.throws) {
            EXPECT_ANY_THROW(data.ImportPicture(folder / c.file));
        } else {
            EXPECT_FALSE(data.ImportPicture(folder / c.file));
        }
        EXPECT_TRUE(data.canvas.PictureLoaded);
        EXPECT_EQ(data.canvas.PictureFileName, "hall.png");
        EXPECT_EQ(data.canvas.MapFileName, "hall.png");
        EXPECT_EQ(data.canvas.Width, 12);
        EXPECT_EQ(data.canvas.Height, 9);
        EXPECT_EQ(data.canvas.Picture, picture);
        EXPECT_EQ(data.canvas.Map, map);
        EXPECT_FALSE(data.canvas.MapModified);
        EXPECT_EQ(ReadFile(folder / "Maps/hall.png"), storedMap);
        std::vector<std::string> images;
        for (const auto& entry : fs::directory_iterator(folder / "Images")) {
            images.push_back(entry.path().filename().string());
        }
        EXPECT_EQ(images, std::vector<std::string>{"hall.png"});
    }
    data.CloseProject();
    EXPECT_EQ(Rows(ProjectPath(), "select picture,map,width,height from pictures;"),
              (std::vector<std::vector<std::string>>{{"hall.png", "hall.png", "12", "9"}}));
}

TEST_F(ProjectTest, LoadPictureReadsTheRowAndBothImages) {
    ASSERT_TRUE(data.CreateProject(ProjectPath()));
    EXPECT_FALSE(data.LoadPicture()) << "a new project has no picture";
    EXPECT_EQ(data.canvas.BackgroundVolume, 100);
    EXPECT_EQ(data.canvas.Width, 0);

    ASSERT_TRUE(SaveImageFile(Gradient(20, 10), folder / "hall.bmp"));
    ASSERT_TRUE(data.ImportPicture(folder / "hall.bmp"));
    data.canvas.Map.Pixel(3, 4)[0] = data.canvas.Map.Pixel(3, 4)[1] =
        data.canvas.Map.Pixel(3, 4)[2] = 7;
    data.SaveMap();
    data.CloseProject();

    ASSERT_TRUE(data.OpenProject(ProjectPath()));
    ASSERT_TRUE(data.LoadPicture());
    EXPECT_EQ(data.canvas.Map.Pixel(3, 4)[2], 7);
    EXPECT_EQ(data.canvas.Picture, Gradient(20, 10));
    EXPECT_EQ(data.canvas.MapFileName, "hall.png");
}

TEST_F(ProjectTest, LoadPictureTakesTheDecodedSizeAndFitsTheMap) {
    ASSERT_TRUE(data.CreateProject(ProjectPath()));
    ASSERT_TRUE(SaveImageFile(Gradient(20, 10), folder / "hall.png"));
    ASSERT_TRUE(data.ImportPicture(folder / "hall.png"));
    Bitmap wrongMap(30, 5);
    wrongMap.Pixel(1, 1)[0] = wrongMap.Pixel(1, 1)[1] = wrongMap.Pixel(1, 1)[2] = 9;
    ASSERT_TRUE(SaveImageFile(wrongMap, folder / "Maps/hall.png"));
    projectDb.Execute("update pictures set width=99999, height=-3;");
    data.CloseProject();

    ASSERT_TRUE(data.OpenProject(ProjectPath()));
    prompter.messages.clear();
    ASSERT_TRUE(data.LoadPicture());
    EXPECT_EQ(data.canvas.Width, 20);
    EXPECT_EQ(data.canvas.Height, 10);
    EXPECT_EQ(data.canvas.Map.Width(), 20);
    EXPECT_EQ(data.canvas.Map.Height(), 10);
    EXPECT_EQ(data.canvas.Map.Pixel(1, 1)[0], 9) << "the part inside the picture is kept";
    EXPECT_EQ(prompter.messages.size(), 1u);
}

TEST_F(ProjectTest, StoredNamesNeverLeadOutsideTheWorkingFolders) {
    ASSERT_TRUE(SaveImageFile(Gradient(4, 4), folder / "outside.png"));
    for (const char* name : {"../outside.png", "..", "a/../../outside.png", "\\x.png"}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(data.CreateProject(ProjectPath()));
        {
            SQLite::Statement update(projectDb.Db(),
                                     "update pictures set picture=:P, map='hall.png' where id=0;");
            update.bind(":P", name);
            update.exec();
        }
        prompter.messages.clear();
        EXPECT_FALSE(data.LoadPicture());
        EXPECT_EQ(prompter.messages.size(), 1u);
        data.CloseProject();
        fs::remove(ProjectPath());
    }
}

TEST_F(ProjectTest, SaveMapWritesNothingWithoutAPicture) {
    ASSERT_TRUE(data.CreateProject(ProjectPath()));
    EXPECT_TRUE(data.SaveMap());
    EXPECT_TRUE(fs::is_empty(folder / "Maps"));

    // A picture that is missing on disk must not let a save replace the stored map.
    ASSERT_TRUE(SaveImageFile(Gradient(6, 6), folder / "hall.png"));
    ASSERT_TRUE(data.ImportPicture(folder / "hall.png"));
    const std::string map = ReadFile(folder / "Maps/hall.png");
    data.CloseProject();
    fs::remove(folder / "Images/hall.png");
    ASSERT_TRUE(data.OpenProject(ProjectPath()));
    EXPECT_FALSE(data.LoadPicture());
    EXPECT_TRUE(data.SaveMap());
    EXPECT_EQ(ReadFile(folder / "Maps/hall.png"), map);
}

TEST_F(ProjectTest, BackgroundSoundIsStored) {
    ASSERT_TRUE(data.CreateProject(ProjectPath()));
    data.canvas.BackgroundSound = "waves.ogg";
    data.canvas.BackgroundVolume = 35;
    EXPECT_TRUE(data.SaveBackgroundSound());
    data.CloseProject();
    EXPECT_EQ(Rows(ProjectPath(), "select sound,volume from pictures;"),
              (std::vector<std::vector<std::string>>{{"waves.ogg", "35"}}));
}

TEST_F(ProjectTest, ReadOnlyProjectReportsAFailedWrite) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root ignores file permissions";
    }
    ASSERT_TRUE(data.CreateProject(ProjectPath()));
    data.CloseProject();
    ::chmod(ProjectPath().c_str(), 0444);
    // Refused for writing up front; opened for reading, a write still fails cleanly.
    EXPECT_FALSE(data.OpenProject(ProjectPath()));
    EXPECT_EQ(prompter.messages.back(),
              "Проект доступен только для чтения: файл проекта или его папка защищены от записи.");
    ASSERT_TRUE(data.OpenProject(ProjectPath(), ProjectAccess::Read));
    data.canvas.BackgroundVolume = 10;
    EXPECT_FALSE(data.SaveBackgroundSound());
    EXPECT_EQ(prompter.messages.back(), "Ошибка записи данных в проект!");
}

// A project that cannot be opened is reported with its path and the reason in words.
TEST(ProjectFileProblem, NamesTheReason) {
    TempFolder folder;
    WriteFile(folder / "notes.vlm", "plain text, not a project");
    const struct {
        std::string path;
        std::string reason;
    } cases[] = {
        {folder / "missing.vlm", "Файл не найден."},
        {"", "Файл не найден."},
        {folder.Path(), "Это папка, а не файл проекта."},
        {folder / "notes.vlm", "Файл повреждён или не является проектом."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(ProjectFileProblem(c.path), c.reason);
        EXPECT_EQ(ProjectOpenFailure("Ошибка открытия проекта!", c.path),
                  "Ошибка открытия проекта!\n" + c.path + "\n" + c.reason);
    }
}

}  // namespace
}  // namespace velmora::test
