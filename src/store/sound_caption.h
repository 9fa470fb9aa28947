#pragma once

#include <string>

namespace velmora {

// What the sound page and the music dialog say about the chosen sound: its file name and,
// when known (seconds >= 0), its length, e.g. "Файл: bell.ogg (1,5 с)"; empty without a file.
std::string SoundCaption(const std::string& fileName, double seconds);

}  // namespace velmora
