#pragma once

#include <string>

namespace velmora::test {

// A small file system of its own at a folder, mounted as tmpfs, so a test can fill it up or
// make it read-only as a real disk would be. Mounting needs root (CAP_SYS_ADMIN); Mounted()
// says whether it worked and Reason() why not.
class ScratchDisk {
public:
    ScratchDisk(const std::string& folder, long long bytes);
    ~ScratchDisk();
    ScratchDisk(const ScratchDisk&) = delete;
    ScratchDisk& operator=(const ScratchDisk&) = delete;

    bool Mounted() const { return m_mounted; }
    const std::string& Reason() const { return m_reason; }

    // Writes a filler file until the disk refuses more.
    void Fill();
    // Remounts the disk read-only; false when that was refused.
    bool MakeReadOnly();

private:
    std::string m_folder;
    bool m_mounted = false;
    std::string m_reason;
};

}  // namespace velmora::test
