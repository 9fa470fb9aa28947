#include "ui/common/app_icon.h"

#include <QPainter>
#include <QPainterPath>

namespace velmora {

QImage AppIconImage(int size) {
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 64.0, size / 64.0);

    painter.setPen(QPen(QColor(0x2c, 0x3e, 0x50), 3));
    painter.setBrush(QColor(0xe6, 0xe9, 0xec));
    painter.drawRoundedRect(QRectF(4, 8, 56, 48), 5, 5);

    // A hill and a sun, with one hill painted over as an area.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x5a, 0x7a, 0x96));
    QPainterPath hills;
    hills.moveTo(6, 54);
    hills.lineTo(22, 30);
    hills.lineTo(34, 44);
    hills.lineTo(44, 34);
    hills.lineTo(58, 54);
    hills.closeSubpath();
    painter.drawPath(hills);
    painter.setBrush(QColor(0xc7, 0x77, 0xbd, 200));
    painter.drawEllipse(QPointF(22, 40), 10, 9);
    painter.setBrush(QColor(0xf0, 0xb4, 0x29));
    painter.drawEllipse(QPointF(46, 20), 6, 6);

    // The pointer.
    painter.setBrush(Qt::white);
    painter.setPen(QPen(Qt::black, 1.5));
    QPainterPath arrow;
    arrow.moveTo(36, 36);
    arrow.lineTo(36, 58);
    arrow.lineTo(41, 53);
    arrow.lineTo(45, 61);
    arrow.lineTo(48, 59);
    arrow.lineTo(44, 52);
    arrow.lineTo(51, 52);
    arrow.closeSubpath();
    painter.drawPath(arrow);
    return image;
}

QIcon AppIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128}) {
        icon.addPixmap(QPixmap::fromImage(AppIconImage(size)));
    }
    return icon;
}

}  // namespace velmora
