#pragma once

#include <string>

namespace velmora {

class COMMON_DATA;

// Writes a copy of the open project at path, as last committed: the project file and, when path
// lies in another folder, the files the project names (picture, map, popups, overlays, sounds)
// into the working folders there. Holds the lock of path meanwhile and is refused, with a
// message, while another program holds it or when its folder cannot be written. An existing
// file at path is replaced only when the user answers Yes; an existing working file with other
// content asks "Файл уже существует. Перезаписать?" (No keeps it, Cancel gives up). The project
// file comes last and is renamed into place whole, so a kill leaves either no project at path
// or a whole one. True when the copy is there (nothing is written when path is the project).
bool WriteProjectCopy(COMMON_DATA& data, const std::string& path);

// Save as: saves the open project (unless it is open for viewing), writes its copy at path and
// opens the copy in its place; the picture and the map in memory stay as they are. Saving as the
// open file itself is a plain save. False when refused or given up (the project stays open), or
// when the copy could not be opened ("Ошибка открытия проекта!"; no project is open then).
bool SaveProjectAs(COMMON_DATA& data, const std::string& path);

}  // namespace velmora
