#include "store/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

#include "store/errors.h"
#include "store/paths.h"

namespace velmora {

namespace fs = std::filesystem;

namespace {

std::string SystemError(int code) {
    return std::strerror(code);
}

// The file a write goes to before it is renamed over its target. Where the system allows, it is
// created without a name (O_TMPFILE), so a crash or a kill in the middle of writing leaves
// nothing behind; it is given a hidden name beside the target only for the instant before the
// rename. Elsewhere it is a hidden named file from the start. Closes its descriptor and removes
// the file unless it was committed.
class TempFile {
public:
    explicit TempFile(const std::string& target) {
        std::string folder = ExtractFolder(target);
        if (folder.empty() && !target.empty() && target[0] == kSeparator) {
            folder = "/";
        }
        const std::string prefix = folder.empty() ? std::string() : folder + kSeparator;
        m_pattern = prefix + "." + ExtractName(target) + ".XXXXXX";
#ifdef O_TMPFILE
        // Naming an unnamed file later goes through /proc/self/fd.
        if (::access("/proc/self/fd", X_OK) == 0) {
            m_fd = ::open(folder.empty() ? "." : folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC,
                          0644);
            if (m_fd >= 0) {
                ::fchmod(m_fd, 0644);
                return;
            }
        }
#endif
        std::vector<char> pattern(m_pattern.begin(), m_pattern.end());
        pattern.push_back('\0');
        m_fd = ::mkstemp(pattern.data());
        if (m_fd < 0) {
            throw FileError("Не удалось создать файл " + target + ": " + SystemError(errno));
        }
        m_path.assign(pattern.data());
        ::fchmod(m_fd, 0644);
    }
    ~TempFile() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
        if (!m_committed && !m_path.empty()) {
            ::unlink(m_path.c_str());
        }
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    void Write(std::string_view bytes, const std::string& target) {
        const char* p = bytes.data();
        std::size_t left = bytes.size();
        while (left > 0) {
            const ssize_t n = ::write(m_fd, p, left);
            if (n < 0) {
                if (errno == EINTR) {
                    continue;
                }
                throw FileError("Ошибка записи файла " + target + ": " + SystemError(errno));
            }
            p += n;
            left -= static_cast<std::size_t>(n);
        }
    }

    void Commit(const std::string& target) {
        if (::fsync(m_fd) != 0) {
            throw FileError("Ошибка записи файла " + target + ": " + SystemError(errno));
        }
        if (m_path.empty()) {
            GiveName(target);
        }
        // Renamed at once after the naming and closed afterwards, so that the name exists for as
        // short a time as possible.
        if (::rename(m_path.c_str(), target.c_str()) != 0) {
            throw FileError("Ошибка записи файла " + target + ": " + SystemError(errno));
        }
        m_committed = true;
        const int closed = ::close(m_fd);
        m_fd = -1;
        if (closed != 0) {
            throw FileError("Ошибка записи файла " + target + ": " + SystemError(errno));
        }
    }

private:
    // Links the unnamed file under a fresh hidden name from the pattern.
    void GiveName(const std::string& target) {
        static unsigned counter = 0;
        const std::string self = "/proc/self/fd/" + std::to_string(m_fd);
        for (int attempt = 0; attempt < 100; ++attempt) {
            unsigned value = static_cast<unsigned>(::getpid()) * 2654435761u + ++counter * 40503u;
            std::string name = m_pattern;
            for (std::size_t i = name.size() - 6; i < name.size(); ++i, value /= 36) {
                name[i] = "0123456789abcdefghijklmnopqrstuvwxyz"[value % 36];
            }
            if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
                m_path = name;
                return;
            }
            if (errno != EEXIST) {
                break;
            }
        }
        throw FileError("Ошибка записи файла " + target + ": " + SystemError(errno));
    }

    std::string m_pattern;
    std::string m_path;
    int m_fd = -1;
    bool m_committed = false;
};

}  // namespace

bool FileExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool FolderExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void WriteFileAtomically(const std::string& path, std::string_view bytes) {
    TempFile temp(path);
    temp.Write(bytes, path);
    temp.Commit(path);
}

std::string ReadWholeFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        throw FileError("Не удалось открыть файл " + path + ": " + SystemError(errno));
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        throw FileError("Не удалось открыть файл " + path);
    }
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            const int code = errno;
            ::close(fd);
            throw FileError("Ошибка чтения файла " + path + ": " + SystemError(code));
        }
        if (n == 0) {
            break;
        }
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return bytes;
}

void CopyFileNoOverwrite(const std::string& source, const std::string& target) {
    if (!FileExists(source)) {
        throw FileError("Файл не найден: " + source);
    }
    if (fs::exists(fs::u8path(target))) {
        throw FileError("Файл уже существует: " + target);
    }
    const std::string bytes = ReadWholeFile(source);
    TempFile temp(target);
    temp.Write(bytes, target);
    temp.Commit(target);
}

bool DeleteFileIfPresent(const std::string& path) {
    std::error_code ec;
    fs::remove(fs::u8path(path), ec);
    return !fs::exists(fs::u8path(path), ec);
}

bool SameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    return fs::equivalent(fs::u8path(a), fs::u8path(b), ec) && !ec;
}

}  // namespace velmora
