#include "store/sound_caption.h"

#include <cmath>

namespace velmora {

std::string SoundCaption(const std::string& fileName, double seconds) {
    if (fileName.empty()) {
        return {};
    }
    std::string text = "Файл: " + fileName;
    if (seconds >= 0 && std::isfinite(seconds)) {
        // Tenths of a second, written with a decimal comma as Russian texts do.
        const long long tenths = std::llround(seconds * 10);
        text += " (" + std::to_string(tenths / 10) + "," + std::to_string(tenths % 10) + " с)";
    }
    return text;
}

}  // namespace velmora
