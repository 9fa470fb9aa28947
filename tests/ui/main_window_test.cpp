// The main window: fitting to the picture, the mouse over the picture, the wheel, the start
// timer and the status read-outs.
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSlider>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QWheelEvent>
#include <filesystem>

#include "canvas/map/map_ops.h"
#include "store/common_data.h"
#include "ui/areas/areas_window.h"
#include "ui/common/text.h"
#include "ui/main/canvas_view.h"
#include "ui/main/main_window.h"
#include "ui_areas_window.h"
#include "ui_test_support.h"

using namespace velmora;
using velmora::test::EditorFixture;

namespace {

int MapSum(const Bitmap& map) {
    int sum = 0;
    for (int y = 0; y < map.Height(); ++y) {
        for (int x = 0; x < map.Width(); ++x) {
            sum += map.Pixel(x, y)[2];
        }
    }
    return sum;
}

void Drag(QWidget* view, Qt::MouseButton button, QPoint from, QPoint to) {
    QTest::mousePress(view, button, Qt::NoModifier, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(to), view->mapToGlobal(QPointF(to)), Qt::NoButton,
                     button, Qt::NoModifier);
    QApplication::sendEvent(view, &move);
    QTest::mouseRelease(view, button, Qt::NoModifier, to);
}

void Wheel(QWidget* target, int delta) {
    QWheelEvent event(QPointF(5, 5), target->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, delta),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &event);
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void ctrlClickEntersCoordinatesByPageAndButton_data();
    void ctrlClickEntersCoordinatesByPageAndButton();
    void leftPressWithoutAreasPaintsNothing();
    void leftAndRightDragPaintAndErase();
    void middleClickPicksTheAreaUnderThePointer();
    void wheelMovesBrushSliderByDeltaOverSixty();
    void smallPictureGivesMinimumWindowSize();
    void largePictureScrollsInsideTheScreen();
    void statusPanelsFollowTheMouse();
    void statusBarNeverGoesStale();
    void titleMarksUnsavedChangesAndSaveSaysWhere();
    void commandLineWithMissingFileGivesBothMessages();
    void commandLineOpensTheProject();
};

void MainWindowTest::ctrlClickEntersCoordinatesByPageAndButton_data() {
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("fieldX");
    QTest::addColumn<QString>("fieldY");
    const int left = Qt::LeftButton;
    const int right = Qt::RightButton;
    QTest::newRow("message centre") << 0 << left << Q("MessageCenterX") << Q("MessageCenterY");
    QTest::newRow("message pointer") << 0 << right << Q("MessagePointerX") << Q("MessagePointerY");
    QTest::newRow("picture centre") << 1 << left << Q("PictureCenterX") << Q("PictureCenterY");
    QTest::newRow("picture pointer") << 1 << right << Q("PicturePointerX") << Q("PicturePointerY");
    QTest::newRow("overlay corner") << 2 << left << Q("OverlayX") << Q("OverlayY");
    QTest::newRow("overlay, right button") << 2 << right << QString() << QString();
    QTest::newRow("sound page") << 5 << left << QString() << QString();
    QTest::newRow("message, middle button") << 0 << int(Qt::MiddleButton) << QString() << QString();
}

void MainWindowTest::ctrlClickEntersCoordinatesByPageAndButton() {
    QFETCH(int, page);
    QFETCH(int, button);
    QFETCH(QString, fieldX);
    QFETCH(QString, fieldY);
    EditorFixture f;
    f.OpenProjectWithPicture(200, 150, {"Дверь"});
    f.form4().Controls().PageControl1->setCurrentIndex(page);
    const int stepsBefore = f.history.UndoCount();

    QTest::mouseClick(f.form1().Image(), Qt::MouseButton(button), Qt::ControlModifier,
                      QPoint(120, 45));

    const QList<QSpinBox*> boxes = f.form4().findChildren<QSpinBox*>();
    for (QSpinBox* box : boxes) {
        const QString name = box->objectName();
        // Only the coordinate fields; the volume and effect fields hold other values.
        if (!name.endsWith(Q("X")) && !name.endsWith(Q("Y"))) {
            continue;
        }
        const int expected = name == fieldX ? 120 : name == fieldY ? 45 : 0;
        QCOMPARE(box->value(), expected);
    }
    if (!fieldX.isEmpty()) {
        QVERIFY(f.data().records.AttributesModified);
    }
    QCOMPARE(MapSum(f.data().canvas.Map), 0);
    QVERIFY(!f.data().Painting);
    // The release records no step: it painted nothing, so the next undo still shows.
    QCOMPARE(f.history.UndoCount(), stepsBefore);
}

void MainWindowTest::leftPressWithoutAreasPaintsNothing() {
    EditorFixture f;
    f.OpenProjectWithPicture(100, 80, {});
    Drag(f.form1().Image(), Qt::LeftButton, QPoint(10, 10), QPoint(60, 40));
    QCOMPARE(MapSum(f.data().canvas.Map), 0);
    QVERIFY(!f.data().Painting);
}

void MainWindowTest::leftAndRightDragPaintAndErase() {
    EditorFixture f;
    f.OpenProjectWithPicture(100, 80, {"Окно", "Крыша"});
    QCOMPARE(f.data().areas.CurrentArea, 1);
    f.form4().Controls().TrackBar1->setValue(5);

    Drag(f.form1().Image(), Qt::LeftButton, QPoint(10, 40), QPoint(90, 40));
    QCOMPARE(AreaAt(f.data().canvas.Map, 50, 40), 1);
    QCOMPARE(AreaAt(f.data().canvas.Map, 50, 70), 0);
    // The view shows the painted pixel blended with the area's colour.
    const std::uint8_t* plain = f.data().canvas.Picture.Pixel(50, 40);
    QCOMPARE(velmora::test::ShownRed(f.form1(), 50, 40),
             (plain[2] + PaletteRed(f.data().areas.Palette[1])) / 2);

    Drag(f.form1().Image(), Qt::RightButton, QPoint(50, 20), QPoint(50, 60));
    QCOMPARE(AreaAt(f.data().canvas.Map, 50, 40), 0);
    QCOMPARE(AreaAt(f.data().canvas.Map, 20, 40), 1);

    f.Trigger("N13");  // undo the erasing
    QCOMPARE(AreaAt(f.data().canvas.Map, 50, 40), 1);
    f.Trigger("N13");  // undo the painting
    QCOMPARE(MapSum(f.data().canvas.Map), 0);
    f.Trigger("N14");  // redo it
    QCOMPARE(AreaAt(f.data().canvas.Map, 50, 40), 1);
    QCOMPARE(f.prompter.beeps, 0);
}

void MainWindowTest::middleClickPicksTheAreaUnderThePointer() {
    EditorFixture f;
    f.OpenProjectWithPicture(100, 80, {"Окно", "Крыша", "Дверь"});
    FillMapRect(f.data().canvas.Map, 60, 0, 40, 40, 3, true);
    QListWidget* list = f.form4().Controls().ListBox1;
    QCOMPARE(list->currentItem()->text(), Q("Окно"));

    // A pixel of no area changes nothing, not even the current area.
    QTest::mouseClick(f.form1().Image(), Qt::MiddleButton, Qt::NoModifier, QPoint(10, 60));
    QCOMPARE(f.data().areas.CurrentArea, 1);
    QCOMPARE(list->currentItem()->text(), Q("Окно"));
    QCOMPARE(f.data().records.AttributesArea, std::string("Окно"));

    QTest::mouseClick(f.form1().Image(), Qt::MiddleButton, Qt::NoModifier, QPoint(70, 10));
    QCOMPARE(f.data().areas.CurrentArea, 3);
    QCOMPARE(list->selectedItems().size(), 1);
    QCOMPARE(list->selectedItems().first()->text(), Q("Дверь"));
    QCOMPARE(f.data().records.AttributesArea, std::string("Дверь"));

    // Picking records no step: the first Ctrl+Z after a stroke and a middle click and a
    // Ctrl+click takes the stroke away.
    Drag(f.form1().Image(), Qt::LeftButton, QPoint(5, 50), QPoint(40, 50));
    QCOMPARE(AreaAt(f.data().canvas.Map, 20, 50), 3);
    QTest::mouseClick(f.form1().Image(), Qt::MiddleButton, Qt::NoModifier, QPoint(70, 10));
    QTest::mouseClick(f.form1().Image(), Qt::LeftButton, Qt::ControlModifier, QPoint(70, 10));
    f.form1().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f.form1()));
    QTest::keyClick(&f.form1(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(AreaAt(f.data().canvas.Map, 20, 50), 0);
    QCOMPARE(f.prompter.beeps, 0);
}

void MainWindowTest::wheelMovesBrushSliderByDeltaOverSixty() {
    EditorFixture f;
    QSlider* slider = f.form4().Controls().TrackBar1;
    QWidget* overPicture = f.form1().Image();
    QWidget* overWindow = &f.form1();

    slider->setValue(99);
    Wheel(overPicture, 120);
    QCOMPARE(slider->value(), 100);
    QCOMPARE(f.data().BrushSize, 100);
    QCOMPARE(f.form4().Controls().GroupBox1->title(), Q("Размер кисти: 100"));

    slider->setValue(50);
    Wheel(overPicture, 59);
    QCOMPARE(slider->value(), 50);
    // One notch is two units wherever over the window it turns, and counts once.
    Wheel(overPicture, -120);
    QCOMPARE(slider->value(), 48);
    Wheel(overWindow, 120);
    QCOMPARE(slider->value(), 50);

    slider->setValue(2);
    Wheel(overPicture, -360);
    QCOMPARE(slider->value(), 1);
}

void MainWindowTest::smallPictureGivesMinimumWindowSize() {
    EditorFixture f;
    const std::string project = f.OpenProjectWithPicture(300, 200, {});
    QCOMPARE(f.form1().size(), QSize(500, 400));
    // At 100 %, from the top-left corner.
    QCOMPARE(f.form1().Canvas()->Zoom(), 1.0);
    QCOMPARE(f.form1().Canvas()->ViewportRectOf(QRectF(0, 0, 300, 200)), QRectF(0, 0, 300, 200));
    QCOMPARE(f.form1().Panel(0)->text(), Q("Размеры изображения: 300x200"));
    QCOMPARE(velmora::test::ShownTitle(f.form1()), Q("Velmora Editor 4.0 - ") + Q(project));

    // A picture that fits the screen gets exactly its size between the tool bar and the status
    // bar.
    EditorFixture g;
    g.OpenProjectWithPicture(620, 450, {});
    const int chrome = g.form1().menuBar()->sizeHint().height() +
                       g.form1().ToolBar()->sizeHint().height() +
                       g.form1().statusBar()->sizeHint().height();
    QCOMPARE(g.form1().size(), QSize(620, 450 + chrome));
    QCOMPARE(g.form1().Image()->size(), QSize(620, 450));
    // Every tool is in view on the tool bar, even beside the narrowest window.
    QVERIFY(g.form1().ToolBar()->sizeHint().width() <= 500);
}

void MainWindowTest::largePictureScrollsInsideTheScreen() {
    EditorFixture f;
    f.OpenProjectWithPicture(1500, 1100, {"Край"});
    const QRect available = f.form1().screen()->availableGeometry();
    QVERIFY(f.form1().width() <= available.width());
    QVERIFY(f.form1().height() <= available.height());
    // Larger than the window: it opens fitted, the whole picture in view.
    CanvasView* canvas = f.form1().Canvas();
    QVERIFY(canvas->Fitted());
    QVERIFY(canvas->Zoom() < 1);
    QCOMPARE(canvas->VisiblePictureRect(), QRectF(0, 0, 1500, 1100));
    // At 100 % it scrolls, and every pixel can still be painted, in picture coordinates.
    f.Trigger("ZoomActualSize");
    QCOMPARE(canvas->Zoom(), 1.0);
    QCoreApplication::processEvents();  // the scroll bars take their place
    canvas->ScrollTo(QPoint(100000, 100000));
    const QPoint offset = canvas->ScrollOffset();
    QCOMPARE(offset, QPoint(1500, 1100) -
                         QPoint(canvas->viewport()->width(), canvas->viewport()->height()));
    Drag(f.form1().Image(), Qt::LeftButton, QPoint(1400, 1050) - offset,
         QPoint(1490, 1090) - offset);
    QCOMPARE(AreaAt(f.data().canvas.Map, 1480, 1085), 1);
}

void MainWindowTest::statusPanelsFollowTheMouse() {
    EditorFixture f;
    f.OpenProjectWithPicture(100, 80, {"Окно", "Крыша"});
    FillMapRect(f.data().canvas.Map, 0, 0, 50, 80, 2, true);
    FillMapRect(f.data().canvas.Map, 50, 0, 50, 80, 7, true);  // a number with no registered area

    QTest::mouseMove(f.form1().Image(), QPoint(10, 20));
    QCOMPARE(f.form1().Panel(1)->text(), Q("Текущие координаты: 10,20"));
    QCOMPARE(f.form1().Panel(2)->text(), Q("  Область: Крыша"));
    QTest::mouseMove(f.form1().Image(), QPoint(70, 30));
    QCOMPARE(f.form1().Panel(1)->text(), Q("Текущие координаты: 70,30"));
    QCOMPARE(f.form1().Panel(2)->text(), QString());
}

// What the three panels say, in order.
QStringList Panels(TForm1& window) {
    return {window.Panel(0)->text(), window.Panel(1)->text(), window.Panel(2)->text()};
}

// The status bar tells only the truth: nothing without a project, no coordinates outside the
// picture, and it follows closing, opening, renaming and a drag that leaves the picture.
void MainWindowTest::statusBarNeverGoesStale() {
    EditorFixture f;
    QCOMPARE(Panels(f.form1()), QStringList({QString(), QString(), QString()}));
    const std::string project = f.OpenProjectWithPicture(100, 80, {"Окно"});
    FillMapRect(f.data().canvas.Map, 0, 0, 50, 80, 1, true);
    const QString size = Q("Размеры изображения: 100x80");

    QMouseEvent move(QEvent::MouseMove, QPointF(10, 20),
                     f.form1().Image()->mapToGlobal(QPointF(10, 20)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(f.form1().Image(), &move);
    QCOMPARE(Panels(f.form1()),
             QStringList({size, Q("Текущие координаты: 10,20"), Q("  Область: Окно")}));

    // Renaming the area under the pointer shows the new name at once.
    f.data().RenameArea("Окно", "Дверь");
    f.form4().UpdateFieldsList();
    QCOMPARE(f.form1().Panel(2)->text(), Q("  Область: Дверь"));

    // A drag that leaves the picture: no coordinates, no area, while outside.
    QTest::mousePress(f.form1().Image(), Qt::RightButton, Qt::NoModifier, QPoint(60, 10));
    for (const QPoint outside : {QPoint(140, 10), QPoint(-5, 10), QPoint(20, 95)}) {
        QMouseEvent drag(QEvent::MouseMove, QPointF(outside),
                         f.form1().Image()->mapToGlobal(QPointF(outside)), Qt::NoButton,
                         Qt::RightButton, Qt::NoModifier);
        QApplication::sendEvent(f.form1().Image(), &drag);
        QCOMPARE(Panels(f.form1()), QStringList({size, QString(), QString()}));
    }
    QTest::mouseRelease(f.form1().Image(), Qt::RightButton, Qt::NoModifier, QPoint(20, 95));

    // The pointer leaving the picture view.
    QApplication::sendEvent(f.form1().Image(), &move);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(f.form1().Image(), &leave);
    QCOMPARE(Panels(f.form1()), QStringList({size, QString(), QString()}));

    // A new project without picture, then none at all after a failed open.
    QApplication::sendEvent(f.form1().Image(), &move);
    f.dialogs.Answer(f.folder / "second.vlm");
    f.Trigger("N2");
    QCOMPARE(Panels(f.form1()), QStringList({QString(), QString(), QString()}));
    f.dialogs.Answer(project);
    f.Trigger("N4");
    QCOMPARE(f.form1().Panel(0)->text(), size);
    Q_UNUSED(project);
}

// The title carries the modified mark while painting or edits are unsaved; Save removes it
// and says in the status bar what it wrote and where.
void MainWindowTest::titleMarksUnsavedChangesAndSaveSaysWhere() {
    EditorFixture f;
    const std::string project = f.OpenProjectWithPicture(100, 80, {"Окно"});
    const QString clean = Q("Velmora Editor 4.0 - ") + Q(project);
    QCOMPARE(velmora::test::ShownTitle(f.form1()), clean);
    QVERIFY(!f.form1().isWindowModified());

    Drag(f.form1().Image(), Qt::LeftButton, QPoint(10, 10), QPoint(40, 40));
    QVERIFY(f.form1().isWindowModified());
    QCOMPARE(velmora::test::ShownTitle(f.form1()), clean + Q("*"));

    f.Trigger("N6");
    QVERIFY(!f.form1().isWindowModified());
    QCOMPARE(f.form1().statusBar()->currentMessage(), Q("Проект сохранён: ") + Q(project));

    // Undo is a change too, and so is an edit of the area's records.
    f.Trigger("N13");
    QVERIFY(f.form1().isWindowModified());
    f.Trigger("N6");
    f.form4().Controls().MessageText->setPlainText(Q("Привет"));
    QVERIFY(f.form1().isWindowModified());
    f.Trigger("N6");
    QVERIFY(!f.form1().isWindowModified());

    // The export says where the page went.
    f.dialogs.Answer(f.folder / "page.html");
    f.Trigger("N39");
    QCOMPARE(f.form1().statusBar()->currentMessage(),
             Q("Страница записана: ") + Q(f.folder / "page.html"));
}

void MainWindowTest::commandLineWithMissingFileGivesBothMessages() {
    EditorFixture f({Q("/nonexistent/folder/missing.vlm")});
    QTRY_COMPARE_WITH_TIMEOUT(f.prompter.messages.size(), std::size_t(2), 5000);
    QCOMPARE(f.prompter.messages[0], std::string("Ошибка открытия базы данных"));
    QCOMPARE(f.prompter.messages[1],
             std::string("Ошибка открытия проекта!\n/nonexistent/folder/missing.vlm\n"
                         "Файл не найден."));
    QVERIFY(!f.data().project.ProjectOpen);
    QCOMPARE(velmora::test::ShownTitle(f.form1()), Q("Velmora Editor 4.0"));
    QVERIFY(!f.form1().StartTimer()->isActive());
}

void MainWindowTest::commandLineOpensTheProject() {
    velmora::test::TempFolder kept;
    const std::string project = kept / "tour.vlm";
    {
        EditorFixture maker;
        maker.OpenProjectWithPicture(120, 90, {"Окно", "Крыша"});
        FillMapRect(maker.data().canvas.Map, 0, 0, 10, 10, 2, true);
        maker.Trigger("N6");
        maker.data().CloseProject();
        std::filesystem::copy(maker.folder.Path(), kept.Path(),
                              std::filesystem::copy_options::recursive);
    }
    EditorFixture f({Q(project)});
    QTRY_VERIFY_WITH_TIMEOUT(f.data().project.ProjectOpen, 5000);
    QVERIFY(f.prompter.messages.empty());
    QCOMPARE(velmora::test::ShownTitle(f.form1()), Q("Velmora Editor 4.0 - ") + Q(project));
    QVERIFY(f.data().canvas.PictureLoaded);
    QCOMPARE(f.form1().Canvas()->PictureSize(), QSize(120, 90));
    QCOMPARE(f.form1().Canvas()->Zoom(), 1.0);
    QVERIFY(f.form4().isVisible());
    QCOMPARE(f.form4().Controls().ListBox1->count(), 2);
    QCOMPARE(AreaAt(f.data().canvas.Map, 5, 5), 2);
    // The history starts from the loaded map: undo has nothing to take away.
    f.Trigger("N13");
    QCOMPARE(f.prompter.beeps, 1);
    QCOMPARE(AreaAt(f.data().canvas.Map, 5, 5), 2);
}

int RunMainWindowTest(int argc, char** argv) {
    MainWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "main_window_test.moc"
