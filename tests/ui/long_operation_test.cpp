// Long operations in the real editor: they run off the UI thread while the event loop goes
// on, show "Подождите…" with "Отмена" when they last, and a cancel (the button, or closing the
// window) leaves the project as it was, in memory and on disk.
#include <QAbstractButton>
#include <QLabel>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <filesystem>
#include <functional>

#include "canvas/history/draw_history.h"
#include "canvas/map/map_ops.h"
#include "store/common_data.h"
#include "store/image_file.h"
#include "ui/common/long_operation.h"
#include "ui/common/text.h"
#include "ui/main/canvas_tools.h"
#include "ui/main/main_window.h"
#include "ui_test_support.h"

using namespace velmora;
using velmora::test::EditorFixture;

namespace {

// Big enough that object selection works on a reduced copy and then tile by tile.
constexpr int kWidth = 1600;
constexpr int kHeight = 1200;

// What a cancelled operation must leave as it was.
struct Snapshot {
    Bitmap map;
    std::array<std::string, 256> names;
    std::string picture;
    int undoSteps = 0;
    bool mapModified = false;
    std::vector<std::string> files;

    explicit Snapshot(EditorFixture& f)
        : map(f.data().canvas.Map),
          names(f.data().areas.AreaNames),
          picture(f.data().canvas.PictureFileName),
          undoSteps(f.history.UndoCount()),
          mapModified(f.data().canvas.MapModified) {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(f.folder.Path())) {
            files.push_back(entry.path().string());
        }
        std::sort(files.begin(), files.end());
    }
    bool operator==(const Snapshot& other) const {
        return map == other.map && names == other.names && picture == other.picture &&
               undoSteps == other.undoSteps && mapModified == other.mapModified &&
               files == other.files;
    }
};

// Watches the work's reports for one test and stops watching after it.
class ReportWatch {
public:
    explicit ReportWatch(std::function<void(LongOperation&)> watch) {
        LongOperation::WatchReports(std::move(watch));
    }
    ~ReportWatch() { LongOperation::WatchReports({}); }
    ReportWatch(const ReportWatch&) = delete;
    ReportWatch& operator=(const ReportWatch&) = delete;
};

// Holds the worker at its first report until the UI thread has cancelled it, so that what the
// UI thread does meanwhile happens while the work is certainly still running.
void HoldUntilCancelled(LongOperation& operation) {
    while (!operation.CancelRequested()) {
        QThread::msleep(1);
    }
}

void OpenScene(EditorFixture& f) {
    f.OpenProjectWithPicture(kWidth, kHeight, {"Дом"});
    f.data().areas.CurrentArea = 1;
    f.data().SaveProject();
}

}  // namespace

class LongOperationTest : public QObject {
    Q_OBJECT

private slots:
    void cancelledOperationsLeaveTheProjectAsItWas_data();
    void cancelledOperationsLeaveTheProjectAsItWas();
    void theWindowGoesOnWhileTheWorkRunsAndTheDialogCancelsIt();
    void closingTheWindowCancelsTheWorkThenCloses();
    void anOperationThatIsNotCancelledIsApplied();
};

void LongOperationTest::cancelledOperationsLeaveTheProjectAsItWas_data() {
    QTest::addColumn<int>("operation");
    QTest::newRow("object selection") << 0;
    QTest::newRow("wand") << 1;
    QTest::newRow("picture import") << 2;
    QTest::newRow("page export") << 3;
    QTest::newRow("browser test") << 4;
}

void LongOperationTest::cancelledOperationsLeaveTheProjectAsItWas() {
    QFETCH(int, operation);
    EditorFixture f;
    OpenScene(f);
    const std::string big = f.MakePicture("big.png", kWidth + 400, kHeight + 300);
    const Snapshot before(f);
    const std::size_t messages = f.prompter.messages.size();
    int reports = 0;
    const ReportWatch watch([&reports](LongOperation& running) {
        ++reports;
        running.Cancel();
    });
    switch (operation) {
        case 0:
            f.form1().FillBox(AreaTool::Object, QRect(40, 40, kWidth - 80, kHeight - 80), false);
            break;
        case 1:
            f.form1().WandAt(QPoint(5, 5), false);
            break;
        case 2:
            f.dialogs.Answer(big);
            f.Trigger("N9");
            break;
        case 3:
            f.dialogs.Answer(f.folder / "out.html");
            f.Trigger("N39");
            break;
        case 4:
            f.Trigger("N41");
            break;
    }
    QCOMPARE(reports, 1);
    QVERIFY(Snapshot(f) == before);
    QCOMPARE(f.prompter.messages.size(), messages);
    QVERIFY(f.shell.opened.empty());
    QVERIFY(!LongOperation::Current());
}

void LongOperationTest::theWindowGoesOnWhileTheWorkRunsAndTheDialogCancelsIt() {
    EditorFixture f;
    OpenScene(f);
    f.form1().show();
    const Snapshot before(f);
    const ReportWatch watch(HoldUntilCancelled);
    // A timer of the UI thread: it fires only while the event loop runs during the work.
    int ticks = 0;
    QString shownText;
    QString buttonText;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        ++ticks;
        LongOperation* running = LongOperation::Current();
        if (!running || !running->Dialog() || !running->Dialog()->isVisible() ||
            !shownText.isEmpty()) {
            return;
        }
        shownText = running->Dialog()->findChild<QLabel*>()->text();
        auto* cancel = running->Dialog()->findChild<QAbstractButton*>(Q("LongOperationCancel"));
        buttonText = cancel->text();
        QTest::mouseClick(cancel, Qt::LeftButton);
    });
    timer.start(10);
    f.form1().FillBox(AreaTool::Object, QRect(40, 40, kWidth - 80, kHeight - 80), false);
    timer.stop();
    QVERIFY(ticks > 1);
    QCOMPARE(shownText, Q("Подождите…"));
    QCOMPARE(buttonText, Q("Отмена"));
    QVERIFY(Snapshot(f) == before);
    QVERIFY(f.form1().isVisible());
}

void LongOperationTest::closingTheWindowCancelsTheWorkThenCloses() {
    EditorFixture f;
    OpenScene(f);
    FillMapRect(f.data().canvas.Map, 0, 0, 4, 4, 1, true);
    f.data().canvas.MapModified = true;
    f.form1().show();
    const ReportWatch watch(HoldUntilCancelled);
    bool closedAtOnce = true;
    QTimer::singleShot(0, [&] { closedAtOnce = f.form1().close(); });
    f.form1().FillBox(AreaTool::Object, QRect(40, 40, kWidth - 80, kHeight - 80), false);
    // The close waited for the work, which changed nothing...
    QVERIFY(!closedAtOnce);
    QCOMPARE(AreaAt(f.data().canvas.Map, 100, 100), 0);
    // ...and then came as usual: the painted map is saved and the project closed.
    QTRY_VERIFY(!f.data().project.ProjectOpen);
    QVERIFY(!f.form1().isVisible());
}

void LongOperationTest::anOperationThatIsNotCancelledIsApplied() {
    EditorFixture f;
    OpenScene(f);
    const int steps = f.history.UndoCount();
    int reports = 0;
    const ReportWatch watch([&reports](LongOperation&) { ++reports; });
    f.form1().WandAt(QPoint(5, 5), false);
    QVERIFY(reports > 0);
    QCOMPARE(AreaAt(f.data().canvas.Map, 5, 5), 1);
    QCOMPARE(f.history.UndoCount(), steps + 1);
}

int RunLongOperationTest(int argc, char** argv) {
    LongOperationTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "long_operation_test.moc"
