// The about box's picture that looks toward the pointer and its link, and the help and
// media menus.
#include <QAction>
#include <QCursor>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "ui/common/text.h"
#include "ui/main/about_box.h"
#include "ui/main/link_menus.h"
#include "ui/main/link_table.h"
#include "ui/main/main_window.h"
#include "ui_test_support.h"

using namespace velmora;
using velmora::test::EditorFixture;
using velmora::test::TempFolder;

namespace {

// A menu's items as captions, "-" for separators, shortcuts after a tab.
QStringList Items(const QMenu& menu) {
    QStringList items;
    for (QAction* action : menu.actions()) {
        if (action->isSeparator()) {
            items << Q("-");
        } else if (action->shortcut().isEmpty()) {
            items << action->text();
        } else {
            items << action->text() + Q("\t") + action->shortcut().toString();
        }
    }
    return items;
}

QAction* Find(const QMenu& menu, const char* caption) {
    for (QAction* action : menu.actions()) {
        if (QString(action->text()).remove(QLatin1Char('&')) == Q(caption)) {
            return action;
        }
    }
    return nullptr;
}

}  // namespace

class AboutBoxTest : public QObject {
    Q_OBJECT

private slots:
    void PictureTable_data() {
        QTest::addColumn<QPoint>("pointer");
        QTest::addColumn<int>("picture");
        // The box's outer corner at (300, 200): L = 305, T = 216.
        QTest::newRow("(L, T)") << QPoint(305, 216) << 5;
        QTest::newRow("(L - 1, T)") << QPoint(304, 216) << 4;
        QTest::newRow("(L + 100, T + 100)") << QPoint(405, 316) << 9;
        QTest::newRow("(L + 99, T + 99)") << QPoint(404, 315) << 5;
        QTest::newRow("above left") << QPoint(0, 0) << 1;
        QTest::newRow("above") << QPoint(350, 215) << 2;
        QTest::newRow("above right") << QPoint(2000, 100) << 3;
        QTest::newRow("right") << QPoint(405, 250) << 6;
        QTest::newRow("below left") << QPoint(10, 316) << 7;
        QTest::newRow("below") << QPoint(305, 900) << 8;
    }
    void PictureTable() {
        QFETCH(QPoint, pointer);
        QFETCH(int, picture);
        QCOMPARE(TAboutBox::PictureFor(pointer, QPoint(300, 200)), picture);
    }

    void OnePictureFollowsThePointer() {
        EditorFixture fixture;
        TAboutBox& box = fixture.editor().AboutBox();
        // Before the timer first fires no picture is shown.
        QCOMPARE(box.ShownPicture(), 0);
        QCOMPARE(box.Timer()->interval(), 100);
        QVERIFY(box.Timer()->isActive());

        box.move(300, 200);
        const QPoint corner = box.frameGeometry().topLeft();
        box.ShowPictureFor(corner + QPoint(5, 16));
        QCOMPARE(box.ShownPicture(), 5);
        box.ShowPictureFor(corner + QPoint(4, 16));
        QCOMPARE(box.ShownPicture(), 4);
        int shown = 0;
        for (int n = 1; n <= 9; ++n) {
            shown += box.Picture(n)->isHidden() ? 0 : 1;
            QCOMPARE(box.Picture(n)->pixmap().size(), QSize(100, 100));
        }
        QCOMPARE(shown, 1);
        // The timer follows the real pointer, also while the box is hidden.
        QCursor::setPos(corner + QPoint(200, 50));
        QTRY_COMPARE_WITH_TIMEOUT(box.ShownPicture(), 6, 1000);
    }

    void LinkAndOk() {
        EditorFixture fixture;
        TAboutBox& box = fixture.editor().AboutBox();
        QTimer::singleShot(0, &box, [&box] {
            QCOMPARE(box.findChild<QLabel*>(Q("ProductName"))->text(), Q("Velmora Editor"));
            QCOMPARE(box.findChild<QLabel*>(Q("Version"))->text(), Q("Версия 4.0"));
            QTest::mouseClick(box.Comments(), Qt::LeftButton);
            QTest::mouseClick(box.OkButton(), Qt::LeftButton);
        });
        QCOMPARE(box.exec(), int(QDialog::Accepted));
        QCOMPARE(fixture.shell.opened, std::vector<std::string>{MakerSiteAddress()});
        QCOMPARE(box.size(), QSize(325, 242));
    }

    void HelpMenuItemsInOrder() {
        QMenu media;
        QMenu help;
        test::ScriptedShell shell;
        int aboutShown = 0;
        FillLinkMenus(media, help, shell, Q("/nowhere"), [&aboutShown] { ++aboutShown; });
        QCOMPARE(Items(help),
                 (QStringList{
                     Q("Справка\tF1"), Q("-"), Q("Сетевая справка (обновляется)\tShift+F1"), Q("-"),
                     Q("О программе\tCtrl+F1"), Q("-"), Q("Примеры"), Q("-"),
                     Q("Видео работы с программой"), Q("-"), Q("Сообщить об ошибке в программе"),
                     Q("Оставить отзыв о программе"), Q("-"), Q("Написать автору программы"),
                     Q("Отправить сообщение через сайт"), Q("-"),
                     Q("Заказать разработку ПО через Skype")}));
        Find(help, "О программе")->trigger();
        QCOMPARE(aboutShown, 1);
        QVERIFY(shell.opened.empty());

        Find(help, "Написать автору программы")->trigger();
        Find(help, "Заказать разработку ПО через Skype")->trigger();
        Find(help, "Сообщить об ошибке в программе")->trigger();
        QVERIFY(QString::fromStdString(shell.opened[0]).startsWith(Q("mailto:")));
        QVERIFY(QString::fromStdString(shell.opened[1]).startsWith(Q("Skype:")));
        QVERIFY(QString::fromStdString(shell.opened[1]).endsWith(Q("?chat")));
        QVERIFY(QString::fromStdString(shell.opened[2]).contains(Q("version=4.0")));
    }

    // F1 hands the help page's path to the desktop whether or not the file is there; the
    // program itself says nothing.
    void HelpFileBesideTheProgramOrInstalled() {
        TempFolder root;
        const QString bin = Q(root / "bin");
        QDir().mkpath(bin);
        QCOMPARE(HelpFilePath(bin), bin + Q("/VelmoraEditor.html"));
        QDir().mkpath(Q(root / "share/velmora-editor"));
        test::WriteFile(root / "share/velmora-editor/VelmoraEditor.html", "<html></html>");
        QCOMPARE(HelpFilePath(bin), Q(root / "share/velmora-editor/VelmoraEditor.html"));
        test::WriteFile(root / "bin/VelmoraEditor.html", "<html></html>");
        QCOMPARE(HelpFilePath(bin), bin + Q("/VelmoraEditor.html"));

        QMenu media;
        QMenu help;
        test::ScriptedShell shell;
        FillLinkMenus(media, help, shell, Q(root / "empty/bin"), [] {});
        Find(help, "Справка")->trigger();
        QCOMPARE(shell.opened, std::vector<std::string>{root / "empty/bin/VelmoraEditor.html"});
    }

    // The main window's own menus, with or without a project.
    void MainWindowMenus() {
        EditorFixture fixture;
        QMenu* help = fixture.form1().findChild<QMenu*>(Q("N31"));
        QMenu* media = fixture.form1().findChild<QMenu*>(Q("N30"));
        QVERIFY(help && media);
        QCOMPARE(media->actions().size(), 7);
        Find(*help, "Справка")->trigger();
        QCOMPARE(fixture.shell.opened, std::vector<std::string>{U(fixture.form1().ProgramFolder()) +
                                                                "/VelmoraEditor.html"});
        QVERIFY(fixture.prompter.messages.empty());

        TAboutBox& box = fixture.editor().AboutBox();
        QTimer::singleShot(0, &box, [&box] {
            QVERIFY(box.isVisible());
            QVERIFY(box.isModal());
            box.OkButton()->click();
        });
        Find(*help, "О программе")->trigger();
        QVERIFY(!box.isVisible());

        fixture.OpenProjectWithPicture(40, 30, {});
        Find(*help, "Примеры")->trigger();
        QCOMPARE(fixture.shell.opened.size(), std::size_t(2));
    }

    void MediaMenuHasFourSubmenus() {
        QMenu media;
        QMenu help;
        test::ScriptedShell shell;
        FillLinkMenus(media, help, shell, Q("/nowhere"), [] {});
        QCOMPARE(Items(media), (QStringList{Q("Изображения"), Q("-"), Q("Картинки и иконки"),
                                            Q("-"), Q("Звуки"), Q("-"), Q("Музыка")}));
        const QMenu* images = media.actions().at(0)->menu();
        QCOMPARE(Items(*images),
                 (QStringList{Q("Яндекс"), Q("Google"), Q("Bing"), Q("Synchedin"), Q("Pixabay"),
                              Q("-"), Q("Природа"), Q("Авто"), Q("Города"), Q("Девушки"),
                              Q("Танки"), Q("Космос"), Q("Микромир")}));
        const QMenu* music = media.actions().at(6)->menu();
        QCOMPARE(music->actions().size(), 10);

        // Every item opens an address of its own kind; "Icons 8" under music is YouTube's page.
        std::vector<std::string> opened;
        for (QAction* entry : media.actions()) {
            if (!entry->menu()) {
                continue;
            }
            for (QAction* item : entry->menu()->actions()) {
                if (!item->isSeparator()) {
                    QVERIFY(item->shortcut().isEmpty());
                    item->trigger();
                    QVERIFY2(!shell.opened.back().empty(), qPrintable(item->text()));
                }
            }
        }
        Find(*music, "YouTube")->trigger();
        const std::string youtube = shell.opened.back();
        Find(*music, "Icons 8")->trigger();
        QCOMPARE(shell.opened.back(), youtube);
    }
};

int RunAboutBoxTest(int argc, char** argv) {
    AboutBoxTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "about_box_test.moc"
