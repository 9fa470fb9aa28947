#include "export/export_paths.h"

#include <filesystem>

#include "store/errors.h"
#include "store/files.h"
#include "store/paths.h"

namespace velmora {

std::string FolderOfPath(const std::string& path) {
    const std::string folder = ExtractFolder(path);
    if (!folder.empty()) {
        return folder;
    }
    return path.rfind(kSeparator, 0) == 0 ? std::string(1, kSeparator) : std::string(".");
}

void CreateFolderPath(const std::string& folder) {
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::u8path(folder), ec);
    if (!FolderExists(folder)) {
        throw FileError("Не удалось создать папку " + folder +
                        (ec ? ": " + ec.message() : std::string()));
    }
}

}  // namespace velmora
