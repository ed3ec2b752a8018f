#pragma once
#include "host/native_invoker.h"

float AngleBetween2D(float ax, float ay, float bx, float by);
float SignedSpeed(EntityHandle entity);
// The distance of two points seen from above, heights left out.
float Distance2D(const Vector3& a, const Vector3& b);
float DistanceToLine2D(float px, float py, float ax, float ay, float bx, float by);
float DistanceToSegment2D(float px, float py, float ax, float ay, float bx, float by);
float StoppingDistance(float speed, float braking);
