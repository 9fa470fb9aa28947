#pragma once

#include <QPoint>
#include <QRect>
#include <optional>
#include <vector>

#include "ui/main/canvas_view.h"

namespace velmora {

class TForm1;

// The tools of the main window's tool bar; the brush is the canvas without a tool.
enum class AreaTool { Brush, Fill, Wand, Rectangle, Ellipse, Polygon, Object };

// What every area tool shares: the left button is the tool's, everything else (the right
// button's erasing, the middle button's picking, Ctrl + click's coordinates) goes to the
// brush's handlers, as if the brush were chosen. Moves always reach the status bar.
class AreaToolMode : public CanvasTool {
public:
    AreaToolMode(TForm1& form, CanvasView& view) : m_form(form), m_view(view) {}

    void Press(const CanvasMouseEvent& event) final;
    void Move(const CanvasMouseEvent& event) final;
    void Release(const CanvasMouseEvent& event) final;
    // Drops a use in progress (a box being dragged, points being placed).
    virtual void Cancel() {}

protected:
    virtual void LeftPress(const CanvasMouseEvent& event) = 0;
    // The pointer moved, with or without the left button.
    virtual void PointerMoved(const CanvasMouseEvent& event) { (void)event; }
    virtual void LeftRelease(const CanvasMouseEvent& event) { (void)event; }

    TForm1& m_form;
    CanvasView& m_view;

private:
    bool m_toBrush = false;  // the gesture under way belongs to the brush's handlers
};

// A tool used by one click: the region fill and the magic wand.
class ClickTool : public AreaToolMode {
public:
    ClickTool(TForm1& form, CanvasView& view, AreaTool kind)
        : AreaToolMode(form, view), m_kind(kind) {}

protected:
    void LeftPress(const CanvasMouseEvent& event) override;

private:
    AreaTool m_kind;
};

// A tool that takes a dragged box: the rectangle, the ellipse and the object selection. The
// box runs from the pixel pressed to the pixel released, both included; its outline shows
// while dragging.
class BoxTool : public AreaToolMode {
public:
    BoxTool(TForm1& form, CanvasView& view, AreaTool kind)
        : AreaToolMode(form, view), m_kind(kind) {}

    void Paint(QPainter& painter, const CanvasView& view) override;
    bool KeyPressed(int key) override;
    void Cancel() override;

protected:
    void LeftPress(const CanvasMouseEvent& event) override;
    void PointerMoved(const CanvasMouseEvent& event) override;
    void LeftRelease(const CanvasMouseEvent& event) override;

private:
    QRect Box() const;

    AreaTool m_kind;
    std::optional<QPoint> m_from;
    QPoint m_to;
};

// The polygon: each click adds a corner at the pixel's centre, a double click (or Enter)
// closes and fills it, Esc drops it. The lines placed so far and the one to the pointer show.
class PolygonTool : public AreaToolMode {
public:
    PolygonTool(TForm1& form, CanvasView& view) : AreaToolMode(form, view) {}

    void Paint(QPainter& painter, const CanvasView& view) override;
    bool KeyPressed(int key) override;
    void Cancel() override;
    const std::vector<QPoint>& Corners() const { return m_corners; }

protected:
    void LeftPress(const CanvasMouseEvent& event) override;
    void PointerMoved(const CanvasMouseEvent& event) override;

private:
    void Close(bool overwrite);

    std::vector<QPoint> m_corners;
    std::optional<QPoint> m_pointer;
};

}  // namespace velmora
