#pragma once

// The web export's messages to the user, exactly as shown.
#include "store/store_messages.h"

namespace velmora::msg {

inline constexpr const char* kFileNotFound = "Файл не найден: ";
inline constexpr const char* kExportNeedsProject = kNoProjectOpen;
inline constexpr const char* kExportNeedsPicture = "Сначала откройте изображение проекта!";
inline constexpr const char* kNoPageName = "Не указано имя страницы: ";
inline constexpr const char* kPageNotOpened = "Не удалось открыть страницу в браузере: ";
inline constexpr const char* kMergedFileExists = "Файл существует. Перезаписать?";
inline constexpr const char* kMergeDone = "Операция выполнена!";
inline constexpr const char* kExportWouldReplace =
    "Экспорт заменил бы файл, которым пользуется проект. Выберите другую папку: ";

}  // namespace velmora::msg
