#pragma once
// What the page's script and this engine must agree on, declared here once. The page's build asks
// the engine for it (vorn_contract) and builds it into the script; the page's tests check that the
// script finds in it all it takes from it.

#include <cstdint>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "host/controls.h"

namespace playground {

struct PageControl {
    const char* name;
    int32_t id;
};

// The controls the page holds down, in the order of the bits of vorn_ride_step's controls.
inline constexpr PageControl kPageControls[] = {
    {"enter", control::enter},         {"exit", control::exit},         {"accelerate", control::accelerate},
    {"brake", control::brake},         {"handbrake", control::handbrake}, {"seatLeft", control::seatLeft},
    {"seatRight", control::seatRight}, {"highBeam", control::highBeam}, {"horn", control::horn},
    {"doors", control::doors},         {"derail", control::derail},     {"radio", control::radio},
};

// The ride's word when the train derails; the page's view says it too, with kGetOutText after it.
inline constexpr std::string_view kDerailedText = "Derailed at {speed}: the wagons roll on";
inline constexpr std::string_view kGetOutText = "F gets you out";

// kDerailedText with the speed in km/h in its place.
std::string derailedText(float metresPerSecond);

// "controls" (their names, bit by bit), "modes" (the plug-in's PlayerMode numbers by name) and
// "texts" ("derailed", where "{speed}" stands for a speed such as "54 km/h", and "getOut").
nlohmann::json pageContract();

}  // namespace playground
