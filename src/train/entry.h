#pragma once
#include "host/natives.h"
#include "host/script_state.h"

// A point on the ground, in world metres.
struct Planar {
    float x = 0.0f;
    float y = 0.0f;
};

// Where a character gets on or off the cab of a train of `kind` standing at t with the horizontal
// forward vector (fx, fy): the freight cab's door is on the right-hand side near the front, the
// tram's in the middle of its front. The stand-in's rides stand the player there too.
Planar cabDoorPoint(TrainKind kind, const Vector3& t, float fx, float fy);

// A hold's prompt for this frame: the bar, filled by `done` (0 to 1), and the words above it.
void drawHoldBar(float done, const char* words);

// The search itself, once enter has been pressed: kept apart so that the many passes without the
// press stay short.
void approachNearbyTrain(ScriptState& state);
// On foot: when the enter control has just been pressed, find a nearby train and test the distance.
// Inline: a pass on foot asks the one native and goes on.
inline void searchForTrain(ScriptState& state) {
    if (ControlJustPressed(control::enter)) {
        approachNearbyTrain(state);
    }
}
// Entering: count the hold time, draw the prompt, and take the cab once the delay has passed.
void updateEntering(ScriptState& state);
// In the cab, first step: whether the player still rides the train. A ride the game has ended (the
// train gone, the player dead, or off the train for a few passes in a row) is handed over as an exit
// hands it over, with nobody moved, and the player is on foot: then false, and the pass ends.
// `player` gets the game's player character, asked once for the pass.
bool followRide(ScriptState& state, EntityHandle& player);
// In the cab, last step: leave when the exit control has just been pressed, unless the game has the
// player's hands (a cutscene, or the phone on the exit's button).
void updateExit(ScriptState& state);
