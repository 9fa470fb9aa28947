// Files that are not what they claim: links leading out of the project, pipes, devices and
// folders in the place of its files, and exports aimed at its own folders. Each is refused with
// a message instead of hanging, and nothing from outside reaches an exported page.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "reliability/reliability_fixture.h"
#include "store/bitmap.h"
#include "store/common_data.h"
#include "store/db_connection.h"
#include "store/errors.h"
#include "store/image_file.h"

namespace velmora::test {
namespace {

namespace fs = std::filesystem;

// A run that hangs is ended by this alarm and then fails as signalled.
constexpr unsigned kHangLimitSeconds = 20;

constexpr const char* kSecret = "outside the project: never to be published";

// Something that stands where the project expects one of its files.
struct Hostile {
    const char* label;
    std::function<void(const std::string& path, const std::string& outside)> make;
    // A folder in the place of the picture or the map is read as no picture at all.
    bool missingAsImage = false;
};

std::vector<Hostile> HostileEntries() {
    return {
        {"link leading outside",
         [](const std::string& path, const std::string& outside) {
             fs::create_symlink(outside + "/secret", path);
         }},
        {"named pipe", [](const std::string& path,
                          const std::string&) { ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0); }},
        {"link to a device", [](const std::string& path,
                                const std::string&) { fs::create_symlink("/dev/zero", path); }},
        {"folder", [](const std::string& path, const std::string&) { fs::create_directory(path); },
         true},
    };
}

class FileSafetyTest : public ReliabilityTest {
protected:
    void SetUp() override {
        MakeProject();
        WriteFile(outside / "secret", kSecret);
        ASSERT_TRUE(SaveImageFile(Bitmap(4, 4), Work("Pictures/fx.png")));
        WriteFile(Work("Sounds/fx.ogg"), "OggS sound");
        const CliRun set = Cli({"set", "tour.vlm", "Зал", "click", "picture_file_name=fx.png",
                                "sound_file_name=fx.ogg"});
        ASSERT_EQ(set.status, 0) << set.err;
        for (const char* name : kProjectFiles) {
            m_pristine.push_back(ReadFile(Work(name)));
        }
    }

    CliRun Run(const std::vector<std::string>& args) const {
        CliLimits limits;
        limits.timeLimit = kHangLimitSeconds;
        return Cli(args, limits);
    }

    // Puts the project's files back as they were after SetUp.
    void Restore() {
        for (std::size_t i = 0; i < std::size(kProjectFiles); ++i) {
            const std::string path = Work(kProjectFiles[i]);
            std::error_code ec;
            fs::remove_all(path, ec);
            WriteFile(path, m_pristine[i]);
        }
        fs::remove_all(Work("out"));
    }

    // No file under the export folder holds the outside file's bytes.
    void ExpectNothingPublishedFromOutside() const {
        for (const auto& [name, bytes] : FilesUnder(Work("out"))) {
            EXPECT_EQ(bytes.find(kSecret), std::string::npos) << name;
        }
    }

    static constexpr const char* kProjectFiles[] = {"Images/pic.png", "Maps/pic.png",
                                                    "Pictures/fx.png", "Sounds/fx.ogg"};
    TempFolder outside;
    std::vector<std::string> m_pristine;
};

TEST_F(FileSafetyTest, ProjectFilesThatAreNotWhatTheyClaimAreRefused) {
    // Each place with the verbs that read what stands there.
    struct Place {
        const char* file;
        std::vector<std::vector<std::string>> verbs;
        bool image = false;
    };
    const std::vector<std::string> exportVerb = {"export", "tour.vlm", "out/page.html"};
    const std::vector<Place> places = {
        {"Pictures/fx.png", {exportVerb}},
        {"Sounds/fx.ogg", {exportVerb}},
        {"Maps/pic.png",
         {exportVerb,
          {"info", "tour.vlm"},
          {"fill", "tour.vlm", "Холл", "--rect", "0,0,4,4"},
          {"map-text", "tour.vlm"}},
         true},
        {"Images/pic.png", {exportVerb, {"fill", "tour.vlm", "Холл", "--rect", "0,0,4,4"}}, true},
    };
    for (const Place& place : places) {
        for (const Hostile& hostile : HostileEntries()) {
            if (place.image && hostile.missingAsImage) {
                continue;
            }
            SCOPED_TRACE(std::string(place.file) + ": " + hostile.label);
            fs::remove(Work(place.file));
            hostile.make(Work(place.file), outside.Path());
            for (const auto& verb : place.verbs) {
                SCOPED_TRACE(verb[0]);
                const CliRun run = Run(verb);
                ExpectCleanFailure(run);
                EXPECT_NE(run.err.find(place.file), std::string::npos) << run.err;
                ExpectNothingPublishedFromOutside();
            }
            Restore();
        }
    }
}

TEST_F(FileSafetyTest, LinksWithinTheProjectAndLinkedWorkingFoldersAreRead) {
    fs::remove(Work("Pictures/fx.png"));
    fs::create_symlink("../Images/pic.png", Work("Pictures/fx.png"));
    // The sounds kept on another disk: the working folder itself is a link.
    fs::create_directory(outside / "sounds");
    fs::rename(Work("Sounds/fx.ogg"), outside / "sounds/fx.ogg");
    fs::remove(Work("Sounds"));
    fs::create_directory_symlink(outside / "sounds", Work("Sounds"));

    const CliRun run = Run({"export", "tour.vlm", "out/page.html"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadFile(Work("out/VLM/fx.png")), ReadFile(Work("Images/pic.png")));
    EXPECT_EQ(ReadFile(Work("out/VLM/fx.ogg")), "OggS sound");
}

// A working folder that is a link leading out of the project: every command that would write,
// rename or delete in it, and the editor's Save, is refused with a message naming where the
// folder leads, and nothing outside changes.
TEST_F(FileSafetyTest, NothingIsWrittenThroughAWorkingFolderThatLeadsOut) {
    ASSERT_TRUE(SaveImageFile(Bitmap(8, 8), Work("other.png")));
    WriteFile(Work("bell.ogg"), "OggS bell");
    WriteFile(Work("shapes.json"),
              R"([{"name": "Круг", "points": [[40, 10], [60, 10], [60, 40]]}])");
    auto saveInEditor = [this] {
        ScriptedPrompter prompter;
        DbConnection db;
        COMMON_DATA data(prompter);
        data.project.ProjectDb = &db;
        if (!data.OpenProject(ProjectPath()) || !data.LoadPicture()) {
            return std::string("not opened");
        }
        data.canvas.Map.Pixel(1, 1)[0] = 2;
        data.canvas.MapModified = true;
        try {
            data.SaveProject();
        } catch (const FileError& error) {
            return std::string(error.what());
        }
        return std::string("saved");
    };
    const struct {
        const char* folder;
        std::vector<std::vector<std::string>> verbs;
        bool editorSave;
    } cases[] = {
        {"Maps",
         {{"fill", "tour.vlm", "Холл", "--rect", "0,0,4,4"},
          {"clear-map", "tour.vlm"},
          {"paint", "tour.vlm", "Холл", "--stroke", "1,1", "9,9"},
          {"wand", "tour.vlm", "Холл", "--at", "2,2", "--overwrite"},
          {"grid", "tour.vlm", "2", "2", "--overwrite"},
          {"area", "delete", "tour.vlm", "Зал"},
          {"import-shapes", "tour.vlm", "shapes.json"},
          {"picture", "tour.vlm", "other.png", "--wipe-areas"}},
         true},
        {"Images", {{"picture", "tour.vlm", "other.png", "--wipe-areas"}}, false},
        {"Pictures", {{"attach", "tour.vlm", "picture", "other.png"}}, false},
        {"Sounds",
         {{"attach", "tour.vlm", "sound", "bell.ogg"}, {"music", "tour.vlm", "bell.ogg"}},
         false},
        {"HTML", {{"test", "tour.vlm", "--no-open"}}, false},
        {"HTML/VLM", {{"test", "tour.vlm", "--no-open"}}, false},
    };
    const std::string areas = Cli({"area", "list", "tour.vlm"}).out;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.folder);
        // The folder's files move out, and a link takes the folder's place.
        const fs::path away =
            outside / (std::string("moved-") + fs::path(c.folder).filename().string());
        fs::create_directories(Work(c.folder));
        fs::rename(Work(c.folder), away);
        fs::create_directory_symlink(away, Work(c.folder));
        const auto before = FilesUnder(outside.Path());
        for (const auto& verb : c.verbs) {
            SCOPED_TRACE(verb[0]);
            const CliRun run = Run(verb);
            ExpectCleanFailure(run);
            EXPECT_NE(run.err.find("за пределы папки проекта"), std::string::npos) << run.err;
            EXPECT_NE(run.err.find(away.string()), std::string::npos) << run.err;
            EXPECT_EQ(FilesUnder(outside.Path()), before);
            EXPECT_EQ(Cli({"area", "list", "tour.vlm"}).out, areas);
        }
        if (c.editorSave) {
            EXPECT_NE(saveInEditor().find("за пределы папки проекта"), std::string::npos);
            EXPECT_EQ(FilesUnder(outside.Path()), before);
        }
        // Reading through the link still works.
        EXPECT_EQ(Run({"export", "tour.vlm", "out/page.html"}).status, 0);
        fs::remove(Work(c.folder));
        fs::rename(away, Work(c.folder));
        fs::remove_all(Work("out"));
    }
    EXPECT_EQ(Run({"fill", "tour.vlm", "Холл", "--rect", "0,0,4,4"}).status, 0);
}

// The chosen export folder's VLM folder leading elsewhere is refused the same way.
TEST_F(FileSafetyTest, ExportRefusesAScriptFolderThatLeadsOut) {
    fs::create_directories(Work("out"));
    fs::create_directory_symlink(outside.Path(), Work("out/VLM"));
    const auto before = FilesUnder(outside.Path());
    const CliRun run = Run({"export", "tour.vlm", "out/page.html"});
    ExpectCleanFailure(run);
    EXPECT_NE(run.err.find("за пределы папки экспорта"), std::string::npos) << run.err;
    EXPECT_EQ(FilesUnder(outside.Path()), before);
    EXPECT_FALSE(fs::exists(Work("out/page.html")));
}

// A page folder whose picture or script asset is a link leading out of it: the merge refuses
// instead of copying the outside file beside the merged page.
TEST_F(FileSafetyTest, MergeRefusesLinksLeadingOutOfAPageFolder) {
    for (const char* linked : {"pic.png", "VLM/fx.png"}) {
        SCOPED_TRACE(linked);
        ASSERT_EQ(Cli({"export", "tour.vlm", "other/page.html"}).status, 0);
        fs::remove(Work("other/" + std::string(linked)));
        fs::create_symlink(outside / "secret", Work("other/" + std::string(linked)));
        const CliRun run = Run({"merge", "out/m.html", "other/page.html", "site/page.html"});
        ExpectCleanFailure(run);
        EXPECT_NE(run.err.find(linked), std::string::npos) << run.err;
        ExpectNothingPublishedFromOutside();
        EXPECT_FALSE(fs::exists(Work("out/m.html")));
        fs::remove_all(Work("other"));
        fs::remove_all(Work("out"));
    }
}

TEST_F(FileSafetyTest, MergeRefusesWhatIsNoPage) {
    ASSERT_EQ(Cli({"export", "tour.vlm", "two/other.html"}).status, 0);
    // A pipe as the page, and a pipe as the page's data script.
    ASSERT_EQ(::mkfifo(Work("pipe.html").c_str(), 0644), 0);
    fs::create_directories(Work("piped/VLM"));
    fs::copy_file(Work("site/page.html"), Work("piped/page.html"));
    ASSERT_EQ(::mkfifo(Work("piped/VLM/page.js").c_str(), 0644), 0);
    fs::create_directories(Work("dir.html"));

    for (const char* bad : {"pipe.html", "piped/page.html", "dir.html"}) {
        SCOPED_TRACE(bad);
        const CliRun run = Run({"merge", "merged.html", "site/page.html", bad});
        ExpectCleanFailure(run);
        EXPECT_FALSE(fs::exists(Work("merged.html")));
    }
    EXPECT_EQ(Run({"merge", "merged.html", "site/page.html", "two/other.html"}).status, 0);
}

TEST_F(FileSafetyTest, AttachRefusesWhatIsNoFile) {
    ASSERT_EQ(::mkfifo(Work("pipe.ogg").c_str(), 0644), 0);
    fs::create_symlink("/dev/zero", Work("zero.ogg"));
    for (const char* bad : {"pipe.ogg", "zero.ogg"}) {
        SCOPED_TRACE(bad);
        const CliRun run = Run({"attach", "tour.vlm", "sound", bad});
        ExpectCleanFailure(run);
        EXPECT_NE(run.err.find("Это не обычный файл"), std::string::npos) << run.err;
        EXPECT_FALSE(fs::exists(Work("Sounds") + "/" + bad));
    }
}

TEST_F(FileSafetyTest, ExportNeverReplacesTheProjectsOwnFiles) {
    // An effect picture of the same name as the project's picture.
    ASSERT_TRUE(SaveImageFile(Bitmap(2, 2), Work("Pictures/pic.png")));
    ASSERT_EQ(Cli({"set", "tour.vlm", "Холл", "over", "picture_file_name=pic.png"}).status, 0);
    const auto before = FilesUnder(work);

    // The page beside the map would take the map's name for the picture's copy; beside the
    // effect pictures, the effect picture's; a page named as an effect picture replaces it.
    WriteFile(Work("Pictures/note.html"), "an effect page of the project");
    for (const char* page : {"Maps/page.html", "Pictures/page.html", "Pictures/note.html"}) {
        SCOPED_TRACE(page);
        const CliRun run = Run({"export", "tour.vlm", page});
        ExpectCleanFailure(run);
        EXPECT_NE(run.err.find("Экспорт заменил бы файл, которым пользуется проект"),
                  std::string::npos)
            << run.err;
        for (const char* kept : {"Maps/pic.png", "Pictures/pic.png", "Images/pic.png"}) {
            EXPECT_EQ(ReadFile(Work(kept)), before.at(kept)) << kept;
        }
        EXPECT_EQ(ReadFile(Work("Pictures/note.html")), "an effect page of the project");
    }
    // Into the picture's own folder the picture is not copied over itself.
    const CliRun images = Run({"export", "tour.vlm", "Images/page.html"});
    EXPECT_EQ(images.status, 0) << images.err;
    EXPECT_EQ(ReadFile(Work("Images/pic.png")), before.at("Images/pic.png"));
}

}  // namespace
}  // namespace velmora::test
