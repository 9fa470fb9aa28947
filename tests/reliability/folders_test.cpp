// Folders that refuse writes: a read-only project folder, working folders that are files, and
// a full disk during the map save and during an export. Each refusal is a message and exit
// status 1, and the files written before stay as they were.
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>
#include <string>

#include "reliability/reliability_fixture.h"
#include "reliability/scratch_disk.h"
#include "store/bitmap.h"
#include "store/image_file.h"

namespace velmora::test {
namespace {

namespace fs = std::filesystem;

// What must survive a refused write: the map, the picture and the export's page and script.
class Survivors {
public:
    explicit Survivors(const std::string& work) : m_work(work) {
        for (const char* name : kNames) {
            m_bytes.push_back(ReadFile(m_work + "/" + name));
        }
    }
    void ExpectIntact() const {
        for (std::size_t i = 0; i < std::size(kNames); ++i) {
            EXPECT_EQ(ReadFile(m_work + "/" + kNames[i]), m_bytes[i]) << kNames[i];
        }
        Bitmap map;
        EXPECT_NO_THROW(LoadImageFile(map, m_work + "/Maps/pic.png"));
    }

private:
    static constexpr const char* kNames[] = {"Maps/pic.png", "Images/pic.png", "site/page.html",
                                             "site/VLM/page.js", "site/pic.png"};
    std::string m_work;
    std::vector<std::string> m_bytes;
};

// Names of files left under root whose names mark them as temporary (".name.XXXXXX").
std::vector<std::string> LeftTemporaries(const std::string& root) {
    std::vector<std::string> left;
    for (const auto& [name, bytes] : FilesUnder(root)) {
        if (fs::path(name).filename().string().rfind('.', 0) == 0) {
            left.push_back(name);
        }
    }
    return left;
}

class FolderTest : public ReliabilityTest {
protected:
    CliRun Run(const std::vector<std::string>& args, const CliLimits& limits = {}) {
        return Cli(args, limits);
    }

    // Every way of writing the map or an export that the CLI has.
    void ExpectEveryWriteRefused(const CliLimits& limits = {}) {
        const std::vector<std::vector<std::string>> writes = {
            {"fill", "tour.vlm", "Холл", "--rect", "0,0,30,30", "--overwrite"},
            {"clear-map", "tour.vlm"},
            {"export", "tour.vlm", "site/page.html"},
            {"test", "tour.vlm", "--no-open"},
        };
        for (const auto& args : writes) {
            SCOPED_TRACE(args[0]);
            ExpectCleanFailure(Run(args, limits));
        }
    }
};

// Takes the write permission from everything under root, or gives it back.
void SetWritable(const std::string& root, bool writable) {
    const auto bits = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    const auto how = writable ? fs::perm_options::add : fs::perm_options::remove;
    fs::permissions(root, bits, how);
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        fs::permissions(entry.path(), bits, how);
    }
}

TEST_F(FolderTest, ReadOnlyProjectFolder) {
    // A read-only mount where mounting is allowed; else permissions, which bind all but root.
    ScratchDisk disk(folder / "disk", 8 << 20);
    if (!disk.Mounted() && ::geteuid() == 0) {
        GTEST_SKIP() << disk.Reason() << ", and root ignores file permissions";
    }
    work = folder / "disk";
    MakeProject();
    const Survivors survivors(work);
    if (disk.Mounted()) {
        ASSERT_TRUE(disk.MakeReadOnly());
    } else {
        SetWritable(work, false);
    }
    ExpectEveryWriteRefused();
    ExpectCleanFailure(Run({"area", "add", "tour.vlm", "Кухня"}));
    survivors.ExpectIntact();
    if (!disk.Mounted()) {
        SetWritable(work, true);
    }
}

// Save as into a folder that refuses the copy, read-only or full half-way: a clear failure, and
// no project there.
TEST_F(FolderTest, SaveAsIntoAFolderThatRefuses) {
    MakeProject(400, 300);
    for (const bool full : {false, true}) {
        SCOPED_TRACE(full ? "full disk" : "read-only folder");
        const std::string target = folder / (full ? "full" : "locked");
        ScratchDisk disk(target, 1 << 20);
        if (!disk.Mounted() && (full || ::geteuid() == 0)) {
            std::cout << "[ skip ] " << disk.Reason() << '\n';
            continue;
        }
        if (full) {
            disk.Fill();
        } else if (disk.Mounted()) {
            ASSERT_TRUE(disk.MakeReadOnly());
        } else {
            fs::permissions(target, fs::perms::owner_write, fs::perm_options::remove);
        }
        const CliRun run = Run({"save-as", "tour.vlm", target + "/copy.vlm"});
        ExpectCleanFailure(run);
        EXPECT_FALSE(fs::exists(target + "/copy.vlm"));
        if (!full) {
            EXPECT_NE(run.err.find("Папка недоступна для записи: " + target), std::string::npos)
                << run.err;
        }
        if (!disk.Mounted()) {
            fs::permissions(target, fs::perms::owner_write, fs::perm_options::add);
        }
    }
}

TEST_F(FolderTest, WorkingFolderThatIsAFile) {
    MakeProject();
    const Survivors survivors(work);
    struct Case {
        const char* folder;
        std::vector<std::string> args;
    };
    const Case cases[] = {
        {"Maps", {"fill", "tour.vlm", "Холл", "--rect", "0,0,30,30"}},
        {"Images", {"export", "tour.vlm", "site/page.html"}},
        {"HTML", {"test", "tour.vlm", "--no-open"}},
        {"site/VLM", {"export", "tour.vlm", "site/page.html"}},
        {"Sounds", {"music", "tour.vlm", "pic.png"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder);
        const std::string path = Work(c.folder);
        fs::rename(path, path + ".aside");
        WriteFile(path, "a file where a folder belongs");
        ExpectCleanFailure(Run(c.args));
        fs::remove(path);
        fs::rename(path + ".aside", path);
        survivors.ExpectIntact();
    }
}

// A disk with no room left: a small tmpfs filled up, or where mounting is not allowed, a file
// size limit that makes every write past a few bytes fail.
class FullDiskTest : public FolderTest {
protected:
    void SetUp() override {
        disk = std::make_unique<ScratchDisk>(folder / "disk", 4 << 20);
        if (disk->Mounted()) {
            work = folder / "disk";
        } else {
            std::cerr << "[ note ] " << disk->Reason() << "; a file size limit stands in\n";
            limits.fileSizeLimit = 64;
        }
        MakeProject(300, 200);
        survivors = std::make_unique<Survivors>(work);
        if (disk->Mounted()) {
            disk->Fill();
        }
    }

    std::unique_ptr<ScratchDisk> disk;
    std::unique_ptr<Survivors> survivors;
    CliLimits limits;
};

TEST_F(FullDiskTest, MapSave) {
    ExpectCleanFailure(
        Run({"fill", "tour.vlm", "Холл", "--rect", "0,0,300,200", "--overwrite"}, limits));
    ExpectCleanFailure(Run({"clear-map", "tour.vlm"}, limits));
    ExpectCleanFailure(Run({"paint", "tour.vlm", "Зал", "--stroke", "5,5", "200,150"}, limits));
    survivors->ExpectIntact();
    EXPECT_TRUE(LeftTemporaries(Work("Maps")).empty());
}

// The rows of new areas are printed only once they are in the project.
TEST_F(FullDiskTest, AreaAddPrintsNothingItDidNotAdd) {
    std::vector<std::string> args = {"area", "add", "tour.vlm"};
    for (int i = 0; i < 200; ++i) {
        args.push_back("Комната " + std::to_string(i) + std::string(100, 'x'));
    }
    const CliRun run = Run(args, limits);
    ExpectCleanFailure(run);
    EXPECT_TRUE(run.out.empty()) << run.out.substr(0, 200);
    survivors->ExpectIntact();
}

TEST_F(FullDiskTest, Export) {
    ExpectCleanFailure(Run({"export", "tour.vlm", "site/page.html"}, limits));
    ExpectCleanFailure(Run({"test", "tour.vlm", "--no-open"}, limits));
    survivors->ExpectIntact();
    EXPECT_TRUE(LeftTemporaries(Work("site")).empty());
    EXPECT_TRUE(LeftTemporaries(Work("HTML")).empty());
}

}  // namespace
}  // namespace velmora::test
