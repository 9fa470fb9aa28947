// The grid of areas dialog: the limit, the cells' names, order and rectangles, the defaults
// button, and undo and redo of a whole grid.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "canvas/history/draw_history.h"
#include "store/common_data.h"
#include "ui/areas/areas_window.h"
#include "ui/areas/grid_dialog.h"
#include "ui/common/text.h"
#include "ui_areas_window.h"
#include "ui_test_support.h"

using namespace velmora;
using velmora::test::EditorFixture;

namespace {

void Choose(TForm8& dialog, int columns, int rows) {
    dialog.ColumnsList()->setCurrentIndex(columns - 1);
    dialog.RowsList()->setCurrentIndex(rows - 1);
}

int MapAt(COMMON_DATA& data, int x, int y) {
    return data.canvas.Map.Pixel(x, y)[0];
}

QStringList ListedAreas(EditorFixture& fixture) {
    QStringList names;
    QListWidget* list = fixture.form4().Controls().ListBox1;
    for (int row = 0; row < list->count(); ++row) {
        names << list->item(row)->text();
    }
    return names;
}

}  // namespace

class GridDialogTest : public QObject {
    Q_OBJECT

private slots:
    void StartsWithTheDefaultsAndTheirLists() {
        EditorFixture fixture;
        TForm8& dialog = fixture.editor().Form8();
        QCOMPARE(dialog.ColumnsList()->count(), 20);
        QCOMPARE(dialog.RowsList()->itemText(19), Q("20"));
        QCOMPARE(dialog.ColumnsList()->currentText(), Q("10"));
        QCOMPARE(dialog.RowsList()->currentText(), Q("1"));
        QCOMPARE(dialog.PrefixField()->text(), Q("Область_"));
        QVERIFY(!dialog.OverwriteBox()->isChecked());

        Choose(dialog, 5, 7);
        dialog.PrefixField()->setText(Q("Реплика"));
        dialog.OverwriteBox()->setChecked(true);
        QTest::mouseClick(dialog.DefaultsButton(), Qt::LeftButton);
        QCOMPARE(dialog.ColumnsList()->currentText(), Q("10"));
        QCOMPARE(dialog.RowsList()->currentText(), Q("1"));
        QCOMPARE(dialog.PrefixField()->text(), Q("Область_"));
        QVERIFY(!dialog.OverwriteBox()->isChecked());
    }

    void CellsAreNamedAndPaintedColumnByColumn() {
        EditorFixture fixture;
        fixture.OpenProjectWithPicture(100, 60, {});
        TForm8& dialog = fixture.editor().Form8();
        dialog.show();
        Choose(dialog, 3, 2);
        QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
        QVERIFY(!dialog.isVisible());

        QCOMPARE(ListedAreas(fixture),
                 (QStringList{Q("Область_1_1"), Q("Область_1_2"), Q("Область_2_1"),
                              Q("Область_2_2"), Q("Область_3_1"), Q("Область_3_2")}));
        QCOMPARE(fixture.form4().Controls().GroupBox2->title(), Q("Список областей (6)"));
        COMMON_DATA& data = fixture.data();
        QCOMPARE(MapAt(data, 0, 0), 1);
        QCOMPARE(MapAt(data, 32, 29), 1);
        QCOMPARE(MapAt(data, 0, 30), 2);
        QCOMPARE(MapAt(data, 33, 0), 3);
        QCOMPARE(MapAt(data, 98, 59), 6);
        QCOMPARE(MapAt(data, 99, 10), 0);
    }

    void StripsTakeTheSingleNumber_data() {
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("rows");
        QTest::newRow("one column, four rows") << 1 << 4;
        QTest::newRow("four columns, one row") << 4 << 1;
    }
    void StripsTakeTheSingleNumber() {
        QFETCH(int, columns);
        QFETCH(int, rows);
        EditorFixture fixture;
        fixture.OpenProjectWithPicture(80, 40, {});
        TForm8& dialog = fixture.editor().Form8();
        dialog.show();
        Choose(dialog, columns, rows);
        dialog.OkClick();
        QCOMPARE(ListedAreas(fixture),
                 (QStringList{Q("Область_1"), Q("Область_2"), Q("Область_3"), Q("Область_4")}));
        // The fourth strip lies at the far end: bottom for rows, right for columns.
        QCOMPARE(MapAt(fixture.data(), 79 * (columns > 1), 39 * (rows > 1)), 4);
        QCOMPARE(MapAt(fixture.data(), 0, 0), 1);
    }

    void TheLimitIsCheckedBeforeAnythingIsWritten() {
        EditorFixture fixture;
        fixture.OpenProjectWithPicture(100, 60, {});
        COMMON_DATA& data = fixture.data();
        data.BeginTransaction();
        for (int n = 1; n <= 250; ++n) {
            data.AddArea("a" + std::to_string(n), true);
        }
        data.CommitTransaction();
        fixture.form4().UpdateFieldsList();
        const int steps = fixture.history.UndoCount();

        TForm8& dialog = fixture.editor().Form8();
        dialog.show();
        Choose(dialog, 2, 3);
        QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
        QCOMPARE(fixture.prompter.messages,
                 std::vector<std::string>{"Превышен лимит областей. Максимум 255."});
        QVERIFY(dialog.isVisible());
        QCOMPARE(data.areas.AreaCount, 250);
        QCOMPARE(fixture.history.UndoCount(), steps);

        Choose(dialog, 5, 1);
        QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(data.areas.AreaCount, 255);
        QCOMPARE(fixture.prompter.messages.size(), std::size_t(1));
    }

    // A second grid with the same names: one message lists the refused cells, which are left
    // unpainted, never painted with some other area's number.
    void RefusedNamesAreSkipped() {
        EditorFixture fixture;
        fixture.OpenProjectWithPicture(90, 30, {});
        TForm8& dialog = fixture.editor().Form8();
        dialog.show();
        Choose(dialog, 3, 1);
        dialog.OkClick();
        fixture.data().ClearMap();
        dialog.show();
        dialog.OkClick();
        QCOMPARE(fixture.prompter.messages,
                 std::vector<std::string>({"Области с такими названиями уже существуют, эти "
                                           "ячейки не добавлены:\nОбласть_1, Область_2, "
                                           "Область_3"}));
        QCOMPARE(fixture.data().areas.AreaCount, 3);
        QCOMPARE(MapAt(fixture.data(), 45, 15), 0);
    }

    // Through the menu as a user would: the grid is one step of undo and redo, and the
    // areas stay registered either way.
    void UndoAndRedoTakeTheWholeGrid() {
        EditorFixture fixture;
        fixture.OpenProjectWithPicture(60, 40, {});
        TForm8& dialog = fixture.editor().Form8();
        Choose(dialog, 2, 2);
        dialog.OverwriteBox()->setChecked(true);
        QTimer::singleShot(0, &dialog,
                           [&dialog] { QTest::mouseClick(dialog.OkButton(), Qt::LeftButton); });
        fixture.Trigger("N24");
        COMMON_DATA& data = fixture.data();
        QCOMPARE(data.areas.AreaCount, 4);
        QCOMPARE(MapAt(data, 59, 39), 4);

        fixture.Trigger("N13");
        for (const auto& [x, y] : {std::pair{0, 0}, {59, 0}, {0, 39}, {59, 39}}) {
            QCOMPARE(MapAt(data, x, y), 0);
        }
        QCOMPARE(data.areas.AreaCount, 4);
        fixture.Trigger("N14");
        QCOMPARE(MapAt(data, 0, 0), 1);
        QCOMPARE(MapAt(data, 0, 39), 2);
        QCOMPARE(MapAt(data, 59, 0), 3);
        QCOMPARE(MapAt(data, 59, 39), 4);
    }

    void CancelChangesNothing() {
        EditorFixture fixture;
        fixture.OpenProjectWithPicture(60, 40, {});
        TForm8& dialog = fixture.editor().Form8();
        dialog.show();
        Choose(dialog, 4, 4);
        QTest::mouseClick(dialog.CancelButton(), Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(fixture.data().areas.AreaCount, 0);
        // The dialog keeps its values for the next opening.
        QCOMPARE(dialog.ColumnsList()->currentText(), Q("4"));
    }
};

int RunGridDialogTest(int argc, char** argv) {
    GridDialogTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "grid_dialog_test.moc"
