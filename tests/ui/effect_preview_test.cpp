// The effects page's switch "Предпросмотр": the picture on the canvas changed as the exported
// page changes it, the area with its effect and the rest with the background's, for the event
// and the values shown, and the picture as before once the preview ends.
#include <QCheckBox>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include "canvas/view/pixel_effect.h"
#include "canvas/view/view_compose.h"
#include "store/area_palette.h"
#include "store/common_data.h"
#include "ui/areas/areas_window.h"
#include "ui/common/text.h"
#include "ui/main/canvas_view.h"
#include "ui/main/main_window.h"
#include "ui_areas_window.h"
#include "ui_test_support.h"

using namespace velmora;
using velmora::test::EditorFixture;

namespace {

constexpr int kEffectsPage = 7;
// A pixel of the area "Холл" and one of no area.
constexpr QPoint kInside(5, 5);
constexpr QPoint kOutside(40, 30);

std::uint32_t Shown(EditorFixture& f, QPoint pixel) {
    const auto color = f.form1().Canvas()->ShownColorOf(pixel);
    return color ? *color : 0;
}

// The picture's pixel as the canvas shows it, after an effect.
std::uint32_t Changed(EditorFixture& f, QPoint pixel, const PixelEffectSettings& settings) {
    const std::uint8_t* bgr = f.data().canvas.Picture.Pixel(pixel.x(), pixel.y());
    return PixelEffect(settings).Apply(ViewportPixel(bgr));
}

// The even mix with the area's colour that the mask view draws over a pixel.
std::uint32_t Tinted(std::uint32_t pixel, int area) {
    const std::uint32_t tint = AreaPalette[static_cast<std::size_t>(area)];
    const std::uint32_t rgb = static_cast<std::uint32_t>(PaletteRed(tint)) << 16 |
                              static_cast<std::uint32_t>(PaletteGreen(tint)) << 8 |
                              PaletteBlue(tint);
    std::uint32_t mixed = 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        mixed |= ((((pixel >> shift) & 0xFF) + ((rgb >> shift) & 0xFF)) / 2) << shift;
    }
    return mixed;
}

}  // namespace

class EffectPreviewTest : public QObject {
    Q_OBJECT

private slots:
    void previewShowsTheEventsEffectsOnTheCanvas();
    void previewEndsWithThePageOrTheWindow();
};

namespace {

// "Холл" painted over the top-left corner, the effects page shown with an area brightness and
// a grey, lightened background for "over"; the picture alone in view.
void PrepareEffects(EditorFixture& f) {
    f.OpenProjectWithPicture(60, 40, {"Холл", "Зал"});
    QVERIFY(f.form4().SelectAreaByName(Q("Холл")));
    f.form1().FillBox(AreaTool::Rectangle, QRect(0, 0, 20, 20), false);
    f.form1().SetViewMode(ViewMode::Picture);
    const Ui::TForm4& ui = f.form4().Controls();
    ui.PageControl1->setCurrentIndex(kEffectsPage);
    ui.AreaBrightnessField->setValue(40);
    ui.BackgroundGrayscale->setChecked(true);
    ui.BackgroundGammaField->setValue(180);
}

}  // namespace

void EffectPreviewTest::previewShowsTheEventsEffectsOnTheCanvas() {
    EditorFixture f;
    PrepareEffects(f);
    const Ui::TForm4& ui = f.form4().Controls();
    QCOMPARE(ui.EffectPreview->text(), Q("Предпросмотр"));
    const std::uint32_t inside = Shown(f, kInside);
    const std::uint32_t outside = Shown(f, kOutside);
    QCOMPARE(inside, Changed(f, kInside, {}));
    QVERIFY(!f.form1().Canvas()->PreviewsEffects());

    ui.EffectPreview->setChecked(true);
    QCOMPARE(Shown(f, kInside), Changed(f, kInside, {40, 0, 100, false}));
    QCOMPARE(Shown(f, kOutside), Changed(f, kOutside, {0, 0, 180, true}));
    QVERIFY(Shown(f, kInside) != inside);
    QVERIFY(Shown(f, kOutside) != outside);

    // The values follow the fields as they change.
    ui.AreaContrastField->setValue(-90);
    ui.AreaBrightness->setValue(-30);
    QCOMPARE(Shown(f, kInside), Changed(f, kInside, {-30, -90, 100, false}));

    // Another event shows its own effects: "click" has none.
    ui.TabControl1->setCurrentIndex(1);
    QCOMPARE(Shown(f, kInside), inside);
    QCOMPARE(Shown(f, kOutside), outside);
    ui.TabControl1->setCurrentIndex(0);
    QCOMPARE(Shown(f, kOutside), Changed(f, kOutside, {0, 0, 180, true}));

    // The mask is still drawn, over the changed pixels.
    f.form1().SetViewMode(ViewMode::PictureAndMask);
    QCOMPARE(Shown(f, kInside), Tinted(Changed(f, kInside, {-30, -90, 100, false}), 1));
    QCOMPARE(Shown(f, kOutside), Changed(f, kOutside, {0, 0, 180, true}));
    f.form1().SetViewMode(ViewMode::Picture);

    // Off: the picture as before.
    ui.EffectPreview->setChecked(false);
    QCOMPARE(Shown(f, kInside), inside);
    QCOMPARE(Shown(f, kOutside), outside);

    // A project open for viewing may look at its effects too.
    f.form4().SetEditable(false);
    QVERIFY(ui.EffectPreview->isEnabled());
    ui.EffectPreview->setChecked(true);
    QCOMPARE(Shown(f, kOutside), Changed(f, kOutside, {0, 0, 180, true}));
}

void EffectPreviewTest::previewEndsWithThePageOrTheWindow() {
    EditorFixture f;
    PrepareEffects(f);
    const Ui::TForm4& ui = f.form4().Controls();
    const std::uint32_t outside = Shown(f, kOutside);
    ui.EffectPreview->setChecked(true);
    QVERIFY(Shown(f, kOutside) != outside);

    ui.PageControl1->setCurrentIndex(0);
    QCOMPARE(Shown(f, kOutside), outside);
    QVERIFY(!f.form1().Canvas()->PreviewsEffects());
    ui.PageControl1->setCurrentIndex(kEffectsPage);
    QCOMPARE(Shown(f, kOutside), Changed(f, kOutside, {0, 0, 180, true}));

    f.form4().hide();
    QCOMPARE(Shown(f, kOutside), outside);
    QVERIFY(!f.form1().Canvas()->PreviewsEffects());
    f.form4().show();
    QCOMPARE(Shown(f, kOutside), Changed(f, kOutside, {0, 0, 180, true}));
}

int RunEffectPreviewTest(int argc, char** argv) {
    EffectPreviewTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "effect_preview_test.moc"
