#pragma once

// Speed gain of this frame when speeding up towards a soft top speed.
float AccelerationStep(float v, float topSpeed, float a);
// Speed loss of this frame when braking.
float BrakingStep(float v, float referenceSpeed, float b);
