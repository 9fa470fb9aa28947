#include "ui/areas/areas_effect_fields.h"

#include "ui/common/text.h"

namespace velmora::effect_pages {

const std::array<NumberField, 10>& NumberFields() {
    static const std::array<NumberField, 10> fields = {{
        {&Ui::TForm4::MessageCenterX, &ATTRIBUTES::message_center_x, 0},
        {&Ui::TForm4::MessageCenterY, &ATTRIBUTES::message_center_y, 0},
        {&Ui::TForm4::MessagePointerX, &ATTRIBUTES::message_pointer_x, 0},
        {&Ui::TForm4::MessagePointerY, &ATTRIBUTES::message_pointer_y, 0},
        {&Ui::TForm4::PictureCenterX, &ATTRIBUTES::picture_center_x, 1},
        {&Ui::TForm4::PictureCenterY, &ATTRIBUTES::picture_center_y, 1},
        {&Ui::TForm4::PicturePointerX, &ATTRIBUTES::picture_pointer_x, 1},
        {&Ui::TForm4::PicturePointerY, &ATTRIBUTES::picture_pointer_y, 1},
        {&Ui::TForm4::OverlayX, &ATTRIBUTES::overlay_x, kOverlayPage},
        {&Ui::TForm4::OverlayY, &ATTRIBUTES::overlay_y, kOverlayPage},
    }};
    return fields;
}

const std::array<ListField, 4>& ListFields() {
    static const std::array<ListField, 4> fields = {{
        {&Ui::TForm4::MessageStyle, &ATTRIBUTES::message_style, 0},
        {&Ui::TForm4::MessageType, &ATTRIBUTES::message_type, 0},
        {&Ui::TForm4::PictureStyle, &ATTRIBUTES::picture_style, 1},
        {&Ui::TForm4::PictureType, &ATTRIBUTES::picture_type, 1},
    }};
    return fields;
}

const std::array<MemoField, 2>& MemoFields() {
    static const std::array<MemoField, 2> fields = {{
        {&Ui::TForm4::MessageText, &ATTRIBUTES::message_text, 0},
        {&Ui::TForm4::CopyText, &ATTRIBUTES::copy_text, 3},
    }};
    return fields;
}

const std::array<LineField, 2>& LineFields() {
    static const std::array<LineField, 2> fields = {{
        {&Ui::TForm4::JsCode, &ATTRIBUTES::js_code, 4},
        {&Ui::TForm4::LinkUrl, &ATTRIBUTES::link, 6},
    }};
    return fields;
}

const std::array<SliderField, 7>& SliderFields() {
    static const std::array<SliderField, 7> fields = {{
        {&Ui::TForm4::SoundVolume, &Ui::TForm4::SoundVolumeField, &ATTRIBUTES::sound_volume,
         kSoundPage},
        {&Ui::TForm4::AreaBrightness, &Ui::TForm4::AreaBrightnessField,
         &ATTRIBUTES::area_brightness, kEffectsPage},
        {&Ui::TForm4::AreaContrast, &Ui::TForm4::AreaContrastField, &ATTRIBUTES::area_contrast,
         kEffectsPage},
        {&Ui::TForm4::AreaGamma, &Ui::TForm4::AreaGammaField, &ATTRIBUTES::area_gamma,
         kEffectsPage},
        {&Ui::TForm4::BackgroundBrightness, &Ui::TForm4::BackgroundBrightnessField,
         &ATTRIBUTES::background_brightness, kEffectsPage},
        {&Ui::TForm4::BackgroundContrast, &Ui::TForm4::BackgroundContrastField,
         &ATTRIBUTES::background_contrast, kEffectsPage},
        {&Ui::TForm4::BackgroundGamma, &Ui::TForm4::BackgroundGammaField,
         &ATTRIBUTES::background_gamma, kEffectsPage},
    }};
    return fields;
}

const std::array<CheckField, 2>& CheckFields() {
    static const std::array<CheckField, 2> fields = {{
        {&Ui::TForm4::AreaGrayscale, &ATTRIBUTES::area_grayscale},
        {&Ui::TForm4::BackgroundGrayscale, &ATTRIBUTES::background_grayscale},
    }};
    return fields;
}

const std::array<ImageField, 2>& ImageFields() {
    static const std::array<ImageField, 2> fields = {{
        {&Ui::TForm4::PictureImage, &ATTRIBUTES::picture_file_name, 1},
        {&Ui::TForm4::OverlayImage, &ATTRIBUTES::overlay_file_name, kOverlayPage},
    }};
    return fields;
}

ATTRIBUTES ClearedRecord() {
    ATTRIBUTES values;
    values.message_style = MessageStyles()[0];
    values.message_type = MessageTypes()[0];
    values.picture_style = MessageStyles()[0];
    values.picture_type = PictureTypes()[0];
    values.sound_volume = 100;
    values.area_gamma = 100;
    values.background_gamma = 100;
    return values;
}

void CopyPageFields(int page, const ATTRIBUTES& from, ATTRIBUTES& to) {
    switch (page) {
        case 0:
            to.message_style = from.message_style;
            to.message_type = from.message_type;
            to.message_text = from.message_text;
            to.message_center_x = from.message_center_x;
            to.message_center_y = from.message_center_y;
            to.message_pointer_x = from.message_pointer_x;
            to.message_pointer_y = from.message_pointer_y;
            break;
        case 1:
            to.picture_style = from.picture_style;
            to.picture_type = from.picture_type;
            to.picture_file_name = from.picture_file_name;
            to.picture_center_x = from.picture_center_x;
            to.picture_center_y = from.picture_center_y;
            to.picture_pointer_x = from.picture_pointer_x;
            to.picture_pointer_y = from.picture_pointer_y;
            break;
        case kOverlayPage:
            to.overlay_file_name = from.overlay_file_name;
            to.overlay_x = from.overlay_x;
            to.overlay_y = from.overlay_y;
            break;
        case 3:
            to.copy_text = from.copy_text;
            break;
        case 4:
            to.js_code = from.js_code;
            break;
        case kSoundPage:
            to.sound_file_name = from.sound_file_name;
            to.sound_volume = from.sound_volume;
            break;
        case 6:
            to.link = from.link;
            break;
        case kEffectsPage:
            for (auto field : kEffectFields) {
                to.*field = from.*field;
            }
            break;
        default:
            break;
    }
}

QString ShownText(const std::string& stored) {
    QString text = Q(stored);
    text.replace(Q("\r\n"), Q("\n"));
    return text;
}

std::string StoredText(const QString& shown) {
    QString text = shown;
    text.replace(Q("\n"), Q("\r\n"));
    return U(text);
}

}  // namespace velmora::effect_pages
