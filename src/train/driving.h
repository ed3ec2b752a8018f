#pragma once
#include "host/script_state.h"

// Turns the accelerate, brake and handbrake controls into the commanded speed and sets it.
void updateDriving(ScriptState& state);
