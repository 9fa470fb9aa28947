#pragma once

#include <QString>

namespace velmora {

// Associates project files (*.vlm) with the editor for the current user, the freedesktop way:
// a MIME type, a .desktop entry and an icon under dataHome, each written only when its
// content differs, then the desktop's caches are refreshed when their tools exist.
// False when a file could not be written or a refresh tool failed.
bool RegisterFileType(const QString& dataHome, const QString& executable);

// The per-user data folder ($XDG_DATA_HOME, else ~/.local/share).
QString UserDataHome();

}  // namespace velmora
