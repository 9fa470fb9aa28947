#include "export/map_encode.h"

#include <algorithm>
#include <cstring>

#include "store/common_data.h"

namespace velmora {

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

// A count of 255 stands for 254 samples, so a run never ends on it.
constexpr int kFullPieceCount = 255;

}  // namespace

void MAP_ENCODE::Reset() {
    Text.clear();
    RunCount = 0;
    RunValue = -1;
    ValueChanged = false;
}

void MAP_ENCODE::AppendPiece(int value, int count) {
    const char piece[4] = {kHexDigits[(value >> 4) & 0xF], kHexDigits[value & 0xF],
                           kHexDigits[(count >> 4) & 0xF], kHexDigits[count & 0xF]};
    RowText.append(piece, 4);
}

void MAP_ENCODE::AddSample(int value) {
    if (value == RunValue) {
        ++RunCount;
        if (RunCount >= kFullPieceCount) {
            AppendPiece(RunValue, RunCount);
            RunCount = 1;
        }
        return;
    }
    if (RunValue != -1) {
        AppendPiece(RunValue, RunCount);
        RunCount = 0;
        ValueChanged = true;
    }
    RunValue = value;
    ++RunCount;
}

void MAP_ENCODE::AddRun(int value, std::int64_t count) {
    if (count <= 0) {
        return;
    }
    AddSample(value);
    std::int64_t left = count - 1;
    // Each full piece takes the open count up to 255 and leaves 1 behind.
    while (left > 0) {
        const std::int64_t room = kFullPieceCount - RunCount;
        if (left < room) {
            RunCount += static_cast<std::int32_t>(left);
            return;
        }
        AppendPiece(RunValue, kFullPieceCount);
        left -= room;
        RunCount = 1;
    }
}

void MAP_ENCODE::EndRow() {
    if (!ValueChanged && RunValue == 0) {
        Text += ' ';
    } else {
        if (RunCount > 0) {
            AppendPiece(RunValue, RunCount);
        }
        Text += RowText;
        Text += ' ';
    }
    RunValue = -1;
    RunCount = 0;
    RowText.clear();
    ValueChanged = false;
}

namespace {

constexpr std::uint64_t kByteOnes = 0x0101010101010101ULL;

bool SameEightPixels(const std::uint8_t* p, std::uint64_t spread) {
    std::uint64_t words[3];
    std::memcpy(words, p, sizeof words);
    return words[0] == spread && words[1] == spread && words[2] == spread;
}

void EncodeRow(MAP_ENCODE& encoder, const std::uint8_t* row, int coveredWidth, int width) {
    int x = 0;
    while (x < coveredWidth) {
        const std::uint8_t value = row[static_cast<std::size_t>(x) * 3];
        const std::uint64_t spread = value * kByteOnes;
        int end = x + 2;
        // Inside a run whole groups of 8 pixels (4 samples) are compared a word at a time.
        while (end + 8 <= coveredWidth &&
               SameEightPixels(row + static_cast<std::size_t>(end) * 3, spread)) {
            end += 8;
        }
        while (end < coveredWidth && row[static_cast<std::size_t>(end) * 3] == value) {
            end += 2;
        }
        encoder.AddRun(value, (end - x) / 2);
        x = end;
    }
    if (x < width) {
        encoder.AddRun(0, (static_cast<std::int64_t>(width) - x + 1) / 2);
    }
}

}  // namespace

std::string EncodeMap(const Bitmap& map, int width, int height, AreaPresence* painted) {
    MAP_ENCODE encoder;
    const int coveredWidth = std::max(0, std::min(width, map.Width()));
    const int rows = painted ? std::max(height, map.Height()) : height;
    for (int y = 0; y < rows; ++y) {
        const std::uint8_t* row = y < map.Height() ? map.Row(y) : nullptr;
        if (painted && row) {
            MarkAreasInRow(row, map.Width(), *painted);
        }
        if (y % 2 == 0 && y < height) {
            EncodeRow(encoder, row, row ? coveredWidth : 0, width);
            encoder.EndRow();
        }
    }
    return encoder.GetText();
}

std::string EncodeMap(const COMMON_DATA& data) {
    return EncodeMap(data.canvas.Map, data.canvas.Width, data.canvas.Height);
}

}  // namespace velmora
