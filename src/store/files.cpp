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

// Closes a descriptor and removes the temporary file unless it was committed.
class TempFile {
public:
    explicit TempFile(const std::string& target) {
        std::string folder = ExtractFolder(target);
        if (folder.empty() && !target.empty() && target[0] == kSeparator) {
            folder = "/";
        }
        const std::string prefix = folder.empty() ? std::string() : folder + kSeparator;
        m_path = prefix + "." + ExtractName(target) + ".XXXXXX";
        std::vector<char> pattern(m_path.begin(), m_path.end());
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
        if (!m_committed) {
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
        if (::fsync(m_fd) != 0 || ::close(m_fd) != 0) {
            const int code = errno;
            m_fd = -1;
            throw FileError("Ошибка записи файла " + target + ": " + SystemError(code));
        }
        m_fd = -1;
        if (::rename(m_path.c_str(), target.c_str()) != 0) {
            throw FileError("Ошибка записи файла " + target + ": " + SystemError(errno));
        }
        m_committed = true;
    }

private:
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
