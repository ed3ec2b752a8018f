#pragma once
// What the soak's world is made of besides the stand-in's own: its two lines, and the settings files
// it writes behind the plug-in's back.

#include <random>
#include <string>
#include <vector>

#include "host/native_invoker.h"

namespace sim {

// The two lines: a freight loop with two tight bends (at speed a train leaves the rails there) and
// two gentle ones, and far off (beyond any wagon distance limit) a tram loop of the same shape.
struct Line {
    const char* model;
    Vector3 origin;
    float width, height, tightRadius, gentleRadius;
    int track = 0;
};

// Walls outside and inside each loop, where derailed wagons crash (and may explode).
constexpr float kBarrierMargin = 15.0f;

// A closed loop, clockwise: up the left side, the two tight corners at the top, down the right
// side, the two gentle corners at the bottom; arcs sampled about every metre so the heading turns
// smoothly.
std::vector<Vector3> roundedLoop(const Line& line);

// Values a player might write for each key: mostly sound, now and then odd.
std::string plausibleIni(std::mt19937& random);
// Keys with values no reader should trust, stray bytes, odd line ends, monstrous lines.
std::string garbageIni(std::mt19937& random);

}  // namespace sim
