#pragma once

#include <string>
#include <string_view>

namespace velmora {

bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);

// Copies source to target and never overwrites: an existing target throws FileError, as does
// a missing source or a refused write. The copy goes through a temporary file in the target's
// folder, so a half-written target never appears.
void CopyFileNoOverwrite(const std::string& source, const std::string& target);

// Deletes a file; false when it still exists afterwards.
bool DeleteFileIfPresent(const std::string& path);

// Writes bytes to path through a temporary file in the same folder that is then renamed over
// the old file: a crash or a full disk never leaves a part-written file at path. Throws
// FileError with a readable text on failure; the old file is then untouched.
void WriteFileAtomically(const std::string& path, std::string_view bytes);

// Reads a whole file; throws FileError when it cannot.
std::string ReadWholeFile(const std::string& path);

// True when both paths name the same existing file (links and "." segments resolved).
bool SameFile(const std::string& a, const std::string& b);

}  // namespace velmora
