#include "ui/main/canvas_view.h"

#include <QImage>
#include <QInputDevice>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPointingDevice>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <limits>

#include "canvas/view/view_zoom.h"
#include "store/bitmap.h"
#include "store/common_data.h"

namespace velmora {

namespace {

constexpr int kWheelNotch = 120;
// Scrolling moves the view this many screen pixels per wheel notch.
constexpr int kNotchPixels = 60;
// A brush narrower than this many device pixels is shown as a cross-hair.
constexpr double kSmallestCircle = 4;
// The half length of the cross-hair's arms and of the mark in a circle's centre.
constexpr double kCrossArm = 7;
constexpr double kCentreMark = 2.5;

int ToInt(std::int64_t v) {
    return static_cast<int>(std::clamp<std::int64_t>(v, std::numeric_limits<int>::min(),
                                                     std::numeric_limits<int>::max()));
}

int DeviceSize(int logical, double ratio) {
    return std::max(0, static_cast<int>(std::ceil(logical * ratio - 1e-6)));
}

}  // namespace

CanvasView::CanvasView(QWidget* parent) : QAbstractScrollArea(parent) {
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    horizontalScrollBar()->setSingleStep(20);
    verticalScrollBar()->setSingleStep(20);
    UpdateScrollBars();
}

CanvasView::~CanvasView() = default;

void CanvasView::ShowComposition(const COMMON_DATA& data, ViewMode mode, bool mapChanged) {
    if (!data.canvas.PictureLoaded) {
        return;
    }
    m_data = &data;
    const QSize size(data.canvas.Picture.Width(), data.canvas.Picture.Height());
    if (m_pyramidSource != data.canvas.Picture.Data() || m_pyramidSize != size) {
        m_pyramid.SetPicture(data.canvas.Picture);
        m_pyramidSource = data.canvas.Picture.Data();
        m_pyramidSize = size;
        UpdateScrollBars();
    }
    if (mapChanged) {
        m_pyramid.InvalidateMap();
    }
    const bool sizeChanged = !m_picture || m_picture->Width() != data.canvas.Picture.Width() ||
                             m_picture->Height() != data.canvas.Picture.Height();
    m_picture = &data.canvas.Picture;
    m_map = &data.canvas.Map;
    m_mode = mode;
    m_previewPyramid.Clear();
    if (sizeChanged) {
        UpdateScrollBars();
        ViewChanged();
    }
    Invalidate();
}

void CanvasView::MapChanged(const Rect& rect) {
    if (!m_map || rect.Empty()) {
        return;
    }
    m_pyramid.UpdateMap(*m_map, rect);
    if (!m_composed) {
        viewport()->update();
        return;
    }
    const ViewGeometry g = Geometry();
    if (ViewLevelFor(g.scale) > 0) {
        m_pyramid.EnsureMap(*m_map);
    }
    const Rect device = AffectedDeviceRect(g, rect);
    if (device.Empty()) {
        return;
    }
    ComposeViewport(Scene(), g, m_image, device);
    const double ratio = DevicePixelRatio();
    viewport()->update(
        QRectF(device.x / ratio, device.y / ratio, device.width / ratio, device.height / ratio)
            .toAlignedRect());
    if (onImageChanged) {
        onImageChanged(rect);
    }
}

void CanvasView::ShowPreview(const COMMON_DATA& data, const Bitmap& preview) {
    m_data = &data;
    m_previewPyramid.SetPicture(preview);
    m_picture = &preview;
    m_map = nullptr;
    Invalidate();
}

void CanvasView::PictureReplaced(const COMMON_DATA& data, bool fit) {
    m_data = &data;
    m_pyramid.SetPicture(data.canvas.Picture);
    m_pyramidSource = data.canvas.Picture.Data();
    m_pyramidSize = QSize(data.canvas.Picture.Width(), data.canvas.Picture.Height());
    m_picture = &data.canvas.Picture;
    m_map = &data.canvas.Map;
    m_fitted = fit;
    m_zoom = fit ? FitZoom(data.canvas.Picture.Width(), data.canvas.Picture.Height(),
                           maximumViewportSize().width(), maximumViewportSize().height())
                 : 1;
    UpdateScrollBars();
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
    Invalidate();
    ViewChanged();
}

void CanvasView::ShowNothing() {
    m_picture = nullptr;
    m_map = nullptr;
    m_pyramid.Clear();
    m_previewPyramid.Clear();
    m_pyramidSource = nullptr;
    m_pyramidSize = QSize();
    UpdateScrollBars();
    Invalidate();
    ViewChanged();
}

void CanvasView::SetEffectPreview(std::optional<EffectPreview> effects) {
    if (effects && effects->Neutral()) {
        effects.reset();
    }
    if (!effects && !m_effects) {
        return;
    }
    m_effects = std::move(effects);
    Invalidate();
}

double CanvasView::DevicePixelRatio() const {
    return viewport()->devicePixelRatioF();
}

QSize CanvasView::PictureSize() const {
    return m_picture ? QSize(m_picture->Width(), m_picture->Height()) : QSize();
}

QSize CanvasView::ContentSize(double zoom) const {
    const QSize picture = PictureSize();
    return {static_cast<int>(std::ceil(picture.width() * zoom - 1e-6)),
            static_cast<int>(std::ceil(picture.height() * zoom - 1e-6))};
}

void CanvasView::UpdateScrollBars() {
    const QSize content = ContentSize(m_zoom);
    const QSize room = maximumViewportSize();
    const int barWidth = verticalScrollBar()->sizeHint().width();
    const int barHeight = horizontalScrollBar()->sizeHint().height();
    bool across = content.width() > room.width();
    bool down = content.height() > room.height();
    if (across && !down) {
        down = content.height() > room.height() - barHeight;
    }
    if (down && !across) {
        across = content.width() > room.width() - barWidth;
    }
    const QSize view(room.width() - (down ? barWidth : 0),
                     room.height() - (across ? barHeight : 0));
    QScrollBar* h = horizontalScrollBar();
    QScrollBar* v = verticalScrollBar();
    h->setPageStep(std::max(1, view.width()));
    v->setPageStep(std::max(1, view.height()));
    h->setRange(0, std::max(0, content.width() - view.width()));
    v->setRange(0, std::max(0, content.height() - view.height()));
}

ViewGeometry CanvasView::Geometry() const {
    const double ratio = DevicePixelRatio();
    return {m_zoom * ratio, horizontalScrollBar()->value() * ratio,
            verticalScrollBar()->value() * ratio, DeviceSize(viewport()->width(), ratio),
            DeviceSize(viewport()->height(), ratio)};
}

ViewScene CanvasView::Scene() const {
    ViewScene scene;
    scene.picture = m_picture;
    scene.pyramid = m_map ? &m_pyramid : &m_previewPyramid;
    scene.map = m_map;
    scene.palette = m_data ? &m_data->areas.Palette : nullptr;
    scene.mode = m_mode;
    scene.currentArea = m_data ? m_data->areas.CurrentArea : 0;
    scene.background = palette().color(QPalette::Window).rgb() | 0xFF000000u;
    scene.effects = m_map && m_effects ? &*m_effects : nullptr;
    return scene;
}

ViewScene CanvasView::OverviewScene() {
    if (m_map) {
        m_pyramid.EnsureMap(*m_map);
    }
    return Scene();
}

void CanvasView::Invalidate() {
    m_composed = false;
    viewport()->update();
    if (onImageChanged) {
        onImageChanged({});
    }
}

void CanvasView::HoldFrame(bool held) {
    m_frameHeld = held;
    if (!held) {
        viewport()->update();
    }
}

void CanvasView::EnsureComposed() {
    if (m_frameHeld && m_image.Width() > 0) {
        return;
    }
    const ViewGeometry g = Geometry();
    const double ratio = DevicePixelRatio();
    if (m_image.Width() != g.width || m_image.Height() != g.height) {
        m_image.Resize(g.width, g.height);
        m_composed = false;
    }
    if (ratio != m_composedRatio) {
        m_composedRatio = ratio;
        m_composed = false;
    }
    if (m_composed) {
        return;
    }
    if (m_map && ViewLevelFor(g.scale) > 0) {
        m_pyramid.EnsureMap(*m_map);
    }
    ComposeViewport(Scene(), g, m_image, {0, 0, g.width, g.height});
    m_composed = true;
}

const ViewportImage& CanvasView::Shown() {
    EnsureComposed();
    return m_image;
}

std::optional<std::uint32_t> CanvasView::ShownColorOf(QPoint picturePixel) {
    EnsureComposed();
    const ViewGeometry g = Geometry();
    const std::int64_t x = g.FirstDeviceColumn(picturePixel.x());
    const std::int64_t y = g.FirstDeviceRow(picturePixel.y());
    if (x < 0 || y < 0 || x >= m_image.Width() || y >= m_image.Height() ||
        g.PictureColumn(x) != picturePixel.x() || g.PictureRow(y) != picturePixel.y()) {
        return std::nullopt;
    }
    return m_image.Row(static_cast<int>(y))[x];
}

void CanvasView::ViewChanged() {
    if (m_pointer) {
        viewport()->update(OutlineRect());
    }
    if (onViewChanged) {
        onViewChanged();
    }
}

void CanvasView::SetZoom(double zoom, std::optional<QPointF> anchor) {
    zoom = ClampZoom(zoom);
    const QPointF at =
        anchor.value_or(QPointF(viewport()->width() / 2.0, viewport()->height() / 2.0));
    const double ratio = DevicePixelRatio();
    const ViewGeometry moved = Geometry().ZoomedAbout(zoom * ratio, at.x() * ratio, at.y() * ratio);
    m_zoom = zoom;
    m_fitted = false;
    m_wheelZoom = 0;
    UpdateScrollBars();
    horizontalScrollBar()->setValue(static_cast<int>(std::lround(moved.originX / ratio)));
    verticalScrollBar()->setValue(static_cast<int>(std::lround(moved.originY / ratio)));
    Invalidate();
    ViewChanged();
}

void CanvasView::ZoomIn() {
    SetZoom(ZoomStepIn(m_zoom));
}

void CanvasView::ZoomOut() {
    SetZoom(ZoomStepOut(m_zoom));
}

void CanvasView::ZoomToFit() {
    const QSize picture = PictureSize();
    const QSize room = maximumViewportSize();
    m_fitted = true;
    m_zoom = FitZoom(picture.width(), picture.height(), room.width(), room.height());
    UpdateScrollBars();
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
    Invalidate();
    ViewChanged();
}

void CanvasView::ScrollTo(QPoint offset) {
    horizontalScrollBar()->setValue(offset.x());
    verticalScrollBar()->setValue(offset.y());
}

QPoint CanvasView::ScrollOffset() const {
    return {horizontalScrollBar()->value(), verticalScrollBar()->value()};
}

void CanvasView::CentreOn(QPointF picturePoint) {
    ScrollTo(QPoint(
        static_cast<int>(std::lround(picturePoint.x() * m_zoom - viewport()->width() / 2.0)),
        static_cast<int>(std::lround(picturePoint.y() * m_zoom - viewport()->height() / 2.0))));
}

QPoint CanvasView::PicturePointAt(QPointF viewportPosition) const {
    const double ratio = DevicePixelRatio();
    const ViewGeometry g = Geometry();
    const auto x = static_cast<std::int64_t>(std::floor(viewportPosition.x() * ratio));
    const auto y = static_cast<std::int64_t>(std::floor(viewportPosition.y() * ratio));
    return {ToInt(g.PictureColumn(x)), ToInt(g.PictureRow(y))};
}

QRectF CanvasView::ViewportRectOf(const QRectF& pictureRect) const {
    const double ratio = DevicePixelRatio();
    const ViewGeometry g = Geometry();
    const double left = g.DeviceX(pictureRect.left()) / ratio;
    const double top = g.DeviceY(pictureRect.top()) / ratio;
    const double right = g.DeviceX(pictureRect.right()) / ratio;
    const double bottom = g.DeviceY(pictureRect.bottom()) / ratio;
    return {QPointF(left, top), QPointF(right, bottom)};
}

QRectF CanvasView::VisiblePictureRect() const {
    const ViewGeometry g = Geometry();
    const QRectF seen(g.originX / g.scale, g.originY / g.scale, g.width / g.scale,
                      g.height / g.scale);
    return seen.intersected(QRectF(QPointF(0, 0), QSizeF(PictureSize())));
}

void CanvasView::SetTool(CanvasTool* tool) {
    m_tool = tool;
    UpdateCursor();
    viewport()->update();
}

void CanvasView::BrushChanged() {
    if (m_pointer) {
        viewport()->update(OutlineRect());
    }
}

void CanvasView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    if (m_fitted) {
        const QSize picture = PictureSize();
        const QSize room = maximumViewportSize();
        m_zoom = FitZoom(picture.width(), picture.height(), room.width(), room.height());
    }
    UpdateScrollBars();
    Invalidate();
    ViewChanged();
}

void CanvasView::scrollContentsBy(int, int) {
    Invalidate();
    ViewChanged();
}

void CanvasView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    EnsureComposed();
    QImage image(reinterpret_cast<const uchar*>(m_image.Data()), m_image.Width(), m_image.Height(),
                 static_cast<qsizetype>(m_image.Width()) * 4, QImage::Format_RGB32);
    image.setDevicePixelRatio(DevicePixelRatio());
    painter.drawImage(QPointF(0, 0), image);
    if (m_tool) {
        m_tool->Paint(painter, *this);
    }
    PaintOutline(painter);
}

bool CanvasView::viewportEvent(QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::MouseButtonRelease:
            MouseEvent(static_cast<QMouseEvent*>(event));
            return true;
        case QEvent::Leave:
            MovePointer(std::nullopt);
            break;
        default:
            break;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

void CanvasView::MouseEvent(QMouseEvent* event) {
    const QPointF at = event->position();
    const QEvent::Type type = event->type();
    const bool press = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick;
    if (press && !hasFocus()) {
        setFocus(Qt::MouseFocusReason);
    }
    if (press && m_spaceHeld && event->button() == Qt::LeftButton) {
        m_panning = true;
        m_panFrom = at;
        m_panOffset = ScrollOffset();
        UpdateCursor();
        return;
    }
    if (m_panning) {
        if (type == QEvent::MouseMove) {
            ScrollTo(m_panOffset - (at - m_panFrom).toPoint());
        } else if (type == QEvent::MouseButtonRelease && event->button() == Qt::LeftButton) {
            m_panning = false;
            UpdateCursor();
        }
        return;
    }
    if (type == QEvent::MouseMove) {
        MovePointer(at);
    }
    const CanvasMouseEvent mouse{event->button(),
                                 event->buttons(),
                                 event->modifiers(),
                                 PicturePointAt(at),
                                 at,
                                 type == QEvent::MouseButtonDblClick};
    if (press) {
        m_tool ? m_tool->Press(mouse) : (onPress ? onPress(mouse) : void());
    } else if (type == QEvent::MouseMove) {
        m_tool ? m_tool->Move(mouse) : (onMove ? onMove(mouse) : void());
    } else {
        m_tool ? m_tool->Release(mouse) : (onRelease ? onRelease(mouse) : void());
    }
}

void CanvasView::wheelEvent(QWheelEvent* event) {
    event->accept();
    const QPoint angle = event->angleDelta();
    const QPoint pixels = event->pixelDelta();
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    const QPointingDevice* device = event->pointingDevice();
    const bool touchpad = (device && device->type() == QInputDevice::DeviceType::TouchPad) ||
                          event->phase() != Qt::NoScrollPhase || !pixels.isNull();
    if (modifiers & Qt::ControlModifier) {
        if (!ShowsPicture()) {
            return;
        }
        m_wheelZoom += angle.y() != 0 ? angle.y() : angle.x();
        const int notches = m_wheelZoom / kWheelNotch;
        if (notches == 0) {
            return;
        }
        double zoom = m_zoom;
        for (int i = 0; i < std::abs(notches); ++i) {
            zoom = notches > 0 ? ZoomStepIn(zoom) : ZoomStepOut(zoom);
        }
        const int rest = m_wheelZoom - notches * kWheelNotch;
        SetZoom(zoom, event->position());
        m_wheelZoom = rest;
        return;
    }
    const QPointF notchMove = QPointF(angle) * kNotchPixels / kWheelNotch;
    if (touchpad) {
        PanBy(pixels.isNull() ? notchMove : QPointF(pixels));
    } else if (modifiers & Qt::AltModifier) {
        // Across: some systems already turn an Alt + wheel into a horizontal one.
        PanBy(QPointF(angle.y() != 0 ? notchMove.y() : notchMove.x(), 0));
    } else if (modifiers & Qt::ShiftModifier) {
        PanBy(angle.y() != 0 ? QPointF(0, notchMove.y()) : QPointF(notchMove.x(), 0));
    } else if (angle.y() == 0 && angle.x() != 0) {
        PanBy(QPointF(notchMove.x(), 0));  // a tilted wheel
    } else if (onBrushWheel) {
        onBrushWheel(angle.y());
        BrushChanged();
    }
}

void CanvasView::PanBy(QPointF delta) {
    ScrollTo(ScrollOffset() - delta.toPoint());
}

void CanvasView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier) {
        if (!event->isAutoRepeat()) {
            m_spaceHeld = true;
            UpdateCursor();
            BrushChanged();
        }
        event->accept();
        return;
    }
    if (m_tool && m_tool->KeyPressed(event->key())) {
        event->accept();
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void CanvasView::keyReleaseEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space) {
        if (!event->isAutoRepeat()) {
            m_spaceHeld = false;
            m_panning = false;
            UpdateCursor();
            BrushChanged();
        }
        event->accept();
        return;
    }
    QAbstractScrollArea::keyReleaseEvent(event);
}

void CanvasView::focusOutEvent(QFocusEvent* event) {
    m_spaceHeld = false;
    m_panning = false;
    UpdateCursor();
    QAbstractScrollArea::focusOutEvent(event);
}

void CanvasView::UpdateCursor() {
    if (m_panning) {
        viewport()->setCursor(Qt::ClosedHandCursor);
    } else if (m_spaceHeld) {
        viewport()->setCursor(Qt::OpenHandCursor);
    } else if (ShowsPicture() && (!m_tool || m_tool->ShowsBrush())) {
        // The brush's outline is the pointer.
        viewport()->setCursor(Qt::BlankCursor);
    } else {
        viewport()->setCursor(Qt::CrossCursor);
    }
}

void CanvasView::MovePointer(std::optional<QPointF> position) {
    if (m_pointer) {
        viewport()->update(OutlineRect());
    }
    m_pointer = position;
    if (m_pointer) {
        UpdateCursor();
        viewport()->update(OutlineRect());
    }
}

QRect CanvasView::OutlineRect() const {
    if (!m_pointer) {
        return {};
    }
    const QPoint p = PicturePointAt(*m_pointer);
    const int width = brushWidth ? std::max(1, brushWidth()) : 1;
    const QRectF pixel = ViewportRectOf(QRectF(p.x() + 0.5, p.y() + 0.5, 0, 0));
    const double reach = std::max(width / 2.0 * m_zoom + 1, kCrossArm) + 3;
    return QRectF(pixel.topLeft() - QPointF(reach, reach), QSizeF(2 * reach, 2 * reach))
        .toAlignedRect();
}

void CanvasView::PaintOutline(QPainter& painter) const {
    if (!m_pointer || !ShowsPicture() || m_panning || m_spaceHeld || !brushWidth ||
        (m_tool && !m_tool->ShowsBrush())) {
        return;
    }
    const QPoint p = PicturePointAt(*m_pointer);
    const int width = std::max(1, brushWidth());
    // An odd brush is centred on the pixel, an even one on its top-left corner.
    const double offset = width % 2 == 1 ? 0.5 : 0;
    const QPointF centre = ViewportRectOf(QRectF(p.x() + offset, p.y() + offset, 0, 0)).topLeft();
    painter.setRenderHint(QPainter::Antialiasing);
    const QPen halo(QColor(255, 255, 255, 200), 3);
    const QPen line(Qt::black, 1);
    auto stroke = [&painter, &halo, &line](auto&& draw) {
        for (const QPen& pen : {halo, line}) {
            painter.setPen(pen);
            painter.setBrush(Qt::NoBrush);
            draw();
        }
    };
    if (width * m_zoom * DevicePixelRatio() < kSmallestCircle) {
        const QPointF at = ViewportRectOf(QRectF(p.x() + 0.5, p.y() + 0.5, 0, 0)).topLeft();
        stroke([&] {
            painter.drawLine(at - QPointF(kCrossArm, 0), at - QPointF(2, 0));
            painter.drawLine(at + QPointF(2, 0), at + QPointF(kCrossArm, 0));
            painter.drawLine(at - QPointF(0, kCrossArm), at - QPointF(0, 2));
            painter.drawLine(at + QPointF(0, 2), at + QPointF(0, kCrossArm));
        });
        return;
    }
    const double radius = width / 2.0 * m_zoom;
    stroke([&] {
        painter.drawEllipse(centre, radius, radius);
        painter.drawLine(centre - QPointF(kCentreMark, 0), centre + QPointF(kCentreMark, 0));
        painter.drawLine(centre - QPointF(0, kCentreMark), centre + QPointF(0, kCentreMark));
    });
}

}  // namespace velmora
