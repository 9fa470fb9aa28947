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

// Moves (and if need be shrinks) a top-level window so that it lies wholly on the available
// area of the screen nearest to it.
void KeepOnScreen(QWidget& window);

}  // namespace velmora
