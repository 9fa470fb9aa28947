#include "store/project_problem.h"

#include <filesystem>
#include <fstream>

namespace velmora {

std::string ProjectFileProblem(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path file = fs::u8path(path);
    const fs::file_status status = fs::status(file, error);
    if (path.empty() || !fs::exists(status)) {
        return "Файл не найден.";
    }
    if (fs::is_directory(status)) {
        return "Это папка, а не файл проекта.";
    }
    if (!std::ifstream(file, std::ios::binary).is_open()) {
        return "Нет прав на чтение файла.";
    }
    return "Файл повреждён или не является проектом.";
}

std::string ProjectOpenFailure(const std::string& failure, const std::string& path) {
    return failure + "\n" + path + "\n" + ProjectFileProblem(path);
}

}  // namespace velmora
