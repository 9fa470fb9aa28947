#include "ui/main/tool_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace velmora {

namespace {

constexpr int kSide = 24;

void Draw(QPainter& p, AreaTool tool) {
    const QColor ink(40, 40, 40);
    const QColor fill(70, 130, 200);
    p.setPen(QPen(ink, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    switch (tool) {
        case AreaTool::Brush: {
            p.setPen(QPen(fill, 4, Qt::SolidLine, Qt::RoundCap));
            QPainterPath stroke(QPointF(4, 18));
            stroke.cubicTo(QPointF(8, 8), QPointF(14, 20), QPointF(20, 6));
            p.drawPath(stroke);
            break;
        }
        case AreaTool::Fill: {
            QPainterPath bucket;
            bucket.moveTo(5, 10);
            bucket.lineTo(12, 3);
            bucket.lineTo(19, 10);
            bucket.lineTo(12, 17);
            bucket.closeSubpath();
            p.setBrush(fill);
            p.drawPath(bucket);
            p.drawEllipse(QPointF(19, 18), 2, 3);
            break;
        }
        case AreaTool::Wand: {
            p.setPen(QPen(ink, 2.5, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(4, 20), QPointF(14, 10));
            p.setPen(QPen(fill, 1.6, Qt::SolidLine, Qt::RoundCap));
            for (const auto& [dx, dy] : {std::pair{0.0, -5.0},
                                         {0.0, 5.0},
                                         {-5.0, 0.0},
                                         {5.0, 0.0},
                                         {3.5, 3.5},
                                         {-3.5, -3.5},
                                         {3.5, -3.5}}) {
                p.drawLine(QPointF(17, 7), QPointF(17 + dx, 7 + dy));
            }
            break;
        }
        case AreaTool::Rectangle:
            p.setBrush(fill);
            p.drawRect(QRectF(4, 6, 16, 12));
            break;
        case AreaTool::Ellipse:
            p.setBrush(fill);
            p.drawEllipse(QRectF(3, 6, 18, 12));
            break;
        case AreaTool::Polygon: {
            const QPointF corners[] = {{4, 18}, {8, 5}, {20, 9}, {15, 19}};
            p.setBrush(fill);
            p.drawPolygon(corners, 4);
            break;
        }
        case AreaTool::Object:
            p.setPen(QPen(ink, 1.2, Qt::DashLine));
            p.drawRect(QRectF(2.5, 2.5, 19, 19));
            p.setPen(QPen(ink, 1.2));
            p.setBrush(fill);
            p.drawEllipse(QRectF(7, 7, 10, 11));
            break;
    }
}

}  // namespace

QIcon ToolIcon(AreaTool tool) {
    QIcon icon;
    for (const int scale : {1, 2}) {
        QPixmap pixmap(kSide * scale, kSide * scale);
        pixmap.setDevicePixelRatio(scale);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        Draw(painter, tool);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace velmora
