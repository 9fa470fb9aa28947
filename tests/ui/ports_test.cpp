// The Qt side of the ports: dialog filters, the file association and the error report.
#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <stdexcept>

#include "support/test_support.h"
#include "ui/common/editor_application.h"
#include "ui/common/file_filters.h"
#include "ui/common/qt_ports.h"
#include "ui/common/text.h"
#include "ui/main/file_association.h"

using namespace velmora;

namespace {

QString ReadText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// An object whose event handler fails, as a core operation may.
class Failing : public QObject {
public:
    bool event(QEvent*) override { throw std::runtime_error("Диск переполнен"); }
};

}  // namespace

class PortsTest : public QObject {
    Q_OBJECT

private slots:
    void filtersKeepDescriptionsAndPatterns_data();
    void filtersKeepDescriptionsAndPatterns();
    void associationIsWrittenOnceAndQuoted();
    void associationFailureIsReported();
    void installedAssociationIsFound_data();
    void installedAssociationIsFound();
    void errorsEscapingHandlersAreShown();
    void messageBoxesHaveTheRussianButtons_data();
    void messageBoxesHaveTheRussianButtons();
    void boxesCarryTheirIconAndSafeDefault_data();
    void boxesCarryTheirIconAndSafeDefault();
};

void PortsTest::filtersKeepDescriptionsAndPatterns_data() {
    QTest::addColumn<QString>("pairs");
    QTest::addColumn<QString>("qt");
    QTest::newRow("project") << Q(kProjectFilter) << Q("Файл проект (*.vlm);;Все файлы (*)");
    QTest::newRow("picture") << Q(kPictureFilter)
                             << Q("All (*.gif *.jpg *.jpeg *.png *.bmp);;GIF Image (*.gif);;"
                                  "JPEG Image File (*.jpg);;JPEG Image File (*.jpeg);;"
                                  "Portable Network Graphics (*.png);;Bitmap Image (*.bmp)");
    QTest::newRow("page") << Q(kPageFilter) << Q("HTML файл (*.html);;Все файлы (*)");
    QTest::newRow("trailing semicolon")
        << Q("Pictures|*.gif;*.png;") << Q("Pictures (*.gif *.png)");
    QTest::newRow("no filter") << QString() << QString();
}

void PortsTest::filtersKeepDescriptionsAndPatterns() {
    QFETCH(QString, pairs);
    QFETCH(QString, qt);
    QCOMPARE(Q(ToQtFilter(U(pairs))), qt);
}

void PortsTest::associationIsWrittenOnceAndQuoted() {
    velmora::test::TempFolder home;
    const QString dataHome = Q(home.Path());
    const QString exe = Q("/opt/my \"tools\"/velmora-editor");
    QVERIFY(RegisterFileType(dataHome, exe));

    const QString desktop = ReadText(dataHome + Q("/applications/velmora-editor.desktop"));
    QVERIFY2(desktop.contains(Q("Exec=\"/opt/my \\\\\"tools\\\\\"/velmora-editor\" %f\n")),
             qPrintable(desktop));
    QVERIFY(desktop.contains(Q("MimeType=application/x-velmora-project;")));
    const QString mime = ReadText(dataHome + Q("/mime/packages/velmora-editor.xml"));
    QVERIFY(mime.contains(Q("type=\"application/x-velmora-project\"")));
    QVERIFY(mime.contains(Q("<glob pattern=\"*.vlm\"/>")));
    QVERIFY(QFile::exists(dataHome + Q("/icons/hicolor/64x64/apps/velmora-editor.png")));

    // Unchanged content is not written again.
    const QString entry = dataHome + Q("/applications/velmora-editor.desktop");
    QFile::setPermissions(entry, QFileDevice::ReadOwner);
    QVERIFY(RegisterFileType(dataHome, exe));
    QFile::setPermissions(entry, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

void PortsTest::associationFailureIsReported() {
    velmora::test::TempFolder home;
    // A file where the MIME folder should be: nothing can be written under it.
    velmora::test::WriteFile(home / "mime", "");
    QVERIFY(!RegisterFileType(Q(home.Path()), Q("/usr/bin/velmora-editor")));
    QVERIFY(!RegisterFileType(QString(), Q("/usr/bin/velmora-editor")));
}

void PortsTest::installedAssociationIsFound_data() {
    QTest::addColumn<QString>("programFolder");
    QTest::addColumn<bool>("shareListed");
    QTest::addColumn<bool>("mimeType");
    QTest::addColumn<bool>("desktopEntry");
    QTest::addColumn<bool>("installed");
    QTest::newRow("installed") << Q("usr/bin") << true << true << true << true;
    QTest::newRow("share not read by the desktop")
        << Q("usr/bin") << false << true << true << false;
    QTest::newRow("no MIME type") << Q("usr/bin") << true << false << true << false;
    QTest::newRow("no desktop entry") << Q("usr/bin") << true << true << false << false;
    QTest::newRow("build folder") << Q("build/bin") << true << true << true << false;
}

void PortsTest::installedAssociationIsFound() {
    QFETCH(QString, programFolder);
    QFETCH(bool, shareListed);
    QFETCH(bool, mimeType);
    QFETCH(bool, desktopEntry);
    QFETCH(bool, installed);
    velmora::test::TempFolder root;
    const std::string share = root / "usr/share";
    if (mimeType) {
        QVERIFY(QDir().mkpath(Q(share + "/mime/packages")));
        velmora::test::WriteFile(share + "/mime/packages/velmora-editor.xml", "<mime-info/>");
    }
    if (desktopEntry) {
        QVERIFY(QDir().mkpath(Q(share + "/applications")));
        velmora::test::WriteFile(share + "/applications/velmora-editor.desktop", "[Desktop Entry]");
    }
    QStringList dataFolders{Q(root / "home/.local/share")};
    if (shareListed) {
        // Written the way $XDG_DATA_DIRS often is: with a trailing slash.
        dataFolders << Q(share) + Q("/");
    }
    QCOMPARE(AssociationInstalled(Q(root.Path()) + Q("/") + programFolder, dataFolders), installed);
}

void PortsTest::errorsEscapingHandlersAreShown() {
    auto* application = static_cast<EditorApplication*>(QCoreApplication::instance());
    velmora::test::ScriptedPrompter prompter;
    application->SetPrompter(&prompter);
    Failing failing;
    QEvent event(QEvent::User);
    QCOMPARE(QCoreApplication::sendEvent(&failing, &event), false);
    application->SetPrompter(nullptr);
    QCOMPARE(prompter.messages, std::vector<std::string>({"Диск переполнен"}));
}

void PortsTest::messageBoxesHaveTheRussianButtons_data() {
    QTest::addColumn<int>("buttons");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QString>("clicked");
    QTest::addColumn<int>("answer");
    QTest::newRow("yes/no, yes") << int(Buttons::YesNo) << QStringList({Q("Да"), Q("Нет")})
                                 << Q("Да") << int(Answer::Yes);
    QTest::newRow("yes/no, no") << int(Buttons::YesNo) << QStringList({Q("Да"), Q("Нет")})
                                << Q("Нет") << int(Answer::No);
    QTest::newRow("yes/no/cancel, cancel")
        << int(Buttons::YesNoCancel) << QStringList({Q("Да"), Q("Нет"), Q("Отмена")}) << Q("Отмена")
        << int(Answer::Cancel);
    QTest::newRow("ok") << int(Buttons::Ok) << QStringList({Q("OK")}) << Q("OK") << int(Answer::Ok);
}

void PortsTest::messageBoxesHaveTheRussianButtons() {
    QFETCH(int, buttons);
    QFETCH(QStringList, expected);
    QFETCH(QString, clicked);
    QFETCH(int, answer);
    QStringList seen;
    QString caption;
    QString text;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        caption = box->windowTitle();
        text = box->text();
        QAbstractButton* target = nullptr;
        for (QAbstractButton* button : box->buttons()) {
            seen << button->text();
            if (button->text() == clicked) {
                target = button;
            }
        }
        QVERIFY(target);
        target->click();
    });
    QtPrompter prompter;
    const Answer result = prompter.Ask("Файл уже существует. Перезаписать?", kConfirmCaption,
                                       static_cast<Buttons>(buttons));
    seen.sort();
    expected.sort();
    QCOMPARE(seen, expected);
    QCOMPARE(caption, Q("Требуется подтверждение"));
    QCOMPARE(text, Q("Файл уже существует. Перезаписать?"));
    QCOMPARE(int(result), answer);
}

void PortsTest::boxesCarryTheirIconAndSafeDefault_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("icon");
    QTest::addColumn<QString>("preferred");
    QTest::newRow("question") << 0 << int(QMessageBox::Question) << Q("Да");
    QTest::newRow("question that risks work") << 1 << int(QMessageBox::Warning) << Q("Нет");
    QTest::newRow("refusal or error") << 2 << int(QMessageBox::Warning) << Q("OK");
    QTest::newRow("notice") << 3 << int(QMessageBox::Information) << Q("OK");
}

// Every box opens over the window the user works in, centred on it, with the icon that fits,
// wide enough for its whole caption; a question that risks work offers "Нет" first.
void PortsTest::boxesCarryTheirIconAndSafeDefault() {
    QFETCH(int, kind);
    QFETCH(int, icon);
    QFETCH(QString, preferred);
    QWidget owner;
    // Small enough that the box centred on it stays on the (small) test screen.
    owner.setGeometry(40, 40, 700, 500);
    owner.show();
    owner.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&owner));
    QMessageBox* seen = nullptr;
    int seenIcon = -1;
    QString defaultText;
    QPoint centreOffset;
    int spare = -1;
    QTimer::singleShot(0, [&] {
        seen = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(seen);
        seenIcon = int(seen->icon());
        QAbstractButton* first = seen->defaultButton();
        defaultText = first ? first->text() : seen->buttons().constFirst()->text();
        centreOffset = seen->frameGeometry().center() - owner.frameGeometry().center();
        spare = seen->width() - seen->fontMetrics().horizontalAdvance(seen->windowTitle());
        (first ? first : seen->buttons().constFirst())->click();
    });
    QtPrompter prompter;
    const std::string caption = "Требуется подтверждение очень длинного действия над проектом";
    switch (kind) {
        case 0:
            prompter.Ask("Продолжить?", caption, Buttons::YesNo);
            break;
        case 1:
            prompter.AskSafely("Удалить?", caption, Buttons::YesNo);
            break;
        case 2:
            prompter.Message("Ошибка");
            break;
        default:
            prompter.Notice("Готово");
            break;
    }
    QVERIFY(seen);
    QCOMPARE(seenIcon, icon);
    QCOMPARE(defaultText, preferred);
    QVERIFY2(
        std::abs(centreOffset.x()) <= 2 && std::abs(centreOffset.y()) <= 2,
        qPrintable(QString::number(centreOffset.x()) + Q(",") + QString::number(centreOffset.y())));
    QVERIFY(spare > 0);
}

int RunPortsTest(int argc, char** argv) {
    PortsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ports_test.moc"
