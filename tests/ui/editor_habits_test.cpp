// What an author expects of a desktop editor: command keys in every window, tool windows that
// stay above the main window and keep their places, recent projects, drag and drop, the area
// list's keys, file dialogs that start in the project, and menu mnemonics.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QSet>
#include <QSettings>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <QWindow>
#include <filesystem>

#include "canvas/map/map_ops.h"
#include "store/area_palette.h"
#include "store/common_data.h"
#include "store/files.h"
#include "store/image_file.h"
#include "ui/areas/area_name_dialog.h"
#include "ui/areas/areas_window.h"
#include "ui/common/text.h"
#include "ui/main/canvas_view.h"
#include "ui/main/main_window.h"
#include "ui/main/merge_window.h"
#include "ui/main/navigator_view.h"
#include "ui_areas_window.h"
#include "ui_test_support.h"

using namespace velmora;
using velmora::test::EditorFixture;

namespace {

void Activate(QWidget& window) {
    window.show();
    window.raise();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
}

// Paints a short stroke of the current area through the picture view.
void Paint(EditorFixture& f, QPoint from, QPoint to) {
    QWidget* view = f.form1().Image();
    QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(to), view->mapToGlobal(QPointF(to)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view, &move);
    QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, to);
}

void Drop(QWidget& target, const std::string& path) {
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(Q(path))});
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&target, &enter);
    if (!enter.isAccepted()) {
        return;
    }
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&target, &drop);
}

// Every item of a menu and its submenus has a mnemonic, none taken twice in one menu.
void CheckMnemonics(const QList<QAction*>& actions, const QString& where) {
    QSet<QChar> seen;
    for (QAction* action : actions) {
        if (action->isSeparator() || !action->isVisible() || !action->isEnabled()) {
            continue;
        }
        const QString text = action->text();
        const qsizetype at = text.indexOf(QLatin1Char('&'));
        QVERIFY2(at >= 0 && at + 1 < text.size(), qPrintable(where + Q(": ") + text));
        const QChar letter = text[at + 1].toLower();
        QVERIFY2(!seen.contains(letter), qPrintable(where + Q(": ") + text));
        seen.insert(letter);
        if (action->menu()) {
            CheckMnemonics(action->menu()->actions(), where + Q(" > ") + text);
        }
    }
}

}  // namespace

class EditorHabitsTest : public QObject {
    Q_OBJECT

private slots:
    void commandKeysWorkInEveryWindow();
    void toolWindowsStayAboveAndKeepTheirPlaces();
    void areasWindowStandsBesideThePictureAndPassesToolKeys();
    void areaListKeysAndDoubleClick();
    void recentProjects();
    void droppedFilesOpenOrImport();
    void fileDialogsStartInTheProject();
    void everyMenuItemHasAMnemonic();
    void aBrushClickPaintsOneDabThatUndoAndRedoReplay();
    void windowNavigatorAndToleranceAreRemembered();
    void areaListShowsEachAreasColour();
    void cancelOnOverwriteIsNoError();
};

// Ctrl+S, Ctrl+Z and the view keys work while the areas window or the merging window has the
// focus, where half the work happens.
void EditorHabitsTest::commandKeysWorkInEveryWindow() {
    EditorFixture f;
    f.OpenProjectWithPicture(80, 60, {"A"});
    Paint(f, QPoint(10, 10), QPoint(40, 40));
    QVERIFY(f.form1().isWindowModified());

    Activate(f.form4());
    QListWidget* list = f.form4().Controls().ListBox1;
    list->setFocus();
    QTest::keyClick(list, Qt::Key_S, Qt::ControlModifier);
    QVERIFY(!f.form1().isWindowModified());
    Bitmap saved;
    QVERIFY(LoadImageFile(saved, f.folder / "Maps/source.png"));
    QCOMPARE(AreaAt(saved, 20, 20), 1);

    QTest::keyClick(list, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(AreaAt(f.data().canvas.Map, 20, 20), 0);
    QTest::keyClick(list, Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(AreaAt(f.data().canvas.Map, 20, 20), 1);
    // The other redo key of desktop programs.
    QTest::keyClick(list, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(list, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(AreaAt(f.data().canvas.Map, 20, 20), 1);
    QTest::keyClick(list, Qt::Key_F4);
    QCOMPARE(f.form1().Mode(), ViewMode::PictureAndCurrentArea);

    TForm7& merging = f.editor().Form7();
    Activate(merging);
    QTest::keyClick(merging.List(), Qt::Key_F3);
    QCOMPARE(f.form1().Mode(), ViewMode::PictureAndMask);
    merging.hide();
    f.form4().hide();
}

// The tool windows belong to the main window (so the desktop keeps them above it), come back
// where the author left them, with their size, and never off the screen.
void EditorHabitsTest::toolWindowsStayAboveAndKeepTheirPlaces() {
    EditorFixture f;
    f.OpenProjectWithPicture(80, 60, {"A"});
    TForm4& areas = f.form4();
    TForm7& merging = f.editor().Form7();
    merging.show();
    for (QWidget* tool : {static_cast<QWidget*>(&areas), static_cast<QWidget*>(&merging)}) {
        QVERIFY(tool->isWindow());
        QCOMPARE(tool->parentWidget(), &f.form1());
        QVERIFY(tool->windowHandle());
        QCOMPARE(tool->windowHandle()->transientParent(), f.form1().windowHandle());
    }
    // Places that fit the test screen (the offscreen one is small); the merging window is also
    // made larger than it starts.
    const QRect available = f.form1().screen()->availableGeometry();
    const QRect areasPlace(available.left(), available.top() + 40, 813, 525);
    const QRect mergingPlace(available.left() + 20, available.top() + 30, 770, 500);
    areas.setGeometry(areasPlace);
    merging.setGeometry(mergingPlace);
    areas.hide();
    merging.hide();

    // The next run: both come back where they were, with their size.
    {
        test::ScriptedPrompter prompter;
        test::ScriptedFileDialogs dialogs;
        Editor next(Ports{prompter, dialogs, f.shell, f.clipboard}, f.history, {});
        next.Form4().show();
        next.Form7().show();
        QCOMPARE(next.Form4().geometry(), areasPlace);
        QCOMPARE(next.Form7().geometry(), mergingPlace);
        next.Form4().hide();
        next.Form7().hide();
    }

    // A place that is no longer on any screen: the window comes back onto the screen.
    QSettings().setValue(Q("windows/areas"), QRect(available.right() + 3000, -4000, 813, 525));
    {
        test::ScriptedPrompter prompter;
        test::ScriptedFileDialogs dialogs;
        Editor next(Ports{prompter, dialogs, f.shell, f.clipboard}, f.history, {});
        next.Form4().show();
        const QRect place = next.Form4().geometry();
        QVERIFY2(available.contains(place.topLeft()) && available.intersects(place),
                 qPrintable(QString::number(place.x()) + Q(",") + QString::number(place.y())));
        next.Form4().hide();
    }
}

// The areas window opens beside the picture, not over it; Esc there hands the keyboard back to
// the picture and leaves the window open; the tool letters work from its area list while its
// text fields still take them as text.
void EditorHabitsTest::areasWindowStandsBesideThePictureAndPassesToolKeys() {
    EditorFixture f;
    const QRect available = f.form1().screen()->availableGeometry();
    f.form1().move(available.topLeft());
    f.OpenProjectWithPicture(600, 400, {"A", "B"});
    TForm4& areas = f.form4();
    QVERIFY(areas.isVisible());
    if (available.width() < f.form1().frameGeometry().width() + areas.frameGeometry().width()) {
        QSKIP("the screen is too narrow for both windows side by side");
    }
    QVERIFY2(!areas.frameGeometry().intersects(f.form1().frameGeometry()),
             qPrintable(Q("%1,%2 over %3,%4")
                            .arg(areas.x())
                            .arg(areas.y())
                            .arg(f.form1().width())
                            .arg(f.form1().height())));
    QVERIFY(available.contains(areas.frameGeometry()));

    // A larger picture later grows the main window under it: it moves aside again.
    areas.move(f.form1().frameGeometry().topRight() + QPoint(1, 0));
    f.dialogs.Answer(f.MakePicture("wide.png", 700, 400));
    f.Trigger("N9");
    QVERIFY(!areas.frameGeometry().intersects(f.form1().frameGeometry()));

    Activate(areas);
    QListWidget* list = areas.Controls().ListBox1;
    list->setFocus();
    list->setCurrentRow(1);
    QTest::keyClick(list, Qt::Key_W);
    QCOMPARE(f.form1().CurrentTool(), AreaTool::Wand);
    QTest::keyClick(list, Qt::Key_B);
    QCOMPARE(f.form1().CurrentTool(), AreaTool::Brush);
    QCOMPARE(f.data().areas.AreaNames[2], std::string("B"));

    QLineEdit* text = areas.findChild<QLineEdit*>();
    QVERIFY(text);
    text->setFocus();
    QTest::keyClick(text, Qt::Key_W);
    QCOMPARE(f.form1().CurrentTool(), AreaTool::Brush);

    list->setFocus();
    QTest::keyClick(list, Qt::Key_Escape);
    QVERIFY(areas.isVisible());
    QCOMPARE(f.form1().focusWidget(), static_cast<QWidget*>(f.form1().Canvas()));
    QTest::keyClick(f.form1().Canvas(), Qt::Key_G);
    QCOMPARE(f.form1().CurrentTool(), AreaTool::Fill);
    areas.hide();
}

// Del deletes the chosen area (after its question), F2 and a double click rename it.
void EditorHabitsTest::areaListKeysAndDoubleClick() {
    EditorFixture f;
    f.OpenProjectWithPicture(80, 60, {"A", "B"});
    Activate(f.form4());
    QListWidget* list = f.form4().Controls().ListBox1;
    list->setFocus();
    list->setCurrentRow(1);
    const ViewMode mode = f.form1().Mode();

    TForm5& dialog = f.editor().Form5();
    auto answer = [&dialog](const QString& name) {
        QTimer::singleShot(0, &dialog, [&dialog, name] {
            dialog.NameEdit()->setText(name);
            QTest::keyClick(dialog.NameEdit(), Qt::Key_Return);
        });
    };
    answer(Q("Берег"));
    QTest::keyClick(list, Qt::Key_F2);
    QCOMPARE(f.data().areas.AreaNames[2], std::string("Берег"));
    QCOMPARE(f.form1().Mode(), mode);  // F2 in the list renames; it is no view key there

    answer(Q("Мост"));
    const QRect row = list->visualItemRect(list->item(1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, row.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, row.center());
    QCOMPARE(f.data().areas.AreaNames[2], std::string("Мост"));

    list->setCurrentRow(1);
    f.prompter.Reply(Answer::No);
    QTest::keyClick(list, Qt::Key_Delete);
    QCOMPARE(f.prompter.safeQuestions.back(),
             Naming("Вы действительно хотите избавиться от выделенной области?", "Мост"));
    QCOMPARE(f.data().areas.AreaCount, 2);
    f.prompter.Reply(Answer::Yes);
    QTest::keyClick(list, Qt::Key_Delete);
    QCOMPARE(f.data().areas.AreaCount, 1);
    f.form4().hide();
}

// File → "Последние проекты": newest first, a missing file greyed out and removable, a click
// opens the project.
void EditorHabitsTest::recentProjects() {
    EditorFixture f;
    const std::string first = f.OpenProjectWithPicture(60, 40, {"A"});
    const std::string second = f.folder / "second.vlm";
    f.dialogs.Answer(second);
    f.Trigger("N2");
    QCOMPARE(f.form1().RecentProjects(), QStringList({Q(second), Q(first)}));

    QMenu* menu = f.form1().RecentMenu();
    emit menu->aboutToShow();
    QList<QAction*> items = menu->actions();
    QCOMPARE(items[0]->text(), Q("&1 ") + Q(second));
    QCOMPARE(items[1]->text(), Q("&2 ") + Q(first));
    items[1]->trigger();
    QCOMPARE(f.data().project.ProjectPath, first);
    QCOMPARE(f.form1().RecentProjects().constFirst(), Q(first));

    std::filesystem::remove(second);
    emit menu->aboutToShow();
    items = menu->actions();
    QVERIFY(items[0]->isEnabled());
    QVERIFY(!items[1]->isEnabled());
    QAction* removeMissing = menu->findChild<QAction*>(Q("RemoveMissingProjects"));
    QVERIFY(removeMissing && removeMissing->isEnabled());
    removeMissing->trigger();
    QCOMPARE(f.form1().RecentProjects(), QStringList({Q(first)}));
}

// A project dropped on the main window opens; a picture imports, asking first when areas
// have pixels; anything else is not taken.
void EditorHabitsTest::droppedFilesOpenOrImport() {
    EditorFixture f;
    const std::string project = f.OpenProjectWithPicture(60, 40, {"A"});
    f.Trigger("N6");
    f.dialogs.Answer(f.folder / "other.vlm");
    f.Trigger("N2");
    Drop(f.form1(), project);
    QCOMPARE(f.data().project.ProjectPath, project);

    FillMapRect(f.data().canvas.Map, 0, 0, 10, 10, 1, true);
    const std::string picture = f.MakePicture("dropped.JPG.png", 30, 20);
    f.prompter.Reply(Answer::No);
    Drop(f.form1(), picture);
    QCOMPARE(f.prompter.safeQuestions.size(), std::size_t(1));
    QCOMPARE(f.data().canvas.Width, 60);
    f.prompter.Reply(Answer::Yes);
    Drop(f.form1(), picture);
    QCOMPARE(f.data().canvas.Width, 30);

    velmora::test::WriteFile(f.folder / "notes.txt", "text");
    Drop(f.form1(), f.folder / "notes.txt");
    QCOMPARE(f.data().project.ProjectPath, project);
    QVERIFY(f.prompter.messages.empty());
}

// Dialogs start in the project's folder; "Сохранить как" offers the project's own name.
void EditorHabitsTest::fileDialogsStartInTheProject() {
    EditorFixture f;
    const std::string project = f.OpenProjectWithPicture(60, 40, {"A"});
    f.dialogs.starts.clear();
    f.Trigger("N9");   // Open picture, cancelled
    f.Trigger("N7");   // Save as, cancelled
    f.Trigger("N39");  // Export, cancelled: the page is offered in HTML under the project's name
    f.Trigger("N4");   // Open, cancelled
    QCOMPARE(f.dialogs.starts,
             (std::vector<std::string>{f.folder.Path(), project, f.folder / "HTML/tour.html",
                                       f.folder.Path()}));
}

void EditorHabitsTest::everyMenuItemHasAMnemonic() {
    EditorFixture f;
    f.OpenProjectWithPicture(60, 40, {"A"});
    emit f.form1().RecentMenu()->aboutToShow();
    CheckMnemonics(f.form1().menuBar()->actions(), Q("menu bar"));
    CheckMnemonics(f.form4().ListMenu()->actions(), Q("area list"));
    CheckMnemonics(f.form4().TabsMenu()->actions(), Q("event tabs"));
}

void EditorHabitsTest::aBrushClickPaintsOneDabThatUndoAndRedoReplay() {
    EditorFixture f;
    f.OpenProjectWithPicture(80, 60, {"A"});
    f.form4().Controls().TrackBar1->setValue(9);
    QWidget* view = f.form1().Image();
    QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier, QPoint(30, 20));
    const Bitmap dab = f.data().canvas.Map;
    int painted = 0;
    for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < 80; ++x) {
            painted += AreaAt(dab, x, y) == 1 ? 1 : 0;
        }
    }
    // A round dab of the brush's width about the pixel clicked, nothing elsewhere.
    QCOMPARE(AreaAt(dab, 30, 20), 1);
    QVERIFY2(painted > 9 * 5 && painted < 9 * 9 + 1, qPrintable(QString::number(painted)));
    QCOMPARE(AreaAt(dab, 30 + 6, 20), 0);
    QVERIFY(f.form1().isWindowModified());
    QCOMPARE(velmora::test::ShownRed(f.form1(), 30, 20),
             velmora::test::ShownRed(f.form1(), 31, 21));
    f.Trigger("N13");
    QCOMPARE(AreaAt(f.data().canvas.Map, 30, 20), 0);
    f.Trigger("N14");
    QVERIFY(f.data().canvas.Map == dab);
}

// The main window's place and size, the navigator and the wand's tolerance hold in the next run.
void EditorHabitsTest::windowNavigatorAndToleranceAreRemembered() {
    EditorFixture f;
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect place(available.topLeft() + QPoint(30, 40), QSize(560, 420));
    {
        Editor first(Ports{f.prompter, f.dialogs, f.shell, f.clipboard}, f.history, {});
        first.Form1().show();
        first.Form1().setGeometry(place);
        first.Form1().findChild<QSpinBox*>(Q("WandTolerance"))->setValue(57);
        first.Form1().findChild<QAction*>(Q("NavigatorAction"))->trigger();
    }
    Editor next(Ports{f.prompter, f.dialogs, f.shell, f.clipboard}, f.history, {});
    next.Form1().show();
    QCOMPARE(next.Form1().geometry(), place);
    QCOMPARE(next.Form1().findChild<QSpinBox*>(Q("WandTolerance"))->value(), 57);
    QVERIFY(next.Form1().findChild<QAction*>(Q("NavigatorAction"))->isChecked());
    QVERIFY(next.Form1().Navigator()->isVisible());
}

void EditorHabitsTest::areaListShowsEachAreasColour() {
    EditorFixture f;
    f.OpenProjectWithPicture(60, 40, {"A", "B", "C"});
    QListWidget* list = f.form4().Controls().ListBox1;
    QCOMPARE(list->count(), 3);
    for (int row = 0; row < list->count(); ++row) {
        const QImage swatch = list->item(row)->icon().pixmap(TForm4::kSwatchSide).toImage();
        const std::uint32_t colour = AreaPalette[static_cast<std::size_t>(row + 1)];
        QCOMPARE(swatch.pixelColor(TForm4::kSwatchSide / 2, TForm4::kSwatchSide / 2),
                 QColor(PaletteRed(colour), PaletteGreen(colour), PaletteBlue(colour)));
    }
}

// Cancel on the question about a stored picture of the same name gives up quietly.
void EditorHabitsTest::cancelOnOverwriteIsNoError() {
    EditorFixture f;
    f.OpenProjectWithPicture(60, 40, {"A"});
    const std::string other = f.folder / "elsewhere";
    std::filesystem::create_directories(other);
    Bitmap different(30, 20);
    SaveImageFile(different, other + "/source.png");
    f.prompter.messages.clear();
    f.prompter.Reply(Answer::Cancel);  // "Файл уже существует. Перезаписать?"
    f.dialogs.Answer(other + "/source.png");
    f.Trigger("N9");
    QVERIFY(!f.prompter.questions.empty());
    QVERIFY(Q(f.prompter.questions.back()).contains(Q("Перезаписать?")));
    QCOMPARE(f.prompter.messages, std::vector<std::string>{});
    QCOMPARE(f.data().canvas.Width, 60);
}

int RunEditorHabitsTest(int argc, char** argv) {
    EditorHabitsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "editor_habits_test.moc"
