#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velmora {

bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);
// Something of any kind is at path (a dangling link counts as nothing).
bool EntryExists(const std::string& path);

// The folders a file may be read from. A file is checked where it really lies once opened, so a
// link inside the folders that leads out of them is refused. An empty scope allows any place.
class ReadScope {
public:
    ReadScope() = default;
    // Folders that do not exist are left out; links among them are resolved.
    explicit ReadScope(const std::vector<std::string>& folders);

    bool Limited() const { return m_limited; }
    // realPath is a resolved absolute path.
    bool Allows(const std::string& realPath) const;

private:
    bool m_limited = false;
    std::vector<std::string> m_roots;
};

// A regular file open for reading. Opening never blocks on a pipe or touches a device: anything
// but a regular file, and a file outside the scope, throws FileError with a readable text.
class InputFile {
public:
    explicit InputFile(const std::string& path, const ReadScope& scope = {});
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // Up to size bytes; 0 at the end. Throws FileError on a read error.
    std::size_t Read(char* buffer, std::size_t size);
    long long Size() const { return m_size; }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
    int m_fd = -1;
    long long m_size = 0;
};

// Copies source to target and never overwrites: an existing target throws FileError, as does
// a missing source or a refused write. The copy streams through a temporary file in the
// target's folder, so a half-written target never appears and memory does not grow with the
// file.
void CopyFileNoOverwrite(const std::string& source, const std::string& target,
                         const ReadScope& scope = {});

// Replaces target by a copy of source in the same crash-safe, streaming way; the old target
// survives a failed copy.
void CopyFileReplacing(const std::string& source, const std::string& target,
                       const ReadScope& scope = {});

// True when both files hold the same bytes; compared piece by piece.
bool SameContent(const std::string& a, const std::string& b);

// Deletes a file; false when it still exists afterwards.
bool DeleteFileIfPresent(const std::string& path);

// Writes bytes to path through a temporary file in the same folder that is then renamed over
// the old file: a crash or a full disk never leaves a part-written file at path. Throws
// FileError with a readable text on failure; the old file is then untouched.
void WriteFileAtomically(const std::string& path, std::string_view bytes);

// Writes several files that only work together (a page and its data script): each is written
// whole under a hidden name first, and only then are they renamed into place one right after
// the other, so a crash or a full disk leaves the old set, or at worst a moment's mix.
void WriteFilesTogether(const std::vector<std::pair<std::string, std::string>>& files);

// Reads a whole file; throws FileError when it cannot, or when it is no regular file or lies
// outside the scope.
std::string ReadWholeFile(const std::string& path, const ReadScope& scope = {});

// True when both paths name the same existing file (links and "." segments resolved).
bool SameFile(const std::string& a, const std::string& b);

// Writes may land only inside the project's folders and the chosen export folder. Throws
// FileError, naming where folder really leads, when folder (every link resolved, as far as it
// exists) lies outside root; rootRole names root in the message ("папки проекта").
void RequireFolderWithin(const std::string& folder, const std::string& root,
                         const std::string& rootRole);

}  // namespace velmora
