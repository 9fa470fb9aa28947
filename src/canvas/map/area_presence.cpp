#include "canvas/map/area_presence.h"

#include <cstdint>
#include <cstring>

#include "store/common_data.h"

namespace velmora {

namespace {

constexpr std::uint64_t kByteOnes = 0x0101010101010101ULL;

std::uint64_t Load64(const std::uint8_t* p) {
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

}  // namespace

void MarkAreasInRow(const std::uint8_t* row, int width, AreaPresence& present) {
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
    if (rowBytes == 0) {
        return;
    }
    std::uint8_t last = row[0];
    present[last] = true;
    std::size_t i = 0;
    // Painted maps are long runs of one value whose three bytes are equal: 8 pixels are three
    // words that all equal the value spread over every byte, so most of the map is compared a
    // word at a time and only the pixels where the value changes are looked at one by one.
    while (i + 24 <= rowBytes) {
        const std::uint64_t spread = last * kByteOnes;
        if (Load64(row + i) == spread && Load64(row + i + 8) == spread &&
            Load64(row + i + 16) == spread) {
            i += 24;
            continue;
        }
        for (const std::size_t end = i + 24; i < end; i += 3) {
            last = row[i];
            present[last] = true;
        }
    }
    for (; i < rowBytes; i += 3) {
        present[row[i]] = true;
    }
}

AreaPresence AreasOnMap(const Bitmap& map) {
    AreaPresence present{};
    for (int y = 0; y < map.Height(); ++y) {
        MarkAreasInRow(map.Row(y), map.Width(), present);
    }
    return present;
}

bool AreaOnMap(const Bitmap& map, int area) {
    if (area < 0 || area > 255) {
        return false;
    }
    const std::size_t rowBytes = static_cast<std::size_t>(map.Width()) * 3;
    for (int y = 0; y < map.Height(); ++y) {
        const std::uint8_t* row = map.Row(y);
        for (std::size_t i = 0; i < rowBytes; i += 3) {
            if (row[i] == area) {
                return true;
            }
        }
    }
    return false;
}

bool AreaOnMap(const COMMON_DATA& data, int area) {
    return AreaOnMap(data.canvas.Map, area);
}

}  // namespace velmora
