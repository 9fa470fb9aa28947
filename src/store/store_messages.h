#pragma once

#include <string>

// The store's messages to the user, exactly as shown.
namespace velmora::msg {

inline constexpr const char* kCreateFailed = "Ошибка создания базы данных";
inline constexpr const char* kOpenFailed = "Ошибка открытия базы данных";
inline constexpr const char* kVersionNotSupported = "Эта версия не поддерживается!";
// Every command that needs an open project says so in these words.
inline constexpr const char* kNoProjectOpen = "Сначала создайте или откройте проект!";
inline constexpr const char* kOpenProjectFirst = kNoProjectOpen;
inline constexpr const char* kDeleteFailed = "Ошибка удаления файла!";
inline constexpr const char* kWriteFailed = "Ошибка записи данных в проект!";
inline constexpr const char* kOpenProjectFailed = "Ошибка открытия проекта!";
inline constexpr const char* kReplaceFileQuestion = "Файл существует. Перезаписать?";
inline const std::string kFolderNotWritable = "Папка недоступна для записи: ";

inline constexpr const char* kTooManyAreas = "Слишком много областей!";
inline constexpr const char* kEmptyAreaName = "Название области не может быть пустым!";
inline constexpr const char* kAreaExists = "Область с таким названием уже существует!";
inline constexpr const char* kAreaNameTooLong =
    "Название области слишком длинное: не больше 255 символов.";
inline constexpr const char* kAreaNameHasControl =
    "Название области не может содержать управляющие символы (перевод строки, табуляцию и т. п.).";
inline constexpr const char* kNoAreas = "Нет областей!";
inline constexpr const char* kAreaNotFound = "Область не найдена!";

inline constexpr const char* kImportOpenFailed = "Ошибка открытия данных для импорта";
inline constexpr const char* kNothingToImport = "Нет полей для импорта в этом проекте!";
inline constexpr const char* kImportFromItself =
    "Нельзя импортировать области из открытого проекта!";

inline constexpr const char* kReadOnlyProject =
    "Проект доступен только для чтения: файл проекта или его папка защищены от записи.";
inline constexpr const char* kProjectBusy =
    "Проект занят другой программой. Повторите попытку позже.";
inline const std::string kAreasHealed =
    "Записи некоторых областей были неполными и восстановлены со значениями по умолчанию: ";
inline constexpr const char* kChangeNotWritten = "Изменение не записано в проект.";

inline const std::string kBadFileName = "Недопустимое имя файла в проекте: ";
inline constexpr const char* kMapSizeFitted =
    "Размер карты областей не совпадал с размером изображения: карта подогнана под изображение.";

}  // namespace velmora::msg
