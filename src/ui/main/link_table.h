#pragma once

#include <QKeySequence>
#include <vector>

namespace velmora {

// What a help menu item does besides opening an address.
enum class LinkAction { Address, HelpFile, AboutBox, Separator };

// One item of a link menu: its caption, shortcut and address. Separators have no caption.
struct LinkItem {
    const char* caption;
    const char* address;
    LinkAction action = LinkAction::Address;
    QKeySequence shortcut = {};
};

// A submenu of the media menu and its items.
struct LinkSubmenu {
    const char* caption;
    std::vector<LinkItem> items;
};

// The help menu's items in order.
const std::vector<LinkItem>& HelpLinks();
// The media menu's four submenus in order.
const std::vector<LinkSubmenu>& MediaLinks();

// The maker's web site, as the about box shows it.
const char* MakerSiteAddress();
inline constexpr const char* kMakerLine = "© 2016–2026 Dorvan Software, Томск";

// The file name of the help page beside the program.
inline constexpr const char* kHelpFileName = "VelmoraEditor.html";

}  // namespace velmora
