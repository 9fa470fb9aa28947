#pragma once

#include <string>

namespace velmora {

// Who holds a project: the editor keeps it for as long as it is open, a command only for the
// length of one call.
enum class LockHolder { Editor, Command };

// What the lock file says about the program that holds it.
struct LockOwner {
    long pid = 0;
    std::string host;
    LockHolder holder = LockHolder::Command;
};

// The one writer of a project: an advisory lock (flock) on a hidden file beside the project,
// which also records the holder's pid, host and kind for the message a second writer gets.
// The kernel drops the lock when its holder ends in any way, so a lock file left by a crashed
// program is simply taken over. SQLite's own locks guard single transactions only; this one
// spans an editor's whole session and the map file, which SQLite knows nothing of.
class ProjectLock {
public:
    // Besides the lock itself: the folder refuses new files, or something we cannot lock
    // stands at the lock file's place (BlockedPath() names it).
    enum class Result {
        Taken,
        HeldElsewhere,
        ReadOnlyFolder,
        FolderInTheWay,
        LinkInTheWay,
        FileNotWritable
    };

    ProjectLock() = default;
    ~ProjectLock() { Release(); }
    ProjectLock(const ProjectLock&) = delete;
    ProjectLock& operator=(const ProjectLock&) = delete;

    // Takes the lock of the project at projectPath. While another command holds it, waits up
    // to waitMs for it to finish; an editor's hold is reported at once. On HeldElsewhere,
    // Owner() names the holder.
    Result Take(const std::string& projectPath, LockHolder holder, int waitMs);
    // Removes the lock file and drops the lock; nothing when not held.
    void Release();
    bool Held() const { return m_fd >= 0; }
    const LockOwner& Owner() const { return m_owner; }
    const std::string& BlockedPath() const { return m_blockedPath; }

    // The lock file of a project: ".<name>.lock" beside it.
    static std::string LockPath(const std::string& projectPath);

private:
    int m_fd = -1;
    // The project file itself, locked as well, so that hard links meet the same lock.
    int m_projectFd = -1;
    std::string m_path;
    std::string m_blockedPath;
    LockOwner m_owner;
};

// How long a writer waits for another command to finish with a project: a command rather than
// an editor's whole session. An editor's hold is reported at once whatever the wait.
int WriterWaitMs(LockHolder asker);

// "Проект открыт в другой программе…", naming the holder's program, pid and host.
std::string HeldElsewhereMessage(const LockOwner& owner);
// Why a lock could not be taken at all, naming what stands at the lock file's place; empty for
// Taken and HeldElsewhere.
std::string LockRefusalMessage(ProjectLock::Result result, const std::string& lockPath);

}  // namespace velmora
