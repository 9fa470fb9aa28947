#include "store/project_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <sstream>
#include <thread>

#include "store/paths.h"

namespace velmora {

namespace {

constexpr const char* kEditorWord = "editor";
constexpr const char* kCommandWord = "command";

std::string HostName() {
    char buffer[HOST_NAME_MAX + 1] = {};
    if (::gethostname(buffer, sizeof buffer - 1) != 0) {
        return "?";
    }
    return buffer;
}

// The lock file holds three lines: pid, host, and "editor" or "command". A file still empty
// (its holder is just writing it) reads as a command, which is worth waiting for.
LockOwner ReadOwner(int fd) {
    char buffer[512] = {};
    const ssize_t n = ::pread(fd, buffer, sizeof buffer - 1, 0);
    LockOwner owner;
    if (n <= 0) {
        return owner;
    }
    std::istringstream lines(std::string(buffer, static_cast<std::size_t>(n)));
    std::string pid;
    std::string kind;
    std::getline(lines, pid);
    std::getline(lines, owner.host);
    std::getline(lines, kind);
    owner.pid = std::strtol(pid.c_str(), nullptr, 10);
    owner.holder = kind == kEditorWord ? LockHolder::Editor : LockHolder::Command;
    return owner;
}

void WriteOwner(int fd, LockHolder holder) {
    const std::string text = std::to_string(::getpid()) + "\n" + HostName() + "\n" +
                             (holder == LockHolder::Editor ? kEditorWord : kCommandWord) + "\n";
    // Only a message depends on these lines; a failed write still leaves a working lock.
    if (::ftruncate(fd, 0) == 0) {
        static_cast<void>(::pwrite(fd, text.data(), text.size(), 0));
    }
}

// The holder of a lock removes its file before dropping the lock, so a waiter may be granted
// the lock of a file that no longer has a name; only a lock on the file at the path counts.
bool StillAtPath(int fd, const std::string& path) {
    struct stat opened {};
    struct stat named {};
    return ::fstat(fd, &opened) == 0 && ::lstat(path.c_str(), &named) == 0 &&
           opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

}  // namespace

std::string ProjectLock::LockPath(const std::string& projectPath) {
    const std::string folder = ExtractFolder(projectPath);
    const std::string name = "." + ExtractName(projectPath) + ".lock";
    if (folder.empty()) {
        return projectPath.rfind(kSeparator, 0) == 0 ? kSeparator + name : name;
    }
    return JoinPath(folder, name);
}

ProjectLock::Result ProjectLock::Take(const std::string& projectPath, LockHolder holder,
                                      int waitMs) {
    Release();
    m_owner = LockOwner{};
    const std::string path = LockPath(projectPath);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    while (true) {
        const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
        if (fd < 0) {
            return Result::ReadOnlyFolder;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            if (!StillAtPath(fd, path)) {
                ::close(fd);
                continue;
            }
            WriteOwner(fd, holder);
            m_fd = fd;
            m_path = path;
            return Result::Taken;
        }
        if (errno != EWOULDBLOCK) {
            // A file system without locks: one writer cannot be ensured there, and refusing
            // every project on it would help nobody. SQLite still guards each transaction.
            m_fd = fd;
            m_path = path;
            return Result::Taken;
        }
        m_owner = ReadOwner(fd);
        ::close(fd);
        if (m_owner.holder == LockHolder::Editor || std::chrono::steady_clock::now() >= deadline) {
            return Result::HeldElsewhere;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

void ProjectLock::Release() {
    if (m_fd < 0) {
        return;
    }
    if (StillAtPath(m_fd, m_path)) {
        ::unlink(m_path.c_str());
    }
    ::close(m_fd);
    m_fd = -1;
    m_path.clear();
}

int WriterWaitMs(LockHolder asker) {
    return asker == LockHolder::Command ? 30000 : 5000;
}

std::string HeldElsewhereMessage(const LockOwner& owner) {
    const char* program = owner.holder == LockHolder::Editor ? "Velmora Editor" : "velmora-cli";
    return std::string("Проект уже открыт в другой программе (") + program + ", процесс " +
           (owner.pid > 0 ? std::to_string(owner.pid) : std::string("?")) + " на компьютере " +
           (owner.host.empty() ? std::string("?") : owner.host) +
           "). Закройте его там и повторите.";
}

}  // namespace velmora
