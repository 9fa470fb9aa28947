#pragma once

#include <QString>
#include <functional>

class QMenu;

namespace velmora {

class Shell;

// The help page's path: beside the program, else in the installed layout's share folder;
// beside the program when neither has it, so the desktop reports the missing file itself.
QString HelpFilePath(const QString& programFolder);

// Fills the main window's "Медиа контент" and "Помощь" menus from the link table. Every item
// hands its address to the shell and ignores the outcome; "О программе" runs showAbout.
void FillLinkMenus(QMenu& media, QMenu& help, Shell& shell, const QString& programFolder,
                   std::function<void()> showAbout);

}  // namespace velmora
