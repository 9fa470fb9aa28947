#pragma once

#include <QPoint>
#include <QSize>

class QWidget;

namespace velmora {

// Remembers where the author put a tool window, and its size, between runs (QSettings under
// "windows/<key>"); the first time it goes to fallback with its own size. Either way the
// window is moved wholly onto a screen, so it is never lost off-screen.
void RestoreWindowPlace(QWidget& window, const char* key, QPoint fallback);
void SaveWindowPlace(const QWidget& window, const char* key);

// Where a tool window's frame goes so that it stands beside anchor's, never over it: to the
// right of anchor when it fits on anchor's screen, else to its left, else at the screen's right
// edge when the screen is wide enough for both (anchor must then move); on a screen too narrow
// for both, down and right of anchor's top-left corner, which stays in view.
QPoint PlaceBeside(const QWidget& anchor, const QWidget& window);

// Moves (and if need be shrinks) a top-level window so that it lies wholly on the available
// area of the screen nearest to it.
void KeepOnScreen(QWidget& window);

}  // namespace velmora
