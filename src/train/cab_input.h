#pragma once
// The cab's controls as the player's hands give them: each action read on the device the game says
// the player used last, and the game's own actions on the same keys and buttons held off meanwhile.

#include "host/cab_actions.h"
#include "host/script_state.h"

// Once per cab pass, before any step reads an action: asks the game for the device and holds off the
// game's actions on the inputs this ride uses.
void takeCabInput(ScriptState& state);

bool actionJustPressed(const ScriptState& state, CabAction action);
bool actionJustReleased(const ScriptState& state, CabAction action);
bool actionHeld(const ScriptState& state, CabAction action);
