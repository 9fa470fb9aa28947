#pragma once

#include <QAbstractScrollArea>
#include <QPoint>
#include <QPointF>
#include <QRectF>
#include <functional>
#include <optional>

#include "canvas/map/rect.h"
#include "canvas/view/pixel_effect.h"
#include "canvas/view/view_compose.h"
#include "canvas/view/view_geometry.h"
#include "canvas/view/view_pyramid.h"
#include "canvas/view/viewport_compose.h"

namespace velmora {

class Bitmap;
class COMMON_DATA;

// The mouse over the picture: the button that changed (none on a move), the buttons and
// modifier keys held, the picture pixel under the pointer and the pointer in the viewport.
// A double click's second press is a press with doubleClick set.
struct CanvasMouseEvent {
    Qt::MouseButton button = Qt::NoButton;
    Qt::MouseButtons buttons;
    Qt::KeyboardModifiers modifiers;
    QPoint picture;
    QPointF position;
    bool doubleClick = false;
};

class CanvasView;

// A tool that takes the mouse over the picture in place of the brush (a fill, a shape…).
// It gets picture pixels at every zoom and may draw its own marks over the view.
class CanvasTool {
public:
    virtual ~CanvasTool() = default;
    virtual void Press(const CanvasMouseEvent& event) = 0;
    virtual void Move(const CanvasMouseEvent& event) = 0;
    virtual void Release(const CanvasMouseEvent& event) = 0;
    // Draws over the view, in viewport coordinates (CanvasView::ViewportRectOf maps to them).
    virtual void Paint(QPainter& painter, const CanvasView& view) {
        (void)painter;
        (void)view;
    }
    // Whether the brush's outline follows the pointer while the tool is active.
    virtual bool ShowsBrush() const { return false; }
    // A key pressed while the canvas has the focus; true when the tool used it.
    virtual bool KeyPressed(int key) {
        (void)key;
        return false;
    }
};

// The picture at any zoom from 1/16 to 16: draws only the visible part from the view
// composition, scrolls (scroll bars, Space + drag, Shift + wheel, touchpad) and zooms (Ctrl +
// wheel about the pointer), shows the brush's outline, and reports the mouse in picture pixels.
// The wheel alone is the brush size's: it only calls onBrushWheel.
class CanvasView : public QAbstractScrollArea {
public:
    explicit CanvasView(QWidget* parent = nullptr);
    ~CanvasView() override;

    // Shows picture and map of data in mode. mapChanged false when only the mode changed.
    void ShowComposition(const COMMON_DATA& data, ViewMode mode, bool mapChanged = true);
    // The map changed within rect (picture pixels) only: after a brush segment.
    void MapChanged(const Rect& rect);
    // Shows preview (an overlay pasted into a copy of the picture) instead of the composition.
    void ShowPreview(const COMMON_DATA& data, const Bitmap& preview);
    // The picture was replaced: its halves are rebuilt and the view starts at 100 %, or fitted
    // when the picture is larger than the viewport.
    void PictureReplaced(const COMMON_DATA& data, bool fit);
    void ShowNothing();
    // Shows the composition with the picture's pixels changed as the page's effects change
    // them (none: as they are). Only the viewport is recomposed.
    void SetEffectPreview(std::optional<EffectPreview> effects);
    bool PreviewsEffects() const { return m_effects.has_value(); }
    bool ShowsPicture() const { return m_picture != nullptr; }
    bool ShowsComposition() const { return m_picture != nullptr && m_map != nullptr; }
    // What is shown, with the map's halves made current, for a smaller overview of it.
    ViewScene OverviewScene();

    double Zoom() const { return m_zoom; }
    bool Fitted() const { return m_fitted; }
    // Zooms about a point of the viewport (its centre when none is given).
    void SetZoom(double zoom, std::optional<QPointF> anchor = std::nullopt);
    // Zooms about the pointer while it is over the picture, else about the viewport's centre.
    void SetZoomAtPointer(double zoom) { SetZoom(zoom, m_pointer); }
    void ZoomIn();
    void ZoomOut();
    void ZoomToFit();
    // Scrolls so that the viewport's top-left corner is at offset (zoomed picture pixels,
    // held within the scroll range).
    void ScrollTo(QPoint offset);
    QPoint ScrollOffset() const;
    // Scrolls so that the picture point is in the middle of the viewport where possible.
    void CentreOn(QPointF picturePoint);

    // The picture pixel under a point of the viewport; the same pixel that is shown there.
    QPoint PicturePointAt(QPointF viewportPosition) const;
    // Where a rectangle of picture coordinates lies in the viewport.
    QRectF ViewportRectOf(const QRectF& pictureRect) const;
    // The part of the picture the viewport shows, in picture coordinates.
    QRectF VisiblePictureRect() const;
    QSize PictureSize() const;
    // The colour shown for a picture pixel (at its first device pixel), none when not in view.
    std::optional<std::uint32_t> ShownColorOf(QPoint picturePixel);
    const ViewportImage& Shown();
    double DevicePixelRatio() const;

    // While held, the view paints the frame it last composed and reads nothing of the project:
    // a long operation on another thread may be changing the picture or the map.
    void HoldFrame(bool held);
    bool FrameHeld() const { return m_frameHeld; }

    void SetTool(CanvasTool* tool);
    CanvasTool* Tool() const { return m_tool; }
    // The brush's outline follows a new size.
    void BrushChanged();

    std::function<void(const CanvasMouseEvent&)> onPress;
    std::function<void(const CanvasMouseEvent&)> onMove;
    std::function<void(const CanvasMouseEvent&)> onRelease;
    std::function<void(int delta)> onBrushWheel;
    // Zoom, scroll or viewport size changed.
    std::function<void()> onViewChanged;
    // The shown image changed within a rectangle of picture pixels (all of it when empty).
    std::function<void(const Rect&)> onImageChanged;
    std::function<int()> brushWidth;

protected:
    bool viewportEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    ViewGeometry Geometry() const;
    ViewScene Scene() const;
    QSize ContentSize(double zoom) const;
    void UpdateScrollBars();
    void Invalidate();
    void EnsureComposed();
    void ViewChanged();
    void MouseEvent(QMouseEvent* event);
    void PanBy(QPointF delta);
    void UpdateCursor();
    QRect OutlineRect() const;
    void PaintOutline(QPainter& painter) const;
    void MovePointer(std::optional<QPointF> position);

    const COMMON_DATA* m_data = nullptr;
    const Bitmap* m_picture = nullptr;  // the picture or the preview shown
    const Bitmap* m_map = nullptr;      // nullptr while the preview shows
    ViewMode m_mode = ViewMode::PictureAndMask;
    std::optional<EffectPreview> m_effects;
    ViewPyramid m_pyramid;         // of the picture and the map
    ViewPyramid m_previewPyramid;  // of the overlay preview
    const std::uint8_t* m_pyramidSource = nullptr;
    QSize m_pyramidSize;

    double m_zoom = 1;
    bool m_fitted = false;
    int m_wheelZoom = 0;  // Ctrl + wheel turned short of a notch

    ViewportImage m_image;
    bool m_composed = false;
    double m_composedRatio = 0;
    bool m_frameHeld = false;

    CanvasTool* m_tool = nullptr;
    std::optional<QPointF> m_pointer;
    bool m_spaceHeld = false;
    bool m_panning = false;
    QPointF m_panFrom;
    QPoint m_panOffset;
};

}  // namespace velmora
