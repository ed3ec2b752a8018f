#pragma once
// The numbers of the world's timeline notes, printf-style, shared by the files of World.

#include <cstdio>
#include <string>

namespace sim {

inline std::string noteFormat(const char* format, double a, double b = 0, double c = 0) {
    char buffer[160];
    std::snprintf(buffer, sizeof buffer, format, a, b, c);
    return buffer;
}

}  // namespace sim
