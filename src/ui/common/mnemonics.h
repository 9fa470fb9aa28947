#pragma once

class QMenu;
class QMenuBar;

namespace velmora {

// Gives every item of a menu (and of its submenus) a keyboard mnemonic: the first letter of a
// word not yet taken in that menu, else any letter not yet taken. Items that already have one
// keep it; the texts shown stay the same apart from the underline.
void AddMnemonics(QMenu& menu);
// The same for the menu bar's titles and every menu under it.
void AddMnemonics(QMenuBar& bar);

}  // namespace velmora
