#pragma once
// Calling a train: on foot, the call control held for a second brings a freight train along the main
// line to a stop with its locomotive beside the player. The plug-in makes it as a mission train and lets
// it go again (the game's own scripts do the same: a train of theirs stays until they let go of it).

#include "host/script_state.h"

inline constexpr float callHoldSeconds = 1.0f;
// Until the call control is seen held, it is asked about every 5th pass.
inline constexpr int32_t callPollPasses = 5;

// The call control asked about (its hold timed while held), and the call it answers.
void pollCallHold(ScriptState& state);
// On foot: the hold of the call control, and the call it answers. Most passes only count, here, so that
// they make no call into the step.
inline void updateCallHold(ScriptState& state) {
    if (state.callStage == CallLoading || (!state.callHeld && ++state.callPollCounter < callPollPasses)) {
        return;
    }
    pollCallHold(state);
}
// In every mode, after the mode's steps: the called train's way to the caller, its blip and route, and
// letting it go; and, in a pass that began on foot, the call's line on screen (a cab pass, the one of a
// lost ride included, draws nothing of it).
void keepCalledTrain(ScriptState& state, bool onFootPass);
// The game took the player away (the lost ride), or every train is gone (a derailment): the called
// train is let go.
void letGoOfCalledTrain(ScriptState& state);
