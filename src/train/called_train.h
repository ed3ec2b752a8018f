#pragma once
// The called train itself: its models loaded, the train made on the main line far enough from the
// caller, checked, and brought to a stop with its locomotive beside the caller's node.

#include "host/script_state.h"

inline constexpr int32_t kTrainSprite = 795;  // the game's train blip

// Asks the game for the freight models; the call then waits for them (CallLoading).
void requestFreightModels(ScriptState& state);
// Lets go of the models a bit each in `models` stands for, and clears it.
void releaseFreightModels(int32_t& models);
// Each pass while the models load: once they have, the train made, checked and on its way. The words
// that say so are drawn only on foot.
void loadAndMakeCalledTrain(ScriptState& state, bool onFootPass);
// Each pass while it comes: the soft curves of the engineer's follow drive, braking in time.
void driveCalledTrain(ScriptState& state);
// The call's blip (and route) removed.
void removeCallBlip(ScriptState& state);
// The call over: its blip, its models and its handle gone. The train is the caller's to let go first.
void endCall(ScriptState& state);
// Lets go of the driver the plug-in seated, if the game still has it, and clears the handle.
void releaseCallDriver(EntityHandle& driver);
// A line for the player, shown for a few seconds.
void sayCallWords(ScriptState& state, CallWords words);
