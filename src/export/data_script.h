#pragma once

#include <string>

namespace velmora {

class COMMON_DATA;

// Writes the data script of the open project at scriptPath and copies every picture and sound
// it names into the script's folder (only when missing there). Pending record edits are stored
// first; afterwards the records of the last exported area are loaded. False, after the message
// "Файл не найден: " with the path (or a refused file name), when a named file is missing: no
// script is written then, files copied before stay. A refused copy or write throws FileError.
// withNames adds each area's name (for an accessible page), right after its number. With
// webImages a large popup or overlay picture gets smaller WebP copies beside it, named in its
// record with its full size (WriteEffectPictureCopies).
bool WriteDataScript(COMMON_DATA& data, const std::string& scriptPath, bool withNames = false,
                     bool webImages = false);

}  // namespace velmora
