// The effect pages of the areas window: what each control stores, the Loading guard, pictures
// and sounds chosen into the project, the page-wise copy, paste and clear, the link buttons
// and the coordinate entry from the main window.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTest>
#include <functional>

#include "store/common_data.h"
#include "store/files.h"
#include "store/image_file.h"
#include "ui/areas/areas_window.h"
#include "ui/areas/sound_indicator.h"
#include "ui/common/text.h"
#include "ui/main/main_window.h"
#include "ui_areas_window.h"
#include "ui_test_support.h"

using namespace velmora;
using velmora::test::EditorFixture;

namespace {

const Ui::TForm4& Controls(EditorFixture& fixture) {
    return fixture.form4().Controls();
}

ATTRIBUTES& Record(EditorFixture& fixture) {
    return fixture.data().records.Attributes[fixture.form4().CurrentEvent()];
}

void ShowPage(EditorFixture& fixture, int page) {
    Controls(fixture).PageControl1->setCurrentIndex(page);
}

void SelectArea(EditorFixture& fixture, const char* name) {
    QVERIFY(fixture.form4().SelectAreaByName(Q(name)));
}

// A small picture in a solid colour, written where the test says.
void WritePicture(const std::string& path, int width, int height, std::uint8_t red) {
    Bitmap picture(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = picture.Pixel(x, y);
            p[0] = 10;
            p[1] = 20;
            p[2] = red;
        }
    }
    SaveImageFile(picture, path);
}

// One editable control: how the test edits it and what the record must hold afterwards.
struct Edit {
    const char* name;
    std::function<void(const Ui::TForm4&)> change;
    std::function<bool(const ATTRIBUTES&)> stored;
    // Whether the event's status panel is rewritten by the edit.
    bool marksStatus;
};

std::vector<Edit> Edits() {
    return {
        {"message style", [](const Ui::TForm4& c) { c.MessageStyle->setCurrentIndex(4); },
         [](const ATTRIBUTES& r) { return r.message_style == "green_small"; }, false},
        {"message type", [](const Ui::TForm4& c) { c.MessageType->setCurrentIndex(1); },
         [](const ATTRIBUTES& r) { return r.message_type == "think"; }, false},
        {"message text", [](const Ui::TForm4& c) { c.MessageText->setPlainText(Q("Привет")); },
         [](const ATTRIBUTES& r) { return r.message_text == "Привет"; }, true},
        {"message centre", [](const Ui::TForm4& c) { c.MessageCenterY->setValue(-7); },
         [](const ATTRIBUTES& r) { return r.message_center_y == -7; }, false},
        {"message pointer", [](const Ui::TForm4& c) { c.MessagePointerX->setValue(31); },
         [](const ATTRIBUTES& r) { return r.message_pointer_x == 31; }, false},
        {"picture style", [](const Ui::TForm4& c) { c.PictureStyle->setCurrentIndex(17); },
         [](const ATTRIBUTES& r) { return r.picture_style == "red_big"; }, false},
        {"picture type", [](const Ui::TForm4& c) { c.PictureType->setCurrentIndex(1); },
         [](const ATTRIBUTES& r) { return r.picture_type == "pointer"; }, false},
        {"picture centre", [](const Ui::TForm4& c) { c.PictureCenterX->setValue(12); },
         [](const ATTRIBUTES& r) { return r.picture_center_x == 12; }, false},
        {"picture pointer", [](const Ui::TForm4& c) { c.PicturePointerY->setValue(13); },
         [](const ATTRIBUTES& r) { return r.picture_pointer_y == 13; }, false},
        {"overlay x", [](const Ui::TForm4& c) { c.OverlayX->setValue(5); },
         [](const ATTRIBUTES& r) { return r.overlay_x == 5; }, false},
        {"copy text", [](const Ui::TForm4& c) { c.CopyText->setPlainText(Q("буфер")); },
         [](const ATTRIBUTES& r) { return r.copy_text == "буфер"; }, true},
        {"js call", [](const Ui::TForm4& c) { c.JsCode->setText(Q("show(1)")); },
         [](const ATTRIBUTES& r) { return r.js_code == "show(1)" && r.link.empty(); }, true},
        {"volume slider", [](const Ui::TForm4& c) { c.SoundVolume->setValue(30); },
         [](const ATTRIBUTES& r) { return r.sound_volume == 30; }, false},
        {"volume field", [](const Ui::TForm4& c) { c.SoundVolumeField->setValue(0); },
         [](const ATTRIBUTES& r) { return r.sound_volume == 0; }, false},
        {"url", [](const Ui::TForm4& c) { c.LinkUrl->setText(Q("https://example.org/")); },
         [](const ATTRIBUTES& r) { return r.link == "https://example.org/"; }, true},
        {"area brightness", [](const Ui::TForm4& c) { c.AreaBrightness->setValue(-127); },
         [](const ATTRIBUTES& r) { return r.area_brightness == -127; }, true},
        {"area contrast", [](const Ui::TForm4& c) { c.AreaContrastField->setValue(127); },
         [](const ATTRIBUTES& r) { return r.area_contrast == 127; }, true},
        {"area gamma", [](const Ui::TForm4& c) { c.AreaGamma->setValue(500); },
         [](const ATTRIBUTES& r) { return r.area_gamma == 500; }, true},
        {"area grey", [](const Ui::TForm4& c) { c.AreaGrayscale->setChecked(true); },
         [](const ATTRIBUTES& r) { return r.area_grayscale == 1; }, true},
        {"background brightness",
         [](const Ui::TForm4& c) { c.BackgroundBrightnessField->setValue(9); },
         [](const ATTRIBUTES& r) { return r.background_brightness == 9; }, true},
        {"background contrast", [](const Ui::TForm4& c) { c.BackgroundContrast->setValue(-3); },
         [](const ATTRIBUTES& r) { return r.background_contrast == -3; }, true},
        {"background gamma", [](const Ui::TForm4& c) { c.BackgroundGammaField->setValue(0); },
         [](const ATTRIBUTES& r) { return r.background_gamma == 0; }, true},
        {"background grey", [](const Ui::TForm4& c) { c.BackgroundGrayscale->setChecked(true); },
         [](const ATTRIBUTES& r) { return r.background_grayscale == 1; }, true},
    };
}

}  // namespace

class EffectPagesTest : public QObject {
    Q_OBJECT

private slots:
    void PagesListsAndHelp() {
        EditorFixture fixture;
        const Ui::TForm4& c = Controls(fixture);
        QCOMPARE(c.MessageStyle->count(), 18);
        QCOMPARE(c.MessageStyle->itemText(6), Q("blue_middle"));
        QCOMPARE(c.PictureStyle->itemText(17), Q("red_big"));
        QCOMPARE(c.MessageType->itemText(5), Q("circle"));
        QCOMPARE(c.PictureType->itemText(0), Q("circle"));
        QCOMPARE(c.PictureType->count(), 2);
        QCOMPARE(c.SoundVolumeField->maximum(), 100);
        QCOMPARE(c.SoundVolumeField->minimum(), 0);
        QCOMPARE(c.AreaGammaField->maximum(), 500);
        QCOMPARE(c.BackgroundBrightness->minimum(), -127);
        QCOMPARE(c.PictureImage->toolTip(),
                 Q("Кликните мышкой по области, чтобы выбрать изображение"));
        QVERIFY(c.Page8Help1->text().startsWith(Q("Эти эффекты могут замедлять")));
    }

    void EveryControlStoresItsField() {
        EditorFixture fixture;
        fixture.OpenProjectWithPicture(60, 40, {"Дом"});
        for (const Edit& edit : Edits()) {
            fixture.data().records.AttributesModified = false;
            fixture.form4().EventPanel(0)->setText(QString());
            edit.change(Controls(fixture));
            QVERIFY2(edit.stored(Record(fixture)), edit.name);
            QVERIFY2(fixture.data().records.AttributesModified, edit.name);
            QVERIFY2(fixture.form4().EventPanel(0)->text().isEmpty() != edit.marksStatus,
                     edit.name);
        }
        // Filling the pages from the record runs every handler under Loading: nothing stored.
        const ATTRIBUTES edited = Record(fixture);
        fixture.data().records.AttributesModified = false;
        fixture.form4().UpdateAttributes();
        QVERIFY(!fixture.data().records.AttributesModified);
        QVERIFY(Record(fixture) == edited);
        QVERIFY(fixture.prompter.messages.empty());
    }

    void NothingIsStoredWithoutASelectedArea() {
        EditorFixture fixture;
        fixture.OpenProjectWithPicture(60, 40, {"Дом"});
        const ATTRIBUTES before = Record(fixture);
        Controls(fixture).ListBox1->clearSelection();
        fixture.data().records.AttributesModified = false;
        for (const Edit& edit : Edits()) {
            edit.change(Controls(fixture));
        }
        QVERIFY(Record(fixture) == before);
        QVERIFY(!fixture.data().records.AttributesModified);
    }

    void MultiLineTextsKeepCrLf() {
        EditorFixture fixture;
        fixture.OpenProjectWithPicture(60, 40, {"Дом"});
        Controls(fixture).MessageText->setPlainText(Q("первая\nвторая"));
        QCOMPARE(Record(fixture).message_text, std::string("первая\r\nвторая"));
        Record(fixture).copy_text = "a\r\nb";
        fixture.form4().UpdateAttributes();
        QCOMPARE(Controls(fixture).CopyText->toPlainText(), Q("a\nb"));
    }

    // hall.png is already in Pictures: Cancel changes nothing, No keeps the old file and takes
    // its name, Yes replaces the file.
    void ChoosingAPictureOverAnExistingFile() {
        EditorFixture fixture;
        fixture.OpenProjectWithPicture(60, 40, {"Дом"});
        ShowPage(fixture, 2);
        const std::string stored = fixture.data().project.WorkFilePath("Pictures", "hall.png");
        WritePicture(stored, 8, 8, 1);
        const std::string chosen = fixture.folder / "hall.png";
        WritePicture(chosen, 9, 9, 2);
        QLabel* box = Controls(fixture).OverlayImage;

        fixture.dialogs.Answer(chosen);
        fixture.prompter.Reply(Answer::Cancel);
        fixture.data().records.AttributesModified = false;
        QTest::mouseClick(box, Qt::LeftButton);
        QCOMPARE(fixture.prompter.questions.back(),
                 Naming("Файл уже существует. Перезаписать?", stored));
        QCOMPARE(Record(fixture).overlay_file_name, std::string());
        QVERIFY(!fixture.data().records.AttributesModified);

        fixture.dialogs.Answer(chosen);
        fixture.prompter.Reply(Answer::No);
        QTest::mouseClick(box, Qt::LeftButton);
        QCOMPARE(Record(fixture).overlay_file_name, std::string("hall.png"));
        QVERIFY(fixture.data().records.AttributesModified);
        QCOMPARE(box->pixmap().size(), QSize(8, 8));

        fixture.dialogs.Answer(chosen);
        fixture.prompter.Reply(Answer::Yes);
        QTest::mouseClick(box, Qt::LeftButton);
        QCOMPARE(test::ReadFile(stored), test::ReadFile(chosen));
        QCOMPARE(box->pixmap().size(), QSize(9, 9));
        QCOMPARE(fixture.dialogs.filters.back(),
                 std::string("All (*.gif *.jpg *.jpeg *.png);;GIF Image (*.gif);;"
                             "JPEG Image File (*.jpg);;JPEG Image File (*.jpeg);;"
                             "Portable Network Graphics (*.png)"));
        QVERIFY(fixture.prompter.messages.empty());
    }

    void MissingPicturesAreReportedOncePerPicture() {
        EditorFixture fixture;
        fixture.OpenProjectWithPicture(60, 40, {"Дом", "Сад"});
        COMMON_DATA& data = fixture.data();
        SelectArea(fixture, "Сад");
        Record(fixture).picture_file_name = "gone.png";
        Record(fixture).overlay_file_name = "lost.jpg";
        data.records.AttributesModified = true;
        SelectArea(fixture, "Дом");
        fixture.prompter.messages.clear();

        SelectArea(fixture, "Сад");
        QCOMPARE(
            fixture.prompter.messages,
            (std::vector<std::string>{
                "Изображение не найдено: " + data.project.WorkFilePath("Pictures", "gone.png"),
                "Изображение не найдено: " + data.project.WorkFilePath("Pictures", "lost.jpg")}));
        QCOMPARE(Record(fixture).picture_file_name, std::string("gone.png"));
        QVERIFY(Controls(fixture).PictureImage->pixmap().isNull());
    }

    void PageCopyAndPaste() {
        EditorFixture fixture;
        fixture.OpenProjectWithPicture(60, 40, {"A", "B"});
        const Ui::TForm4& c = Controls(fixture);
        SelectArea(fixture, "A");
        c.MessageStyle->setCurrentIndex(2);
        c.MessageType->setCurrentIndex(3);
        c.MessageText->setPlainText(Q("текст\nA"));
        c.MessageCenterX->setValue(11);
        c.MessagePointerY->setValue(22);
        c.CopyText->setPlainText(Q("буфер A"));
        ShowPage(fixture, 0);
        QTest::mouseClick(c.BitBtn1, Qt::LeftButton);
        const ATTRIBUTES a = Record(fixture);

        SelectArea(fixture, "B");
        fixture.data().records.AttributesModified = false;
        QTest::mouseClick(c.BitBtn2, Qt::LeftButton);
        const ATTRIBUTES b = Record(fixture);
        QCOMPARE(b.message_style, a.message_style);
        QCOMPARE(b.message_type, a.message_type);
        QCOMPARE(b.message_text, std::string("текст\r\nA"));
        QCOMPARE(b.message_center_x, 11);
        QCOMPARE(b.message_pointer_y, 22);
        QCOMPARE(b.copy_text, std::string());
        QCOMPARE(c.MessageType->currentText(), Q("rectangle"));
        QVERIFY(fixture.data().records.AttributesModified);

        // Page 3 takes only the clipboard text, which nothing copied yet: it stays empty.
        Record(fixture).copy_text = "B's own";
        ShowPage(fixture, 3);
        QTest::mouseClick(c.BitBtn2, Qt::LeftButton);
        ATTRIBUTES expected = b;
        expected.copy_text.clear();
        QVERIFY(Record(fixture) == expected);
    }

    // The page clipboard starts empty: zeros for numbers, no item in the lists.
    void PasteBeforeAnyCopy() {
        EditorFixture fixture;
        fixture.OpenProjectWithPicture(60, 40, {"A"});
        ShowPage(fixture, 7);
        QTest::mouseClick(Controls(fixture).BitBtn2, Qt::LeftButton);
        QCOMPARE(Record(fixture).area_gamma, 0);
        QCOMPARE(Record(fixture).background_gamma, 0);
        QCOMPARE(Controls(fixture).AreaGammaField->value(), 0);
        ShowPage(fixture, 5);
        QTest::mouseClick(Controls(fixture).BitBtn2, Qt::LeftButton);
        QCOMPARE(Record(fixture).sound_volume, 0);
        QCOMPARE(Controls(fixture).SoundVolume->value(), 0);
        ShowPage(fixture, 0);
        QTest::mouseClick(Controls(fixture).BitBtn2, Qt::LeftButton);
        QCOMPARE(Controls(fixture).MessageStyle->currentIndex(), -1);
        QCOMPARE(Record(fixture).message_style, std::string());
    }

    void ClearingTheSoundPage() {
        EditorFixture fixture;
        fixture.OpenProjectWithPicture(60, 40, {"A"});
        const std::string sound = fixture.folder / "ding.ogg";
        test::WriteFile(sound, "sound bytes");
        ShowPage(fixture, 5);
        const Ui::TForm4& c = Controls(fixture);
        fixture.dialogs.Answer(sound);
        QTest::mouseClick(c.SoundChoose, Qt::LeftButton);
        c.SoundVolume->setValue(40);
        QCOMPARE(Record(fixture).sound_file_name, std::string("ding.ogg"));
        QVERIFY(FileExists(fixture.data().project.WorkFilePath("Sounds", "ding.ogg")));
        QVERIFY(!c.SoundIndicator->isHidden());
        // The page names the chosen file; a file that cannot be decoded has no length.
        QCOMPARE(c.SoundIndicator->Caption(), Q("Файл: ding.ogg"));
        QVERIFY(fixture.form4().EventPanel(0)->text().contains(Q("Зв ")));

        QTest::mouseClick(c.BitBtn3, Qt::LeftButton);
        QCOMPARE(Record(fixture).sound_file_name, std::string());
        QCOMPARE(Record(fixture).sound_volume, 100);
        QCOMPARE(c.SoundVolumeField->value(), 100);
        QVERIFY(c.SoundIndicator->isHidden());
        QVERIFY(!fixture.form4().EventPanel(0)->text().contains(Q("Зв ")));

        QTest::mouseClick(c.SoundPlay, Qt::LeftButton);
        QCOMPARE(fixture.prompter.messages, std::vector<std::string>{"Сперва выберите файл!"});
    }

    void LinkButtons() {
        EditorFixture fixture;
        fixture.OpenProjectWithPicture(60, 40, {"A"});
        const Ui::TForm4& c = Controls(fixture);
        ShowPage(fixture, 6);
        QTest::mouseClick(c.LinkOpen, Qt::LeftButton);
        QVERIFY(fixture.shell.opened.empty());

        fixture.clipboard.text = "https://example.org/a";
        QTest::mouseClick(c.LinkPaste, Qt::LeftButton);
        QCOMPARE(Record(fixture).link, std::string("https://example.org/a"));
        QTest::mouseClick(c.LinkOpen, Qt::LeftButton);
        QCOMPARE(fixture.shell.opened, std::vector<std::string>{"https://example.org/a"});
        fixture.clipboard.text.clear();
        QTest::mouseClick(c.LinkCopy, Qt::LeftButton);
        QCOMPARE(fixture.clipboard.text, std::string("https://example.org/a"));
        QTest::mouseClick(c.LinkDelete, Qt::LeftButton);
        QCOMPARE(Record(fixture).link, std::string());
    }

    // The warning under the URL follows the text and the event tab.
    void LinkWarnings() {
        EditorFixture fixture;
        fixture.OpenProjectWithPicture(60, 40, {"A"});
        const Ui::TForm4& c = Controls(fixture);
        fixture.form4().show();
        ShowPage(fixture, 6);
        const struct {
            int event;
            const char* link;
            const char* warning;
        } cases[] = {
            {1, "https://example.org/", ""},
            {1, "javascript:alert(1)", "Страница открывает только адреса http"},
            {0, "https://example.org/", "ссылка на событии «Над областью» не откроется"},
            {0, "", ""},
            {2, "page.html", ""},
            {2, "data:text/html,x", "Страница открывает только адреса http"},
        };
        for (const auto& k : cases) {
            c.TabControl1->setCurrentIndex(k.event);
            c.LinkUrl->setText(Q(k.link));
            QCOMPARE(c.LinkWarning->isVisible(), *k.warning != '\0');
            QVERIFY2(c.LinkWarning->text().contains(Q(k.warning)), k.link);
        }
        // The same address on two events: the text does not change, the warning follows the tab.
        c.TabControl1->setCurrentIndex(1);
        c.LinkUrl->setText(Q("https://example.org/"));
        fixture.data().records.Attributes[0].link = "https://example.org/";
        c.TabControl1->setCurrentIndex(0);
        QVERIFY(c.LinkWarning->isVisible());
        c.TabControl1->setCurrentIndex(1);
        QVERIFY(!c.LinkWarning->isVisible());
    }

    // Ctrl with the left button on the picture, as the main window passes it on.
    void CtrlPickOnTheOverlayPage() {
        EditorFixture fixture;
        fixture.OpenProjectWithPicture(200, 100, {"A"});
        WritePicture(fixture.data().project.WorkFilePath("Pictures", "lamp.png"), 10, 10, 250);
        Record(fixture).overlay_file_name = "lamp.png";
        ShowPage(fixture, 2);
        fixture.form1().ImageMouseDown(Qt::LeftButton, Qt::ControlModifier, 120, 45);
        fixture.form1().ImageMouseUp();
        QCOMPARE(Record(fixture).overlay_x, 120);
        QCOMPARE(Record(fixture).overlay_y, 45);
        QCOMPARE(Controls(fixture).OverlayX->value(), 120);
        // The preview shows the overlay at its new place.
        QCOMPARE(velmora::test::ShownRed(fixture.form1(), 125, 50), 250);

        ShowPage(fixture, 3);
        const ATTRIBUTES before = Record(fixture);
        fixture.form1().ImageMouseDown(Qt::LeftButton, Qt::ControlModifier, 10, 10);
        fixture.form1().ImageMouseUp();
        QVERIFY(Record(fixture) == before);
    }
};

int RunEffectPagesTest(int argc, char** argv) {
    EffectPagesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "effect_pages_test.moc"
