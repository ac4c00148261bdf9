#pragma once

#include <string>

// The program name: the file name of the executable without its folder and without what follows its last
// ".", in the letter case the system reports.
inline std::string ProgramNameFromPath(const std::string& path) {
    const auto slash = path.find_last_of("\\/");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const auto dot = name.find_last_of('.');
    if (dot != std::string::npos) name.erase(dot);
    return name;
}
