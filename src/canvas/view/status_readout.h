#pragma once

#include <optional>
#include <string>

namespace velmora {

class COMMON_DATA;

// A point of the picture in picture pixels.
struct PicturePoint {
    int x = 0;
    int y = 0;
};

// What the main window's status bar says: the picture's size, where the pointer is on the
// picture and the area under it. Every text is empty when it has nothing true to say: no
// project, no picture, or the pointer not over the picture.
struct StatusReadout {
    std::string size;
    std::string coordinates;
    std::string area;

    friend bool operator==(const StatusReadout&, const StatusReadout&) = default;
};

// The notes the status bar shows for a few seconds after a file was written, each followed by
// the file's full path.
inline constexpr const char* kProjectSavedNote = "Проект сохранён: ";
inline constexpr const char* kPageWrittenNote = "Страница записана: ";
inline constexpr const char* kMergedPageWrittenNote = "Объединённая страница записана: ";

// pointer is where the pointer is in picture pixels, or nothing when it is not over the
// picture view; a point outside the picture (a drag that left it) counts as nothing.
StatusReadout ReadStatus(const COMMON_DATA& data, std::optional<PicturePoint> pointer);

// Whether the project has changes that Save would write: painting since the map was loaded or
// saved, or edits of the loaded area's records.
bool HasUnsavedChanges(const COMMON_DATA& data);

}  // namespace velmora
