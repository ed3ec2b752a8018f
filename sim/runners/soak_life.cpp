#include "sim/runners/soak_life.h"

#include <algorithm>

namespace sim {

namespace {

constexpr double kFramesPerMinute = 60.0 * 60.0;

}  // namespace

bool SoakLife::often(double perMinute) {
    return std::uniform_real_distribution<double>(0.0, 1.0)(random_) < perMinute / kFramesPerMinute;
}

// Somewhere else on the map: a hospital, a police station, where a mission or a switch leads.
Vector3 SoakLife::elsewhere() {
    return Vector3{static_cast<float>(std::uniform_real_distribution<double>(-2000.0, 5000.0)(random_)),
                   static_cast<float>(std::uniform_real_distribution<double>(-2000.0, 3000.0)(random_)), 0.0f};
}

SoakLife::Outcome SoakLife::step() {
    Outcome outcome;
    const Character* player = world_.character(world_.player);
    if (player == nullptr) return outcome;
    const bool inTrain = player->vehicle != 0 && world_.trainOf(player->vehicle) != nullptr;
    // More often in a train, where the plug-in has most to let go of.
    const double rate = inTrain ? 0.25 : 0.06;
    if (deadPlayer_ != 0 && game_.frame() >= respawnFrame_) {
        const Character* dead = world_.character(deadPlayer_);
        if (dead != nullptr && dead->dead) world_.respawn(deadPlayer_, elsewhere(), false);
        deadPlayer_ = 0;
    }
    if (often(0.4 * rate) && !player->dead) {
        world_.kill(world_.player);
        deadPlayer_ = world_.player;
        const double seconds = std::uniform_real_distribution<double>(0.0, 10.0)(random_);
        respawnFrame_ = game_.frame() + std::max(1, static_cast<int>(seconds * 60));
        ++outcome.events;
    }
    if (often(0.2 * rate)) {
        world_.respawn(world_.player, elsewhere(), true);  // arrested
        ++outcome.events;
    }
    if (often(0.4 * rate)) {
        // To a character left behind at an earlier switch, or to a new one.
        EntityHandle to = 0;
        for (EntityHandle h : formerPlayers_)
            if (h != world_.player && world_.character(h) != nullptr) to = h;
        if (to == 0 || std::uniform_int_distribution<int>(0, 2)(random_) == 0) to = world_.addCharacter(elsewhere());
        formerPlayers_.push_back(world_.player);
        if (formerPlayers_.size() > 4) formerPlayers_.erase(formerPlayers_.begin());
        world_.switchPlayer(to, std::uniform_int_distribution<int>(0, 2)(random_));
        ++outcome.events;
    }
    if (often(0.3 * rate)) {
        world_.warp(world_.player, elsewhere());
        ++outcome.events;
    }
    if (often(0.2 * rate) && !world_.trains.empty()) {
        world_.removeTrain(inTrain ? player->vehicle : world_.trains.begin()->first);
        ++outcome.events;
    }
    if (often(0.1)) {
        outcome.renamed = game_.loadSave(elsewhere());
        outcome.saveLoaded = true;
        auto fresh = [&](EntityHandle h) {
            auto it = outcome.renamed.find(h);
            return it == outcome.renamed.end() ? 0 : it->second;
        };
        deadPlayer_ = 0;
        for (EntityHandle& h : formerPlayers_) h = fresh(h);
        ++outcome.events;
    }
    return outcome;
}

}  // namespace sim
