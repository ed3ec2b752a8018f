#pragma once
// The game's life around the soak's player: deaths and respawns, arrests, character switches, warps,
// trains the game deletes, and saves loaded. It draws from a generator of its own, so that adding to
// it leaves the player's and the game's other draws (and the runs that require activity) as they were.

#include <cstdint>
#include <map>
#include <random>
#include <vector>

#include "sim/runners/in_process_plugin.h"

namespace sim {

class SoakLife {
public:
    SoakLife(ObservedPluginGame& game, uint32_t seed) : game_(game), world_(game.world()), random_(seed) {}

    struct Outcome {
        int64_t events = 0;
        bool saveLoaded = false;
        std::map<EntityHandle, EntityHandle> renamed;  // a save loaded: old handles to new
    };
    // One frame's events, before the game steps.
    Outcome step();

private:
    bool often(double perMinute);
    Vector3 elsewhere();

    ObservedPluginGame& game_;
    World& world_;
    std::mt19937 random_;
    EntityHandle deadPlayer_ = 0;
    int respawnFrame_ = 0;
    std::vector<EntityHandle> formerPlayers_;
};

}  // namespace sim
