#pragma once
#include "host/script_state.h"

// On foot: when the enter control has just been pressed, find a nearby train and test the distance.
void searchForTrain(ScriptState& state);
// The search itself, once enter has been pressed: kept apart so that the many passes without the
// press stay short.
void approachNearbyTrain(ScriptState& state);
// Entering: count the hold time, draw the prompt, and take the cab once the delay has passed.
void updateEntering(ScriptState& state);
// In the cab, first step: whether the player still rides the train. A ride the game has ended (the
// train gone, the player dead, or off the train for a few passes in a row) is handed over as an exit
// hands it over, with nobody moved, and the player is on foot: then false, and the pass ends.
bool followRide(ScriptState& state);
// In the cab, last step: leave when the exit control has just been pressed.
void updateExit(ScriptState& state);
