#pragma once

#include <string>

namespace velmora {

// The dialogs' filters, written as pairs "description|patterns|description|patterns".
inline constexpr const char* kProjectFilter = "Файл проект (*.vlm)|*.vlm|Все файлы (*.*)|*.*";
// Every format the picture import reads, BMP included.
inline constexpr const char* kPictureFilter =
    "All (*.gif;*.jpg;*.jpeg;*.png;*.bmp)|*.gif;*.jpg;*.jpeg;*.png;*.bmp|GIF Image (*.gif)|*.gif|"
    "JPEG Image File (*.jpg)|*.jpg|JPEG Image File (*.jpeg)|*.jpeg|"
    "Portable Network Graphics (*.png)|*.png|Bitmap Image (*.bmp)|*.bmp";
inline constexpr const char* kPageFilter = "HTML файл (*.html)|*.html|Все файлы (*.*)|*.*";
inline constexpr const char* kSoundFilter = "Аудио файлы (*.mp3;*.ogg)|*.mp3;*.ogg";

// Turns "A (*.x)|*.x|B (*.y;*.z)|*.y;*.z" into Qt's "A (*.x);;B (*.y *.z)": the same
// descriptions and patterns, the patterns in Qt's place. "*.*" becomes "*", since names without
// a dot are files too here.
std::string ToQtFilter(const std::string& pairs);

}  // namespace velmora
