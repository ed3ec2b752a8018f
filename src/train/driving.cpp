#include "train/driving.h"

#include <cmath>

#include "config/settings.h"
#include "host/natives.h"
#include "train/cab_input.h"
#include "util/speed_curves.h"

namespace {

// Where the handbrake holds a train. The tram's value is a slight backward creep.
float handbrakeStopSpeed(TrainKind kind) { return kind == Freight ? 0.0f : -0.04f; }

int32_t signOf(float value) { return value > 0.0f ? 1 : (value < 0.0f ? -1 : 0); }

}  // namespace

void updateDriving(ScriptState& state) {
    const TrainKind kind = state.kind;
    const float forward = gSettings.speedForward[kind];
    const float backward = gSettings.speedBackward[kind];
    const float acceleration = gSettings.acceleration[kind];
    const float braking = gSettings.braking[kind];
    const float before = state.speed;

    // One direction for the whole pass: a control that takes the speed through zero changes the
    // branch the others take only from the next pass on.
    state.direction = signOf(state.speed);
    const int32_t direction = state.direction;

    if (actionHeld(state, CabAction::Accelerate)) {
        if (direction >= 0) {
            state.speed += AccelerationStep(state.speed, forward, acceleration);
        } else {
            state.speed += BrakingStep(state.speed, forward, braking);
        }
    }
    if (actionHeld(state, CabAction::Brake)) {
        if (direction > 0) {
            state.speed -= BrakingStep(state.speed, forward, braking);
        } else {
            state.speed -= AccelerationStep(state.speed, backward, acceleration);
        }
    }
    if (actionHeld(state, CabAction::Handbrake)) {
        if (direction > 0) {
            state.speed -= BrakingStep(state.speed, forward, braking);
        } else if (direction < 0) {
            state.speed += BrakingStep(state.speed, forward, braking);
        }
        if (direction == 0 || (direction == 1 && state.speed < 0.0f) || (direction == -1 && state.speed > 0.0f)) {
            state.speed = handbrakeStopSpeed(kind);
        }
    }
    // Settings at the very edge of the float range could still overflow the sum.
    if (!std::isfinite(state.speed)) {
        state.speed = std::isfinite(before) ? before : 0.0f;
    }
    SetTrainCurrentSpeed(state.train, state.speed);
}
