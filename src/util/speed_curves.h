#pragma once
#include <cmath>

// Speed gain of this frame when speeding up towards a soft top speed.
float AccelerationStep(float v, float topSpeed, float a);
// Speed loss of this frame when braking.
float BrakingStep(float v, float referenceSpeed, float b);
// The distance BrakingStep's curve takes from speed v to a standstill, worked out whole rather than
// frame by frame: no native is asked. 0 for a standstill; infinity when nothing brakes.
float BrakingDistance(float v, float referenceSpeed, float b);

// The frame time read twice, as one step of the stopping-distance simulation reads it: once for
// the braking and once for the distance covered in the frame. Out of line on purpose, so that the
// simulation's speed lives across one call per step rather than two.
struct StepFrameTimes {
    float braking = 0.0f;
    float travel = 0.0f;
};
StepFrameTimes ReadStepFrameTimes();
