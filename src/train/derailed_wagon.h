#pragma once
#include "host/native_invoker.h"

// One vehicle left behind by a derailment, looked after until it is gone or deleted.
struct DerailedWagon {
    EntityHandle handle = 0;
    int32_t kind = 0;  // TrainKind of the train it came from
    Vector3 lastPosition{};
    float lastSpeed = 0.0f;
    int32_t samples = 0;     // checks recorded since creation or the last explosion
    int32_t explosions = 0;  // explosions caused so far
};
