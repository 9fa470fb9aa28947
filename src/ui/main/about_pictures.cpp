#include "ui/main/about_pictures.h"

#include <QPainter>
#include <QPainterPath>

namespace velmora {

namespace {

constexpr int kSide = 100;

// One eye: the white, then the pupil pushed toward the direction of the look.
void DrawEye(QPainter& painter, QPointF centre, int column, int row) {
    painter.setPen(QPen(QColor(40, 30, 20), 1.5));
    painter.setBrush(Qt::white);
    painter.drawEllipse(centre, 11.0, 12.0);
    const QPointF pupil = centre + QPointF(column * 5.0, row * 5.5);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(30, 60, 110));
    painter.drawEllipse(pupil, 5.5, 5.5);
    painter.setBrush(Qt::white);
    painter.drawEllipse(pupil + QPointF(-1.8, -2.0), 1.6, 1.6);
}

}  // namespace

QPixmap AboutFigure(int column, int row) {
    QPixmap pixmap(kSide, kSide);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);

    // The whole face leans a little toward where it looks, as a head turns.
    const QPointF face(50.0 + column * 4.0, 54.0 + row * 3.0);

    // Ears, then the head: a round cat-like figure in the program's blue and orange.
    painter.setPen(QPen(QColor(40, 30, 20), 2.0));
    painter.setBrush(QColor(245, 160, 60));
    for (int side : {-1, 1}) {
        QPainterPath ear;
        ear.moveTo(50.0 + side * 16.0, 24.0);
        ear.lineTo(50.0 + side * 36.0, 8.0 + row * 2.0);
        ear.lineTo(50.0 + side * 38.0, 40.0);
        ear.closeSubpath();
        painter.drawPath(ear);
    }
    painter.drawEllipse(QPointF(50.0, 56.0), 40.0, 38.0);

    // A lighter muzzle under the eyes.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 225, 180));
    painter.drawEllipse(face + QPointF(0.0, 18.0), 20.0, 14.0);

    DrawEye(painter, face + QPointF(-15.0, -4.0), column, row);
    DrawEye(painter, face + QPointF(15.0, -4.0), column, row);

    // Nose and mouth.
    painter.setBrush(QColor(200, 70, 90));
    painter.drawEllipse(face + QPointF(0.0, 11.0), 4.0, 3.0);
    painter.setPen(QPen(QColor(40, 30, 20), 1.5));
    painter.setBrush(Qt::NoBrush);
    QPainterPath mouth;
    mouth.moveTo(face + QPointF(-7.0, 18.0));
    mouth.quadTo(face + QPointF(-3.5, 23.0), face + QPointF(0.0, 16.0));
    mouth.quadTo(face + QPointF(3.5, 23.0), face + QPointF(7.0, 18.0));
    painter.drawPath(mouth);
    return pixmap;
}

}  // namespace velmora
