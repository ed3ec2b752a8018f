#pragma once

#include <cmath>

#include "host/natives.h"

// The game's frame time as the plug-in counts with it: 0 for a paused game, and 0 as well for a
// time that is not a finite positive number, so that no timer or accumulator is ever poisoned.
inline float FrameSeconds() {
    const float ft = GetFrameSeconds();
    return std::isfinite(ft) && ft > 0.0f ? ft : 0.0f;
}
