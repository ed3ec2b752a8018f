#include "train/cab_input.h"

#include "config/settings.h"
#include "host/natives.h"

namespace {

const CabBinding& bindingOf(const ScriptState& state, CabAction action) {
    return gSettings.cabBindings[state.device][actionIndex(action)];
}

// Whether this ride acts on the action at all; an action it ignores leaves its keys to the game.
bool inUse(const ScriptState& state, CabAction action) {
    switch (action) {
        case CabAction::SeatLeft:
        case CabAction::SeatRight:
            return state.kind == Freight && gSettings.keyActionChangeSeat;
        // The freight cab's high beam, horn and engineer command; the light switch is in the right seat
        // only, but the game's seat shuffle on the same key is held off in both.
        case CabAction::HighBeam:
        case CabAction::Horn:
            return state.kind == Freight;
        case CabAction::Doors:
            return gSettings.keyActionOpenCloseDoors;
        case CabAction::Accelerate:
        case CabAction::Brake:
        case CabAction::Handbrake:
        case CabAction::Derail:
            return true;
        default:  // enter, exit and the radio are the game's own
            return false;
    }
}

// Whether a key or button of the phone's that this ride uses is down, or let go just now, held off or
// not.
bool phoneButtonDown(const ScriptState& state) {
    for (const CabActionRow& row : kCabActions) {
        const CabBinding& binding = bindingOf(state, row.action);
        if (binding.onPhone && inUse(state, row.action) &&
            (DisabledControlHeld(binding.control) || DisabledControlJustReleased(binding.control))) {
            return true;
        }
    }
    return false;
}

}  // namespace

void takeCabInput(ScriptState& state, EntityHandle player) {
    state.handsTaken = !IsPlayerControlOn(state.playerIndex);
    if (state.handsTaken) {
        state.phoneInUse = false;
        // A horn press the game cut off is not finished after it.
        state.hornKeyTimer = 0.0f;
        return;
    }
    if (state.derailed) {
        state.phoneInUse = false;
        return;
    }
    const InputDevice device = IsUsingKeyboardAndMouse() ? Keyboard : Pad;
    // A horn press that began on another control is not finished on this one: its release here
    // would be a tap the player never made.
    const int32_t horn = actionIndex(CabAction::Horn);
    if (gSettings.cabBindings[device][horn].control != gSettings.cabBindings[state.device][horn].control) {
        state.hornKeyTimer = 0.0f;
    }
    state.device = device;
    // A button pressed for the phone stays the phone's until it is let go, even once the phone is
    // away: the press that ends a call would otherwise end in the cab's action on its release.
    if (IsCharacterUsingPhone(player)) {
        state.phoneInUse = true;
    } else if (state.phoneInUse) {
        state.phoneInUse = phoneButtonDown(state);
    }
    for (const CabActionRow& row : kCabActions) {
        if (!inUse(state, row.action)) {
            continue;
        }
        const CabBinding& binding = bindingOf(state, row.action);
        if (binding.onPhone && state.phoneInUse) {
            continue;
        }
        for (int32_t i = 0; i < binding.heldOffCount; ++i) {
            DisableControl(binding.heldOff[i]);
        }
    }
}

bool handsOn(const ScriptState& state, CabAction action) {
    return !state.handsTaken && !(state.phoneInUse && bindingOf(state, action).onPhone);
}

bool actionJustPressed(const ScriptState& state, CabAction action) {
    const CabBinding& binding = bindingOf(state, action);
    if (binding.control == noControl || !handsOn(state, action)) {
        return false;
    }
    return binding.readDisabled ? DisabledControlJustPressed(binding.control) : ControlJustPressed(binding.control);
}

bool actionJustReleased(const ScriptState& state, CabAction action) {
    const CabBinding& binding = bindingOf(state, action);
    if (binding.control == noControl || !handsOn(state, action)) {
        return false;
    }
    return binding.readDisabled ? DisabledControlJustReleased(binding.control) : ControlJustReleased(binding.control);
}

bool actionHeld(const ScriptState& state, CabAction action) {
    const CabBinding& binding = bindingOf(state, action);
    if (binding.control == noControl || !handsOn(state, action)) {
        return false;
    }
    return binding.readDisabled ? DisabledControlHeld(binding.control) : ControlHeld(binding.control);
}
