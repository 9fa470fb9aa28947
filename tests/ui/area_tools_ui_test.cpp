// The area tools in the real main window: each use through the mouse writes what the core
// operation writes for the pixels under the pointer, at any zoom, as one step that undo and
// redo take back and bring again pixel for pixel; Shift overwrites other areas; the right
// button still erases; the tool keys; and the shapes commands of the menu "Файл".
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTest>
#include <QToolBar>
#include <functional>

#include "canvas/history/draw_history.h"
#include "canvas/map/map_ops.h"
#include "canvas/map/outline_trace.h"
#include "canvas/tools/area_tools.h"
#include "shapes/outline_text.h"
#include "store/common_data.h"
#include "ui/areas/areas_window.h"
#include "ui/common/text.h"
#include "ui/main/canvas_tools.h"
#include "ui/main/canvas_view.h"
#include "ui/main/main_window.h"
#include "ui_areas_window.h"
#include "ui_test_support.h"

using namespace velmora;
using velmora::test::EditorFixture;
using velmora::test::ReadFile;
using velmora::test::WriteFile;

namespace {

constexpr int kWidth = 80;
constexpr int kHeight = 60;
constexpr int kHouse = 1;   // the current area
constexpr int kGarden = 2;  // painted before each use, so that Shift matters

bool InDisc(int x, int y, int cx, int cy, int r) {
    return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r;
}

// A light, slightly noisy picture with a dark disc at (55, 30) and a smaller one at (10, 30).
void DrawDiscs(EditorFixture& f) {
    Bitmap& picture = f.data().canvas.Picture;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const bool dark = InDisc(x, y, 55, 30, 10) || InDisc(x, y, 10, 30, 6);
            std::uint8_t* p = picture.Pixel(x, y);
            p[0] = p[1] = p[2] =
                static_cast<std::uint8_t>(dark ? 20 + (x * y) % 5 : 200 + (x + y) % 7);
        }
    }
    f.form1().Canvas()->PictureReplaced(f.data(), false);
    f.form1().UpdateView();
}

// The garden: a band down the left edge and a patch inside the big disc.
void PaintGarden(EditorFixture& f) {
    Bitmap& map = f.data().canvas.Map;
    map.Clear();
    FillMapRect(map, 0, 0, 20, kHeight, kGarden, true);
    FillMapRect(map, 50, 26, 6, 6, kGarden, true);
    f.history.Reset(map);
    f.form1().UpdateView();
}

void OpenScene(EditorFixture& f) {
    f.OpenProjectWithPicture(kWidth, kHeight, {"Дом", "Сад"});
    DrawDiscs(f);
    PaintGarden(f);
    QCOMPARE(f.data().areas.CurrentArea, kHouse);
}

// Where a picture pixel's centre lies in the viewport, at the canvas's zoom and scroll.
QPointF At(EditorFixture& f, QPoint pixel) {
    return f.form1()
        .Canvas()
        ->ViewportRectOf(QRectF(pixel.x() + 0.5, pixel.y() + 0.5, 0, 0))
        .topLeft();
}

void Send(EditorFixture& f, QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons buttons,
          Qt::KeyboardModifiers modifiers, QPoint pixel) {
    QWidget* image = f.form1().Image();
    const QPointF at = At(f, pixel);
    QMouseEvent event(type, at, image->mapToGlobal(at), button, buttons, modifiers);
    QApplication::sendEvent(image, &event);
}

void Click(EditorFixture& f, QPoint pixel, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
           Qt::MouseButton button = Qt::LeftButton) {
    Send(f, QEvent::MouseButtonPress, button, button, modifiers, pixel);
    Send(f, QEvent::MouseButtonRelease, button, Qt::NoButton, modifiers, pixel);
}

void DoubleClick(EditorFixture& f, QPoint pixel, Qt::KeyboardModifiers modifiers) {
    Click(f, pixel, modifiers);
    Send(f, QEvent::MouseButtonDblClick, Qt::LeftButton, Qt::LeftButton, modifiers, pixel);
    Send(f, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, modifiers, pixel);
}

void Drag(EditorFixture& f, QPoint from, QPoint to,
          Qt::KeyboardModifiers modifiers = Qt::NoModifier,
          Qt::MouseButton button = Qt::LeftButton) {
    Send(f, QEvent::MouseButtonPress, button, button, modifiers, from);
    Send(f, QEvent::MouseMove, Qt::NoButton, button, modifiers, (from + to) / 2);
    Send(f, QEvent::MouseMove, Qt::NoButton, button, modifiers, to);
    Send(f, QEvent::MouseButtonRelease, button, Qt::NoButton, modifiers, to);
}

int Count(const Bitmap& map, int value) {
    int n = 0;
    for (int y = 0; y < map.Height(); ++y) {
        for (int x = 0; x < map.Width(); ++x) {
            n += AreaAt(map, x, y) == value ? 1 : 0;
        }
    }
    return n;
}

// A pixel where the maps differ; (-1, -1) when none.
QPoint FirstDifference(const Bitmap& a, const Bitmap& b) {
    for (int y = 0; y < a.Height(); ++y) {
        for (int x = 0; x < a.Width(); ++x) {
            if (AreaAt(a, x, y) != AreaAt(b, x, y)) {
                return {x, y};
            }
        }
    }
    return {-1, -1};
}

// The colour the view shows over a pixel: it follows the map in the mask view.
std::uint32_t Shown(EditorFixture& f, QPoint pixel) {
    return f.form1().Canvas()->ShownColorOf(pixel).value_or(0);
}

// One tool's use: the gesture through the mouse and what the core writes for it.
struct ToolUse {
    const char* name;
    const char* action;
    std::function<void(EditorFixture&, Qt::KeyboardModifiers)> gesture;
    std::function<void(const Bitmap& picture, Bitmap& map, bool overwrite)> core;
    bool shiftMatters = true;  // the use meets the garden
};

std::vector<ToolUse> ToolUses() {
    return {
        // On the garden: without Shift the fill writes nothing.
        {"fill", "FillTool",
         [](EditorFixture& f, Qt::KeyboardModifiers m) {
             Click(f, {10, 40}, m);
         },
         [](const Bitmap&, Bitmap& map, bool over) { FillRegion(map, 10, 40, kHouse, over); }},
        {"fill of no area", "FillTool",
         [](EditorFixture& f, Qt::KeyboardModifiers m) {
             Click(f, {40, 5}, m);
         },
         [](const Bitmap&, Bitmap& map, bool over) { FillRegion(map, 40, 5, kHouse, over); },
         false},
        {"wand, contiguous", "WandTool",
         [](EditorFixture& f, Qt::KeyboardModifiers m) {
             Click(f, {40, 5}, m);
         },
         [](const Bitmap& picture, Bitmap& map, bool over) {
             FillSimilarColour(picture, map, 40, 5, kDefaultWandTolerance, true, kHouse, over);
         }},
        {"rectangle", "RectangleTool",
         [](EditorFixture& f, Qt::KeyboardModifiers m) {
             Drag(f, {40, 25}, {5, 10}, m);
         },
         [](const Bitmap&, Bitmap& map, bool over) {
             FillMapRect(map, 5, 10, 36, 16, kHouse, over);
         }},
        {"ellipse", "EllipseTool",
         [](EditorFixture& f, Qt::KeyboardModifiers m) {
             Drag(f, {2, 5}, {50, 40}, m);
         },
         [](const Bitmap&, Bitmap& map, bool over) {
             FillEllipse(map, 2, 5, 49, 36, kHouse, over);
         }},
        {"polygon", "PolygonTool",
         [](EditorFixture& f, Qt::KeyboardModifiers m) {
             Click(f, {5, 5});
             Click(f, {45, 8});
             DoubleClick(f, {30, 50}, m);
         },
         [](const Bitmap&, Bitmap& map, bool over) {
             FillPolygon(map, {{5.5, 5.5}, {45.5, 8.5}, {30.5, 50.5}}, kHouse, over);
         }},
    };
}

}  // namespace

class AreaToolsTest : public QObject {
    Q_OBJECT

private slots:
    void eachToolUseIsOneStepThatUndoesExactly();
    void wandTakesItsToleranceAndContiguity();
    void objectSelectionTakesTheObjectInTheBox();
    void rightButtonErasesWhateverTheTool();
    void toolsActOnThePixelsShownAtAnyZoom_data();
    void toolsActOnThePixelsShownAtAnyZoom();
    void escapeDropsThePolygonAndEnterClosesIt();
    void toolKeysWorkInTheMainWindowOnly();
    void withoutPictureToolsAndShapeCommandsBeep();
    void exportedOutlinesImportBackAsTheSameAreas();
    void badMarkupShowsTheReasonAndChangesNothing();
};

void AreaToolsTest::eachToolUseIsOneStepThatUndoesExactly() {
    for (const ToolUse& use : ToolUses()) {
        for (const bool shift : {false, true}) {
            const QByteArray row = QByteArray(use.name) + (shift ? " with Shift" : "");
            EditorFixture f;
            OpenScene(f);
            f.Trigger(use.action);
            const Bitmap before = f.data().canvas.Map;
            Bitmap expected = before;
            use.core(f.data().canvas.Picture, expected, shift);
            if (shift && use.shiftMatters) {
                Bitmap plain = before;
                use.core(f.data().canvas.Picture, plain, false);
                QVERIFY2(!(plain == expected), row);
            }
            const int steps = f.history.UndoCount();
            const QPoint changed = FirstDifference(before, expected);
            const std::uint32_t shownBefore = Shown(f, changed);

            use.gesture(f, shift ? Qt::ShiftModifier : Qt::NoModifier);
            QVERIFY2(f.data().canvas.Map == expected, row);
            if (changed.x() < 0) {
                // Nothing to write: no step, nothing marked, a beep.
                QVERIFY2(f.history.UndoCount() == steps, row);
                QVERIFY2(!f.data().canvas.MapModified, row);
                QVERIFY2(f.prompter.beeps > 0, row);
                continue;
            }
            QVERIFY2(f.history.UndoCount() == steps + 1, row);
            QVERIFY2(f.data().canvas.MapModified && f.form1().isWindowModified(), row);
            const std::uint32_t shownAfter = Shown(f, changed);
            QVERIFY2(shownAfter != shownBefore, row);

            f.Trigger("N13");
            QVERIFY2(f.data().canvas.Map == before, row);
            QVERIFY2(Shown(f, changed) == shownBefore, row);
            f.Trigger("N14");
            QVERIFY2(f.data().canvas.Map == expected, row);
            QVERIFY2(Shown(f, changed) == shownAfter, row);
        }
    }
}

void AreaToolsTest::wandTakesItsToleranceAndContiguity() {
    EditorFixture f;
    OpenScene(f);
    f.Trigger("WandTool");
    auto* tolerance = f.form1().findChild<QSpinBox*>(Q("WandTolerance"));
    auto* contiguous = f.form1().findChild<QCheckBox*>(Q("WandContiguous"));
    QVERIFY(tolerance && contiguous);
    QCOMPARE(tolerance->value(), 32);
    QCOMPARE(tolerance->maximum(), 255);
    QVERIFY(contiguous->isChecked());

    struct Case {
        const char* name;
        int tolerance;
        bool contiguous;
        bool shift;
    };
    for (const Case& c :
         {Case{"both discs, over the garden", 40, false, true},
          Case{"both discs, around the garden", 40, false, false},
          Case{"the big disc only", 40, true, false}, Case{"exact colour only", 0, true, true}}) {
        PaintGarden(f);
        tolerance->setValue(c.tolerance);
        contiguous->setChecked(c.contiguous);
        Bitmap expected = f.data().canvas.Map;
        FillSimilarColour(f.data().canvas.Picture, expected, 55, 30, c.tolerance, c.contiguous,
                          kHouse, c.shift);
        Click(f, {55, 30}, c.shift ? Qt::ShiftModifier : Qt::NoModifier);
        QVERIFY2(f.data().canvas.Map == expected, c.name);
    }
    // The small disc is taken only when the wand looks everywhere.
    PaintGarden(f);
    tolerance->setValue(40);
    contiguous->setChecked(true);
    Click(f, {55, 30}, Qt::ShiftModifier);
    QCOMPARE(AreaAt(f.data().canvas.Map, 10, 30), kGarden);
    contiguous->setChecked(false);
    Click(f, {55, 30}, Qt::ShiftModifier);
    QCOMPARE(AreaAt(f.data().canvas.Map, 10, 30), kHouse);
}

void AreaToolsTest::objectSelectionTakesTheObjectInTheBox() {
    EditorFixture f;
    OpenScene(f);
    f.Trigger("ObjectTool");
    QCOMPARE(f.form1().CurrentTool(), AreaTool::Object);
    for (const bool shift : {false, true}) {
        PaintGarden(f);
        const Bitmap before = f.data().canvas.Map;
        const int steps = f.history.UndoCount();
        Drag(f, {40, 15}, {70, 45}, shift ? Qt::ShiftModifier : Qt::NoModifier);
        QCOMPARE(f.history.UndoCount(), steps + 1);
        // The disc, not its light surroundings; the garden's patch only with Shift.
        QCOMPARE(AreaAt(f.data().canvas.Map, 58, 36), kHouse);
        QCOMPARE(AreaAt(f.data().canvas.Map, 42, 17), 0);
        QCOMPARE(AreaAt(f.data().canvas.Map, 52, 28), shift ? kHouse : kGarden);
        QCOMPARE(AreaAt(f.data().canvas.Map, 5, 5), kGarden);
        const Bitmap after = f.data().canvas.Map;
        f.Trigger("N13");
        QVERIFY(f.data().canvas.Map == before);
        f.Trigger("N14");
        QVERIFY(f.data().canvas.Map == after);
    }
    // A box too small for the cut: the core's reason, nothing written.
    PaintGarden(f);
    const Bitmap before = f.data().canvas.Map;
    Drag(f, {60, 10}, {61, 11});
    QVERIFY(f.data().canvas.Map == before);
    QVERIFY(Q(f.prompter.messages.back()).contains(Q("слишком мала")));
}

void AreaToolsTest::rightButtonErasesWhateverTheTool() {
    for (const char* action :
         {"FillTool", "WandTool", "RectangleTool", "EllipseTool", "PolygonTool", "ObjectTool"}) {
        EditorFixture f;
        OpenScene(f);
        f.Trigger(action);
        const int steps = f.history.UndoCount();
        Drag(f, {2, 30}, {17, 30}, Qt::NoModifier, Qt::RightButton);
        QVERIFY2(AreaAt(f.data().canvas.Map, 10, 30) == 0, action);
        QVERIFY2(AreaAt(f.data().canvas.Map, 10, 5) == kGarden, action);
        QVERIFY2(Count(f.data().canvas.Map, kHouse) == 0, action);
        QVERIFY2(f.history.UndoCount() == steps + 1, action);
        // The tool is still the tool: the next left click is its own again.
        Click(f, {40, 5});
        auto* polygon = dynamic_cast<PolygonTool*>(f.form1().Canvas()->Tool());
        QVERIFY2(!polygon || polygon->Corners().size() == 1, action);
    }
}

void AreaToolsTest::toolsActOnThePixelsShownAtAnyZoom_data() {
    QTest::addColumn<double>("zoom");
    QTest::addColumn<QPoint>("scroll");
    QTest::newRow("50 %") << 0.5 << QPoint(0, 0);
    QTest::newRow("400 % scrolled") << 4.0 << QPoint(90, 70);
}

void AreaToolsTest::toolsActOnThePixelsShownAtAnyZoom() {
    QFETCH(double, zoom);
    QFETCH(QPoint, scroll);
    EditorFixture f;
    OpenScene(f);
    CanvasView* canvas = f.form1().Canvas();
    canvas->SetZoom(zoom);
    QCoreApplication::processEvents();
    canvas->ScrollTo(scroll);
    // Pixels that the viewport shows; at 50 % a screen pixel shows the odd one of each pair.
    const QRectF seen = canvas->VisiblePictureRect();
    const QPoint from((static_cast<int>(seen.left()) + 3) | 1,
                      (static_cast<int>(seen.top()) + 2) | 1);
    const QPoint to = from + QPoint(10, 6);
    QVERIFY(seen.contains(QPointF(to)));
    QCOMPARE(canvas->PicturePointAt(At(f, from)), from);
    QCOMPARE(canvas->PicturePointAt(At(f, to)), to);

    f.Trigger("RectangleTool");
    Drag(f, from, to, Qt::ShiftModifier);
    Bitmap expected;
    f.history.Replay(expected, 0);
    FillMapRect(expected, from.x(), from.y(), 11, 7, kHouse, true);
    QVERIFY(f.data().canvas.Map == expected);

    f.Trigger("WandTool");
    f.Trigger("N13");
    Click(f, to, Qt::ShiftModifier);
    f.history.Replay(expected, 0);
    FillSimilarColour(f.data().canvas.Picture, expected, to.x(), to.y(), kDefaultWandTolerance,
                      true, kHouse, true);
    QVERIFY(f.data().canvas.Map == expected);
}

void AreaToolsTest::escapeDropsThePolygonAndEnterClosesIt() {
    EditorFixture f;
    OpenScene(f);
    f.Trigger("PolygonTool");
    auto* polygon = dynamic_cast<PolygonTool*>(f.form1().Canvas()->Tool());
    QVERIFY(polygon);
    const Bitmap before = f.data().canvas.Map;
    const int steps = f.history.UndoCount();
    Click(f, {30, 5});
    Click(f, {70, 5});
    Click(f, {50, 50});
    QCOMPARE(polygon->Corners().size(), std::size_t{3});
    QTest::keyClick(f.form1().Canvas(), Qt::Key_Escape);
    QVERIFY(polygon->Corners().empty());
    QVERIFY(f.data().canvas.Map == before);
    QCOMPARE(f.history.UndoCount(), steps);

    // A double click after the dropped corners starts afresh: two corners close nothing.
    const int beeps = f.prompter.beeps;
    Click(f, {30, 5});
    DoubleClick(f, {70, 5}, Qt::NoModifier);
    QVERIFY(f.data().canvas.Map == before);
    QCOMPARE(f.prompter.beeps, beeps + 1);

    // Enter closes as a double click does.
    Click(f, {30, 5});
    Click(f, {70, 5});
    Click(f, {50, 50});
    QTest::keyClick(f.form1().Canvas(), Qt::Key_Return);
    Bitmap expected = before;
    FillPolygon(expected, {{30.5, 5.5}, {70.5, 5.5}, {50.5, 50.5}}, kHouse, false);
    QVERIFY(f.data().canvas.Map == expected);
    QCOMPARE(f.history.UndoCount(), steps + 1);

    // Choosing another tool drops corners being placed.
    Click(f, {30, 5});
    f.Trigger("BrushTool");
    QVERIFY(polygon->Corners().empty());
}

void AreaToolsTest::toolKeysWorkInTheMainWindowOnly() {
    EditorFixture f;
    OpenScene(f);
    CanvasView* canvas = f.form1().Canvas();
    f.form1().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f.form1()));
    canvas->setFocus();
    const std::vector<std::pair<Qt::Key, AreaTool>> keys = {
        {Qt::Key_G, AreaTool::Fill},      {Qt::Key_W, AreaTool::Wand},
        {Qt::Key_M, AreaTool::Rectangle}, {Qt::Key_E, AreaTool::Ellipse},
        {Qt::Key_P, AreaTool::Polygon},   {Qt::Key_O, AreaTool::Object},
        {Qt::Key_B, AreaTool::Brush}};
    for (const auto& [key, tool] : keys) {
        QTest::keyClick(canvas, key);
        QCOMPARE(f.form1().CurrentTool(), tool);
    }
    // The brush outline is the brush's only: the other tools show a cross.
    Send(f, QEvent::MouseMove, Qt::NoButton, Qt::NoButton, Qt::NoModifier, {40, 20});
    QCOMPARE(canvas->viewport()->cursor().shape(), Qt::BlankCursor);
    QTest::keyClick(canvas, Qt::Key_W);
    QCOMPARE(canvas->viewport()->cursor().shape(), Qt::CrossCursor);
    QVERIFY(!canvas->Tool()->ShowsBrush());
    // Every tool is a checked item of the menu and the tool bar, with a tip.
    for (const char* name : {"BrushTool", "FillTool", "WandTool", "RectangleTool", "EllipseTool",
                             "PolygonTool", "ObjectTool"}) {
        auto* action = f.form1().findChild<QAction*>(Q(name));
        QVERIFY2(action && action->isCheckable() && !action->toolTip().isEmpty(), name);
        QVERIFY2(action->isChecked() == (QByteArray(name) == "WandTool"), name);
        QVERIFY2(action->text().contains(QLatin1Char('&')), name);
    }

    // Typing in the areas window's text fields writes letters, never changes the tool.
    TForm4& areas = f.form4();
    areas.show();
    areas.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&areas));
    auto* text = areas.findChild<QPlainTextEdit*>();
    QVERIFY(text);
    text->setFocus();
    QTest::keyClicks(text, Q("bgmepo"));
    QCOMPARE(f.form1().CurrentTool(), AreaTool::Wand);
    QVERIFY(text->toPlainText().contains(Q("bgmepo")));
    areas.hide();
}

void AreaToolsTest::withoutPictureToolsAndShapeCommandsBeep() {
    EditorFixture f;
    for (const char* action : {"FillTool", "WandTool", "RectangleTool", "PolygonTool"}) {
        f.Trigger(action);
        const int beeps = f.prompter.beeps;
        Click(f, {10, 10});
        QVERIFY2(f.prompter.beeps == beeps + 1, action);
    }
    for (const char* action : {"ImportShapes", "ExportShapes"}) {
        const int beeps = f.prompter.beeps;
        f.Trigger(action);
        QVERIFY2(f.prompter.beeps == beeps + 1, action);
    }
    QCOMPARE(f.dialogs.asked, 0);

    // A project with a picture but no area: nothing to write with.
    EditorFixture g;
    g.OpenProjectWithPicture(kWidth, kHeight, {});
    g.Trigger("FillTool");
    const int beeps = g.prompter.beeps;
    Click(g, {10, 10});
    QCOMPARE(g.prompter.beeps, beeps + 1);
    QCOMPARE(Count(g.data().canvas.Map, 0), kWidth * kHeight);
}

void AreaToolsTest::exportedOutlinesImportBackAsTheSameAreas() {
    struct Format {
        const char* file;     // as typed in the dialog
        const char* written;  // as written
        ShapeFormat format;
    };
    for (const Format& format : {Format{"shapes.html", "shapes.html", ShapeFormat::Html},
                                 Format{"shapes.svg", "shapes.svg", ShapeFormat::Svg},
                                 Format{"shapes.JSON", "shapes.JSON", ShapeFormat::Json},
                                 Format{"shapes", "shapes.html", ShapeFormat::Html}}) {
        EditorFixture f;
        OpenScene(f);
        // A house with a hole in it, beside the garden.
        f.Trigger("EllipseTool");
        Drag(f, {25, 5}, {75, 55});
        FillMapRect(f.data().canvas.Map, 45, 25, 8, 8, 0, true);
        const Bitmap painted = f.data().canvas.Map;
        const std::array<std::string, 256> names = f.data().areas.AreaNames;

        f.dialogs.Answer(f.folder / format.file);
        f.Trigger("ExportShapes");
        const std::string path = f.folder / format.written;
        // Exactly what the command line's "shapes" prints in that format.
        QCOMPARE(ReadFile(path),
                 WriteOutlines(TraceOutlines(painted, 1.0), names, kWidth, kHeight, format.format));

        f.data().DeleteAllAreas();
        f.Trigger("N16");
        f.form4().UpdateFieldsList();
        const std::uint32_t empty = Shown(f, {60, 10});
        f.dialogs.Answer(path);
        const int steps = f.history.UndoCount();
        f.Trigger("ImportShapes");
        QCOMPARE(f.data().areas.AreaCount, 2);
        QCOMPARE(f.form4().Controls().ListBox1->count(), 2);
        QCOMPARE(f.history.UndoCount(), steps + 1);
        QVERIFY(f.form1().isWindowModified());
        const Bitmap imported = f.data().canvas.Map;
        const std::array<std::string, 256> importedNames = f.data().areas.AreaNames;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                QCOMPARE(f.data().areas.AreaNames[AreaAt(imported, x, y)],
                         names[AreaAt(painted, x, y)]);
            }
        }
        // The import is one step: undo takes the new, still unused areas back with their
        // pixels, and the list shows it; redo makes and paints them again.
        QVERIFY(Shown(f, {60, 10}) != empty);
        f.Trigger("N13");
        QCOMPARE(Count(f.data().canvas.Map, 0), kWidth * kHeight);
        QCOMPARE(Shown(f, {60, 10}), empty);
        QCOMPARE(f.data().areas.AreaCount, 0);
        QCOMPARE(f.form4().Controls().ListBox1->count(), 0);
        f.Trigger("N14");
        QVERIFY(f.data().canvas.Map == imported);
        QVERIFY(f.data().areas.AreaNames == importedNames);
        QCOMPARE(f.form4().Controls().ListBox1->count(), 2);
    }
}

void AreaToolsTest::badMarkupShowsTheReasonAndChangesNothing() {
    EditorFixture f;
    OpenScene(f);
    const Bitmap before = f.data().canvas.Map;
    const int steps = f.history.UndoCount();
    const std::string broken = f.folder / "broken.json";
    WriteFile(broken, "[{\"name\": \"Крыльцо\", \"points\": [[1, 2], [3, 4]]}]");
    f.dialogs.Answer(broken);
    f.Trigger("ImportShapes");
    QCOMPARE(f.prompter.messages.size(), std::size_t{1});
    QVERIFY(Q(f.prompter.messages.back()).contains(Q("broken.json")));
    QCOMPARE(f.data().areas.AreaCount, 2);
    QVERIFY(f.data().canvas.Map == before);
    QCOMPARE(f.history.UndoCount(), steps);

    // A cancelled dialog does nothing at all.
    f.Trigger("ImportShapes");
    f.Trigger("ExportShapes");
    QCOMPARE(f.prompter.messages.size(), std::size_t{1});
    QCOMPARE(f.data().areas.AreaCount, 2);
}

int RunAreaToolsTest(int argc, char** argv) {
    AreaToolsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "area_tools_ui_test.moc"
