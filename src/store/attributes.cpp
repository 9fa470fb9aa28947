#include "store/attributes.h"

namespace velmora {

namespace {

constexpr std::array<const char*, kEventCount> kEventNames = {"over", "click", "dblclick"};
constexpr std::array<const char*, kEventCount> kEventCaptions = {
    "Над областью (onMouseOver)", "Щелчок (onClick)", "Двойной щелчок (onDblClick)"};

using A = ATTRIBUTES;

bool ToneChanged(std::int32_t brightness, std::int32_t contrast, std::int32_t gamma,
                 std::int32_t grayscale) {
    return brightness != 0 || contrast != 0 || gamma != 100 || grayscale != 0;
}

const std::array<AttributeField, kAttributeFieldCount> kFields = {{
    {"message_style", ":MESSAGE_STYLE", &A::message_style},
    {"message_type", ":MESSAGE_TYPE", &A::message_type},
    {"message_text", ":MESSAGE_TEXT", &A::message_text},
    {"message_center_x", ":MESSAGE_CENTER_X", &A::message_center_x},
    {"message_center_y", ":MESSAGE_CENTER_Y", &A::message_center_y},
    {"message_pointer_x", ":MESSAGE_POINTER_X", &A::message_pointer_x},
    {"message_pointer_y", ":MESSAGE_POINTER_Y", &A::message_pointer_y},
    {"picture_style", ":PICTURE_STYLE", &A::picture_style},
    {"picture_type", ":PICTURE_TYPE", &A::picture_type},
    {"picture_file_name", ":PICTURE_FILE_NAME", &A::picture_file_name},
    {"picture_center_x", ":PICTURE_CENTER_X", &A::picture_center_x},
    {"picture_center_y", ":PICTURE_CENTER_Y", &A::picture_center_y},
    {"picture_pointer_x", ":PICTURE_POINTER_X", &A::picture_pointer_x},
    {"picture_pointer_y", ":PICTURE_POINTER_Y", &A::picture_pointer_y},
    {"overlay_file_name", ":OVERLAY_FILE_NAME", &A::overlay_file_name},
    {"overlay_x", ":OVERLAY_X", &A::overlay_x},
    {"overlay_y", ":OVERLAY_Y", &A::overlay_y},
    {"copy_text", ":COPY_TEXT", &A::copy_text},
    {"js_code", ":JS_CODE", &A::js_code},
    {"sound_file_name", ":SOUND_FILE_NAME", &A::sound_file_name},
    {"sound_volume", ":SOUND_VOLUME", &A::sound_volume},
    {"link", ":LINK", &A::link},
    {"area_brightness", ":AREA_BRIGHTNESS", &A::area_brightness},
    {"area_contrast", ":AREA_CONTRAST", &A::area_contrast},
    {"area_gamma", ":AREA_GAMMA", &A::area_gamma},
    {"area_grayscale", ":AREA_GRAYSCALE", &A::area_grayscale},
    {"background_brightness", ":BACKGROUND_BRIGHTNESS", &A::background_brightness},
    {"background_contrast", ":BACKGROUND_CONTRAST", &A::background_contrast},
    {"background_gamma", ":BACKGROUND_GAMMA", &A::background_gamma},
    {"background_grayscale", ":BACKGROUND_GRAYSCALE", &A::background_grayscale},
}};

constexpr std::array<const char*, 18> kStyles = {
    "blue_small",  "yellow_small",  "gray_small",  "black_small",  "green_small",  "red_small",
    "blue_middle", "yellow_middle", "gray_middle", "black_middle", "green_middle", "red_middle",
    "blue_big",    "yellow_big",    "gray_big",    "black_big",    "green_big",    "red_big"};
constexpr std::array<const char*, 6> kMessageTypes = {"speech",    "think",   "simple",
                                                      "rectangle", "pointer", "circle"};
constexpr std::array<const char*, 2> kPictureTypes = {"circle", "pointer"};

}  // namespace

const char* EventName(int event) {
    return event >= 0 && event < kEventCount ? kEventNames[event] : "";
}

std::optional<int> EventFromName(std::string_view name) {
    for (int e = 0; e < kEventCount; ++e) {
        if (name == kEventNames[e]) {
            return e;
        }
    }
    return std::nullopt;
}

const char* EventCaption(int event) {
    return event >= 0 && event < kEventCount ? kEventCaptions[event] : "";
}

bool AreaEffectSet(const ATTRIBUTES& a) {
    return ToneChanged(a.area_brightness, a.area_contrast, a.area_gamma, a.area_grayscale);
}

bool BackgroundEffectSet(const ATTRIBUTES& a) {
    return ToneChanged(a.background_brightness, a.background_contrast, a.background_gamma,
                       a.background_grayscale);
}

ATTRIBUTES DefaultAttributes() {
    ATTRIBUTES a;
    a.message_style = "blue_small";
    a.message_type = "speech";
    a.picture_style = "blue_small";
    a.picture_type = "circle";
    a.sound_volume = 100;
    a.area_gamma = 100;
    a.background_gamma = 100;
    return a;
}

const std::array<AttributeField, kAttributeFieldCount>& AttributeFields() {
    return kFields;
}

const AttributeField* FindAttributeField(std::string_view column) {
    for (const auto& f : kFields) {
        if (column == f.column) {
            return &f;
        }
    }
    return nullptr;
}

const std::array<const char*, 18>& MessageStyles() {
    return kStyles;
}
const std::array<const char*, 6>& MessageTypes() {
    return kMessageTypes;
}
const std::array<const char*, 2>& PictureTypes() {
    return kPictureTypes;
}

}  // namespace velmora
