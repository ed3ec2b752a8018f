#pragma once
// What the script holds in the game (the called train, its blip, the models it asked for, the trains'
// blips on the map), noted after every change where a new run of the script finds it: the hook starts
// the script main again when the game reloads and abandons the old run without unwinding it, and the
// new run lets go of what the old one held.

#include "host/script_state.h"

void noteHeldInGame(const ScriptState& state);
// At the script's start: lets go of what the last run held.
void releaseHeldByLastRun();
// Forgets it without asking the game: a new game (the stand-in's) has none of it.
void forgetHeldByLastRun();
