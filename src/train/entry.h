#pragma once
#include "host/script_state.h"

// On foot: when the enter control has just been pressed, find a nearby train and test the distance.
void searchForTrain(ScriptState& state);
// Entering: count the hold time, draw the prompt, and take the cab once the delay has passed.
void updateEntering(ScriptState& state);
// In the cab, last step: leave when the exit control has just been pressed.
void updateExit(ScriptState& state);
