#include "store/area_names.h"

namespace velmora {

std::string TrimAreaName(const std::string& name) {
    constexpr const char* kBlank = " \t\r\n\v\f";
    const auto first = name.find_first_not_of(kBlank);
    if (first == std::string::npos) {
        return {};
    }
    const auto last = name.find_last_not_of(kBlank);
    return name.substr(first, last - first + 1);
}

AreaNameFault CheckAreaName(const std::string& name) {
    std::size_t characters = 0;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto byte = static_cast<unsigned char>(name[i]);
        const bool c1 = byte == 0xC2 && i + 1 < name.size() &&
                        static_cast<unsigned char>(name[i + 1]) >= 0x80 &&
                        static_cast<unsigned char>(name[i + 1]) <= 0x9F;
        if (byte < 0x20 || byte == 0x7F || c1) {
            return AreaNameFault::ControlCharacter;
        }
        characters += (byte & 0xC0) != 0x80 ? 1 : 0;
    }
    return characters > kMaxAreaNameLength ? AreaNameFault::TooLong : AreaNameFault::None;
}

}  // namespace velmora
