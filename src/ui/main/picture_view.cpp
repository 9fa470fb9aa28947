#include "ui/main/picture_view.h"

#include <QImage>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWheelEvent>

#include "store/bitmap.h"

namespace velmora {

PictureView::PictureView(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void PictureView::ShowBitmap(const Bitmap* bitmap) {
    m_bitmap = bitmap && !bitmap->Empty() ? bitmap : nullptr;
    update();
}

void PictureView::paintEvent(QPaintEvent* event) {
    if (!m_bitmap) {
        return;
    }
    // A view on the bitmap's rows without a copy; the rows are padded to 4 bytes.
    const QImage image(m_bitmap->Data(), m_bitmap->Width(), m_bitmap->Height(),
                       static_cast<qsizetype>(m_bitmap->BytesPerLine()), QImage::Format_BGR888);
    QPainter painter(this);
    const QRect area = event->rect() & image.rect();
    painter.drawImage(area.topLeft(), image, area);
}

void PictureView::mousePressEvent(QMouseEvent* event) {
    if (onPress) {
        onPress(event);
    }
}

void PictureView::mouseMoveEvent(QMouseEvent* event) {
    if (onMove) {
        onMove(event);
    }
}

void PictureView::mouseReleaseEvent(QMouseEvent* event) {
    if (onRelease) {
        onRelease(event);
    }
}

PictureScrollArea::PictureScrollArea(QWidget* parent) : QScrollArea(parent) {
    setFrameShape(QFrame::NoFrame);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setWidgetResizable(false);
}

void PictureScrollArea::wheelEvent(QWheelEvent* event) {
    if (onWheel) {
        onWheel(event->angleDelta().y());
    }
    QScrollArea::wheelEvent(event);
    // Handled here; the main window must not see the same turn again.
    event->accept();
}

}  // namespace velmora
