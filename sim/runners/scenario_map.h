#pragma once
// The game's map in a scenario file (scenarios/README.md): the "gameMap" set-up, the "missionFlag"
// event and the expectations on mission trains, blips and models.

#include <initializer_list>
#include <map>
#include <string>

#include <nlohmann/json.hpp>

#include "sim/world/world.h"

namespace sim {

// Sets the map up from the document's "gameMap" (true, or an object of options); the game's tracks
// are named game0 ... game11 in `tracks`. Throws std::runtime_error on a malformed entry.
void setUpGameMap(World& world, const nlohmann::json& doc, std::map<std::string, int>& tracks);
// The map's part of an event; what it did, or "" for nothing.
std::string applyMapEvent(World& world, const nlohmann::json& event);
// The map's part of an expectation; "" when it holds.
std::string checkMap(const World& world, const nlohmann::json& expectation);

inline constexpr std::initializer_list<const char*> kMapEventKeys = {"missionFlag"};
inline constexpr std::initializer_list<const char*> kMapExpectationKeys = {
    "missionTrains", "missionTrainTrack", "blips", "blipRoute", "blipSprite", "blipOn", "modelsHeld"};

}  // namespace sim
