// A page authored only through the editor's windows, every kind of effect set with the mouse
// and keyboard, saved and exported through the menus.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <cstdlib>

#include "store/common_data.h"
#include "store/files.h"
#include "store/image_file.h"
#include "ui/areas/area_name_dialog.h"
#include "ui/areas/areas_window.h"
#include "ui/areas/music_dialog.h"
#include "ui/common/text.h"
#include "ui/main/canvas_view.h"
#include "ui/main/main_window.h"
#include "ui_areas_window.h"
#include "ui_test_support.h"

using namespace velmora;
using velmora::test::EditorFixture;

namespace {

void AddArea(EditorFixture& fixture, const QString& name) {
    TForm5& dialog = fixture.editor().Form5();
    QTimer::singleShot(0, &dialog, [&dialog, name] {
        dialog.NameEdit()->selectAll();
        dialog.NameEdit()->insert(name);
        QTest::keyClick(dialog.NameEdit(), Qt::Key_Return);
    });
    QTest::mouseClick(fixture.form4().Controls().Button1, Qt::LeftButton);
}

// A left-button stroke across the picture with the current area.
void Paint(EditorFixture& fixture, QPoint from, QPoint to) {
    QWidget* image = fixture.form1().Image();
    QTest::mousePress(image, Qt::LeftButton, Qt::NoModifier, from);
    for (int step = 1; step <= 8; ++step) {
        QTest::mouseMove(image, from + (to - from) * step / 8);
    }
    QTest::mouseRelease(image, Qt::LeftButton, Qt::NoModifier, to);
}

void CtrlClick(EditorFixture& fixture, Qt::MouseButton button, QPoint at) {
    QTest::mouseClick(fixture.form1().Image(), button, Qt::ControlModifier, at);
}

void Picture(const std::string& path, int side, std::uint8_t red) {
    Bitmap picture(side, side);
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            std::uint8_t* p = picture.Pixel(x, y);
            p[0] = 40;
            p[1] = static_cast<std::uint8_t>(x * 4);
            p[2] = red;
        }
    }
    SaveImageFile(picture, path);
}

std::string Tone(const EditorFixture& fixture, const char* name) {
    const std::string path = fixture.folder / name;
    const std::string command =
        "sox -n -r 44100 -c 2 '" + path + "' synth 1 sine 660 vol 0.5 2>/dev/null";
    if (std::system(command.c_str()) != 0) {
        test::WriteFile(path, "sound");
    }
    return path;
}

}  // namespace

class AuthoringTest : public QObject {
    Q_OBJECT

private slots:
    void EveryEffectThroughTheWindows() {
        EditorFixture fixture;
        fixture.OpenProjectWithPicture(240, 160, {});
        const Ui::TForm4& c = fixture.form4().Controls();
        Picture(fixture.folder / "popup.png", 40, 250);
        Picture(fixture.folder / "patch.png", 30, 10);
        const std::string tone = Tone(fixture, "tone.ogg");
        const std::string breeze = Tone(fixture, "breeze.ogg");

        AddArea(fixture, Q("Дом"));
        Paint(fixture, QPoint(20, 40), QPoint(100, 40));
        AddArea(fixture, Q("Сад"));
        Paint(fixture, QPoint(140, 100), QPoint(220, 100));
        QCOMPARE(fixture.data().areas.AreaCount, 2);
        QCOMPARE(int(fixture.data().canvas.Map.Pixel(60, 40)[0]), 1);
        QCOMPARE(int(fixture.data().canvas.Map.Pixel(180, 100)[0]), 2);

        // "Дом", over: a bubble placed with Ctrl and both buttons.
        QVERIFY(fixture.form4().SelectAreaByName(Q("Дом")));
        c.TabControl1->setCurrentIndex(0);
        c.PageControl1->setCurrentIndex(0);
        c.MessageText->setFocus();
        c.MessageText->insertPlainText(Q("Добро пожаловать\nв дом"));
        c.MessageStyle->setCurrentIndex(c.MessageStyle->findText(Q("green_big")));
        c.MessageType->setCurrentIndex(c.MessageType->findText(Q("think")));
        CtrlClick(fixture, Qt::LeftButton, QPoint(120, 70));
        CtrlClick(fixture, Qt::RightButton, QPoint(60, 40));
        // Click: a popup picture and an overlay chosen by clicking their boxes.
        c.TabControl1->setCurrentIndex(1);
        c.PageControl1->setCurrentIndex(1);
        fixture.dialogs.Answer(fixture.folder / "popup.png");
        QTest::mouseClick(c.PictureImage, Qt::LeftButton);
        CtrlClick(fixture, Qt::LeftButton, QPoint(150, 60));
        CtrlClick(fixture, Qt::RightButton, QPoint(60, 45));
        c.PageControl1->setCurrentIndex(2);
        fixture.dialogs.Answer(fixture.folder / "patch.png");
        QTest::mouseClick(c.OverlayImage, Qt::LeftButton);
        CtrlClick(fixture, Qt::LeftButton, QPoint(30, 30));
        // Double click: the clipboard text and a script call.
        c.TabControl1->setCurrentIndex(2);
        c.PageControl1->setCurrentIndex(3);
        c.CopyText->setFocus();
        QTest::keyClicks(c.CopyText, Q("copied line"));
        c.PageControl1->setCurrentIndex(4);
        QTest::keyClicks(c.JsCode, Q("showInfo('house', 1)"));

        // "Сад", click: a sound at 35 and a link pasted from the clipboard; over: effects.
        QVERIFY(fixture.form4().SelectAreaByName(Q("Сад")));
        c.TabControl1->setCurrentIndex(1);
        c.PageControl1->setCurrentIndex(5);
        fixture.dialogs.Answer(tone);
        QTest::mouseClick(c.SoundChoose, Qt::LeftButton);
        c.SoundVolumeField->setValue(35);
        c.PageControl1->setCurrentIndex(6);
        fixture.clipboard.text = "https://example.org/garden";
        QTest::mouseClick(c.LinkPaste, Qt::LeftButton);
        c.TabControl1->setCurrentIndex(0);
        c.PageControl1->setCurrentIndex(7);
        c.AreaBrightness->setValue(50);
        c.BackgroundGammaField->setValue(140);
        QTest::mouseClick(c.BackgroundGrayscale, Qt::LeftButton);

        // Background music through its dialog.
        TForm6& music = fixture.editor().Form6();
        music.show();
        fixture.dialogs.Answer(breeze);
        QTest::mouseClick(music.ChooseButton(), Qt::LeftButton);
        music.VolumeSlider()->setValue(40);
        QTest::mouseClick(music.OkButton(), Qt::LeftButton);

        fixture.Trigger("N6");
        const std::string page = fixture.folder / "authored.html";
        fixture.dialogs.Answer(page);
        fixture.Trigger("N39");
        QVERIFY(fixture.prompter.messages.empty());

        const std::string script = test::ReadFile(fixture.folder / "VLM/authored.js");
        for (const char* expected : {"Добро пожаловать|в дом", "green_big", "think", "popup.png",
                                     "patch.png", "copied line", "showInfo('house', 1)", "tone.ogg",
                                     "https://example.org/garden", "breeze.ogg"}) {
            QVERIFY2(script.find(expected) != std::string::npos, expected);
        }
        for (const char* file : {"VLM/popup.png", "VLM/patch.png", "VLM/tone.ogg", "VLM/breeze.ogg",
                                 "VLM/vlm4.js", "VLM/vlm4.css"}) {
            QVERIFY2(FileExists(fixture.folder / file), file);
        }

        // The reopened project holds what the windows set.
        fixture.data().CloseProject();
        QVERIFY(fixture.data().OpenProject(fixture.folder / "tour.vlm"));
        QVERIFY(fixture.data().ReadAttributes("Дом"));
        const ATTRIBUTES& over = fixture.data().records.Attributes[kOver];
        QCOMPARE(over.message_text, std::string("Добро пожаловать\r\nв дом"));
        QCOMPARE(over.message_center_x, 120);
        QCOMPARE(over.message_pointer_y, 40);
        QCOMPARE(fixture.data().records.Attributes[kClick].overlay_x, 30);
        QVERIFY(fixture.data().ReadAttributes("Сад"));
        QCOMPARE(fixture.data().records.Attributes[kClick].sound_volume, 35);
        QCOMPARE(fixture.data().records.Attributes[kOver].background_grayscale, 1);
        QCOMPARE(fixture.data().records.Attributes[kOver].background_gamma, 140);
        QCOMPARE(fixture.data().canvas.BackgroundVolume, 40);

        // For trying the page in a browser by hand.
        if (const char* keep = std::getenv("VELMORA_KEEP_AUTHORED_PAGE")) {
            std::system(("cp -r '" + fixture.folder.Path() + "/.' '" + keep + "'").c_str());
        }
    }
};

int RunAuthoringTest(int argc, char** argv) {
    AuthoringTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "authoring_test.moc"
