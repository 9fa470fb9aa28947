#include "ui/main/navigator_view.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "canvas/view/view_zoom.h"
#include "ui/main/canvas_view.h"

namespace velmora {

namespace {

constexpr int kMargin = 4;

}  // namespace

NavigatorView::NavigatorView(CanvasView& canvas, QWidget* parent)
    : QWidget(parent), m_canvas(canvas) {
    setMinimumSize(120, 90);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::OpenHandCursor);
}

ViewGeometry NavigatorView::Geometry() const {
    const double ratio = devicePixelRatioF();
    const QSize picture = m_canvas.PictureSize();
    const int roomWidth = std::max(1, width() - 2 * kMargin);
    const int roomHeight = std::max(1, height() - 2 * kMargin);
    // The overview may be smaller than the smallest zoom of the canvas.
    double zoom = 1;
    if (!picture.isEmpty()) {
        zoom = std::min(static_cast<double>(roomWidth) / picture.width(),
                        static_cast<double>(roomHeight) / picture.height());
    }
    const double scale = zoom * ratio;
    ViewGeometry g;
    g.scale = scale;
    g.width = static_cast<int>(std::ceil(width() * ratio));
    g.height = static_cast<int>(std::ceil(height() * ratio));
    // Centred: the widget's corner lies up and left of the picture's.
    g.originX = -(g.width - picture.width() * scale) / 2;
    g.originY = -(g.height - picture.height() * scale) / 2;
    return g;
}

QPointF NavigatorView::PicturePointAt(QPointF position) const {
    const ViewGeometry g = Geometry();
    const double ratio = devicePixelRatioF();
    return {(position.x() * ratio + g.originX) / g.scale,
            (position.y() * ratio + g.originY) / g.scale};
}

QRectF NavigatorView::FrameRect() const {
    const ViewGeometry g = Geometry();
    const double ratio = devicePixelRatioF();
    const QRectF seen = m_canvas.VisiblePictureRect();
    return {QPointF(g.DeviceX(seen.left()) / ratio, g.DeviceY(seen.top()) / ratio),
            QPointF(g.DeviceX(seen.right()) / ratio, g.DeviceY(seen.bottom()) / ratio)};
}

void NavigatorView::ImageChanged(const Rect& rect) {
    if (!m_composed || rect.Empty() || !isVisible()) {
        m_composed = false;
        update();
        return;
    }
    const ViewGeometry g = Geometry();
    const Rect device = AffectedDeviceRect(g, rect);
    if (device.Empty()) {
        return;
    }
    ComposeViewport(m_canvas.OverviewScene(), g, m_image, device);
    const double ratio = devicePixelRatioF();
    update(QRectF(device.x / ratio, device.y / ratio, device.width / ratio, device.height / ratio)
               .toAlignedRect());
}

void NavigatorView::resizeEvent(QResizeEvent* event) {
    m_composed = false;
    QWidget::resizeEvent(event);
}

void NavigatorView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const ViewGeometry g = Geometry();
    if (m_image.Width() != g.width || m_image.Height() != g.height) {
        m_image.Resize(g.width, g.height);
        m_composed = false;
    }
    if (!m_composed && !m_canvas.FrameHeld()) {
        ViewScene scene = m_canvas.OverviewScene();
        scene.background = palette().color(QPalette::Window).rgb() | 0xFF000000u;
        ComposeViewport(scene, g, m_image, {0, 0, g.width, g.height});
        m_composed = true;
    }
    QImage image(reinterpret_cast<const uchar*>(m_image.Data()), m_image.Width(), m_image.Height(),
                 static_cast<qsizetype>(m_image.Width()) * 4, QImage::Format_RGB32);
    image.setDevicePixelRatio(devicePixelRatioF());
    painter.drawImage(QPointF(0, 0), image);
    if (!m_canvas.ShowsPicture()) {
        return;
    }
    const QRectF frame = FrameRect().adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QPen(QColor(255, 255, 255), 3));
    painter.drawRect(frame);
    painter.setPen(QPen(QColor(200, 0, 0), 1));
    painter.drawRect(frame);
}

void NavigatorView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !m_canvas.ShowsPicture()) {
        return;
    }
    const QRectF frame = FrameRect();
    const QPointF at = PicturePointAt(event->position());
    const QRectF seen = m_canvas.VisiblePictureRect();
    // Grabbing the frame keeps its place under the pointer; pressing beside it centres there.
    m_grab = frame.contains(event->position()) ? seen.center() - at : QPointF();
    m_dragging = true;
    setCursor(Qt::ClosedHandCursor);
    DragTo(event->position());
}

void NavigatorView::mouseMoveEvent(QMouseEvent* event) {
    if (m_dragging) {
        DragTo(event->position());
    }
}

void NavigatorView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_dragging = false;
        setCursor(Qt::OpenHandCursor);
    }
}

void NavigatorView::DragTo(QPointF position) {
    m_canvas.CentreOn(PicturePointAt(position) + m_grab);
    update();
}

}  // namespace velmora
