#pragma once
// The cab's controls as the player's hands give them: each action read on the device the game says
// the player used last, and the game's own actions on the same keys and buttons held off meanwhile;
// none while the game has taken the player's control, and none on the phone's buttons while it is up.

#include "host/cab_actions.h"
#include "host/script_state.h"

// Once per cab pass, before any step reads an action: asks the game whether the player has control;
// in an intact train, then the device and whether `player`'s phone is in use, and holds off the
// game's actions on the inputs this ride uses, but for the phone's buttons while the phone has them.
void takeCabInput(ScriptState& state, EntityHandle player);

// Whether the cab acts on the action's key or button in this pass: not while the game has taken the
// player's control, nor on the phone's buttons while the phone is in use.
bool handsOn(const ScriptState& state, CabAction action);

bool actionJustPressed(const ScriptState& state, CabAction action);
bool actionJustReleased(const ScriptState& state, CabAction action);
bool actionHeld(const ScriptState& state, CabAction action);
