// The author's edits of the loaded effect records.
#include "store/area_records.h"

namespace velmora {

namespace {

bool ValidEvent(int event) {
    return event >= 0 && event < kEventCount;
}

}  // namespace

bool AreaRecords::SetAttribute(int event, std::string ATTRIBUTES::*field, std::string value) {
    if (!ValidEvent(event)) {
        return false;
    }
    Attributes[event].*field = std::move(value);
    AttributesModified = true;
    return true;
}

bool AreaRecords::SetAttribute(int event, std::int32_t ATTRIBUTES::*field, std::int32_t value) {
    if (!ValidEvent(event)) {
        return false;
    }
    Attributes[event].*field = value;
    AttributesModified = true;
    return true;
}

bool AreaRecords::SetAttributes(int event, const ATTRIBUTES& record) {
    if (!ValidEvent(event)) {
        return false;
    }
    Attributes[event] = record;
    AttributesModified = true;
    return true;
}

}  // namespace velmora
