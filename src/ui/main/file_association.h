#pragma once

#include <QString>
#include <QStringList>

namespace velmora {

// Associates project files (*.vlm) with the editor for the current user, the freedesktop way:
// a MIME type, a .desktop entry and an icon under dataHome, each written only when its
// content differs, then the desktop's caches are refreshed when their tools exist.
// False when a file could not be written or a refresh tool failed.
bool RegisterFileType(const QString& dataHome, const QString& executable);

// True when the program runs from an installed prefix (<prefix>/bin) whose share folder is one
// of the desktop's data folders and already holds the MIME type and the .desktop entry: the
// association is then in place for every user and nothing is written into their homes.
bool AssociationInstalled(const QString& programFolder, const QStringList& dataFolders);

// The data folders the desktop reads, the user's own first ($XDG_DATA_HOME, $XDG_DATA_DIRS).
QStringList DesktopDataFolders();

// The per-user data folder ($XDG_DATA_HOME, else ~/.local/share).
QString UserDataHome();

}  // namespace velmora
