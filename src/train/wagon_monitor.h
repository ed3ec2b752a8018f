#pragma once
#include "host/script_state.h"

// End of every pass with derailed wagons: forget vanished ones, delete by count and by distance,
// keep their physics awake and run the explosion checks.
void runWagonMonitor(ScriptState& state);
