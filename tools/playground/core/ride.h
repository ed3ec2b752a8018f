#pragma once
// The page's "Try it" world: a freight loop and a tram loop side by side, each with two tight and
// two gentle bends and walls around, a freight train with its engineer and a two-car tram, and
// the player on foot between them. The plug-in plays in it frame by frame, on the player's INI.

#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "tools/playground/core/session.h"

namespace playground {

class Ride {
public:
    explicit Ride(const std::string& ini);

    // One frame with these controls down; on foot the player runs along (walkX, walkY), each -1 to 1.
    void step(const std::vector<int32_t>& controls, float frameSeconds, float walkX, float walkY);

    // What does not change: "tracks" (lists of [x, y]) and "barriers" ([x1, y1, x2, y2]).
    nlohmann::json layout() const;
    // The frame just run: the plug-in's mode, speed and risk, the player, every vehicle, recent
    // explosions, the camera shake, every rectangle and text the plug-in drew, and the game's
    // timeline lines since the previous call.
    nlohmann::json frame();

    // The player edits VornLoconaut.ini while playing; the plug-in reads it at the next entry.
    void writeIni(const std::string& ini);

private:
    void placeTrains();

    Session session_;
    size_t eventsSeen_ = 0;
    int trainlessFrames_ = 0;
};

}  // namespace playground
