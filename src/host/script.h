#pragma once
#include "host/script_state.h"

// One pass of the main loop: the steps of the current mode in their fixed order, then the
// derailed-wagon upkeep. Does not yield; scriptMain waits after every pass.
void runPass(ScriptState& state);

// Start-up of the script: the random seed from the clock, the configuration file made sure of and
// loaded.
void startScript();

// startScript and the endless loop of passes over `state`.
void runScript(ScriptState& state);

// The script the hook runs: runScript over a state of its own.
void scriptMain();
