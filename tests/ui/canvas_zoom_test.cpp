// The canvas at any zoom in the real main window: what the mouse paints, erases, picks and
// enters is the picture pixel shown under it; zooming, scrolling, the brush keys and wheel,
// the status bar and the navigator. The suite also runs with QT_SCALE_FACTOR 1.5 and 2.
#include <QAction>
#include <QDockWidget>
#include <QLabel>
#include <QListWidget>
#include <QScrollBar>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QWheelEvent>
#include <cmath>

#include "canvas/history/draw_history.h"
#include "canvas/map/map_ops.h"
#include "canvas/view/view_zoom.h"
#include "store/common_data.h"
#include "ui/areas/areas_window.h"
#include "ui/common/text.h"
#include "ui/main/canvas_view.h"
#include "ui/main/main_window.h"
#include "ui/main/navigator_view.h"
#include "ui_areas_window.h"
#include "ui_test_support.h"

using namespace velmora;
using velmora::test::EditorFixture;

namespace {

constexpr int kWidth = 256;
constexpr int kHeight = 200;

// Every picture pixel its own colour: blue is x, green is y.
void MakeColoursTellPixels(EditorFixture& f) {
    Bitmap& picture = f.data().canvas.Picture;
    for (int y = 0; y < picture.Height(); ++y) {
        for (int x = 0; x < picture.Width(); ++x) {
            std::uint8_t* p = picture.Pixel(x, y);
            p[0] = static_cast<std::uint8_t>(x);
            p[1] = static_cast<std::uint8_t>(y);
            p[2] = 77;
        }
    }
    f.form1().Canvas()->PictureReplaced(f.data(), false);
    f.form1().UpdateView();
}

void SendMouse(QWidget* widget, QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons buttons,
               Qt::KeyboardModifiers modifiers, QPointF at) {
    QMouseEvent event(type, at, widget->mapToGlobal(at), button, buttons, modifiers);
    QApplication::sendEvent(widget, &event);
}

void Click(QWidget* widget, Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPointF at) {
    SendMouse(widget, QEvent::MouseButtonPress, button, button, modifiers, at);
    SendMouse(widget, QEvent::MouseButtonRelease, button, Qt::NoButton, modifiers, at);
}

void Stroke(QWidget* widget, Qt::MouseButton button, const QList<QPointF>& points) {
    SendMouse(widget, QEvent::MouseButtonPress, button, button, Qt::NoModifier, points.first());
    for (qsizetype i = 1; i < points.size(); ++i) {
        SendMouse(widget, QEvent::MouseMove, Qt::NoButton, button, Qt::NoModifier, points[i]);
    }
    SendMouse(widget, QEvent::MouseButtonRelease, button, Qt::NoButton, Qt::NoModifier,
              points.last());
}

void Wheel(QWidget* target, QPointF at, QPoint angle, Qt::KeyboardModifiers modifiers,
           QPoint pixels = QPoint()) {
    QWheelEvent event(at, target->mapToGlobal(at), pixels, angle, Qt::NoButton, modifiers,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &event);
}

// The picture pixel shown at a point of the viewport, read from the colour shown there (the
// view shows the plain picture, whose colours tell their pixels).
QPoint ShownPixelAt(CanvasView* canvas, QPointF at) {
    const ViewportImage& image = canvas->Shown();
    const double ratio = canvas->DevicePixelRatio();
    const int x = static_cast<int>(std::floor(at.x() * ratio));
    const int y = static_cast<int>(std::floor(at.y() * ratio));
    const std::uint32_t pixel = image.Row(y)[x];
    return {static_cast<int>(pixel & 0xFF), static_cast<int>((pixel >> 8) & 0xFF)};
}

int Painted(const Bitmap& map) {
    int n = 0;
    for (int y = 0; y < map.Height(); ++y) {
        for (int x = 0; x < map.Width(); ++x) {
            n += map.Pixel(x, y)[0] != 0 ? 1 : 0;
        }
    }
    return n;
}

}  // namespace

class CanvasZoomTest : public QObject {
    Q_OBJECT

private slots:
    void theMouseActsOnThePixelShownUnderIt_data();
    void theMouseActsOnThePixelShownUnderIt();
    void aStrokeAtAQuarterReplaysAsTheSamePointsAtFullSize();
    void wheelGesturesZoomScrollOrSizeTheBrush();
    void menuKeysZoomFitAndSizeTheBrush();
    void spaceDragScrolls();
    void middleClickPicksAndTheMaskShowsAtZoom();
    void navigatorFramesTheViewAndDraggingItScrolls();
};

void CanvasZoomTest::theMouseActsOnThePixelShownUnderIt_data() {
    QTest::addColumn<double>("zoom");
    QTest::addColumn<QPoint>("scroll");
    QTest::newRow("1/16") << 1.0 / 16 << QPoint(0, 0);
    QTest::newRow("25 %") << 0.25 << QPoint(0, 0);
    QTest::newRow("33 %") << 1.0 / 3 << QPoint(0, 0);
    QTest::newRow("100 %") << 1.0 << QPoint(0, 0);
    QTest::newRow("150 % scrolled") << 1.5 << QPoint(37, 21);
    QTest::newRow("400 % scrolled") << 4.0 << QPoint(301, 199);
    QTest::newRow("1600 % scrolled") << 16.0 << QPoint(1999, 1501);
}

void CanvasZoomTest::theMouseActsOnThePixelShownUnderIt() {
    QFETCH(double, zoom);
    QFETCH(QPoint, scroll);
    EditorFixture f;
    f.OpenProjectWithPicture(kWidth, kHeight, {"Окно", "Крыша"});
    MakeColoursTellPixels(f);
    f.Trigger("N18");  // the plain picture: its colours tell the pixels
    CanvasView* canvas = f.form1().Canvas();
    canvas->SetZoom(zoom);
    QCoreApplication::processEvents();
    canvas->ScrollTo(scroll);
    QCOMPARE(canvas->Zoom(), zoom);
    QCOMPARE(f.form1().ZoomPanel()->text(), Q(ZoomText(zoom)));
    QWidget* image = f.form1().Image();
    const double ratio = canvas->DevicePixelRatio();
    const QSize shown(std::min(image->width(), static_cast<int>(kWidth * zoom) - 1),
                      std::min(image->height(), static_cast<int>(kHeight * zoom) - 1));

    // Points across the viewport, whole and between logical pixels (device pixels at 1.5).
    for (const QPointF fraction :
         {QPointF(0.1, 0.1), QPointF(0.5, 0.37), QPointF(0.93, 0.71), QPointF(0.27, 0.9)}) {
        const QPointF at(std::floor(shown.width() * fraction.x()) + 0.34,
                         std::floor(shown.height() * fraction.y()) + 0.67);
        const QPoint picture = canvas->PicturePointAt(at);
        if (zoom >= 1) {
            // Sharp pixels: exactly the one whose colour is shown there.
            QCOMPARE(picture, ShownPixelAt(canvas, at));
        } else {
            // Filtered: the pixel under the device pixel's centre.
            const double device = std::floor(at.x() * ratio) + 0.5;
            QCOMPARE(picture.x(),
                     static_cast<int>(std::floor((device + scroll.x() * ratio) / (zoom * ratio))));
        }
        // The status bar names it.
        SendMouse(image, QEvent::MouseMove, Qt::NoButton, Qt::NoButton, Qt::NoModifier, at);
        QCOMPARE(f.form1().Panel(1)->text(), Q("Текущие координаты: ") +
                                                 QString::number(picture.x()) + Q(",") +
                                                 QString::number(picture.y()));
        // Ctrl + click enters it into the effect page.
        Click(image, Qt::LeftButton, Qt::ControlModifier, at);
        QCOMPARE(f.form4().Controls().MessageCenterX->value(), picture.x());
        QCOMPARE(f.form4().Controls().MessageCenterY->value(), picture.y());
        // A one-pixel stroke there paints it and nothing else; the right button erases it.
        f.form4().Controls().TrackBar1->setValue(1);
        Stroke(image, Qt::LeftButton, {at, at});
        QCOMPARE(AreaAt(f.data().canvas.Map, picture.x(), picture.y()), 1);
        QCOMPARE(Painted(f.data().canvas.Map), 1);
        Stroke(image, Qt::RightButton, {at, at});
        QCOMPARE(Painted(f.data().canvas.Map), 0);
    }
}

void CanvasZoomTest::aStrokeAtAQuarterReplaysAsTheSamePointsAtFullSize() {
    EditorFixture quarter;
    quarter.OpenProjectWithPicture(kWidth, kHeight, {"Окно"});
    quarter.form4().Controls().TrackBar1->setValue(3);
    quarter.form1().Canvas()->SetZoom(0.25);
    Stroke(quarter.form1().Image(), Qt::LeftButton,
           {QPointF(3.5, 4.25), QPointF(20, 9), QPointF(41.75, 30), QPointF(60, 47)});
    const auto& step =
        std::get<StrokeStep>(quarter.history.UndoStep(quarter.history.UndoCount() - 1));
    QCOMPARE(step.Count(), 4);
    QVERIFY(Painted(quarter.data().canvas.Map) > 0);
    Bitmap replayed;
    quarter.history.Replay(replayed, quarter.history.UndoCount());
    QVERIFY(replayed == quarter.data().canvas.Map);

    EditorFixture full;
    full.OpenProjectWithPicture(kWidth, kHeight, {"Окно"});
    full.form4().Controls().TrackBar1->setValue(3);
    QList<QPointF> points;
    for (const HistoryPoint& p : step.Points) {
        points << QPointF(p.x + 0.5, p.y + 0.5);
    }
    Stroke(full.form1().Image(), Qt::LeftButton, points);
    QVERIFY(full.data().canvas.Map == quarter.data().canvas.Map);
}

void CanvasZoomTest::wheelGesturesZoomScrollOrSizeTheBrush() {
    EditorFixture f;
    f.OpenProjectWithPicture(kWidth, kHeight, {"Окно"});
    CanvasView* canvas = f.form1().Canvas();
    QWidget* image = f.form1().Image();
    QSlider* slider = f.form4().Controls().TrackBar1;
    canvas->SetZoom(2);
    QCoreApplication::processEvents();
    slider->setValue(30);

    // Ctrl + wheel zooms about the pointer: the picture point under it stays.
    const QPointF at(70.5, 50.5);
    const QPoint before = canvas->PicturePointAt(at);
    Wheel(image, at, QPoint(0, 120), Qt::ControlModifier);
    QCOMPARE(canvas->Zoom(), 3.0);
    // Within the half a screen pixel that the scroll bars round to.
    QVERIFY((canvas->PicturePointAt(at) - before).manhattanLength() <= 1);
    Wheel(image, at, QPoint(0, 60), Qt::ControlModifier);  // half a notch: nothing yet
    QCOMPARE(canvas->Zoom(), 3.0);
    Wheel(image, at, QPoint(0, 60), Qt::ControlModifier);
    QCOMPARE(canvas->Zoom(), 4.0);
    Wheel(image, at, QPoint(0, -240), Qt::ControlModifier);
    QCOMPARE(canvas->Zoom(), 2.0);
    QVERIFY(std::abs(canvas->PicturePointAt(at).x() - before.x()) <= 1);
    QCOMPARE(slider->value(), 30);

    // The wheel alone sizes the brush and never scrolls.
    canvas->SetZoom(8);
    QCoreApplication::processEvents();
    canvas->ScrollTo(QPoint(300, 300));
    const QPoint offset = canvas->ScrollOffset();
    QCOMPARE(offset, QPoint(300, 300));
    Wheel(image, at, QPoint(0, -120), Qt::NoModifier);
    QCOMPARE(slider->value(), 28);
    QCOMPARE(canvas->ScrollOffset(), offset);
    // Shift + wheel scrolls down; a touchpad scrolls both ways; neither sizes the brush.
    Wheel(image, at, QPoint(0, -120), Qt::ShiftModifier);
    QCOMPARE(canvas->ScrollOffset(), offset + QPoint(0, 60));
    Wheel(image, at, QPoint(-30, -15), Qt::NoModifier, QPoint(-25, -10));
    QCOMPARE(canvas->ScrollOffset(), offset + QPoint(25, 70));
    QCOMPARE(slider->value(), 28);
}

void CanvasZoomTest::menuKeysZoomFitAndSizeTheBrush() {
    EditorFixture f;
    f.OpenProjectWithPicture(kWidth, kHeight, {"Окно"});
    f.form1().show();
    f.form1().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f.form1()));
    CanvasView* canvas = f.form1().Canvas();
    canvas->setFocus();
    QCOMPARE(canvas->Zoom(), 1.0);  // a picture that fits opens at 100 %
    QTest::keyClick(&f.form1(), Qt::Key_Plus, Qt::ControlModifier);
    QCOMPARE(canvas->Zoom(), 1.5);
    QTest::keyClick(&f.form1(), Qt::Key_Equal, Qt::ControlModifier);
    QCOMPARE(canvas->Zoom(), 2.0);
    QTest::keyClick(&f.form1(), Qt::Key_Minus, Qt::ControlModifier);
    QCOMPARE(canvas->Zoom(), 1.5);
    QTest::keyClick(&f.form1(), Qt::Key_9, Qt::ControlModifier);
    QVERIFY(canvas->Fitted());
    QCOMPARE(canvas->VisiblePictureRect(), QRectF(0, 0, kWidth, kHeight));
    QVERIFY(canvas->Zoom() > 1);
    QTest::keyClick(&f.form1(), Qt::Key_0, Qt::ControlModifier);
    QCOMPARE(canvas->Zoom(), 1.0);
    QCOMPARE(f.form1().ZoomPanel()->text(), Q("100 %"));

    // With the pointer over a picture larger than the view, Ctrl+0 keeps the point under it.
    // Zoomed in and scrolled so that 100 % can put the point back under the pointer at every
    // device pixel ratio.
    f.dialogs.Answer(f.MakePicture("large.png", 3000, 2400));
    f.Trigger("N9");
    // A loaded machine may have shown the wait dialog; the main window has the keys again.
    QVERIFY(QTest::qWaitForWindowActive(&f.form1()));
    canvas->SetZoom(3);
    QCoreApplication::processEvents();
    canvas->ScrollTo(QPoint(1500, 1200));
    const QPointF at(90.5, 70.5);
    SendMouse(f.form1().Image(), QEvent::MouseMove, Qt::NoButton, Qt::NoButton, Qt::NoModifier, at);
    const QPoint under = canvas->PicturePointAt(at);
    QTest::keyClick(&f.form1(), Qt::Key_0, Qt::ControlModifier);
    QCOMPARE(canvas->Zoom(), 1.0);
    QVERIFY((canvas->PicturePointAt(at) - under).manhattanLength() <= 1);

    QSlider* slider = f.form4().Controls().TrackBar1;
    slider->setValue(10);
    QTest::keyClick(&f.form1(), Qt::Key_BracketRight);
    QCOMPARE(slider->value(), 11);
    QTest::keyClick(&f.form1(), Qt::Key_BracketLeft);
    QTest::keyClick(&f.form1(), Qt::Key_BracketLeft);
    QCOMPARE(slider->value(), 9);
    QCOMPARE(f.data().BrushSize, 9);
}

void CanvasZoomTest::spaceDragScrolls() {
    EditorFixture f;
    f.OpenProjectWithPicture(kWidth, kHeight, {"Окно"});
    CanvasView* canvas = f.form1().Canvas();
    canvas->SetZoom(4);
    QCoreApplication::processEvents();
    canvas->ScrollTo(QPoint(300, 200));
    QWidget* image = f.form1().Image();
    QTest::keyPress(canvas, Qt::Key_Space);
    Stroke(image, Qt::LeftButton, {QPointF(100, 100), QPointF(80, 90), QPointF(60, 70)});
    QTest::keyRelease(canvas, Qt::Key_Space);
    QCOMPARE(canvas->ScrollOffset(), QPoint(340, 230));
    // Nothing was painted or recorded.
    QCOMPARE(Painted(f.data().canvas.Map), 0);
    // Without Space the same drag paints again.
    Stroke(image, Qt::LeftButton, {QPointF(100, 100), QPointF(60, 70)});
    QVERIFY(Painted(f.data().canvas.Map) > 0);
}

void CanvasZoomTest::middleClickPicksAndTheMaskShowsAtZoom() {
    EditorFixture f;
    f.OpenProjectWithPicture(kWidth, kHeight, {"Окно", "Дверь"});
    FillMapRect(f.data().canvas.Map, 100, 50, 30, 20, 2, true);
    f.form1().UpdateView();
    CanvasView* canvas = f.form1().Canvas();
    canvas->SetZoom(4);
    QCoreApplication::processEvents();
    canvas->ScrollTo(QPoint(380, 180));
    const QPointF at = canvas->ViewportRectOf(QRectF(110.5, 60.5, 0, 0)).topLeft();
    Click(f.form1().Image(), Qt::MiddleButton, Qt::NoModifier, at);
    QCOMPARE(f.data().areas.CurrentArea, 2);
    QCOMPARE(f.form4().Controls().ListBox1->currentItem()->text(), Q("Дверь"));
    // The mask is shown at its pixels, sharp.
    const int plain = f.data().canvas.Picture.Pixel(110, 60)[2];
    QCOMPARE(velmora::test::ShownRed(f.form1(), 110, 60),
             (plain + PaletteRed(f.data().areas.Palette[2])) / 2);
    QCOMPARE(velmora::test::ShownRed(f.form1(), 99, 60),
             int(f.data().canvas.Picture.Pixel(99, 60)[2]));
}

void CanvasZoomTest::navigatorFramesTheViewAndDraggingItScrolls() {
    EditorFixture f;
    f.OpenProjectWithPicture(kWidth, kHeight, {"Окно"});
    f.form1().show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.form1()));
    auto* dock = f.form1().findChild<QDockWidget*>(Q("NavigatorDock"));
    QVERIFY(dock);
    QVERIFY(!dock->isVisible());  // off by default
    f.Trigger("NavigatorAction");
    QVERIFY(dock->isVisible());
    QCoreApplication::processEvents();
    CanvasView* canvas = f.form1().Canvas();
    canvas->SetZoom(4);
    QCoreApplication::processEvents();
    NavigatorView* navigator = f.form1().Navigator();
    // The frame holds what the canvas shows.
    const QRectF seen = canvas->VisiblePictureRect();
    const QRectF frame = navigator->FrameRect();
    const QPointF corner = navigator->PicturePointAt(frame.topLeft());
    QVERIFY(std::abs(corner.x() - seen.left()) < 1.5);
    QVERIFY(std::abs(corner.y() - seen.top()) < 1.5);
    // Dragging the frame moves the view with it.
    const QPointF grab = frame.center();
    const QPointF drop = grab - QPointF(15, 10);
    SendMouse(navigator, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier,
              grab);
    SendMouse(navigator, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, Qt::NoModifier, drop);
    SendMouse(navigator, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, Qt::NoModifier,
              drop);
    const QPointF moved = canvas->VisiblePictureRect().center() - seen.center();
    const QPointF expected = navigator->PicturePointAt(drop) - navigator->PicturePointAt(grab);
    QVERIFY2(std::abs(moved.x() - expected.x()) < 1 && std::abs(moved.y() - expected.y()) < 1,
             qPrintable(QStringLiteral("moved %1,%2").arg(moved.x()).arg(moved.y())));
    QVERIFY(moved.x() < 0 && moved.y() < 0);
}

int RunCanvasZoomTest(int argc, char** argv) {
    CanvasZoomTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "canvas_zoom_test.moc"
