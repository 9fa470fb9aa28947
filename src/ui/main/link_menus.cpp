#include "ui/main/link_menus.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>

#include "store/prompter.h"
#include "ui/common/text.h"
#include "ui/main/link_table.h"

namespace velmora {

namespace {

void AddItems(QMenu& menu, const std::vector<LinkItem>& items, Shell& shell,
              const QString& programFolder, const std::function<void()>& showAbout) {
    for (const LinkItem& item : items) {
        if (item.action == LinkAction::Separator) {
            menu.addSeparator();
            continue;
        }
        QAction* action = menu.addAction(Q(item.caption));
        action->setShortcut(item.shortcut);
        switch (item.action) {
            case LinkAction::AboutBox:
                QObject::connect(action, &QAction::triggered, &menu, [showAbout] { showAbout(); });
                break;
            case LinkAction::HelpFile:
                QObject::connect(action, &QAction::triggered, &menu, [&shell, programFolder] {
                    shell.Open(U(HelpFilePath(programFolder)));
                });
                break;
            default: {
                const std::string address = item.address;
                QObject::connect(action, &QAction::triggered, &menu,
                                 [&shell, address] { shell.Open(address); });
                break;
            }
        }
    }
}

}  // namespace

QString HelpFilePath(const QString& programFolder) {
    const QString beside = QDir(programFolder).filePath(Q(kHelpFileName));
    if (QFileInfo::exists(beside)) {
        return beside;
    }
    const QString installed =
        QDir::cleanPath(programFolder + Q("/../share/velmora-editor/") + Q(kHelpFileName));
    return QFileInfo::exists(installed) ? installed : beside;
}

void FillLinkMenus(QMenu& media, QMenu& help, Shell& shell, const QString& programFolder,
                   std::function<void()> showAbout) {
    bool first = true;
    for (const LinkSubmenu& submenu : MediaLinks()) {
        if (!first) {
            media.addSeparator();
        }
        first = false;
        QMenu* menu = media.addMenu(Q(submenu.caption));
        AddItems(*menu, submenu.items, shell, programFolder, showAbout);
    }
    AddItems(help, HelpLinks(), shell, programFolder, showAbout);
}

}  // namespace velmora
