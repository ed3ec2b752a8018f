#include "util/geometry.h"

#include <cmath>

#include "config/settings.h"
#include "host/natives.h"
#include "util/speed_curves.h"

float AngleBetween2D(float ax, float ay, float bx, float by) {
    const float p = std::sqrt(ax * ax + ay * ay) * std::sqrt(bx * bx + by * by);
    if (p == 0.0f || std::isnan(p)) {
        return 0.0f;
    }
    float c = (ax * bx + ay * by) / p;
    // An infinite length gives inf / inf; acos of that would be a NaN handed on to the callers.
    if (std::isnan(c)) {
        return 0.0f;
    }
    if (c < -1.0f) {
        c = -1.0f;
    } else if (c > 1.0f) {
        c = 1.0f;
    }
    return std::acos(c);
}

float SignedSpeed(EntityHandle entity) {
    const float fx = GetEntityForwardX(entity);
    const float fy = GetEntityForwardY(entity);
    const Vector3 v = GetEntityVelocity(entity);
    const float s = GetEntitySpeed(entity);
    const float theta = AngleBetween2D(fx, fy, v.x, v.y);
    // A train runs along its heading or against it; anything from about 17 degrees off counts as
    // backwards. The comparison is in double, so the float nearest 0.3 is already backwards.
    if (static_cast<double>(theta) >= 0.3) {
        return -1.0f * s;
    }
    return s;
}

float DistanceToLine2D(float px, float py, float ax, float ay, float bx, float by) {
    const float dx = bx - ax;
    const float dy = by - ay;
    float n = dy * px - dx * py + ay * bx - ax * by;
    if (n < 0.0f) {
        n = n * -1.0f;
    }
    const float l = std::sqrt(dx * dx + dy * dy);
    if (l == 0.0f || std::isnan(l)) {
        return 0.0f;
    }
    return n / l;
}

namespace {

float planarDistance(float px, float py, float qx, float qy) {
    const float ey = py - qy;
    const float ex = px - qx;
    return std::sqrt(ey * ey + ex * ex);
}

}  // namespace

float DistanceToSegment2D(float px, float py, float ax, float ay, float bx, float by) {
    const float dx = bx - ax;
    const float dy = by - ay;
    if (dx == 0.0f && dy == 0.0f) {
        return planarDistance(px, py, ax, ay);
    }
    const float t = ((py - ay) * dy + (px - ax) * dx) / (dy * dy + dx * dx);
    if (t < 0.0f || std::isnan(t)) {
        return planarDistance(px, py, ax, ay);
    }
    if (t > 1.0f) {
        return planarDistance(px, py, bx, by);
    }
    return planarDistance(px, py, t * dx + ax, t * dy + ay);
}

namespace {

// The braking of StoppingDistance, one step per frame until the train stands. The step's
// speed-dependent term is (v × 0.5) / reference. Where halving the reference is exact and a term
// from a speed too small to halve exactly still vanishes beside the 0.5 that follows it, v divided
// by twice the reference is the same float, one multiplication sooner; the steps depend one on
// the last, so that multiplication would add to the time of every step.
template <bool halveReference>
float simulateBraking(float v, float braking, float reference) {
    constexpr float noEnd = 100000.0f;
    const float twiceReference = reference * 2.0f;
    float d = 0.0f;
    int32_t steps = 2000;
    do {
        if (steps <= 0) {
            return noEnd;
        }
        if (d >= noEnd) {
            return std::isfinite(d) ? d : noEnd;
        }
        const StepFrameTimes t = ReadStepFrameTimes();
        // v > 0 throughout, so it is its own magnitude. A step that is not a number makes v and
        // then d not a number, which the end turns into noEnd.
        float speedTerm = 0.0f;
        if constexpr (halveReference) {
            speedTerm = v / twiceReference;
        } else {
            // A reference that is not positive drops the term, as BrakingStep does.
            speedTerm = reference > 0.0f ? (v * 0.5f) / reference : 0.0f;
        }
        v = v - (speedTerm + 0.5f) * braking * t.braking;
        d = d + v * t.travel;
        steps = steps - 1;
    } while (v > 0.0f);
    // Frame times out of all range can leave d not a number.
    if (steps <= 0 || !std::isfinite(d)) {
        return noEnd;
    }
    return d;
}

}  // namespace

float StoppingDistance(float speed, float braking) {
    const float reference = gSettings.followTopSpeed;
    const float v = std::fabs(speed);
    if (!(v > 0.0f)) {
        return 0.0f;
    }
    if (reference >= 1.0f && reference <= 1.0e30f) {
        return simulateBraking<true>(v, braking, reference);
    }
    return simulateBraking<false>(v, braking, reference);
}
