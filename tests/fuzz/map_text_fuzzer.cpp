// Differential check of the map text: an arbitrary map is encoded, read back by a plain
// reference reader written from the format's rules, and must give exactly the sampled map.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "canvas/map/area_presence.h"
#include "export/map_encode.h"
#include "fuzz/fuzz_support.h"
#include "store/bitmap.h"

namespace {

[[noreturn]] void Fail(const char* what, int row) {
    std::fprintf(stderr, "map text mismatch: %s (sampled row %d)\n", what, row);
    std::abort();
}

int Hex(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

// Reads the map text back into rows of samples: pieces of value and count, count 255 standing
// for 254 samples; an empty row text is a row of 0; every row text ends with one space.
std::vector<std::vector<int>> ReadMapText(const std::string& text, int samplesPerRow) {
    std::vector<std::vector<int>> rows;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = text.find(' ', at);
        if (end == std::string::npos) {
            Fail("row without closing space", static_cast<int>(rows.size()));
        }
        const std::string row = text.substr(at, end - at);
        at = end + 1;
        std::vector<int> samples;
        if (row.empty()) {
            samples.assign(static_cast<std::size_t>(samplesPerRow), 0);
        }
        if (row.size() % 4 != 0) {
            Fail("row text is not whole pieces", static_cast<int>(rows.size()));
        }
        for (std::size_t p = 0; p < row.size(); p += 4) {
            const int digits[4] = {Hex(row[p]), Hex(row[p + 1]), Hex(row[p + 2]), Hex(row[p + 3])};
            for (int d : digits) {
                if (d < 0) {
                    Fail("not a lower-case hex digit", static_cast<int>(rows.size()));
                }
            }
            const int value = digits[0] * 16 + digits[1];
            const int count = digits[2] * 16 + digits[3];
            if (count == 0) {
                Fail("piece with count 0", static_cast<int>(rows.size()));
            }
            if (count == 255 && p + 4 == row.size()) {
                Fail("row ends on a count-255 piece", static_cast<int>(rows.size()));
            }
            samples.insert(samples.end(), static_cast<std::size_t>(count == 255 ? 254 : count),
                           value);
        }
        rows.push_back(std::move(samples));
    }
    return rows;
}

}  // namespace

// Input: width (2 bytes), height (1 byte), how much of the picture the bitmap covers (1 byte),
// then pixel bytes repeated over the map. Wide rows make long runs, so count-255 pieces occur.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmora;
    if (size < 4) {
        return 0;
    }
    const int width = (data[0] | (data[1] << 8)) % 2100;
    const int height = data[2] % 40;
    const int cover = data[3];
    data += 4;
    size -= 4;
    // The map may be smaller or larger than the picture it stands for.
    const int mapWidth = cover & 0x80 ? width - (cover & 0x0f) : width + (cover & 0x0f);
    const int mapHeight = cover & 0x40 ? height - ((cover >> 4) & 0x03) : height;
    Bitmap map;
    if (mapWidth > 0 && mapHeight > 0) {
        map.Resize(mapWidth, mapHeight);
        std::size_t i = 0;
        for (int y = 0; y < mapHeight; ++y) {
            for (int x = 0; x < mapWidth && size > 0; ++x) {
                // Runs: each input byte pair is a value and a run length.
                const std::uint8_t value = data[(i / 2 * 2) % size];
                std::uint8_t* p = map.Pixel(x, y);
                p[0] = p[1] = p[2] = value;
                // A few pixels with unequal channels: only the first byte counts.
                if (((i * 31) ^ value) % 97 == 0) {
                    p[1] = static_cast<std::uint8_t>(value + 1);
                }
                const std::size_t runLength = 1 + data[(i / 2 * 2 + 1) % size] % 64;
                if (x % static_cast<int>(runLength) == 0) {
                    i += 2;
                }
            }
        }
    }

    AreaPresence painted{};
    const std::string text = EncodeMap(map, width, height, &painted);
    const int samplesPerRow = (width + 1) / 2;
    const auto rows = ReadMapText(text, samplesPerRow);
    if (static_cast<int>(rows.size()) != (height + 1) / 2) {
        Fail("wrong number of rows", -1);
    }
    AreaPresence expectedPainted{};
    for (int y = 0; y < map.Height(); ++y) {
        for (int x = 0; x < map.Width(); ++x) {
            expectedPainted[map.Pixel(x, y)[0]] = true;
        }
    }
    if (painted != expectedPainted) {
        Fail("areas on the map differ", -1);
    }
    for (int j = 0; j < static_cast<int>(rows.size()); ++j) {
        if (width > 0 && static_cast<int>(rows[j].size()) != samplesPerRow) {
            Fail("wrong number of samples", j);
        }
        for (int i = 0; i < static_cast<int>(rows[j].size()); ++i) {
            const int x = 2 * i;
            const int y = 2 * j;
            const int expected = map.Contains(x, y) ? map.Pixel(x, y)[0] : 0;
            if (rows[j][i] != expected) {
                Fail("sample differs", j);
            }
        }
    }
    // The encoder fed sample by sample must agree with the run-length fast path.
    MAP_ENCODE slow;
    for (int y = 0; y < height; y += 2) {
        for (int x = 0; x < width; x += 2) {
            slow.AddSample(map.Contains(x, y) ? map.Pixel(x, y)[0] : 0);
        }
        slow.EndRow();
    }
    if (slow.GetText() != text) {
        Fail("AddSample and EncodeMap disagree", -1);
    }
    return 0;
}
