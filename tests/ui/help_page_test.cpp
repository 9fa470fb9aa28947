// The help page keeps up with the editor: every menu command and tool of the main window is
// named there with its keys, and the page shows exactly the screenshots it ships with.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <QToolBar>

#include "ui/common/text.h"
#include "ui/main/main_window.h"
#include "ui_test_support.h"

using namespace velmora;
using velmora::test::EditorFixture;

namespace {

QString HelpFolder() {
    return Q(VELMORA_HELP_SOURCE);
}

QString HelpPage() {
    QFile file(HelpFolder() + Q("/VelmoraEditor.html"));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(file.readAll());
}

// A command's name as the help writes it: without mnemonics and the trailing ellipsis.
QString Caption(const QAction& action) {
    QString text = action.text();
    text.replace(Q("&&"), Q("\x01")).remove(QLatin1Char('&')).replace(Q("\x01"), Q("&"));
    if (text.endsWith(QChar(0x2026))) {
        text.chop(1);
    }
    return text;
}

// The commands in a menu and its submenus. The recent projects' own entries change with use,
// and the media menu's sites are many: the help names the media menu's submenus only.
void CollectCommands(const QMenu& menu, QList<QAction*>& commands) {
    const bool recent = menu.objectName() == Q("RecentProjects");
    const bool media = Caption(*menu.menuAction()) == Q("Медиа контент");
    for (QAction* action : menu.actions()) {
        if (action->isSeparator()) {
            continue;
        }
        if (action->menu()) {
            commands << action;
            if (!media) {
                CollectCommands(*action->menu(), commands);
            }
        } else if (!recent || !action->objectName().isEmpty()) {
            commands << action;
        }
    }
}

}  // namespace

class HelpPageTest : public QObject {
    Q_OBJECT

private slots:
    void NamesEveryCommandWithItsKeys() {
        const QString page = HelpPage();
        QVERIFY2(!page.isEmpty(), "the help page is missing");
        EditorFixture fixture;
        TForm1& form = fixture.form1();
        QList<QAction*> commands;
        for (QAction* top : form.menuBar()->actions()) {
            commands << top;
            CollectCommands(*top->menu(), commands);
        }
        QVERIFY(commands.size() > 30);
        QStringList missing;
        for (const QAction* command : commands) {
            const QString caption = Caption(*command);
            if (!page.contains(caption)) {
                missing << caption;
            }
            for (const QKeySequence& key : command->shortcuts()) {
                const QString shown =
                    Q("<kbd>") + key.toString(QKeySequence::PortableText) + Q("</kbd>");
                if (!page.contains(shown)) {
                    missing << caption + Q(" ") + shown;
                }
            }
        }
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(Q("; "))));
    }

    void NamesEveryToolWithItsLetter() {
        const QString page = HelpPage();
        EditorFixture fixture;
        const auto* tools = fixture.form1().findChild<QToolBar*>(Q("AreaToolBar"));
        QVERIFY(tools);
        int checked = 0;
        for (const QAction* tool : tools->actions()) {
            if (!tool->isCheckable()) {
                continue;
            }
            ++checked;
            const QString row = Q("<tr><td>") + Caption(*tool) + Q("</td><td><kbd>") +
                                tool->shortcut().toString(QKeySequence::PortableText) +
                                Q("</kbd></td>");
            QVERIFY2(page.contains(row), qPrintable(row));
        }
        QCOMPARE(checked, 7);
    }

    // The screenshots are made by scripts/help-screenshots; a picture the page shows must be
    // there, and one it no longer shows must not ship.
    void ShowsExactlyItsScreenshots() {
        const QString page = HelpPage();
        QSet<QString> shown;
        const QRegularExpression image(Q("<img src=\"VelmoraEditor-images/([^\"]+)\""));
        for (auto match = image.globalMatch(page); match.hasNext();) {
            shown.insert(match.next().captured(1));
        }
        const QStringList files =
            QDir(HelpFolder() + Q("/VelmoraEditor-images")).entryList({Q("*.png")}, QDir::Files);
        QCOMPARE(shown, QSet<QString>(files.begin(), files.end()));
    }
};

int RunHelpPageTest(int argc, char** argv) {
    HelpPageTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "help_page_test.moc"
