#include "store/project_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
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

// The process holding an flock on the file (device, inode) of this machine, from the kernel's
// table of locks; 0 when none is listed (or the holder is on another machine).
long FlockHolder(dev_t device, ino_t inode) {
    std::ifstream locks("/proc/locks");
    char id[64];
    std::snprintf(id, sizeof id, "%02x:%02x:%lu", major(device), minor(device),
                  static_cast<unsigned long>(inode));
    std::string line;
    while (std::getline(locks, line)) {
        std::istringstream fields(line);
        std::string number, kind, mode, access, pid, file;
        fields >> number >> kind;
        if (kind == "->") {  // a waiter, listed under the lock it waits for
            fields >> kind;
        }
        fields >> mode >> access >> pid >> file;
        if (kind == "FLOCK" && file == id) {
            return std::strtol(pid.c_str(), nullptr, 10);
        }
    }
    return 0;
}

// What the holder of a project reached through another name (a hard link) wrote in its own
// lock file: found among the files the holder has open.
LockOwner OwnerOfProcess(long pid) {
    LockOwner owner;
    owner.pid = pid;
    owner.host = HostName();
    std::error_code error;
    const std::filesystem::path fds = "/proc/" + std::to_string(pid) + "/fd";
    for (const auto& entry : std::filesystem::directory_iterator(fds, error)) {
        const std::filesystem::path target = std::filesystem::read_symlink(entry.path(), error);
        const std::string name = target.filename().string();
        if (error || name.size() < 6 || name.front() != '.' || !name.ends_with(".lock")) {
            continue;
        }
        const int fd = ::open(target.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (fd >= 0) {
            LockOwner written = ReadOwner(fd);
            ::close(fd);
            if (written.pid == pid) {
                return written;
            }
        }
    }
    return owner;
}

// What stands where the lock file should be, when it is no file we can open for writing.
ProjectLock::Result BlockedLockPath(const std::string& path) {
    struct stat there {};
    if (::lstat(path.c_str(), &there) != 0) {
        return ProjectLock::Result::ReadOnlyFolder;
    }
    if (S_ISDIR(there.st_mode)) {
        return ProjectLock::Result::FolderInTheWay;
    }
    if (S_ISLNK(there.st_mode)) {
        return ProjectLock::Result::LinkInTheWay;
    }
    return ProjectLock::Result::FileNotWritable;
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
    m_blockedPath.clear();
    // Every name of one project meets the same lock: a symbolic link is followed to the file,
    // and the file itself is locked too, which a hard link under another name shares.
    std::error_code error;
    const std::filesystem::path real = std::filesystem::canonical(projectPath, error);
    const std::string project = error ? projectPath : real.string();
    const std::string path = LockPath(project);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    while (true) {
        const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
        if (fd < 0) {
            const bool folderWritable =
                ::access(ExtractFolder(path).empty() ? "." : ExtractFolder(path).c_str(), W_OK) ==
                0;
            if (!folderWritable || (errno != ELOOP && errno != EISDIR && errno != EACCES &&
                                    errno != EPERM && errno != ENXIO)) {
                return Result::ReadOnlyFolder;
            }
            m_blockedPath = path;
            return BlockedLockPath(path);
        }
        bool taken = false;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            if (!StillAtPath(fd, path)) {
                ::close(fd);
                continue;
            }
            taken = true;
        } else if (errno != EWOULDBLOCK) {
            // A file system without locks: one writer cannot be ensured there, and refusing
            // every project on it would help nobody. SQLite still guards each transaction.
            m_fd = fd;
            m_path = path;
            return Result::Taken;
        }
        if (taken) {
            const int projectFd = ::open(project.c_str(), O_RDONLY | O_CLOEXEC);
            if (projectFd < 0 || ::flock(projectFd, LOCK_EX | LOCK_NB) == 0 ||
                errno != EWOULDBLOCK) {
                WriteOwner(fd, holder);
                m_fd = fd;
                m_projectFd = projectFd;
                m_path = path;
                return Result::Taken;
            }
            // Held under another name of the same file.
            struct stat file {};
            ::fstat(projectFd, &file);
            ::close(projectFd);
            ::unlink(path.c_str());
            ::close(fd);
            const long pid = FlockHolder(file.st_dev, file.st_ino);
            m_owner = pid > 0 ? OwnerOfProcess(pid) : LockOwner{};
        } else {
            m_owner = ReadOwner(fd);
            ::close(fd);
        }
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
    if (m_projectFd >= 0) {
        ::close(m_projectFd);
        m_projectFd = -1;
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

std::string LockRefusalMessage(ProjectLock::Result result, const std::string& lockPath) {
    const std::string start =
        "Проект нельзя открыть для записи: на месте файла блокировки " + lockPath + " находится ";
    switch (result) {
        case ProjectLock::Result::FolderInTheWay:
            return start + "папка. Удалите или переименуйте её и повторите.";
        case ProjectLock::Result::LinkInTheWay:
            return start + "символическая ссылка. Удалите её и повторите.";
        case ProjectLock::Result::FileNotWritable:
            return start + "файл, который нельзя изменить. Удалите его и повторите.";
        default:
            return {};
    }
}

}  // namespace velmora
