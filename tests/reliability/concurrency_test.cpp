// Two programs on one project: many CLI calls at once, a project an editor holds, a file that
// another program is writing, a lock left by a crashed program and a read-only project. Every
// call that reports success has its effect on disk; every refusal says why.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <SQLiteCpp/Database.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "reliability/project_state.h"
#include "reliability/reliability_fixture.h"
#include "reliability/scratch_disk.h"
#include "store/bitmap.h"
#include "store/image_file.h"
#include "store/project_lock.h"

namespace velmora::test {
namespace {

namespace fs = std::filesystem;

std::string HostName() {
    char buffer[256] = {};
    ::gethostname(buffer, sizeof buffer - 1);
    return buffer;
}

// A second program, forked, that does `hold` and then waits until it is killed.
class OtherProgram {
public:
    explicit OtherProgram(const std::function<void()>& hold) {
        int ready[2];
        if (::pipe(ready) != 0) {
            throw std::runtime_error("pipe failed");
        }
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(ready[0]);
            hold();
            const char byte = 1;
            static_cast<void>(::write(ready[1], &byte, 1));
            while (true) {
                ::pause();
            }
        }
        ::close(ready[1]);
        char byte = 0;
        static_cast<void>(::read(ready[0], &byte, 1));
        ::close(ready[0]);
    }
    ~OtherProgram() { Kill(); }
    OtherProgram(const OtherProgram&) = delete;
    OtherProgram& operator=(const OtherProgram&) = delete;

    pid_t Pid() const { return m_pid; }
    void Kill() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
            m_pid = -1;
        }
    }

private:
    pid_t m_pid = -1;
};

// An editor holding the project, as far as the lock is concerned.
void HoldAsEditor(const std::string& project) {
    static ProjectLock lock;
    if (lock.Take(project, LockHolder::Editor, 0) != ProjectLock::Result::Taken) {
        ::_exit(3);
    }
}

class ConcurrencyTest : public ReliabilityTest {};

TEST_F(ConcurrencyTest, ParallelCallsKeepEveryReportedSuccess) {
    MakeProject(64, 48);
    std::vector<std::string> setAreas = {"area", "add", "tour.vlm"};
    for (int i = 0; i < 15; ++i) {
        setAreas.push_back("S" + std::to_string(i));
    }
    ASSERT_EQ(Cli(setAreas).status, 0);

    // 20 fills of their own column, 15 new areas, 15 records of their own area.
    std::vector<std::vector<std::string>> calls;
    for (int i = 0; i < 20; ++i) {
        calls.push_back({"fill", "tour.vlm", "Холл", "--overwrite", "--rect",
                         std::to_string(2 * i) + ",10,1,20"});
    }
    for (int i = 0; i < 15; ++i) {
        calls.push_back({"area", "add", "tour.vlm", "P" + std::to_string(i)});
        calls.push_back({"set", "tour.vlm", "S" + std::to_string(i), "click",
                         "message_text=текст " + std::to_string(i)});
    }
    std::vector<CliRun> runs(calls.size());
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < calls.size(); ++i) {
        threads.emplace_back([&, i] { runs[i] = Cli(calls[i]); });
    }
    for (auto& thread : threads) {
        thread.join();
    }

    const auto areas = ReadAreaRows(ProjectPath());
    Bitmap map;
    ASSERT_TRUE(LoadImageFile(map, MapPath()));
    int succeeded = 0;
    for (std::size_t i = 0; i < calls.size(); ++i) {
        const std::vector<std::string>& call = calls[i];
        SCOPED_TRACE(call[0] + " " + call.back());
        ExpectNoCrash(runs[i]);
        if (runs[i].status != 0) {
            EXPECT_FALSE(runs[i].err.empty()) << "a failure that does not say why";
            continue;
        }
        ++succeeded;
        if (call[0] == "fill") {
            const int x = std::stoi(call.back());
            EXPECT_EQ(map.Pixel(x, 20)[0], 2) << "a reported fill is missing from the map";
        } else if (call[0] == "area") {
            ASSERT_TRUE(areas.count(call.back()));
            EXPECT_TRUE(Whole(areas.at(call.back())));
        } else {
            const CliRun get = Cli({"get", "tour.vlm", call[2], "click"});
            EXPECT_NE(get.out.find(call.back().substr(13)), std::string::npos) << get.out;
        }
    }
    for (const auto& [name, rows] : areas) {
        EXPECT_TRUE(Whole(rows)) << name;
    }
    std::cout << "[ note ] " << succeeded << " of " << calls.size()
              << " parallel calls succeeded\n";
}

TEST_F(ConcurrencyTest, ProjectHeldByAnEditorRefusesWritersAndServesReaders) {
    MakeProject();
    ASSERT_EQ(Cli({"set", "tour.vlm", "Зал", "click", "message_text=Привет"}).status, 0);
    auto editor = std::make_unique<OtherProgram>([&] { HoldAsEditor(ProjectPath()); });
    const std::string who =
        "процесс " + std::to_string(editor->Pid()) + " на компьютере " + HostName();

    const std::vector<std::vector<std::string>> writers = {
        {"area", "add", "tour.vlm", "Кухня"},
        {"area", "rename", "tour.vlm", "Зал", "Гостиная"},
        {"area", "delete", "tour.vlm", "Зал"},
        {"set", "tour.vlm", "Зал", "click", "message_text=Пока"},
        {"copy-event", "tour.vlm", "Зал", "click", "over"},
        {"fill", "tour.vlm", "Зал", "--rect", "0,0,5,5"},
        {"grid", "tour.vlm", "2", "2"},
        {"picture", "tour.vlm", "pic.png", "--keep"},
        {"music", "tour.vlm", "--volume", "50"},
        {"new", "tour.vlm", "--force"},
    };
    for (const auto& args : writers) {
        SCOPED_TRACE(args[0] + " " + args[1]);
        const CliRun run = Cli(args);
        ExpectCleanFailure(run);
        EXPECT_NE(run.err.find("открыт в другой программе"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find(who), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find("Ошибка открытия базы данных"), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find("Область не найдена"), std::string::npos) << run.err;
    }
    const std::vector<std::vector<std::string>> readers = {
        {"info", "tour.vlm"},
        {"get", "tour.vlm", "Зал", "click"},
        {"area", "list", "tour.vlm"},
        {"map-text", "tour.vlm"},
        {"view", "tour.vlm", "view.png"},
        {"export", "tour.vlm", "site2/page.html"},
    };
    for (const auto& args : readers) {
        SCOPED_TRACE(args[0]);
        const CliRun run = Cli(args);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_TRUE(run.err.empty()) << run.err;
    }
    EXPECT_NE(Cli({"get", "tour.vlm", "Зал", "click"}).out.find("Привет"), std::string::npos);

    // The editor crashes: its lock file stays behind, and the next writer takes it over.
    editor->Kill();
    ASSERT_TRUE(fs::exists(ProjectLock::LockPath(ProjectPath())));
    const CliRun add = Cli({"area", "add", "tour.vlm", "Кухня"});
    EXPECT_EQ(add.status, 0) << add.err;
    EXPECT_TRUE(Whole(ReadAreaRows(ProjectPath()).at("Кухня")));
    EXPECT_FALSE(fs::exists(ProjectLock::LockPath(ProjectPath())))
        << "a lock file outlives the command that held it";
}

// Every name of one project meets the one lock: a hard link beside it or in another folder and
// a symbolic link from elsewhere are refused while an editor holds the project, and the
// refusal names the holder.
TEST_F(ConcurrencyTest, EveryNameOfAProjectMeetsTheSameLock) {
    MakeProject();
    fs::create_directories(Work("elsewhere"));
    const std::vector<std::pair<std::string, std::function<void(const std::string&)>>> names = {
        {"twin.vlm", [&](const std::string& n) { fs::create_hard_link(ProjectPath(), n); }},
        {"elsewhere/twin.vlm",
         [&](const std::string& n) { fs::create_hard_link(ProjectPath(), n); }},
        {"elsewhere/link.vlm", [&](const std::string& n) { fs::create_symlink(ProjectPath(), n); }},
    };
    auto editor = std::make_unique<OtherProgram>([&] { HoldAsEditor(ProjectPath()); });
    const std::string who =
        "процесс " + std::to_string(editor->Pid()) + " на компьютере " + HostName();
    for (const auto& [name, make] : names) {
        SCOPED_TRACE(name);
        make(Work(name));
        const CliRun run = Cli({"area", "add", name, "Кухня"});
        ExpectCleanFailure(run);
        EXPECT_NE(run.err.find("Velmora Editor"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find(who), std::string::npos) << run.err;
        // A reader through that name does not take the project for its own repairs.
        EXPECT_EQ(Cli({"area", "list", name}).status, 0);
    }
    EXPECT_EQ(ReadAreaRows(ProjectPath()).count("Кухня"), 0u);
    editor->Kill();
    for (const auto& [name, make] : names) {
        SCOPED_TRACE(name);
        EXPECT_EQ(Cli({"area", "add", name, "Кухня " + name}).status, 0);
        EXPECT_FALSE(fs::exists(ProjectLock::LockPath(Work(name))));
    }
}

// Something that is no lock file at the lock file's place is named for what it is, and no
// writer goes on; the folder itself stays writable, so "write-protected" would be wrong.
TEST_F(ConcurrencyTest, OddThingsAtTheLockPathAreNamed) {
    MakeProject();
    const std::string lock = ProjectLock::LockPath(ProjectPath());
    const std::string outside = Work("outside.txt");
    const struct {
        const char* name;
        std::function<void()> make;
        const char* said;
    } cases[] = {
        {"a folder", [&] { fs::create_directory(lock); }, "находится папка"},
        {"a link", [&] { fs::create_symlink(outside, lock); }, "символическая ссылка"},
        {"a dangling link", [&] { fs::create_symlink(Work("nowhere"), lock); },
         "символическая ссылка"},
    };
    WriteFile(outside, "не трогать");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        c.make();
        const CliRun run = Cli({"area", "add", "tour.vlm", "Кухня"});
        ExpectCleanFailure(run);
        EXPECT_NE(run.err.find(c.said), std::string::npos) << run.err;
        EXPECT_NE(run.err.find(lock), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find("защищены от записи"), std::string::npos) << run.err;
        EXPECT_EQ(Cli({"area", "list", "tour.vlm"}).status, 0);
        EXPECT_EQ(ReadFile(outside), "не трогать");
        EXPECT_FALSE(fs::exists(Work("nowhere")));
        fs::remove(lock);
    }
    EXPECT_EQ(Cli({"area", "add", "tour.vlm", "Кухня"}).status, 0);
}

// A file in the middle of another program's write transaction is waited for, not called
// damaged; a change then follows the other program's.
TEST_F(ConcurrencyTest, BusyFileIsWaitedFor) {
    MakeProject();
    OtherProgram writer([&] {
        static SQLite::Database db(ProjectPath(), SQLite::OPEN_READWRITE);
        db.exec("BEGIN EXCLUSIVE;");
        db.exec("UPDATE pictures SET volume=7 WHERE id=0;");
        // Ends its transaction by itself a little later, while the CLI waits.
        std::thread([] {
            std::this_thread::sleep_for(std::chrono::milliseconds(600));
            db.exec("COMMIT;");
        }).detach();
    });
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"area", "list", "tour.vlm"}, {"set", "tour.vlm", "Холл", "over", "link=x.html"}}) {
        SCOPED_TRACE(args[0]);
        const CliRun run = Cli(args);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err.find("Ошибка открытия базы данных"), std::string::npos) << run.err;
    }
    EXPECT_NE(Cli({"info", "tour.vlm"}).out.find("\"volume\":7"), std::string::npos);
    EXPECT_NE(Cli({"get", "tour.vlm", "Холл", "over"}).out.find("x.html"), std::string::npos);
}

// A read-only file system: every reader works and compacts nothing; every writer says why.
TEST_F(ConcurrencyTest, ReadOnlyProjectIsRead) {
    ScratchDisk disk(folder / "disk", 8 << 20);
    if (!disk.Mounted()) {
        GTEST_SKIP() << disk.Reason();
    }
    work = folder / "disk";
    MakeProject();
    ASSERT_TRUE(disk.MakeReadOnly());
    const std::string outside = folder.Path();
    const std::vector<std::vector<std::string>> readers = {
        {"info", "tour.vlm"},
        {"get", "tour.vlm", "Зал", "click"},
        {"area", "list", "tour.vlm"},
        {"map-text", "tour.vlm"},
        {"view", "tour.vlm", outside + "/view.png"},
        {"export", "tour.vlm", outside + "/site/page.html"},
    };
    for (const auto& args : readers) {
        SCOPED_TRACE(args[0]);
        const CliRun run = Cli(args);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_TRUE(run.err.empty()) << run.err;
    }
    EXPECT_NE(Cli({"area", "list", "tour.vlm"}).out.find("Холл"), std::string::npos);
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"area", "add", "tour.vlm", "Кухня"},
             {"set", "tour.vlm", "Зал", "click", "message_text=Пока"},
             {"fill", "tour.vlm", "Зал", "--rect", "0,0,5,5"}}) {
        SCOPED_TRACE(args[0]);
        const CliRun run = Cli(args);
        ExpectCleanFailure(run);
        EXPECT_NE(run.err.find("только для чтения"), std::string::npos) << run.err;
    }
}

}  // namespace
}  // namespace velmora::test
