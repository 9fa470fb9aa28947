#include "ui/common/window_places.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QSettings>
#include <QWidget>

#include "ui/common/text.h"

namespace velmora {

namespace {

QString PlaceKey(const char* key) {
    return Q("windows/") + Q(key);
}

QScreen* NearestScreen(const QRect& frame) {
    QScreen* best = QGuiApplication::primaryScreen();
    int bestArea = -1;
    for (QScreen* screen : QGuiApplication::screens()) {
        const QRect common = screen->availableGeometry().intersected(frame);
        const int area = common.isEmpty() ? 0 : common.width() * common.height();
        if (area > bestArea) {
            best = screen;
            bestArea = area;
        }
    }
    return best;
}

}  // namespace

QPoint PlaceBeside(const QWidget& anchor, const QWidget& window) {
    const QRect main = anchor.frameGeometry();
    const QSize outer = window.frameGeometry().size();
    QScreen* screen = NearestScreen(main);
    if (!screen) {
        return main.topRight() + QPoint(1, 0);
    }
    const QRect available = screen->availableGeometry();
    int x = main.right() + 1;
    if (x + outer.width() - 1 > available.right()) {
        x = main.left() - outer.width();
        if (x < available.left() && main.width() + outer.width() <= available.width()) {
            // Room for both, though not where the main window stands: the screen's right edge,
            // and the main window makes way (StandBesideMainWindow).
            x = available.right() - outer.width() + 1;
        } else if (x < available.left()) {
            // No room on either side: the picture's top-left corner at least stays in view.
            return main.topLeft() + QPoint(150, 150);
        }
    }
    const int y = std::clamp(main.top(), available.top(),
                             std::max(available.top(), available.bottom() - outer.height() + 1));
    return {x, y};
}

void KeepOnScreen(QWidget& window) {
    QRect place = window.geometry();
    QScreen* screen = NearestScreen(place);
    if (!screen) {
        return;
    }
    const QRect available = screen->availableGeometry();
    // The frame around the client area (title bar, borders) must fit too.
    const QSize frame = window.frameGeometry().size() - window.geometry().size();
    const int top = std::max(available.top(), 0) + frame.height();
    place.setSize(
        place.size().boundedTo(available.size() - frame).expandedTo(window.minimumSize()));
    place.moveLeft(std::clamp(place.left(), available.left(),
                              std::max(available.left(), available.right() - place.width())));
    place.moveTop(std::clamp(place.top(), std::min(top, available.bottom()),
                             std::max(top, available.bottom() - place.height())));
    window.setGeometry(place);
}

void RestoreWindowPlace(QWidget& window, const char* key, QPoint fallback) {
    const QRect saved = QSettings().value(PlaceKey(key)).toRect();
    if (saved.isValid()) {
        window.setGeometry(saved);
    } else {
        window.move(fallback);
    }
    KeepOnScreen(window);
}

void SaveWindowPlace(const QWidget& window, const char* key) {
    QSettings().setValue(PlaceKey(key), window.geometry());
}

}  // namespace velmora
