#include "util/speed_curves.h"

#include <cmath>

#include "host/natives.h"

float AccelerationStep(float v, float topSpeed, float a) {
    const float s = std::fabs(v);
    float q = 0.0f;
    // A top speed of 0 or less (or not a number) forbids that direction: no gain at all, not even
    // the creep from standstill.
    if (!(topSpeed > 0.0f)) {
        q = 0.0f;
    } else if (s < 0.5f) {
        q = s * 1.6f + 0.2f;
    } else if (s < topSpeed) {
        q = ((topSpeed - 0.01f) - s * 0.98f) / (topSpeed - 0.5f);
    } else {
        q = -((s * 0.02f - topSpeed * 0.02f * 2.0f) / topSpeed);
    }
    const float dt = GetFrameSeconds();
    return finiteStep(q * a * dt);
}

float BrakingStep(float v, float referenceSpeed, float b) {
    return BrakingStepOver(v, referenceSpeed, b, GetFrameSeconds());
}

StepFrameTimes ReadStepFrameTimes() {
    StepFrameTimes t;
    t.braking = GetFrameSeconds();
    t.travel = GetFrameSeconds();
    return t;
}
