#pragma once
// The game's controls, all 361, as the public control reference lists them: each control's INPUT_
// name and the inputs its default bindings give it, the keyboard-and-mouse keys and the gamepad
// button ("Controls" in the game references of docs.fivem.net, whose ids the public native databases
// use too). The plug-in takes a player's control names from here and tells by it which controls
// share a key or a button; the stand-in presses keys and buttons through it, as the game does. A
// player may rebind keyboard controls in the game's menu; pads have only fixed layouts.

#include <cstdint>
#include <string_view>

#include "host/controls.h"

struct GameControl {
    const char* name;      // INPUT_VEH_HORN
    const char* keyboard;  // the default keyboard and mouse inputs, "/" between two: "ENTER/SPACEBAR"; "" none
    const char* pad;       // the default gamepad input ("L3", "DPAD UP", "LEFT STICK"); "" none
};

inline constexpr int32_t gameControlCount = 361;
// Every control by its id (host/game_control_table.cpp).
extern const GameControl kGameControlTable[gameControlCount];

// Null for an id the game does not have.
const GameControl* gameControl(int32_t control);
// The id of the control with that INPUT_ name, letters in any case; -1 for none.
int32_t controlNamed(std::string_view name);

// The inputs that fire a control on one device, by the reference's names.
struct ControlInputs {
    static constexpr int capacity = 4;
    std::string_view names[capacity];
    int count = 0;
};
ControlInputs inputsOf(int32_t control, InputDevice device);
bool sharesInput(int32_t a, int32_t b, InputDevice device);

// The phone's own controls, INPUT_CELLPHONE_UP to INPUT_CELLPHONE_EXTRA_OPTION: up, down, left, right,
// select, cancel, option, extra option. While the phone is up or ringing, the keys and buttons that
// fire them work the phone.
bool isPhoneControl(int32_t control);
// Whether the control fires on a key or button of the phone's on that device.
bool onPhoneButton(int32_t control, InputDevice device);

// Whether the game itself acts on the control for a player seated in a train's cab: the cab holds
// such controls off where they share an input with one of its own actions.
bool isSeatedGameAction(int32_t control);
