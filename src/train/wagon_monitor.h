#pragma once
#include "host/script_state.h"

// End of every pass with derailed wagons: counts the pass and its frame time and makes the checks
// that are due.
void runWagonMonitor(ScriptState& state);

// The checks, called only when one is due (a tick, a distance check or too many wagons): forget
// vanished wagons, delete by count and (on a distance check) by distance, and on a tick keep their
// physics awake and run the explosion checks.
void checkDerailedWagons(ScriptState& state, bool tick, bool distanceCheck);
