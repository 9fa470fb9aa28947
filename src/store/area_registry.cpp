#include "store/area_registry.h"

namespace velmora {

int AreaRegistry::FindArea(const std::string& name) const {
    for (int number = 1; number <= kMaxAreas; ++number) {
        if (AreaNames[number] == name) {
            return number;
        }
    }
    return 0;
}

std::string AreaRegistry::UniqueAreaName(const std::string& name) const {
    if (FindArea(name) == 0) {
        return name;
    }
    for (int n = 2; n <= 299; ++n) {
        std::string candidate = name + "_" + std::to_string(n);
        if (FindArea(candidate) == 0) {
            return candidate;
        }
    }
    // Every numbered name is taken: the fallback is three capital X, which may be taken too,
    // in which case AddArea refuses it.
    return std::string(3, 'X');
}

}  // namespace velmora
