// A project that cannot be written, such as an installed example: it opens for viewing, shows
// its picture, areas and effects, lets the author test and export it elsewhere, offers nothing
// that would change it, and "Сохранить как" makes a copy that opens for editing.
#include <QAction>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <map>

#include "canvas/map/map_ops.h"
#include "store/common_data.h"
#include "store/files.h"
#include "store/image_file.h"
#include "ui/areas/areas_window.h"
#include "ui/common/text.h"
#include "ui/main/main_window.h"
#include "ui_areas_window.h"
#include "ui_test_support.h"

using namespace velmora;
using velmora::test::EditorFixture;
using velmora::test::ReadFile;
using velmora::test::ShownTitle;
using velmora::test::TempFolder;

namespace {

constexpr int kEffectsPage = 7;

// Every file under folder with its bytes, to show that nothing there was written.
std::map<std::string, std::string> FolderContent(const std::string& folder) {
    std::map<std::string, std::string> content;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        content[entry.path().string()] =
            entry.is_regular_file() ? ReadFile(entry.path().string()) : std::string("<folder>");
    }
    return content;
}

bool Enabled(EditorFixture& f, const char* action) {
    return f.form1().findChild<QAction*>(Q(action))->isEnabled();
}

}  // namespace

class ViewOnlyTest : public QObject {
    Q_OBJECT

private slots:
    void readOnlyProjectOpensForViewing();
    void saveAsMakesAWritableCopy();
};

namespace {

// A project with two areas, "Холл" painted at the top left and given an area brightness,
// saved, then reopened by the editor as a user without the right to write its folder.
std::string OpenReadOnlyProject(EditorFixture& f) {
    const std::string project = f.OpenProjectWithPicture(60, 40, {"Холл", "Зал"});
    f.form4().SelectAreaByName(Q("Холл"));
    f.form1().FillBox(AreaTool::Rectangle, QRect(0, 0, 10, 10), false);
    f.form4().Controls().PageControl1->setCurrentIndex(kEffectsPage);
    f.form4().Controls().AreaBrightnessField->setValue(40);
    f.Trigger("N6");
    const std::string folder = f.folder.Path();
    f.data().SetWriteCheck(
        [folder](const std::string& path) { return path.rfind(folder, 0) != 0; });
    f.prompter.messages.clear();
    f.form1().OpenProjectFile(project);
    return project;
}

}  // namespace

void ViewOnlyTest::readOnlyProjectOpensForViewing() {
    EditorFixture f;
    const std::string project = OpenReadOnlyProject(f);
    const auto before = FolderContent(f.folder.Path());

    // Opened, said once, and the title tells it.
    QVERIFY(f.data().project.ProjectOpen);
    QVERIFY(f.data().ViewOnly());
    QCOMPARE(f.prompter.messages, std::vector<std::string>{kViewOnlyNote});
    QVERIFY(ShownTitle(f.form1()).endsWith(Q(project) + Q(" (только чтение)")));

    // The picture, its areas and their effects are shown.
    QVERIFY(f.data().canvas.PictureLoaded);
    QVERIFY(velmora::test::ShownRed(f.form1(), 5, 5) >= 0);
    QCOMPARE(AreaAt(f.data().canvas.Map, 5, 5), 1);
    QCOMPARE(f.form4().Controls().ListBox1->count(), 2);
    QVERIFY(f.form4().SelectAreaByName(Q("Холл")));
    f.form4().Controls().PageControl1->setCurrentIndex(kEffectsPage);
    QCOMPARE(f.form4().Controls().AreaBrightnessField->value(), 40);

    // Everything that would change the project is withheld; looking, testing, exporting and
    // saving a copy are offered.
    for (const char* name : {"N6", "N9", "ImportShapes", "N13", "N14", "N16", "N24", "N26",
                             "BrushTool", "WandTool", "RectangleTool", "ObjectTool"}) {
        QVERIFY2(!Enabled(f, name), name);
    }
    for (const char* name : {"N7", "N39", "N41", "ExportShapes", "N22", "N4", "N2"}) {
        QVERIFY2(Enabled(f, name), name);
    }
    const Ui::TForm4& ui = f.form4().Controls();
    for (QWidget* control :
         std::initializer_list<QWidget*>{ui.Button1, ui.Button2, ui.Button3, ui.BitBtn3,
                                         ui.AreaBrightness, ui.AreaGrayscale, ui.MessageStyle}) {
        QVERIFY2(!control->isEnabled(), qPrintable(control->objectName()));
    }
    QVERIFY(ui.AreaBrightnessField->isReadOnly());
    QVERIFY(ui.MessageText->isReadOnly());

    // Neither the brush, nor a tool, nor a typed value, nor the keys reach the project.
    QWidget* view = f.form1().Image();
    QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, QPoint(30, 30));
    QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, QPoint(31, 30));
    f.form1().FillBox(AreaTool::Rectangle, QRect(20, 20, 10, 10), false);
    QTest::keyClicks(ui.AreaBrightnessField, Q("7"));
    ui.AreaGrayscale->setChecked(true);
    f.form1().ClearMapClick();
    QCOMPARE(AreaAt(f.data().canvas.Map, 25, 25), 0);
    QCOMPARE(AreaAt(f.data().canvas.Map, 5, 5), 1);
    QVERIFY(!f.data().records.AttributesModified);
    QVERIFY(!f.data().canvas.MapModified);

    // The browser test and the export write outside the project.
    f.Trigger("N41");
    QCOMPARE(f.shell.opened.size(), std::size_t(1));
    QVERIFY(f.shell.opened[0].rfind(f.folder.Path(), 0) != 0);
    QVERIFY(FileExists(f.shell.opened[0]));
    TempFolder site;
    f.dialogs.Answer(site / "page.html");
    f.Trigger("N39");
    QVERIFY(FileExists(site / "page.html"));
    QVERIFY(FileExists(site / "VLM/page.js"));

    // Closing writes nothing either, and the next open asks nothing of a read-only project.
    f.form1().close();
    QCOMPARE(FolderContent(f.folder.Path()), before);
    QVERIFY(std::none_of(f.prompter.messages.begin(), f.prompter.messages.end(),
                         [](const std::string& m) { return m.find("Ошибка") != m.npos; }));
}

void ViewOnlyTest::saveAsMakesAWritableCopy() {
    EditorFixture f;
    OpenReadOnlyProject(f);
    TempFolder copies;
    // "Сохранить" itself offers the copy.
    f.dialogs.Answer(copies / "tour.vlm");
    f.form1().SaveClick();
    QCOMPARE(f.data().project.ProjectPath, copies / "tour.vlm");
    QVERIFY(!f.data().ViewOnly());
    QVERIFY(!ShownTitle(f.form1()).contains(Q("только чтение")));
    QVERIFY(Enabled(f, "N6"));
    QVERIFY(Enabled(f, "BrushTool"));
    QVERIFY(f.form4().Controls().Button1->isEnabled());
    QVERIFY(!f.form4().Controls().AreaBrightnessField->isReadOnly());

    // The copy holds the map and the effect, and takes changes.
    QCOMPARE(AreaAt(f.data().canvas.Map, 5, 5), 1);
    f.form4().SelectAreaByName(Q("Холл"));
    f.form1().FillBox(AreaTool::Rectangle, QRect(20, 20, 10, 10), false);
    f.Trigger("N6");
    Bitmap saved;
    QVERIFY(LoadImageFile(saved, copies / "Maps/source.png"));
    QCOMPARE(AreaAt(saved, 5, 5), 1);
    QCOMPARE(AreaAt(saved, 25, 25), 1);
    f.form4().Controls().PageControl1->setCurrentIndex(kEffectsPage);
    QCOMPARE(f.form4().Controls().AreaBrightnessField->value(), 40);
}

int RunViewOnlyTest(int argc, char** argv) {
    ViewOnlyTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "view_only_test.moc"
