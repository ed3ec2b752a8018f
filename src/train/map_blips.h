#pragma once
// Trains on the map: on foot, the game's own freight trains and trams within Trains.MapBlipsDistance of
// the player carry a train blip.

#include <cstddef>

#include "host/script_state.h"

inline constexpr size_t maxMapBlips = 16;

// On foot, every pass: a look at a few of the game's vehicles now and then.
void updateMapBlips(ScriptState& state);
// Every blip goes, as the player takes a cab.
void clearMapBlips(ScriptState& state);
