#include "store/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <utility>
#include <vector>

#include "store/errors.h"
#include "store/paths.h"

namespace velmora {

namespace fs = std::filesystem;

namespace {

std::string SystemError(int code) {
    return std::strerror(code);
}

// Copies move through a buffer of this size, whatever the size of the file.
constexpr std::size_t kCopyBufferSize = 256 * 1024;

std::string NotRegularFile(const std::string& path) {
    return "Это не обычный файл: " + path;
}

// Where an open descriptor really leads, links resolved; empty when the system cannot say.
std::string RealPathOf(int fd) {
    char buffer[PATH_MAX];
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    const ssize_t n = ::readlink(self.c_str(), buffer, sizeof buffer);
    if (n <= 0 || static_cast<std::size_t>(n) >= sizeof buffer) {
        return {};
    }
    return std::string(buffer, static_cast<std::size_t>(n));
}

std::string RealPathOf(const std::string& path) {
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr) {
        return {};
    }
    std::string result(resolved);
    std::free(resolved);
    return result;
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

    // Streams the rest of input into the file.
    void WriteFrom(InputFile& input, const std::string& target) {
        std::vector<char> buffer(kCopyBufferSize);
        while (const std::size_t n = input.Read(buffer.data(), buffer.size())) {
            Write(std::string_view(buffer.data(), n), target);
        }
    }

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
        Prepare(target);
        Replace(target);
    }

    // On the disk under a hidden name beside target, ready to replace it.
    void Prepare(const std::string& target) {
        Sync(target);
        Name(target);
    }

    void Sync(const std::string& target) {
        if (::fsync(m_fd) != 0) {
            throw FileError("Ошибка записи файла " + target + ": " + SystemError(errno));
        }
    }

    void Name(const std::string& target) {
        if (m_path.empty()) {
            GiveName(target);
        }
    }

    void Replace(const std::string& target) {
        Rename(target);
        Close(target);
    }

    // Renamed at once after the naming and closed afterwards, so that the name exists for as
    // short a time as possible.
    void Rename(const std::string& target) {
        if (::rename(m_path.c_str(), target.c_str()) != 0) {
            throw FileError("Ошибка записи файла " + target + ": " + SystemError(errno));
        }
        m_committed = true;
    }

    void Close(const std::string& target) {
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

bool EntryExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0;
}

ReadScope::ReadScope(const std::vector<std::string>& folders) : m_limited(true) {
    for (const std::string& folder : folders) {
        std::string real = RealPathOf(folder);
        if (!real.empty()) {
            m_roots.push_back(std::move(real));
        }
    }
}

bool ReadScope::Allows(const std::string& realPath) const {
    if (!m_limited) {
        return true;
    }
    for (const std::string& root : m_roots) {
        if (root == "/" || realPath == root ||
            (realPath.size() > root.size() && realPath.compare(0, root.size(), root) == 0 &&
             realPath[root.size()] == kSeparator)) {
            return true;
        }
    }
    return false;
}

InputFile::InputFile(const std::string& path, const ReadScope& scope) : m_path(path) {
    // The type is checked before opening, so that a device is never opened at all, and again on
    // the open descriptor, in case the name was swapped in between. Opening without blocking
    // keeps a named pipe without a writer from holding the program forever.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        throw FileError("Не удалось открыть файл " + path + ": " + SystemError(errno));
    }
    if (!S_ISREG(st.st_mode)) {
        throw FileError(NotRegularFile(path));
    }
    m_fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (m_fd < 0) {
        throw FileError("Не удалось открыть файл " + path + ": " + SystemError(errno));
    }
    if (::fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(m_fd);
        throw FileError(NotRegularFile(path));
    }
    m_size = static_cast<long long>(st.st_size);
    if (scope.Limited()) {
        std::string real = RealPathOf(m_fd);
        if (real.empty()) {
            real = RealPathOf(path);
        }
        if (!scope.Allows(real)) {
            ::close(m_fd);
            throw FileError("Файл ведёт за пределы папок проекта: " + path);
        }
    }
}

InputFile::~InputFile() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

std::size_t InputFile::Read(char* buffer, std::size_t size) {
    for (;;) {
        const ssize_t n = ::read(m_fd, buffer, size);
        if (n >= 0) {
            return static_cast<std::size_t>(n);
        }
        if (errno != EINTR) {
            throw FileError("Ошибка чтения файла " + m_path + ": " + SystemError(errno));
        }
    }
}

void WriteFileAtomically(const std::string& path, std::string_view bytes) {
    TempFile temp(path);
    temp.Write(bytes, path);
    temp.Commit(path);
}

void WriteFilesTogether(const std::vector<std::pair<std::string, std::string>>& files) {
    std::vector<std::unique_ptr<TempFile>> temps;
    for (const auto& [path, bytes] : files) {
        temps.push_back(std::make_unique<TempFile>(path));
        temps.back()->Write(bytes, path);
    }
    // Named only once every one is on the disk, so that a kill rarely leaves a name behind.
    for (std::size_t i = 0; i < files.size(); ++i) {
        temps[i]->Sync(files[i].first);
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        temps[i]->Name(files[i].first);
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        temps[i]->Rename(files[i].first);
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        temps[i]->Close(files[i].first);
    }
}

std::string ReadWholeFile(const std::string& path, const ReadScope& scope) {
    InputFile input(path, scope);
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(input.Size()));
    char buffer[1 << 16];
    while (const std::size_t n = input.Read(buffer, sizeof buffer)) {
        bytes.append(buffer, n);
    }
    return bytes;
}

void CopyFileNoOverwrite(const std::string& source, const std::string& target,
                         const ReadScope& scope) {
    if (!EntryExists(source)) {
        throw FileError("Файл не найден: " + source);
    }
    if (fs::exists(fs::u8path(target))) {
        throw FileError("Файл уже существует: " + target);
    }
    CopyFileReplacing(source, target, scope);
}

void CopyFileReplacing(const std::string& source, const std::string& target,
                       const ReadScope& scope) {
    InputFile input(source, scope);
    TempFile temp(target);
    temp.WriteFrom(input, target);
    temp.Commit(target);
}

bool SameContent(const std::string& a, const std::string& b) {
    InputFile first(a);
    InputFile second(b);
    if (first.Size() != second.Size()) {
        return false;
    }
    std::vector<char> one(kCopyBufferSize);
    std::vector<char> two(kCopyBufferSize);
    for (;;) {
        const std::size_t n = first.Read(one.data(), one.size());
        std::size_t m = 0;
        while (m < n) {
            const std::size_t got = second.Read(two.data() + m, n - m);
            if (got == 0) {
                return false;
            }
            m += got;
        }
        if (n == 0) {
            return second.Read(two.data(), 1) == 0;
        }
        if (std::memcmp(one.data(), two.data(), n) != 0) {
            return false;
        }
    }
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

void RequireFolderWithin(const std::string& folder, const std::string& root,
                         const std::string& rootRole) {
    std::error_code error;
    const fs::path real = fs::weakly_canonical(fs::u8path(folder), error);
    std::error_code rootError;
    const fs::path realRoot = fs::weakly_canonical(fs::u8path(root), rootError);
    if (error || rootError) {
        throw FileError("Не удалось проверить, куда ведёт папка " + folder + ".");
    }
    const auto [rootEnd, inside] =
        std::mismatch(realRoot.begin(), realRoot.end(), real.begin(), real.end());
    if (rootEnd != realRoot.end()) {
        throw FileError("Запись запрещена: папка " + folder + " ведёт за пределы " + rootRole +
                        " (в " + real.string() +
                        "). Замените ссылку настоящей папкой и повторите.");
    }
}

}  // namespace velmora
