// The areas and attributes window: the list, the pending records, the clear and copy
// commands, the status bar, and the area name dialog.
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTest>
#include <QTimer>

#include "store/common_data.h"
#include "ui/areas/area_name_dialog.h"
#include "ui/areas/areas_window.h"
#include "ui/common/text.h"
#include "ui/main/main_window.h"
#include "ui_areas_window.h"
#include "ui_test_support.h"

using namespace velmora;
using velmora::test::EditorFixture;

namespace {

void ClickArea(TForm4& form, const QString& name) {
    QListWidget* list = form.Controls().ListBox1;
    const auto found = list->findItems(name, Qt::MatchExactly);
    QVERIFY2(found.size() == 1, qPrintable(name));
    const QRect rect = list->visualItemRect(found.first());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
}

QStringList Items(const TForm4& form) {
    QStringList items;
    for (int row = 0; row < form.Controls().ListBox1->count(); ++row) {
        items << form.Controls().ListBox1->item(row)->text();
    }
    return items;
}

// Answers the next name dialog with text, by typing it and pressing Enter. (QTest types Latin-1
// only, so the Cyrillic text goes in as the line edit's input.)
void AnswerNameDialog(TForm5& dialog, const QString& text) {
    QTimer::singleShot(0, &dialog, [&dialog, text] {
        dialog.NameEdit()->selectAll();
        dialog.NameEdit()->insert(text);
        QTest::keyClick(dialog.NameEdit(), Qt::Key_Return);
    });
}

QAction* MenuAction(QMenu* menu, const QString& text) {
    for (QAction* action : menu->actions()) {
        if (QString(action->text()).remove(QLatin1Char('&')) == text) {
            return action;
        }
    }
    return nullptr;
}

}  // namespace

class AreasWindowTest : public QObject {
    Q_OBJECT

private slots:
    void listIsInAreaNumberOrder();
    void pendingEditsAreWrittenWhenAnotherAreaIsChosen();
    void pendingEditsFollowARename();
    void addAndDeleteThroughTheWindow();
    void importAddsOrReplacesAreas();
    void clearPropertiesResetsOneEventOnly();
    void copyToTheSameEventIsRefused();
    void copyToAnotherEventShowsTheCopy();
    void statusBarMarksTheFilledFields();
    void nameDialogModes();
    void blankNamesAreRefusedAndNamesTrimmed();
};

void AreasWindowTest::listIsInAreaNumberOrder() {
    EditorFixture f;
    f.OpenProjectWithPicture(60, 40, {});
    const std::vector<std::string> names = {"a1", "Яблоко", "a3", "a4",   "Берёза",
                                            "a6", "a7",     "a8", "Арбуз"};
    for (const std::string& name : names) {
        f.data().AddArea(name, true);
    }
    for (const char* name : {"a1", "a3", "a4", "a6", "a7", "a8"}) {
        f.data().DeleteArea(name);
    }
    f.form4().UpdateFieldsList();
    QCOMPARE(Items(f.form4()), QStringList({Q("Яблоко"), Q("Берёза"), Q("Арбуз")}));
    QCOMPARE(f.data().areas.CurrentArea, 2);
    QCOMPARE(f.data().records.AttributesArea, std::string("Яблоко"));
    QCOMPARE(f.form4().Controls().GroupBox2->title(), Q("Список областей (3)"));
}

void AreasWindowTest::pendingEditsAreWrittenWhenAnotherAreaIsChosen() {
    EditorFixture f;
    f.OpenProjectWithPicture(60, 40, {"A", "B"});
    const Ui::TForm4& ui = f.form4().Controls();
    QCOMPARE(f.data().records.AttributesArea, std::string("A"));
    ui.MessageCenterX->setValue(33);
    QVERIFY(f.data().records.AttributesModified);

    ClickArea(f.form4(), Q("B"));
    QCOMPARE(f.data().records.AttributesArea, std::string("B"));
    QCOMPARE(f.data().areas.CurrentArea, 2);
    QCOMPARE(ui.MessageCenterX->value(), 0);
    QVERIFY(!f.data().records.AttributesModified);

    ClickArea(f.form4(), Q("A"));
    QCOMPARE(ui.MessageCenterX->value(), 33);
    QCOMPARE(f.data().records.Attributes[kOver].message_center_x, 33);
}

void AreasWindowTest::pendingEditsFollowARename() {
    EditorFixture f;
    f.OpenProjectWithPicture(60, 40, {"A", "B"});
    const Ui::TForm4& ui = f.form4().Controls();
    ui.OverlayY->setValue(-12);

    AnswerNameDialog(f.editor().Form5(), Q("Дом"));
    ui.Button3->click();
    QCOMPARE(Items(f.form4()), QStringList({Q("Дом"), Q("B")}));
    QCOMPARE(f.data().records.AttributesArea, std::string("Дом"));

    ClickArea(f.form4(), Q("B"));
    ClickArea(f.form4(), Q("Дом"));
    QCOMPARE(ui.OverlayY->value(), -12);
}

void AreasWindowTest::addAndDeleteThroughTheWindow() {
    EditorFixture f;
    f.OpenProjectWithPicture(60, 40, {"A"});
    AnswerNameDialog(f.editor().Form5(), Q("Сад"));
    f.form4().Controls().Button1->click();
    QCOMPARE(Items(f.form4()), QStringList({Q("A"), Q("Сад")}));
    QCOMPARE(f.form4().Controls().ListBox1->currentItem()->text(), Q("Сад"));
    QCOMPARE(f.data().areas.CurrentArea, 2);

    // A name already taken: the registry's message, and the existing area is selected.
    ClickArea(f.form4(), Q("A"));
    AnswerNameDialog(f.editor().Form5(), Q("Сад"));
    f.form4().Controls().Button1->click();
    QCOMPARE(f.prompter.messages.size(), std::size_t(1));
    QCOMPARE(Items(f.form4()), QStringList({Q("A"), Q("Сад")}));
    QCOMPARE(f.form4().Controls().ListBox1->currentItem()->text(), Q("Сад"));

    // Delete asks first; No keeps the area.
    f.prompter.Reply(Answer::No);
    f.form4().Controls().Button2->click();
    QCOMPARE(f.prompter.safeQuestions.back(),
             std::string("Вы действительно хотите избавиться от выделенной области?\nСад"));
    QCOMPARE(f.prompter.captions.back(), std::string("Требуется подтверждение"));
    QCOMPARE(Items(f.form4()).size(), 2);

    f.prompter.Reply(Answer::Yes);
    f.form4().Controls().Button2->click();
    QCOMPARE(Items(f.form4()), QStringList({Q("A")}));
    QCOMPARE(f.data().records.AttributesArea, std::string("A"));

    f.prompter.Reply(Answer::Yes);
    f.form4().Controls().Button2->click();
    QCOMPARE(Items(f.form4()), QStringList());
    QCOMPARE(f.form4().Controls().GroupBox2->title(), Q("Список областей (0)"));
    for (int e = 0; e < kEventCount; ++e) {
        QCOMPARE(f.form4().EventPanel(e)->text(), QString());
    }
}

void AreasWindowTest::importAddsOrReplacesAreas() {
    EditorFixture source;
    const std::string other = source.OpenProjectWithPicture(60, 40, {"X", "Y"});
    source.data().CloseProject();

    EditorFixture f;
    f.OpenProjectWithPicture(60, 40, {"A"});
    f.form4().Controls().MessageCenterY->setValue(9);
    f.dialogs.Answer(other);
    MenuAction(f.form4().ListMenu(), Q("Добавить из другого проекта"))->trigger();
    QCOMPARE(Items(f.form4()), QStringList({Q("A"), Q("X"), Q("Y")}));
    // The pending edit of A was written before the import.
    ClickArea(f.form4(), Q("X"));
    ClickArea(f.form4(), Q("A"));
    QCOMPARE(f.form4().Controls().MessageCenterY->value(), 9);

    f.dialogs.Answer(other);
    f.prompter.Reply(Answer::No);
    MenuAction(f.form4().ListMenu(), Q("Заменить все из другого проекта"))->trigger();
    QCOMPARE(f.prompter.safeQuestions.back(),
             Naming("Вы действительно хотите заменить список областей?", other));
    QCOMPARE(Items(f.form4()).size(), 3);

    f.dialogs.Answer(other);
    f.prompter.Reply(Answer::Yes);
    MenuAction(f.form4().ListMenu(), Q("Заменить все из другого проекта"))->trigger();
    QCOMPARE(Items(f.form4()), QStringList({Q("X"), Q("Y")}));

    // A cancelled dialog imports nothing and asks nothing.
    const std::size_t asked = f.prompter.questions.size();
    MenuAction(f.form4().ListMenu(), Q("Заменить все из другого проекта"))->trigger();
    QCOMPARE(f.prompter.questions.size(), asked);
    QCOMPARE(Items(f.form4()).size(), 2);
}

void AreasWindowTest::clearPropertiesResetsOneEventOnly() {
    EditorFixture f;
    f.OpenProjectWithPicture(60, 40, {"A", "B"});
    const Ui::TForm4& ui = f.form4().Controls();
    ui.MessageCenterX->setValue(11);  // over
    ui.TabControl1->setCurrentIndex(kClick);
    ui.MessageCenterX->setValue(22);  // click
    ClickArea(f.form4(), Q("B"));
    ClickArea(f.form4(), Q("A"));
    QCOMPARE(ui.TabControl1->currentIndex(), int(kClick));
    QCOMPARE(ui.MessageCenterX->value(), 22);

    ui.Button4->click();  // "Очистить свойства"
    QCOMPARE(ui.MessageCenterX->value(), 0);
    QVERIFY(f.data().records.AttributesModified);
    QVERIFY(f.prompter.questions.empty());

    ClickArea(f.form4(), Q("B"));
    ClickArea(f.form4(), Q("A"));
    QCOMPARE(f.data().records.Attributes[kClick], DefaultAttributes());
    QCOMPARE(ui.MessageCenterX->value(), 0);
    ui.TabControl1->setCurrentIndex(kOver);
    QCOMPARE(ui.MessageCenterX->value(), 11);
}

void AreasWindowTest::copyToTheSameEventIsRefused() {
    EditorFixture f;
    f.OpenProjectWithPicture(60, 40, {"A"});
    const Ui::TForm4& ui = f.form4().Controls();
    ui.TabControl1->setCurrentIndex(kClick);
    ui.MessagePointerY->setValue(7);
    MenuAction(f.form4().TabsMenu(),
               Q("Копировать все свойства из текущего события в событие \"Щелчок\""))
        ->trigger();
    QCOMPARE(f.prompter.messages,
             std::vector<std::string>({"Нельзя скопировать элементы сами в себя!"}));
    // The loaded records were written all the same.
    QVERIFY(!f.data().records.AttributesModified);
    ClickArea(f.form4(), Q("A"));
    QCOMPARE(f.data().records.Attributes[kClick].message_pointer_y, 7);
}

void AreasWindowTest::copyToAnotherEventShowsTheCopy() {
    EditorFixture f;
    f.OpenProjectWithPicture(60, 40, {"A"});
    const Ui::TForm4& ui = f.form4().Controls();
    ui.TabControl1->setCurrentIndex(kClick);
    ui.PictureCenterX->setValue(64);
    ui.OverlayX->setValue(5);
    MenuAction(f.form4().TabsMenu(),
               Q("Копировать все свойства из текущего события в событие \"Над областью\""))
        ->trigger();
    QVERIFY(f.prompter.messages.empty());
    QCOMPARE(f.data().records.Attributes[kOver], f.data().records.Attributes[kClick]);
    ui.TabControl1->setCurrentIndex(kOver);
    QCOMPARE(ui.PictureCenterX->value(), 64);
    QCOMPARE(ui.OverlayX->value(), 5);

    // With no area there is nothing to copy and nothing is written or said.
    f.prompter.Reply(Answer::Yes);
    MenuAction(f.form4().ListMenu(), Q("Очистить"))->trigger();
    QCOMPARE(f.form4().Controls().ListBox1->count(), 0);
    MenuAction(f.form4().TabsMenu(),
               Q("Копировать все свойства из текущего события в событие \"Щелчок\""))
        ->trigger();
    QVERIFY(f.prompter.messages.empty());
}

void AreasWindowTest::statusBarMarksTheFilledFields() {
    EditorFixture f;
    f.OpenProjectWithPicture(60, 40, {"A"});
    ATTRIBUTES& click = f.data().records.Attributes[kClick];
    click.message_text = "Привет";
    click.link = "https://example.org/";
    click.area_brightness = 10;
    f.data().records.Attributes[kDblClick].sound_file_name = "bell.ogg";
    f.form4().UpdateStatusBar();
    QCOMPARE(f.form4().EventPanel(kOver)->text(), Q("  -    -    -    -    -    -    -  "));
    QCOMPARE(f.form4().EventPanel(kClick)->text(), Q("Сооб   -    -    -    -    -  Ссыл Эфф"));
    QCOMPARE(f.form4().EventPanel(kDblClick)->text(), Q("  -    -    -    -    -  Зв   -  "));

    f.data().areas.AreaCount = 0;
    f.form4().UpdateStatusBar();
    QCOMPARE(f.form4().EventPanel(kClick)->text(), QString());
}

void AreasWindowTest::nameDialogModes() {
    TForm5 dialog;
    // Add mode: Enter confirms, and the next add starts from the same text.
    QTimer::singleShot(0, &dialog, [&dialog] {
        dialog.NameEdit()->insert(Q("Река"));
        QTest::keyClick(dialog.NameEdit(), Qt::Key_Return);
    });
    QCOMPARE(dialog.Ask(TForm5::Mode::Add), TForm5::kConfirmed);
    QVERIFY(!dialog.AddButton()->isHidden());
    QVERIFY(dialog.RenameButton()->isHidden());
    QTimer::singleShot(0, &dialog, [&dialog] { dialog.close(); });
    QCOMPARE(dialog.Ask(TForm5::Mode::Add), TForm5::kNotConfirmed);
    QCOMPARE(dialog.Name(), Q("Река"));

    // Rename mode: the old name filled in, Enter confirms the rename.
    QTimer::singleShot(0, &dialog, [&dialog] {
        QCOMPARE(dialog.Name(), Q("Озеро"));
        QVERIFY(dialog.AddButton()->isHidden());
        dialog.NameEdit()->setText(Q("Пруд"));
        QTest::keyClick(dialog.NameEdit(), Qt::Key_Enter);
    });
    QCOMPARE(dialog.Ask(TForm5::Mode::Rename, Q("Озеро")), TForm5::kConfirmed);
    QCOMPARE(dialog.Name(), Q("Пруд"));

    // "Закрыть" after typing leaves the result unconfirmed.
    QTimer::singleShot(0, &dialog, [&dialog] {
        QTest::keyClicks(dialog.NameEdit(), Q("x"));
        dialog.CloseButton()->click();
    });
    QCOMPARE(dialog.Ask(TForm5::Mode::Add), TForm5::kNotConfirmed);
}

void AreasWindowTest::blankNamesAreRefusedAndNamesTrimmed() {
    EditorFixture f;
    f.OpenProjectWithPicture(60, 40, {"A"});
    AnswerNameDialog(f.editor().Form5(), Q("  Сад  "));
    f.form4().Controls().Button1->click();
    QCOMPARE(Items(f.form4()), QStringList({Q("A"), Q("Сад")}));
    QCOMPARE(f.form4().Controls().ListBox1->currentItem()->text(), Q("Сад"));

    AnswerNameDialog(f.editor().Form5(), Q("   "));
    f.form4().Controls().Button1->click();
    QCOMPARE(Items(f.form4()), QStringList({Q("A"), Q("Сад")}));

    // The rename dialog says it renames; a blank new name gets the empty-name message.
    QString caption;
    TForm5& dialog = f.editor().Form5();
    QTimer::singleShot(0, &dialog, [&dialog, &caption] {
        caption = dialog.windowTitle();
        dialog.NameEdit()->setText(Q("  "));
        QTest::keyClick(dialog.NameEdit(), Qt::Key_Return);
    });
    f.form4().Controls().Button3->click();
    QCOMPARE(caption, Q("Переименование области"));
    QCOMPARE(Items(f.form4()), QStringList({Q("A"), Q("Сад")}));
    QCOMPARE(f.prompter.messages,
             std::vector<std::string>(2, "Название области не может быть пустым!"));
}

int RunAreasWindowTest(int argc, char** argv) {
    AreasWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "areas_window_test.moc"
