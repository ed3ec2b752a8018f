#pragma once
// From the controls a player chose for the cab's actions to what the cab reads: no key or button
// serves two actions of one device, and the game's own actions on each key or button the cab takes
// are listed to be held off.

#include <cstdint>
#include <string>

#include "host/cab_actions.h"

// What the cab reads for one action on one device, resolved at each load from the player's choice
// (resolveCabBindings below).
struct CabBinding {
    static constexpr int32_t heldOffCapacity = 16;
    int32_t control = noControl;  // noControl: the action has no input on this device
    // The control is one of the game's own actions held off below, so it is read through
    // IS_DISABLED_CONTROL_*: a disabled control reads as not pressed through IS_CONTROL_*.
    bool readDisabled = false;
    // The control fires on a key or button of the phone's: while the phone is up or ringing, the cab
    // neither reads it nor holds anything off on it.
    bool onPhone = false;
    // The game's own actions on the same key or button, held off in each pass that uses the action.
    int32_t heldOffCount = 0;
    int16_t heldOff[heldOffCapacity]{};
};

// How one action of one device came by its control.
enum class BindingOutcome : uint8_t {
    Chosen,    // the control the file gives, or its default where the file gives none
    FellBack,  // the choice shares a key or button with an earlier action: the default instead
    Unbound,   // the choice and the default both do: the action has no input on this device
};

struct BindingNote {
    BindingOutcome outcome = BindingOutcome::Chosen;
    CabAction clash = CabAction::Enter;  // the earlier action that kept the key or button
};
using BindingNotes = BindingNote[inputDeviceCount][cabActionCount];

using CabControls = int32_t[inputDeviceCount][cabActionCount];
using CabBindings = CabBinding[inputDeviceCount][cabActionCount];

// Fills `bindings` from the controls the player chose. The game's own actions (enter, exit, the
// radio) keep their keys first; then, in the table's order, an action that would share a key or a
// button with one before it falls back to its default, or is left without one if that is taken too.
void resolveCabBindings(const CabControls& controls, CabBindings& bindings, BindingNotes* notes = nullptr);

// What the value of a control key names: a control id in digits (a remark after a blank ignored), an
// INPUT_ name, in any case, or "none" (noControl).
enum class ControlVerdict : uint8_t {
    Taken,
    NotAControl,  // neither a number nor a name of the game's controls
    OutOfRange,   // a number, but no control of the game has it
    NotWhole,     // a number, but not a whole one in digits (86.5, 0x56, 1e2)
    NoButton,     // a control that no gamepad button fires, for a Pad key: pads cannot be rebound
};
struct ControlValue {
    int32_t control = noControl;
    ControlVerdict verdict = ControlVerdict::NotAControl;
};
ControlValue parseControlValue(const std::string& text, InputDevice device);
