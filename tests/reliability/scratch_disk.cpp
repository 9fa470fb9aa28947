#include "reliability/scratch_disk.h"

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

namespace velmora::test {

ScratchDisk::ScratchDisk(const std::string& folder, long long bytes) : m_folder(folder) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    const std::string options = "size=" + std::to_string(bytes) + ",mode=0755";
    if (::mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) == 0) {
        m_mounted = true;
    } else {
        m_reason = "cannot mount a small tmpfs at " + folder + ": " + std::strerror(errno);
    }
}

ScratchDisk::~ScratchDisk() {
    if (m_mounted) {
        ::umount2(m_folder.c_str(), MNT_DETACH);
    }
}

void ScratchDisk::Fill() {
    const int fd = ::open((m_folder + "/filler").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) {
        return;
    }
    const std::vector<char> block(4096, 'x');
    std::size_t chunk = block.size();
    // Whole blocks first, then single bytes for what a partly used block still takes.
    while (chunk > 0) {
        if (::write(fd, block.data(), chunk) <= 0) {
            chunk = chunk > 1 ? chunk / 2 : 0;
        }
    }
    ::close(fd);
}

bool ScratchDisk::MakeReadOnly() {
    return m_mounted &&
           ::mount("tmpfs", m_folder.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0;
}

}  // namespace velmora::test
