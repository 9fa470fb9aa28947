#include "store/paths.h"

#include <algorithm>

namespace velmora {

std::string ExtractFolder(const std::string& path) {
    const auto pos = path.rfind(kSeparator);
    return pos == std::string::npos ? std::string() : path.substr(0, pos);
}

std::string ExtractName(const std::string& path) {
    const auto pos = path.find_last_of("\\/");
    return pos == std::string::npos ? path : path.substr(pos + 1);
}

std::string StripExtension(const std::string& path) {
    for (auto i = path.size(); i-- > 0;) {
        if (path[i] == kSeparator) {
            return path;
        }
        if (path[i] == '.') {
            return path.substr(0, i);
        }
    }
    return path;
}

std::string ExtractExtension(const std::string& path) {
    const auto pos = path.rfind('.');
    return pos == std::string::npos ? std::string() : path.substr(pos);
}

std::string AsciiLower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](char c) {
        return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return text;
}

std::string EnsureExtension(const std::string& path, const std::string& ext) {
    if (path.size() >= ext.size() && AsciiLower(path.substr(path.size() - ext.size())) == ext) {
        return path;
    }
    return path + ext;
}

bool IsPlainFileName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(std::string("/\\\0", 3)) == std::string::npos;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    return folder + kSeparator + name;
}

}  // namespace velmora
