#pragma once

#include <string>

namespace velmora {

inline constexpr char kSeparator = '/';

// The folder part of a path: the text before the last "/", empty when there is none.
std::string ExtractFolder(const std::string& path);
// The text after the last "\" or "/"; the whole path when it holds neither.
std::string ExtractName(const std::string& path);
// The path without its extension; unchanged when a "/" comes before any "." from the end.
std::string StripExtension(const std::string& path);
// From the last "." to the end, wherever that dot stands; empty when there is no dot.
std::string ExtractExtension(const std::string& path);
// Appends ext unless the path already ends with it, compared in lower case.
std::string EnsureExtension(const std::string& path, const std::string& ext);

// ASCII lower case; other bytes (UTF-8 sequences) stay as they are.
std::string AsciiLower(std::string text);

// A bare file name as stored in a project: not empty, no folder separator, not "." or "..",
// no NUL. Names that fail this are never joined to a folder.
bool IsPlainFileName(const std::string& name);

// folder + "/" + name.
std::string JoinPath(const std::string& folder, const std::string& name);

}  // namespace velmora
