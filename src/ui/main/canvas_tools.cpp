#include "ui/main/canvas_tools.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "ui/main/main_window.h"

namespace velmora {

namespace {

bool Overwriting(const CanvasMouseEvent& event) {
    return (event.modifiers & Qt::ShiftModifier) != 0;
}

// A picture pixel's centre in the viewport.
QPointF CentreOf(const CanvasView& view, QPoint pixel) {
    return view.ViewportRectOf(QRectF(pixel.x() + 0.5, pixel.y() + 0.5, 0, 0)).topLeft();
}

// Draws twice, a light halo under a dark line, so that the marks show on any picture.
template <typename Draw>
void Outlined(QPainter& painter, Draw&& draw) {
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(255, 255, 255, 210), 3));
    draw();
    painter.setPen(QPen(Qt::black, 1, Qt::DashLine));
    draw();
}

}  // namespace

void AreaToolMode::Press(const CanvasMouseEvent& event) {
    if (m_toBrush || event.button != Qt::LeftButton ||
        (event.modifiers & Qt::ControlModifier) != 0) {
        m_toBrush = true;
        m_form.ImageMouseDown(event.buttons, event.modifiers, event.picture.x(), event.picture.y());
        return;
    }
    LeftPress(event);
}

void AreaToolMode::Move(const CanvasMouseEvent& event) {
    m_form.ImageMouseMove(event.buttons, event.picture.x(), event.picture.y());
    if (!m_toBrush) {
        PointerMoved(event);
    }
}

void AreaToolMode::Release(const CanvasMouseEvent& event) {
    if (m_toBrush) {
        if (event.buttons == Qt::NoButton) {
            m_toBrush = false;
            m_form.ImageMouseUp();
        }
        return;
    }
    if (event.button == Qt::LeftButton) {
        LeftRelease(event);
    }
}

void ClickTool::LeftPress(const CanvasMouseEvent& event) {
    if (event.doubleClick) {
        return;  // the first click of the pair has filled already
    }
    if (m_kind == AreaTool::Wand) {
        m_form.WandAt(event.picture, Overwriting(event));
    } else {
        m_form.FillAt(event.picture, Overwriting(event));
    }
}

QRect BoxTool::Box() const {
    if (!m_from) {
        return {};
    }
    return {QPoint(std::min(m_from->x(), m_to.x()), std::min(m_from->y(), m_to.y())),
            QPoint(std::max(m_from->x(), m_to.x()), std::max(m_from->y(), m_to.y()))};
}

void BoxTool::LeftPress(const CanvasMouseEvent& event) {
    if (!m_form.ReadyForTool()) {
        return;
    }
    m_from = event.picture;
    m_to = event.picture;
    m_view.viewport()->update();
}

void BoxTool::PointerMoved(const CanvasMouseEvent& event) {
    if (m_from && (event.buttons & Qt::LeftButton)) {
        m_to = event.picture;
        m_view.viewport()->update();
    }
}

void BoxTool::LeftRelease(const CanvasMouseEvent& event) {
    if (!m_from) {
        return;
    }
    m_to = event.picture;
    const QRect box = Box();
    // A click without a drag makes no box.
    const bool dragged = *m_from != m_to;
    Cancel();
    if (dragged) {
        m_form.FillBox(m_kind, box, Overwriting(event));
    }
}

void BoxTool::Cancel() {
    m_from.reset();
    m_view.viewport()->update();
}

bool BoxTool::KeyPressed(int key) {
    if (key == Qt::Key_Escape && m_from) {
        Cancel();
        return true;
    }
    return false;
}

void BoxTool::Paint(QPainter& painter, const CanvasView& view) {
    if (!m_from) {
        return;
    }
    const QRect box = Box();
    const QRectF shown = view.ViewportRectOf(QRectF(box.x(), box.y(), box.width(), box.height()));
    Outlined(painter, [&] {
        if (m_kind == AreaTool::Ellipse) {
            painter.drawEllipse(shown);
        } else {
            painter.drawRect(shown);
        }
    });
}

void PolygonTool::LeftPress(const CanvasMouseEvent& event) {
    if (event.doubleClick) {
        Close(Overwriting(event));
        return;
    }
    if (m_corners.empty() && !m_form.ReadyForTool()) {
        return;
    }
    if (m_corners.empty() || m_corners.back() != event.picture) {
        m_corners.push_back(event.picture);
    }
    m_pointer = event.picture;
    m_view.viewport()->update();
}

void PolygonTool::PointerMoved(const CanvasMouseEvent& event) {
    m_pointer = event.picture;
    if (!m_corners.empty()) {
        m_view.viewport()->update();
    }
}

bool PolygonTool::KeyPressed(int key) {
    if (m_corners.empty()) {
        return false;
    }
    if (key == Qt::Key_Escape) {
        Cancel();
        return true;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        Close((QGuiApplication::keyboardModifiers() & Qt::ShiftModifier) != 0);
        return true;
    }
    return false;
}

void PolygonTool::Cancel() {
    m_corners.clear();
    m_view.viewport()->update();
}

void PolygonTool::Close(bool overwrite) {
    const std::vector<QPoint> corners = m_corners;
    Cancel();
    if (corners.size() < 3) {
        m_form.Beep();
        return;
    }
    m_form.FillPolygonCorners(corners, overwrite);
}

void PolygonTool::Paint(QPainter& painter, const CanvasView& view) {
    if (m_corners.empty()) {
        return;
    }
    QPainterPath path(CentreOf(view, m_corners.front()));
    for (std::size_t i = 1; i < m_corners.size(); ++i) {
        path.lineTo(CentreOf(view, m_corners[i]));
    }
    if (m_pointer) {
        path.lineTo(CentreOf(view, *m_pointer));
    }
    Outlined(painter, [&] {
        painter.drawPath(path);
        for (const QPoint& corner : m_corners) {
            const QPointF at = CentreOf(view, corner);
            painter.drawRect(QRectF(at - QPointF(2, 2), QSizeF(4, 4)));
        }
    });
}

}  // namespace velmora
