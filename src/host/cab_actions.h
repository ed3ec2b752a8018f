#pragma once
// The cab's actions, one row each, in this one place: what the action does, how a player uses it, the
// control it takes on the keyboard and on a gamepad, and its settings. The plug-in's defaults, the
// settings check, the stand-in, the READMEs and the tests all read this table.
//
// The keyboard column is the game's own control for each action, with the game's default keys. The
// pad column moves what the game's default pad layout puts on one button twice (the horn and the
// doors on L3), on the left stick (the seat change) or under a habit (the derailment on A, which
// other driving games use to accelerate), onto buttons a seated player in a train has little other
// use for (the public control list): D-pad up (opening the phone, held off in the cab), D-pad down
// (the character wheel, held off in the freight cab, where the seat change is; a switch of character
// ends the ride anyway) and X (weapon select in armed vehicles only). The derailment needs its button
// held for two seconds above 2 m/s, so it is never one press; X is not a button players hold by habit
// in a vehicle. B stays the game's cinematic camera, which players use on trains; the radio wheel
// (D-pad left) and the camera (right stick) stay the game's too. D-pad up, D-pad down and X are the
// phone's buttons as well: while the phone is up or ringing, the cab leaves them to it.
//
// The call of a train is the one action on foot. Its control is the game's look behind (C, R3; the
// public control list, docs.fivem.net/docs/game-references/controls): the only thing the game does with
// either on foot in story mode is turn the camera for as long as it is held. It shares a key only with
// the cab's actions, never used on foot, so only the enter control (F, Y) is kept from it.

#include <cstdint>

#include "host/controls.h"

enum class CabAction : int32_t {
    Enter,
    Exit,
    Accelerate,
    Brake,
    Handbrake,
    SeatLeft,
    SeatRight,
    HighBeam,
    Horn,
    Doors,
    Derail,
    Radio,
    CallTrain,
};
inline constexpr int32_t cabActionCount = 13;

// How a player uses an action; the game's own actions are the game's to rebind in its menu.
enum class ActionUse : uint8_t { Hold, Tap, HoldOrTap, Game };

inline constexpr int32_t noControl = -1;

struct CabActionRow {
    CabAction action;
    // The settings' name for it, after "Controls." (the keyboard) and "Pad."; null for the actions
    // that stay the game's own, whose keys its own menu moves.
    const char* tag;
    const char* does;  // in a player's words
    ActionUse use;
    int32_t control[inputDeviceCount];  // keyboard, pad; noControl where the device has none
    // The game's own control with the very meaning of this action (its accelerate, its horn): the cab
    // leaves it to the game instead of holding it off.
    int32_t sameAsGame;
    // Used on foot, never in the cab: it holds nothing of the game's off.
    bool onFoot = false;
};

// clang-format off
inline constexpr CabActionRow kCabActions[cabActionCount] = {
    {CabAction::Enter, nullptr, "hold near a freight locomotive or a tram to take the cab", ActionUse::Hold,
     {control::enter, control::enter}, noControl},
    {CabAction::Exit, nullptr, "leave the cab", ActionUse::Tap, {control::exit, control::exit}, noControl},
    {CabAction::Accelerate, "Accelerate", "speed up forward; brakes a train that rolls backwards", ActionUse::Hold,
     {control::accelerate, control::accelerate}, control::accelerate},
    {CabAction::Brake, "Brake", "brake a train that rolls forward, then reverse", ActionUse::Hold,
     {control::brake, control::brake}, control::brake},
    {CabAction::Handbrake, "Handbrake", "brake to a standstill and hold it there", ActionUse::Hold,
     {control::handbrake, control::handbrake}, control::handbrake},
    {CabAction::SeatLeft, "SeatLeft", "change seat in the freight cab (at most once every 3 s)", ActionUse::Tap,
     {control::seatLeft, control::cellphoneDown}, noControl},
    {CabAction::SeatRight, "SeatRight", "change seat in the freight cab (at most once every 3 s)", ActionUse::Tap,
     {control::seatRight, noControl}, noControl},
    {CabAction::HighBeam, "HighBeam", "high beam on or off (freight cab, right seat)", ActionUse::Tap,
     {control::highBeam, control::highBeam}, control::highBeam},
    {CabAction::Horn, "Horn", "held: sounds the horn; tapped: the next engineer command (freight cab, right seat)",
     ActionUse::HoldOrTap, {control::horn, control::horn}, control::horn},
    {CabAction::Doors, "Doors", "open or close the doors", ActionUse::Tap, {control::doors, control::cellphoneUp},
     noControl},
    {CabAction::Derail, "Derail", "held above 2 m/s: manual derailment (or, if so configured, no risk builds up)",
     ActionUse::Hold, {control::derail, control::cellphoneExtraOption}, noControl},
    {CabAction::Radio, nullptr, "the game's radio, available in the cab", ActionUse::Game,
     {control::radio, control::radio}, noControl},
    {CabAction::CallTrain, "CallTrain", "on foot: calls a freight train to the nearest point of the main line",
     ActionUse::Hold, {control::lookBehind, control::lookBehind}, noControl, true},
};
// clang-format on

constexpr int32_t actionIndex(CabAction action) { return static_cast<int32_t>(action); }
consteval const CabActionRow& cabAction(CabAction action) { return kCabActions[actionIndex(action)]; }

namespace cab_detail {
consteval bool rowsInOrder() {
    for (int32_t i = 0; i < cabActionCount; ++i)
        if (actionIndex(kCabActions[i].action) != i) return false;
    return true;
}
static_assert(rowsInOrder(), "kCabActions lists the actions in the order of CabAction");
}  // namespace cab_detail
