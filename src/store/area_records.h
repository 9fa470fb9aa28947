#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "store/attributes.h"

namespace velmora {

// The effect records of the area being edited, one per mouse event, as loaded from the
// project and edited by the author until they are written back.
struct AreaRecords {
    std::array<ATTRIBUTES, kEventCount> Attributes;
    ATTRIBUTES AttributesClipboard;
    // Set by the edits of the loaded records, cleared when they are read or written.
    bool AttributesModified = false;
    // The area whose records are loaded.
    std::string AttributesArea;

    // The author's edits of the loaded records: each changes Attributes[event] and sets
    // AttributesModified, so that the next write stores it. An event outside 0..2 changes
    // nothing and gives false.
    bool SetAttribute(int event, std::string ATTRIBUTES::*field, std::string value);
    bool SetAttribute(int event, std::int32_t ATTRIBUTES::*field, std::int32_t value);
    bool SetAttributes(int event, const ATTRIBUTES& record);
};

}  // namespace velmora
