#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <string>

#include "store/attributes.h"
#include "ui_areas_window.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QSlider;
class QSpinBox;

// The tables that tie the effect pages' controls to the record fields they edit, shared by the
// change handlers, the page filling and the page-wise copy, paste and clear.
namespace velmora::effect_pages {

inline constexpr int kOverlayPage = 2;
inline constexpr int kSoundPage = 5;
inline constexpr int kEffectsPage = 7;
inline constexpr int kPageCount = 8;

// A number field of the pages and the record field it edits.
struct NumberField {
    QSpinBox* Ui::TForm4::*control;
    std::int32_t ATTRIBUTES::*field;
    int page;
};

// A drop-down list and the text field it stores.
struct ListField {
    QComboBox* Ui::TForm4::*control;
    std::string ATTRIBUTES::*field;
    int page;
};

// A multi-line text and the field it stores; the record keeps CR LF line breaks.
struct MemoField {
    QPlainTextEdit* Ui::TForm4::*control;
    std::string ATTRIBUTES::*field;
    int page;
};

// A one-line text and the field it stores.
struct LineField {
    QLineEdit* Ui::TForm4::*control;
    std::string ATTRIBUTES::*field;
    int page;
};

// A slider and its number field that show one value.
struct SliderField {
    QSlider* Ui::TForm4::*slider;
    QSpinBox* Ui::TForm4::*number;
    std::int32_t ATTRIBUTES::*field;
    int page;
};

// A check box of the effects page and the field it stores as 0 or 1.
struct CheckField {
    QCheckBox* Ui::TForm4::*control;
    std::int32_t ATTRIBUTES::*field;
};

// The image box of page 1 or 2 and the file name it shows.
struct ImageField {
    QLabel* Ui::TForm4::*control;
    std::string ATTRIBUTES::*field;
    int page;
};

const std::array<NumberField, 10>& NumberFields();
const std::array<ListField, 4>& ListFields();
const std::array<MemoField, 2>& MemoFields();
const std::array<LineField, 2>& LineFields();
const std::array<SliderField, 7>& SliderFields();
const std::array<CheckField, 2>& CheckFields();
const std::array<ImageField, 2>& ImageFields();

// The eight effect fields of the last page.
inline constexpr std::array<std::int32_t ATTRIBUTES::*, 8> kEffectFields = {
    &ATTRIBUTES::area_brightness,
    &ATTRIBUTES::area_contrast,
    &ATTRIBUTES::area_gamma,
    &ATTRIBUTES::area_grayscale,
    &ATTRIBUTES::background_brightness,
    &ATTRIBUTES::background_contrast,
    &ATTRIBUTES::background_gamma,
    &ATTRIBUTES::background_grayscale};

// The values every control shows when cleared: the lists' first items, neutral effects and
// full volume.
ATTRIBUTES ClearedRecord();

// Copies the fields that one page edits.
void CopyPageFields(int page, const ATTRIBUTES& from, ATTRIBUTES& to);

// A stored text as a multi-line control shows it, and back.
QString ShownText(const std::string& stored);
std::string StoredText(const QString& shown);

}  // namespace velmora::effect_pages
