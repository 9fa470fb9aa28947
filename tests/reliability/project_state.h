#pragma once

#include <array>
#include <map>
#include <string>

namespace velmora::test {

// The rows of one area as the project file holds them: its number and how many rows of
// each event.
struct AreaRows {
    int number = 0;
    std::map<std::string, int> events;

    friend bool operator==(const AreaRows&, const AreaRows&) = default;
};

// Every area of a project file by name, read straight through SQLite (which rolls back what
// a killed writer left unfinished), without the program's own opening.
std::map<std::string, AreaRows> ReadAreaRows(const std::string& projectPath);

// An area exactly as adding it makes it: one row of each event.
bool Whole(const AreaRows& rows);

// How many pixels of the map file carry each value.
std::array<long long, 256> CountMapPixels(const std::string& mapPath);

}  // namespace velmora::test
