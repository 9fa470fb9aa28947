// The page merging window: its list buttons, the beep without enough pages, the overwrite
// question, and a merge of two pages exported by the editor itself.
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>

#include "canvas/map/map_ops.h"
#include "store/common_data.h"
#include "store/files.h"
#include "ui/common/text.h"
#include "ui/main/main_window.h"
#include "ui/main/merge_window.h"
#include "ui_test_support.h"

using namespace velmora;
using velmora::test::EditorFixture;

namespace {

int CountLines(const std::string& text, const std::string& line) {
    int count = 0;
    std::string::size_type at = 0;
    const std::string framed = line + "\r\n";
    while ((at = text.find(framed, at)) != std::string::npos) {
        if (at == 0 || text[at - 1] == '\n') {
            ++count;
        }
        at += framed.size();
    }
    return count;
}

// Exports the open project's page to folder/name through the main window's menu.
std::string Export(EditorFixture& fixture, const std::string& name) {
    const std::string page = fixture.folder / name;
    fixture.dialogs.Answer(page);
    fixture.Trigger("N39");
    return page;
}

void SelectRow(QListWidget* list, int row) {
    const QRect rect = list->visualItemRect(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
}

}  // namespace

class MergeWindowTest : public QObject {
    Q_OBJECT

private slots:
    void ListButtons() {
        EditorFixture fixture;
        TForm7& window = fixture.editor().Form7();
        window.show();
        fixture.dialogs.Answer("/pages/a.html");
        fixture.dialogs.Answer("/pages/b.html");
        QTest::mouseClick(window.AddButton(), Qt::LeftButton);
        QTest::mouseClick(window.AddButton(), Qt::LeftButton);
        QCOMPARE(fixture.dialogs.filters.front(), std::string("HTML файлы (*.html)"));
        QCOMPARE(window.Paths(), (std::vector<std::string>{"/pages/a.html", "/pages/b.html"}));

        // Removing without a selection only beeps.
        window.List()->clearSelection();
        QTest::mouseClick(window.RemoveButton(), Qt::LeftButton);
        QCOMPARE(fixture.prompter.beeps, 1);
        QCOMPARE(window.List()->count(), 2);

        SelectRow(window.List(), 0);
        QTest::mouseClick(window.RemoveButton(), Qt::LeftButton);
        QCOMPARE(window.Paths(), std::vector<std::string>{"/pages/b.html"});

        // One page: a beep and no dialog.
        const int asked = fixture.dialogs.asked;
        QTest::mouseClick(window.SaveButton(), Qt::LeftButton);
        QCOMPARE(fixture.prompter.beeps, 2);
        QCOMPARE(fixture.dialogs.asked, asked);

        QTest::mouseClick(window.ClearButton(), Qt::LeftButton);
        QCOMPARE(window.List()->count(), 0);
        window.hide();

        // The list survives hiding and showing again.
        fixture.dialogs.Answer("/pages/c.html");
        window.AddClick();
        window.hide();
        window.show();
        QCOMPARE(window.List()->count(), 1);
        window.hide();
    }

    void MergesTwoExportedPages() {
        EditorFixture fixture;
        fixture.OpenProjectWithPicture(40, 30, {"Дом"});
        FillMapRect(fixture.data().canvas.Map, 0, 0, 20, 30, 1, true);
        const std::string a = Export(fixture, "a.html");
        const std::string b = Export(fixture, "b.html");
        QVERIFY(FileExists(fixture.folder / "VLM/a.js"));

        TForm7& window = fixture.editor().Form7();
        window.show();
        fixture.dialogs.Answer(a);
        window.AddClick();
        fixture.dialogs.Answer(b);
        window.AddClick();
        fixture.prompter.messages.clear();

        fixture.dialogs.Answer(fixture.folder / "c");
        QTest::mouseClick(window.SaveButton(), Qt::LeftButton);
        QCOMPARE(fixture.prompter.messages, std::vector<std::string>{"Операция выполнена!"});
        // The main window's status bar says what was written and where.
        QCOMPARE(fixture.form1().statusBar()->currentMessage(),
                 Q("Объединённая страница записана: ") + Q(fixture.folder / "c.html"));
        const std::string page = test::ReadFile(fixture.folder / "c.html");
        const std::string script = test::ReadFile(fixture.folder / "VLM/c.js");
        QCOMPARE(CountLines(page, "\t\t\t<p>"), 2);
        QCOMPARE(CountLines(script, ","), 2);
        QVERIFY(script.rfind("\xEF\xBB\xBF'use strict;'\r\nlet VLM_DATA=[\r\n", 0) == 0);
        QVERIFY(script.find("];\r\n") != std::string::npos);

        // The file exists now: No keeps it exactly as it is.
        test::WriteFile(fixture.folder / "c.html", "kept");
        test::WriteFile(fixture.folder / "VLM/c.js", "kept too");
        fixture.dialogs.Answer(fixture.folder / "c.html");
        fixture.prompter.Reply(Answer::No);
        window.SaveClick();
        QVERIFY(fixture.prompter.questions.back().starts_with("Файл существует. Перезаписать?\n"));
        QCOMPARE(fixture.prompter.captions.back(), std::string("Требуется подтверждение"));
        QCOMPARE(test::ReadFile(fixture.folder / "c.html"), std::string("kept"));
        QCOMPARE(test::ReadFile(fixture.folder / "VLM/c.js"), std::string("kept too"));
        window.hide();
    }

    // "Вверх" and "Вниз" order the pages; at either end, or without a selection, a beep.
    void UpAndDownOrderThePages() {
        EditorFixture fixture;
        TForm7& window = fixture.editor().Form7();
        window.show();
        for (const char* page : {"/p/a.html", "/p/b.html", "/p/c.html"}) {
            fixture.dialogs.Answer(page);
            window.AddClick();
        }
        QCOMPARE(window.UpButton()->text(), Q("Вверх"));
        QCOMPARE(window.DownButton()->text(), Q("Вниз"));
        SelectRow(window.List(), 2);
        QTest::mouseClick(window.UpButton(), Qt::LeftButton);
        QTest::mouseClick(window.UpButton(), Qt::LeftButton);
        QCOMPARE(window.Paths(), (std::vector<std::string>{"/p/c.html", "/p/a.html", "/p/b.html"}));
        QTest::mouseClick(window.UpButton(), Qt::LeftButton);
        QCOMPARE(fixture.prompter.beeps, 1);
        QTest::mouseClick(window.DownButton(), Qt::LeftButton);
        QCOMPARE(window.Paths(), (std::vector<std::string>{"/p/a.html", "/p/c.html", "/p/b.html"}));
        window.List()->clearSelection();
        QTest::mouseClick(window.DownButton(), Qt::LeftButton);
        QCOMPARE(fixture.prompter.beeps, 2);
        window.hide();
    }

    void CancelledSaveDialogWritesNothing() {
        EditorFixture fixture;
        TForm7& window = fixture.editor().Form7();
        fixture.dialogs.Answer(fixture.folder / "a.html");
        window.AddClick();
        fixture.dialogs.Answer(fixture.folder / "a.html");
        window.AddClick();
        fixture.dialogs.Cancel();
        window.SaveClick();
        QVERIFY(fixture.prompter.messages.empty());
        QVERIFY(fixture.prompter.questions.empty());
    }
};

int RunMergeWindowTest(int argc, char** argv) {
    MergeWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "merge_window_test.moc"
