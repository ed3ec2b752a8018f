#pragma once
// What the page's script and this engine must agree on, declared here once. The page's build asks
// the engine for it (vorn_contract) and builds it into the script; the page's tests check that the
// script finds in it all it takes from it.

#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "host/cab_actions.h"
#include "host/controls.h"

namespace playground {

// The page's names for the cab's actions, in the order of CabAction: its touch buttons name their
// action so, and the ride tells it each action's keys and buttons under them.
inline constexpr const char* kPageActions[] = {
    "enter", "exit", "accelerate", "brake", "handbrake", "seatLeft", "seatRight", "highBeam", "horn", "doors", "derail", "radio",
    "callTrain",
};
static_assert(std::size(kPageActions) == cabActionCount, "a page name for each cab action");
// The page's names for the devices, in the order of InputDevice.
inline constexpr const char* kPageDevices[] = {"keyboard", "pad"};
static_assert(std::size(kPageDevices) == inputDeviceCount, "a page name for each device");

// The ride's word when the train derails; the page's view says it too, with kGetOutText after it,
// where "{exit}" stands for the exit's key or button on the device in use.
inline constexpr std::string_view kDerailedText = "Derailed at {speed}: the wagons roll on";
inline constexpr std::string_view kGetOutText = "{exit} gets you out";

// kDerailedText with the speed in km/h in its place.
std::string derailedText(float metresPerSecond);
// kGetOutText with the exit's key or button in its place.
std::string getOutText(std::string_view exitKey);

// "actions" (the page's names in the order of CabAction), "devices" (likewise), "inputs" (per device
// every key or button the game's control list names: the only names the ride takes), "modes" (the
// plug-in's PlayerMode numbers by name) and "texts" ("derailed", where "{speed}" stands for a speed
// such as "54 km/h", and "getOut").
nlohmann::json pageContract();

}  // namespace playground
