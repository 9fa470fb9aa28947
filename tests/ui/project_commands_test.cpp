// The project commands of the main window's menus, with scripted dialogs and questions.
#include <QAction>
#include <QKeySequence>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QSpinBox>
#include <QTest>
#include <filesystem>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "canvas/map/map_ops.h"
#include "store/common_data.h"
#include "store/files.h"
#include "store/image_file.h"
#include "ui/areas/areas_window.h"
#include "ui/common/editor_application.h"
#include "ui/common/text.h"
#include "ui/main/canvas_view.h"
#include "ui/main/main_window.h"
#include "ui_areas_window.h"
#include "ui_test_support.h"

using namespace velmora;
using velmora::test::EditorFixture;
using velmora::test::ReadFile;

namespace {

// What the user sees of a menu: "text\tshortcut" per item (the mnemonic's mark left out),
// "-" for a separator.
QStringList MenuItems(QMenu* menu) {
    QStringList items;
    for (QAction* action : menu->actions()) {
        if (action->isSeparator()) {
            items << Q("-");
        } else {
            items << QString(action->text()).remove(QLatin1Char('&')) + Q("\t") +
                         action->shortcut().toString();
        }
    }
    return items;
}

}  // namespace

class ProjectCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void menusHoldEveryItemAndShortcut();
    void saveAndSaveAsWithoutProjectOnlyBeep();
    void openPictureWithoutProjectSaysSo();
    void toolsNeedTheirState();
    void newOverExistingFileAnsweredNo();
    void openPictureOverPaintedAreasAsksFirst();
    void failedPictureOpenKeepsTheProjectAndAsksAgain();
    void newAppendsTheExtensionOnlyWhenMissing();
    void saveWritesMapAndPendingEdits();
    void openProjectHeldElsewhereSaysWhere();
    void saveAsCopiesTheWorkingFiles();
    void saveAsProjectWithoutPictureStaysUnpainted();
    void exitAndCloseWritePendingEdits_data();
    void exitAndCloseWritePendingEdits();
    void clearMapCanBeUndone();
    void viewModesRecompose();
    void exportAndBrowserTest();
    void accessibleCheckBoxReachesBothExports();
    void webImagesCheckBoxReachesBothExports();
    void pageTitleIsAskedAndRememberedPerProject();
};

void ProjectCommandsTest::menusHoldEveryItemAndShortcut() {
    EditorFixture f;
    const QList<QAction*> menus = f.form1().menuBar()->actions();
    QStringList titles;
    for (QAction* menu : menus) {
        titles << QString(menu->text()).remove(QLatin1Char('&'));
    }
    QCOMPARE(titles, QStringList({Q("Файл"), Q("Редактирование"), Q("Вид"), Q("Инструменты"),
                                  Q("Медиа контент"), Q("Помощь")}));
    auto key = [](QKeySequence sequence) { return sequence.toString(); };
    const QKeySequence ctrl(Qt::CTRL);
    QCOMPARE(
        MenuItems(menus[0]->menu()),
        QStringList({Q("Новый\t") + key(QKeySequence(Qt::CTRL | Qt::Key_N)),
                     Q("-"),
                     Q("Открыть\t") + key(QKeySequence(Qt::CTRL | Qt::Key_O)),
                     Q("Последние проекты\t"),
                     Q("-"),
                     Q("Сохранить\t") + key(QKeySequence(Qt::CTRL | Qt::Key_S)),
                     Q("Сохранить как\t"),
                     Q("-"),
                     Q("Открыть изображение\t") + key(QKeySequence(Qt::CTRL | Qt::Key_I)),
                     Q("-"),
                     Q("Импорт областей из разметки…\t"),
                     Q("Экспорт контуров…\t"),
                     Q("-"),
                     Q("Экспорт в HTML\t") + key(QKeySequence(Qt::CTRL | Qt::Key_H)),
                     Q("Доступная страница (имена и контуры областей)\t"),
                     Q("Страница для телефонов и сети (изображение в нескольких размерах)\t"),
                     Q("-"),
                     Q("Протестировать в браузере\t") + key(QKeySequence(Qt::CTRL | Qt::Key_T)),
                     Q("-"),
                     Q("Выход\t")}));
    QCOMPARE(MenuItems(menus[1]->menu()),
             QStringList({Q("Отменить\t") + key(QKeySequence(Qt::CTRL | Qt::Key_Z)),
                          Q("Повторить\t") + key(QKeySequence(Qt::CTRL | Qt::Key_Y)), Q("-"),
                          Q("Очистить карту\t") + key(QKeySequence(Qt::CTRL | Qt::Key_Delete))}));
    QCOMPARE(MenuItems(menus[2]->menu()),
             QStringList({Q("Исходное изображение\tF2"), Q("Изображение + маска\tF3"),
                          Q("Изображение + текущий цвет\tF4"), Q("-"),
                          Q("Увеличить\t") + key(QKeySequence(Qt::CTRL | Qt::Key_Plus)),
                          Q("Уменьшить\t") + key(QKeySequence(Qt::CTRL | Qt::Key_Minus)),
                          Q("Масштаб 100 %\t") + key(QKeySequence(Qt::CTRL | Qt::Key_0)),
                          Q("Вписать в окно\t") + key(QKeySequence(Qt::CTRL | Qt::Key_9)), Q("-"),
                          Q("Навигатор\t")}));
    QCOMPARE(
        MenuItems(menus[3]->menu()),
        QStringList(
            {Q("Атрибуты\t") + key(QKeySequence(Qt::CTRL | Qt::Key_A)), Q("-"),
             Q("Добавление областей\t") + key(QKeySequence(Qt::CTRL | Qt::Key_D)), Q("-"),
             Q("Фоновая музыка\t") + key(QKeySequence(Qt::CTRL | Qt::Key_M)), Q("-"),
             Q("Объединение нескольких файлов в один\t") + key(QKeySequence(Qt::CTRL | Qt::Key_B)),
             Q("-"), Q("Кисть\tB"), Q("Заливка\tG"), Q("Волшебная палочка\tW"),
             Q("Прямоугольник\tM"), Q("Эллипс\tE"), Q("Многоугольник\tP"),
             Q("Выделение объекта\tO")}));
    // The mask view is the one chosen at start.
    QVERIFY(menus[2]->menu()->actions()[1]->isChecked());
}

void ProjectCommandsTest::saveAndSaveAsWithoutProjectOnlyBeep() {
    EditorFixture f;
    f.Trigger("N6");
    f.Trigger("N7");
    QCOMPARE(f.prompter.beeps, 2);
    QCOMPARE(f.dialogs.asked, 0);
    QVERIFY(f.prompter.messages.empty());
}

void ProjectCommandsTest::openPictureWithoutProjectSaysSo() {
    EditorFixture f;
    f.form1().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f.form1()));
    QTest::keyClick(&f.form1(), Qt::Key_I, Qt::ControlModifier);
    QCOMPARE(f.prompter.messages,
             std::vector<std::string>({"Сначала создайте или откройте проект!"}));
    QCOMPARE(f.dialogs.asked, 0);
}

void ProjectCommandsTest::toolsNeedTheirState() {
    EditorFixture f;
    f.Trigger("N26");
    QCOMPARE(f.prompter.messages,
             std::vector<std::string>({"Сначала создайте или откройте проект!"}));
    // A project without picture: the attributes window stays as it is.
    f.dialogs.Answer(f.folder / "bare");
    f.Trigger("N2");
    f.form4().hide();
    f.Trigger("N22");
    QVERIFY(!f.form4().isVisible());
}

void ProjectCommandsTest::newOverExistingFileAnsweredNo() {
    EditorFixture f;
    const std::string first = f.OpenProjectWithPicture(80, 60, {"A"});
    FillMapRect(f.data().canvas.Map, 0, 0, 20, 20, 1, true);
    const std::string existing = f.folder / "taken.vlm";
    velmora::test::WriteFile(existing, "not a project");
    const QString title = velmora::test::ShownTitle(f.form1());

    // The question comes first, with No offered first, and names the file; No changes nothing.
    f.dialogs.Answer(existing);
    f.prompter.Reply(Answer::No);
    f.Trigger("N2");
    const std::string question = "Файл уже существует. Удалить его?\n" + existing;
    QCOMPARE(f.prompter.safeQuestions, std::vector<std::string>({question}));
    QCOMPARE(f.prompter.captions.back(), std::string("Требуется подтверждение"));
    QVERIFY(f.data().project.ProjectOpen);
    QCOMPARE(f.data().project.ProjectPath, first);
    QCOMPARE(velmora::test::ShownTitle(f.form1()), title);
    QVERIFY(f.form1().Canvas()->ShowsPicture());
    QCOMPARE(AreaAt(f.data().canvas.Map, 5, 5), 1);
    QCOMPARE(velmora::test::ReadFile(existing), std::string("not a project"));

    // Yes saves and closes the open project, then replaces the file.
    f.dialogs.Answer(existing);
    f.prompter.Reply(Answer::Yes);
    f.Trigger("N2");
    QCOMPARE(f.data().project.ProjectPath, existing);
    QCOMPARE(f.data().areas.AreaCount, 0);
    Bitmap savedMap;
    QVERIFY(LoadImageFile(savedMap, f.folder / "Maps/source.png"));
    QCOMPARE(AreaAt(savedMap, 5, 5), 1);
}

void ProjectCommandsTest::openPictureOverPaintedAreasAsksFirst() {
    EditorFixture f;
    f.OpenProjectWithPicture(80, 60, {"A", "B", "C"});
    const std::string other = f.MakePicture("other.png", 50, 40);

    // Nothing painted yet: no question.
    f.dialogs.Answer(other);
    f.Trigger("N9");
    QVERIFY(f.prompter.questions.empty());
    QCOMPARE(f.data().canvas.Width, 50);

    // Two of three areas painted: the question names them, No keeps every pixel.
    FillMapRect(f.data().canvas.Map, 0, 0, 10, 10, 1, true);
    FillMapRect(f.data().canvas.Map, 20, 20, 5, 5, 3, true);
    f.data().SaveMap();
    const Bitmap painted = f.data().canvas.Map;
    const std::string mapBytes = velmora::test::ReadFile(f.folder / "Maps/other.png");
    f.dialogs.Answer(f.MakePicture("third.png", 30, 30));
    f.prompter.Reply(Answer::No);
    f.Trigger("N9");
    QCOMPARE(f.prompter.safeQuestions.size(), std::size_t(1));
    QVERIFY(f.prompter.safeQuestions[0].find("(2)") != std::string::npos);
    QCOMPARE(f.data().canvas.Width, 50);
    QVERIFY(f.data().canvas.Map == painted);
    QCOMPARE(velmora::test::ReadFile(f.folder / "Maps/other.png"), mapBytes);

    // Yes goes on with the import.
    f.dialogs.Answer(f.folder / "third.png");
    f.prompter.Reply(Answer::Yes);
    f.Trigger("N9");
    QCOMPARE(f.data().canvas.Width, 30);
    QCOMPARE(AreaAt(f.data().canvas.Map, 1, 1), 0);
}

// After a refused picture the project is as it was, and the next picture asks before it
// wipes the painted areas, as always.
void ProjectCommandsTest::failedPictureOpenKeepsTheProjectAndAsksAgain() {
    EditorFixture f;
    auto* application = static_cast<EditorApplication*>(QCoreApplication::instance());
    application->SetPrompter(&f.prompter);
    f.OpenProjectWithPicture(80, 60, {"A"});
    FillMapRect(f.data().canvas.Map, 5, 5, 10, 10, 1, true);
    f.Trigger("N6");
    const Bitmap picture = f.data().canvas.Picture;
    const Bitmap painted = f.data().canvas.Map;
    const std::string mapBytes = ReadFile(f.folder / "Maps/source.png");
    const std::string projectBytes = ReadFile(f.folder / "tour.vlm");
    // As from the menu: what a command throws reaches the user through the application.
    const auto openPicture = [&f] {
        QAction* action = f.form1().findChild<QAction*>(Q("N9"));
        QMetaObject::invokeMethod(action, &QAction::trigger, Qt::QueuedConnection);
        QCoreApplication::processEvents();
    };

    f.prompter.messages.clear();
    velmora::test::WriteFile(f.folder / "damaged.png", "\x89PNG\r\n\x1a\n damaged");
    f.dialogs.Answer(f.folder / "damaged.png");
    f.prompter.Reply(Answer::Yes);
    openPicture();
    QCOMPARE(f.prompter.safeQuestions.size(), std::size_t(1));
    QCOMPARE(f.prompter.messages.size(), std::size_t(1));
    QVERIFY(f.prompter.messages[0].find("damaged.png") != std::string::npos);
    QVERIFY(f.data().canvas.PictureLoaded);
    QCOMPARE(f.data().canvas.PictureFileName, std::string("source.png"));
    QVERIFY(f.data().canvas.Picture == picture);
    QVERIFY(f.data().canvas.Map == painted);
    QVERIFY(!EntryExists(f.folder / "Images/damaged.png"));
    QCOMPARE(ReadFile(f.folder / "Maps/source.png"), mapBytes);
    QCOMPARE(ReadFile(f.folder / "tour.vlm"), projectBytes);

    // A good picture next: the question comes again, and No keeps every painted pixel.
    f.dialogs.Answer(f.MakePicture("good.png", 30, 20));
    f.prompter.Reply(Answer::No);
    openPicture();
    QCOMPARE(f.prompter.safeQuestions.size(), std::size_t(2));
    QVERIFY(f.prompter.safeQuestions[1].find("(1)") != std::string::npos);
    QVERIFY(f.data().canvas.Map == painted);
    QCOMPARE(ReadFile(f.folder / "Maps/source.png"), mapBytes);

    // Yes goes on with the good picture.
    f.dialogs.Answer(f.folder / "good.png");
    f.prompter.Reply(Answer::Yes);
    openPicture();
    QCOMPARE(f.data().canvas.Width, 30);
    application->SetPrompter(nullptr);
}

void ProjectCommandsTest::newAppendsTheExtensionOnlyWhenMissing() {
    EditorFixture f;
    f.dialogs.Answer(f.folder / "Hall.VLM");
    f.Trigger("N2");
    QCOMPARE(f.data().project.ProjectPath, f.folder / "Hall.VLM");
    f.dialogs.Answer(f.folder / "tour");
    f.Trigger("N2");
    QCOMPARE(f.data().project.ProjectPath, f.folder / "tour.vlm");
    QVERIFY(FileExists(f.folder / "tour.vlm"));
    QCOMPARE(velmora::test::ShownTitle(f.form1()),
             Q("Velmora Editor 4.0 - ") + Q(f.folder / "tour.vlm"));
    QVERIFY(f.form4().isVisible());
}

void ProjectCommandsTest::saveWritesMapAndPendingEdits() {
    EditorFixture f;
    const std::string project = f.OpenProjectWithPicture(80, 60, {"A"});
    FillMapRect(f.data().canvas.Map, 10, 10, 5, 5, 1, true);
    f.form4().Controls().MessageCenterX->setValue(40);
    f.Trigger("N6");
    QVERIFY(!f.data().records.AttributesModified);

    f.dialogs.Answer(project);
    f.Trigger("N4");  // open it again: what the file holds
    QVERIFY(f.data().canvas.PictureLoaded);
    QCOMPARE(AreaAt(f.data().canvas.Map, 12, 12), 1);
    QCOMPARE(f.form4().Controls().MessageCenterX->value(), 40);
}

// Another editor has the project open (a second process, as far as the project is concerned):
// opening it says where, and never calls the file damaged.
void ProjectCommandsTest::openProjectHeldElsewhereSaysWhere() {
    EditorFixture f;
    const std::string project = f.OpenProjectWithPicture(80, 60, {"A"});
    f.Trigger("N6");
    f.data().CloseProject();
    int ready[2];
    QVERIFY(::pipe(ready) == 0);
    const pid_t other = ::fork();
    if (other == 0) {
        velmora::test::ScriptedPrompter prompter;
        DbConnection db;
        COMMON_DATA data(prompter);
        data.project.ProjectDb = &db;
        const char opened = data.OpenProject(project) ? 1 : 0;
        static_cast<void>(::write(ready[1], &opened, 1));
        while (true) {
            ::pause();
        }
    }
    char opened = 0;
    static_cast<void>(::read(ready[0], &opened, 1));
    ::close(ready[0]);
    ::close(ready[1]);
    QCOMPARE(opened, char(1));

    f.prompter.messages.clear();
    f.dialogs.Answer(project);
    f.Trigger("N4");
    char host[256] = {};
    ::gethostname(host, sizeof host - 1);
    QVERIFY(!f.data().project.ProjectOpen);
    QCOMPARE(f.prompter.messages.size(), std::size_t(1));
    const std::string& message = f.prompter.messages.front();
    QVERIFY2(
        message.find("открыт в другой программе (Velmora Editor, процесс " + std::to_string(other) +
                     " на компьютере " + host + ")") != std::string::npos,
        message.c_str());
    QCOMPARE(f.form1().windowTitle(), Q("Velmora Editor 4.0"));

    // Once the other editor is gone, even by a crash, the project opens.
    ::kill(other, SIGKILL);
    ::waitpid(other, nullptr, 0);
    f.prompter.messages.clear();
    f.dialogs.Answer(project);
    f.Trigger("N4");
    QVERIFY(f.data().project.ProjectOpen);
    QVERIFY(f.prompter.messages.empty());
}

void ProjectCommandsTest::saveAsCopiesTheWorkingFiles() {
    EditorFixture f;
    f.OpenProjectWithPicture(80, 60, {"A", "B"});
    FillMapRect(f.data().canvas.Map, 0, 0, 8, 8, 2, true);
    velmora::test::WriteFile(f.folder / "Sounds/bell.ogg", "ogg bytes");
    f.data().records.Attributes[kClick].sound_file_name = "bell.ogg";
    f.data().records.AttributesModified = true;
    const auto elsewhere = std::filesystem::path(f.folder.Path()) / "copy";
    std::filesystem::create_directories(elsewhere / "Pictures");
    // A different file of the same name there is kept when the answer is No. Both are real
    // pictures, since the overlay page shows the one it names.
    SaveImageFile(Bitmap(3, 3), (elsewhere / "Pictures/sign.png").string());
    SaveImageFile(Bitmap(5, 5), f.folder / "Pictures/sign.png");
    const std::string theirs = velmora::test::ReadFile((elsewhere / "Pictures/sign.png").string());
    f.data().records.Attributes[kOver].overlay_file_name = "sign.png";

    f.dialogs.Answer((elsewhere / "second").string());
    f.prompter.Reply(Answer::No);
    f.Trigger("N7");
    QCOMPARE(f.prompter.questions,
             std::vector<std::string>({Naming("Файл уже существует. Перезаписать?",
                                              (elsewhere / "Pictures/sign.png").string())}));
    QCOMPARE(velmora::test::ReadFile((elsewhere / "Pictures/sign.png").string()), theirs);

    const std::string copy = (elsewhere / "second.vlm").string();
    QCOMPARE(f.data().project.ProjectPath, copy);
    QVERIFY(f.data().canvas.PictureLoaded);
    QCOMPARE(velmora::test::ShownTitle(f.form1()), Q("Velmora Editor 4.0 - ") + Q(copy));
    QVERIFY(FileExists((elsewhere / "Images/source.png").string()));
    QVERIFY(FileExists((elsewhere / "Maps/source.png").string()));
    QCOMPARE(velmora::test::ReadFile((elsewhere / "Sounds/bell.ogg").string()),
             std::string("ogg bytes"));
    QVERIFY(f.prompter.messages.empty());
    QCOMPARE(f.data().records.AttributesArea, std::string("A"));

    // The copy opens on its own, with its picture and its map, once the first editor has let
    // it go.
    f.data().CloseProject();
    EditorFixture g;
    g.dialogs.Answer(copy);
    g.Trigger("N4");
    QVERIFY(g.data().canvas.PictureLoaded);
    QCOMPARE(AreaAt(g.data().canvas.Map, 3, 3), 2);
}

void ProjectCommandsTest::saveAsProjectWithoutPictureStaysUnpainted() {
    EditorFixture f;
    f.OpenProjectWithPicture(80, 60, {"A"});
    // A second project without a picture; the first one's bitmaps stay in memory.
    f.dialogs.Answer(f.folder / "empty");
    f.Trigger("N2");
    QVERIFY(!f.data().canvas.PictureLoaded);
    f.dialogs.Answer(f.folder / "empty2");
    f.Trigger("N7");
    QCOMPARE(f.data().project.ProjectPath, f.folder / "empty2.vlm");
    QVERIFY(!f.data().canvas.PictureLoaded);
    QTest::mousePress(f.form1().Image(), Qt::RightButton, Qt::NoModifier, QPoint(5, 5));
    QTest::mouseMove(f.form1().Image(), QPoint(20, 20));
    QVERIFY(!f.form1().Canvas()->ShowsPicture());

    // Saving as the open file itself is a plain save and loses nothing.
    f.dialogs.Answer(f.folder / "empty2.vlm");
    f.Trigger("N7");
    QVERIFY(f.prompter.questions.empty());
    QVERIFY(f.data().project.ProjectOpen);
    QVERIFY(FileExists(f.folder / "empty2.vlm"));
}

void ProjectCommandsTest::exitAndCloseWritePendingEdits_data() {
    QTest::addColumn<bool>("byMenu");
    QTest::newRow("Выход") << true;
    QTest::newRow("close box") << false;
}

void ProjectCommandsTest::exitAndCloseWritePendingEdits() {
    QFETCH(bool, byMenu);
    EditorFixture f;
    const std::string project = f.OpenProjectWithPicture(80, 60, {"A"});
    FillMapRect(f.data().canvas.Map, 0, 0, 4, 4, 1, true);
    f.form4().Controls().PicturePointerX->setValue(77);
    if (byMenu) {
        f.Trigger("N11");
    } else {
        QVERIFY(f.form1().close());
    }
    QVERIFY(!f.data().project.ProjectOpen);
    QVERIFY(f.prompter.questions.empty());

    EditorFixture g;
    g.dialogs.Answer(project);
    g.Trigger("N4");
    QCOMPARE(g.form4().Controls().PicturePointerX->value(), 77);
    QCOMPARE(AreaAt(g.data().canvas.Map, 2, 2), 1);
}

void ProjectCommandsTest::clearMapCanBeUndone() {
    EditorFixture f;
    f.OpenProjectWithPicture(80, 60, {"A"});
    f.Trigger("N13");
    QCOMPARE(f.prompter.beeps, 1);  // nothing to undo yet

    QTest::mousePress(f.form1().Image(), Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    QTest::mouseMove(f.form1().Image(), QPoint(40, 10));
    QMouseEvent move(QEvent::MouseMove, QPointF(40, 12), QPointF(), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(f.form1().Image(), &move);
    QTest::mouseRelease(f.form1().Image(), Qt::LeftButton, Qt::NoModifier, QPoint(40, 12));
    QCOMPARE(AreaAt(f.data().canvas.Map, 30, 11), 1);

    f.Trigger("N16");
    QCOMPARE(AreaAt(f.data().canvas.Map, 30, 11), 0);
    f.Trigger("N13");
    QCOMPARE(AreaAt(f.data().canvas.Map, 30, 11), 1);
    f.Trigger("N14");
    QCOMPARE(AreaAt(f.data().canvas.Map, 30, 11), 0);
    f.Trigger("N14");
    QCOMPARE(f.prompter.beeps, 2);
}

void ProjectCommandsTest::viewModesRecompose() {
    EditorFixture f;
    f.OpenProjectWithPicture(80, 60, {"A", "B"});
    FillMapRect(f.data().canvas.Map, 0, 0, 10, 10, 2, true);
    const std::uint8_t plain = f.data().canvas.Picture.Pixel(5, 5)[2];
    const int masked = (plain + PaletteRed(f.data().areas.Palette[2])) / 2;
    struct Case {
        const char* action;
        int expected;
    };
    // The current area is A (1): only the mask view tints B's pixels.
    for (const Case& c : {Case{"N18", plain}, Case{"N19", masked}, Case{"N20", plain}}) {
        f.Trigger(c.action);
        QCOMPARE(velmora::test::ShownRed(f.form1(), 5, 5), c.expected);
        QVERIFY(f.form1().findChild<QAction*>(Q(c.action))->isChecked());
    }
    f.data().areas.CurrentArea = 2;
    f.Trigger("N20");
    QCOMPARE(velmora::test::ShownRed(f.form1(), 5, 5), masked);
}

void ProjectCommandsTest::exportAndBrowserTest() {
    EditorFixture f;
    f.Trigger("N39");
    QCOMPARE(f.prompter.messages,
             std::vector<std::string>({"Сначала создайте или откройте проект!"}));
    QCOMPARE(f.dialogs.asked, 0);
    f.prompter.messages.clear();

    const std::string project = f.OpenProjectWithPicture(80, 60, {"A"});
    FillMapRect(f.data().canvas.Map, 0, 0, 10, 10, 1, true);
    std::filesystem::create_directory(f.folder / "site");
    f.dialogs.Answer(f.folder / "site/demo");
    f.Trigger("N39");
    QVERIFY(FileExists(f.folder / "site/demo.html"));
    QVERIFY(FileExists(f.folder / "site/VLM/demo.js"));
    QVERIFY(FileExists(f.folder / "site/source.png"));
    QCOMPARE(f.data().records.AttributesArea, std::string("A"));

    f.Trigger("N41");
    QCOMPARE(f.shell.opened, std::vector<std::string>({f.folder / "HTML/tour.html"}));
    QVERIFY(FileExists(f.folder / "HTML/VLM/tour.js"));
    QVERIFY(f.prompter.messages.empty());
    Q_UNUSED(project);
}

void ProjectCommandsTest::accessibleCheckBoxReachesBothExports() {
    EditorFixture f;
    f.OpenProjectWithPicture(80, 60, {"A"});
    FillMapRect(f.data().canvas.Map, 0, 0, 10, 10, 1, true);
    auto* box = f.form1().findChild<QAction*>(Q("AccessibleExport"));
    QVERIFY(box && box->isCheckable());
    QVERIFY(!box->isChecked());
    const auto exported = [&f](const char* name) {
        f.dialogs.Answer(f.folder / name);
        f.Trigger("N39");
        return ReadFile(f.folder / (std::string(name) + ".html"));
    };
    QVERIFY(exported("plain").find("<map ") == std::string::npos);
    box->trigger();
    // The choice is remembered for the next run of the editor.
    QCOMPARE(QSettings().value(Q("accessibleExport")).toBool(), true);
    const std::string accessible = exported("accessible");
    QVERIFY(accessible.find("usemap=") != std::string::npos);
    QVERIFY(accessible.find("<area shape=\"poly\"") != std::string::npos);
    QVERIFY(ReadFile(f.folder / "VLM/accessible.js").find("\"name\":\"A\"") != std::string::npos);
    f.Trigger("N41");
    QVERIFY(ReadFile(f.folder / "HTML/tour.html").find("<map ") != std::string::npos);
}

void ProjectCommandsTest::webImagesCheckBoxReachesBothExports() {
    EditorFixture f;
    f.OpenProjectWithPicture(600, 400, {"A"});
    auto* box = f.form1().findChild<QAction*>(Q("WebImagesExport"));
    QVERIFY(box && box->isCheckable());
    QVERIFY(!box->isChecked());
    f.dialogs.Answer(f.folder / "plain");
    f.Trigger("N39");
    QVERIFY(ReadFile(f.folder / "plain.html").find("<picture>") == std::string::npos);
    box->trigger();
    QCOMPARE(QSettings().value(Q("webImagesExport")).toBool(), true);
    f.dialogs.Answer(f.folder / "web");
    f.Trigger("N39");
    QVERIFY(ReadFile(f.folder / "web.html").find("<picture>") != std::string::npos);
    QVERIFY(FileExists(f.folder / "VLM/source.png-480w.webp"));
    f.Trigger("N41");
    QVERIFY(ReadFile(f.folder / "HTML/tour.html").find("<picture>") != std::string::npos);
    QVERIFY(FileExists(f.folder / "HTML/VLM/source.png-600w.webp"));
}

void ProjectCommandsTest::pageTitleIsAskedAndRememberedPerProject() {
    EditorFixture f;
    f.OpenProjectWithPicture(80, 60, {"A"});
    const auto exported = [&f](const char* name) {
        f.dialogs.Answer(f.folder / name);
        f.Trigger("N39");
        return FileExists(f.folder / (std::string(name) + ".html"))
                   ? ReadFile(f.folder / (std::string(name) + ".html"))
                   : std::string();
    };
    f.prompter.textAnswers.push_back("Озеро <1>");
    const std::string titled = exported("titled");
    QVERIFY(titled.find("<TITLE>Озеро &lt;1&gt;</TITLE>") != std::string::npos);
    QVERIFY(titled.find("<h1>Озеро &lt;1&gt;</h1>") != std::string::npos);
    QCOMPARE(f.prompter.textQuestions.size(), std::size_t{1});
    QCOMPARE(f.prompter.textQuestions[0].second, std::string());
    // The next export offers the project's title again, and the browser test uses it.
    QVERIFY(exported("again").find("<TITLE>Озеро &lt;1&gt;</TITLE>") != std::string::npos);
    QCOMPARE(f.prompter.textQuestions.back().second, std::string("Озеро <1>"));
    f.Trigger("N41");
    QVERIFY(ReadFile(f.folder / "HTML/tour.html").find("<TITLE>Озеро &lt;1&gt;</TITLE>") !=
            std::string::npos);
    // Cancelled, nothing is written; emptied, the template's title is back.
    f.prompter.textAnswers.push_back(std::nullopt);
    QCOMPARE(exported("cancelled"), std::string());
    f.prompter.textAnswers.push_back("");
    QVERIFY(exported("plain").find("<TITLE>Dorvan Software - Velmora Demo</TITLE>") !=
            std::string::npos);
    QVERIFY(!QSettings().value(Q("pageTitles")).toMap().contains(Q(f.data().project.ProjectPath)));
}

int RunProjectCommandsTest(int argc, char** argv) {
    ProjectCommandsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "project_commands_test.moc"
