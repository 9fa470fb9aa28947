#pragma once

#include <QWidget>

namespace velmora {

// Puts a window's frame centred over another window's frame.
inline void CentreOn(QWidget& window, const QWidget& owner) {
    const QRect outer = owner.frameGeometry();
    const QSize size = window.frameGeometry().size();
    window.move(outer.center().x() - size.width() / 2, outer.center().y() - size.height() / 2);
}

}  // namespace velmora
