#include "util/frame_time.h"

#include <cmath>

#include "host/natives.h"

float FrameSeconds() {
    const float ft = GetFrameSeconds();
    return std::isfinite(ft) && ft > 0.0f ? ft : 0.0f;
}
