#include "util/speed_curves.h"

#include <cmath>

#include "host/natives.h"

namespace {

// The train's speed is set from these steps every frame, so a step that is not a number (a frame
// time or a setting out of all range) counts as no change rather than reaching the game.
float finiteStep(float step) { return std::isfinite(step) ? step : 0.0f; }

}  // namespace

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
    const float s = std::fabs(v);
    // Without a usable reference speed the speed-dependent part is dropped: the brakes still
    // work, at the standstill rate of half the braking rate.
    const float speedTerm = referenceSpeed > 0.0f ? (s * 0.5f) / referenceSpeed : 0.0f;
    return finiteStep((speedTerm + 0.5f) * b * GetFrameSeconds());
}

StepFrameTimes ReadStepFrameTimes() {
    StepFrameTimes t;
    t.braking = GetFrameSeconds();
    t.travel = GetFrameSeconds();
    return t;
}
