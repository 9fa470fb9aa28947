#pragma once

#include <QScrollArea>
#include <QWidget>
#include <functional>

namespace velmora {

class Bitmap;

// The image control of the main window: shows a 24-bit bitmap at its natural size from the
// top-left corner and reports the mouse in picture pixels.
class PictureView : public QWidget {
public:
    explicit PictureView(QWidget* parent = nullptr);

    // Shows bitmap (not owned) from now on; nullptr shows nothing.
    void ShowBitmap(const Bitmap* bitmap);
    const Bitmap* ShownBitmap() const { return m_bitmap; }

    std::function<void(QMouseEvent*)> onPress;
    std::function<void(QMouseEvent*)> onMove;
    std::function<void(QMouseEvent*)> onRelease;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    const Bitmap* m_bitmap = nullptr;
};

// The scrolling frame around the picture. The wheel both scrolls and reaches the main window,
// which moves the brush slider with it.
class PictureScrollArea : public QScrollArea {
public:
    explicit PictureScrollArea(QWidget* parent = nullptr);

    std::function<void(int delta)> onWheel;

protected:
    void wheelEvent(QWheelEvent* event) override;
};

}  // namespace velmora
