#pragma once
#include <cmath>

#include "host/native_invoker.h"

float AngleBetween2D(float ax, float ay, float bx, float by);
float SignedSpeed(EntityHandle entity);
// The distance of two points seen from above, heights left out. Inline: the looks after the map's
// trains and the wagons measure it for every train and wagon they look at.
inline float Distance2D(const Vector3& a, const Vector3& b) {
    const float dx = a.x - b.x;
    const float dy = a.y - b.y;
    return std::sqrt(dx * dx + dy * dy);
}
float DistanceToLine2D(float px, float py, float ax, float ay, float bx, float by);
float DistanceToSegment2D(float px, float py, float ax, float ay, float bx, float by);
float StoppingDistance(float speed, float braking);
