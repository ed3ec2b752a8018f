#pragma once
// Trains on the map: on foot, the game's own freight trains and trams within Trains.MapBlipsDistance of
// the player carry a train blip.

#include <cstddef>

#include "host/script_state.h"

inline constexpr size_t maxMapBlips = 16;
// The map's blips are looked after every 8th pass on foot.
inline constexpr int32_t mapBlipCheckPasses = 8;

// The look after the blips that falls due every mapBlipCheckPasses-th pass.
void checkMapBlips(ScriptState& state);
// On foot, every pass: a look at a few of the game's vehicles now and then. The passes between only
// count, here, without a call into the step.
inline void updateMapBlips(ScriptState& state) {
    if (++state.mapBlipCounter % mapBlipCheckPasses == 0) {
        checkMapBlips(state);
    }
}
// Every blip goes, as the player takes a cab.
void clearMapBlips(ScriptState& state);
