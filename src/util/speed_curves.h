#pragma once
#include <cmath>

// Speed gain of this frame when speeding up towards a soft top speed.
float AccelerationStep(float v, float topSpeed, float a);
// Speed loss of this frame when braking.
float BrakingStep(float v, float referenceSpeed, float b);

// The train's speed is set from these steps every frame, so a step that is not a number (a frame
// time or a setting out of all range) counts as no change rather than reaching the game.
inline float finiteStep(float step) { return std::isfinite(step) ? step : 0.0f; }

// BrakingStep over a frame of `seconds` already read from the game.
inline float BrakingStepOver(float v, float referenceSpeed, float b, float seconds) {
    const float s = std::fabs(v);
    // Without a usable reference speed the speed-dependent part is dropped: the brakes still
    // work, at the standstill rate of half the braking rate.
    const float speedTerm = referenceSpeed > 0.0f ? (s * 0.5f) / referenceSpeed : 0.0f;
    return finiteStep((speedTerm + 0.5f) * b * seconds);
}

// The frame time read twice, as one step of the stopping-distance simulation reads it: once for
// the braking and once for the distance covered in the frame. Out of line on purpose, so that the
// simulation's speed lives across one call per step rather than two.
struct StepFrameTimes {
    float braking = 0.0f;
    float travel = 0.0f;
};
StepFrameTimes ReadStepFrameTimes();
