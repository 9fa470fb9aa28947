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

}  // namespace velmora
