#pragma once

#include <QWidget>

#include "canvas/map/rect.h"
#include "canvas/view/view_geometry.h"
#include "canvas/view/viewport_compose.h"

namespace velmora {

class CanvasView;

// The navigator: the whole picture small, with the part the canvas shows framed. Dragging
// the frame (or pressing beside it) scrolls the canvas there.
class NavigatorView : public QWidget {
public:
    explicit NavigatorView(CanvasView& canvas, QWidget* parent = nullptr);

    // The canvas's image changed within rect of the picture (all of it when empty).
    void ImageChanged(const Rect& rect);
    // Where the frame is drawn, in this widget's coordinates.
    QRectF FrameRect() const;
    // The picture point under a point of this widget.
    QPointF PicturePointAt(QPointF position) const;

    QSize sizeHint() const override { return {260, 190}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    ViewGeometry Geometry() const;
    void DragTo(QPointF position);

    CanvasView& m_canvas;
    ViewportImage m_image;
    bool m_composed = false;
    bool m_dragging = false;
    QPointF m_grab;  // from the pointer to the frame's centre, picture coordinates
};

}  // namespace velmora
