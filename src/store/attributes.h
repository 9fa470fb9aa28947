#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace velmora {

// The mouse event of an effect record; the index into AreaRecords::Attributes.
enum EventKind : int { kOver = 0, kClick = 1, kDblClick = 2 };
inline constexpr int kEventCount = 3;

// The stored event text: "over", "click", "dblclick".
const char* EventName(int event);
// The event for a stored text; nullopt for any other text.
std::optional<int> EventFromName(std::string_view name);
// The tab caption in the areas window.
const char* EventCaption(int event);

// The effect settings of one area and one mouse event, in the column order of the
// properties table. A default-constructed record holds empty texts and zero numbers; the
// defaults of a new area come from DefaultAttributes().
struct ATTRIBUTES {
    std::string message_style;
    std::string message_type;
    std::string message_text;
    std::int32_t message_center_x = 0;
    std::int32_t message_center_y = 0;
    std::int32_t message_pointer_x = 0;
    std::int32_t message_pointer_y = 0;
    std::string picture_style;
    std::string picture_type;
    std::string picture_file_name;
    std::int32_t picture_center_x = 0;
    std::int32_t picture_center_y = 0;
    std::int32_t picture_pointer_x = 0;
    std::int32_t picture_pointer_y = 0;
    std::string overlay_file_name;
    std::int32_t overlay_x = 0;
    std::int32_t overlay_y = 0;
    std::string copy_text;
    std::string js_code;
    std::string sound_file_name;
    std::int32_t sound_volume = 0;
    std::string link;
    std::int32_t area_brightness = 0;
    std::int32_t area_contrast = 0;
    std::int32_t area_gamma = 0;
    std::int32_t area_grayscale = 0;
    std::int32_t background_brightness = 0;
    std::int32_t background_contrast = 0;
    std::int32_t background_gamma = 0;
    std::int32_t background_grayscale = 0;

    friend bool operator==(const ATTRIBUTES&, const ATTRIBUTES&) = default;
};

// The values of a new area's rows.
ATTRIBUTES DefaultAttributes();

// Whether brightness, contrast, gamma and grey scale change the area, or the rest of the
// picture: any of them off its neutral value (0, 0, 100, 0). With none set the page writes no
// line for it and the areas window shows no mark.
bool AreaEffectSet(const ATTRIBUTES& a);
bool BackgroundEffectSet(const ATTRIBUTES& a);

// One column of the record: its name in the project file, its statement parameter and
// where it lives in ATTRIBUTES. The table below walks all 30 in column order, so that reading,
// writing, binding and listing never repeat the column list by hand.
struct AttributeField {
    const char* column;     // "message_style"
    const char* parameter;  // ":MESSAGE_STYLE"
    std::variant<std::string ATTRIBUTES::*, std::int32_t ATTRIBUTES::*> member;

    bool IsText() const { return std::holds_alternative<std::string ATTRIBUTES::*>(member); }
};

inline constexpr int kAttributeFieldCount = 30;
const std::array<AttributeField, kAttributeFieldCount>& AttributeFields();
// The field for a column name; nullptr for any other name.
const AttributeField* FindAttributeField(std::string_view column);

// The 18 bubble and frame styles, colour then size, and the shapes, in the lists' order.
const std::array<const char*, 18>& MessageStyles();
const std::array<const char*, 6>& MessageTypes();
const std::array<const char*, 2>& PictureTypes();

}  // namespace velmora
