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

float BrakingDistance(float v, float referenceSpeed, float b) {
    const double s = std::fabs(static_cast<double>(v));
    if (!(s > 0.0)) {
        return 0.0f;
    }
    if (!(b > 0.0f) || !std::isfinite(s)) {
        return INFINITY;
    }
    // dv/dt = -(k v + c): the step's speed term k v and its standstill term c.
    const double c = 0.5 * b;
    const double k = referenceSpeed > 0.0f ? 0.5 * b / referenceSpeed : 0.0;
    if (k * s < 1e-6 * c) {
        return static_cast<float>(s * s / (2.0 * c));
    }
    return static_cast<float>(s / k - c / (k * k) * std::log1p(k * s / c));
}

StepFrameTimes ReadStepFrameTimes() {
    StepFrameTimes t;
    t.braking = GetFrameSeconds();
    t.travel = GetFrameSeconds();
    return t;
}
