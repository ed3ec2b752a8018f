#pragma once
#include "host/native_invoker.h"

float AngleBetween2D(float ax, float ay, float bx, float by);
float SignedSpeed(EntityHandle entity);
float DistanceToLine2D(float px, float py, float ax, float ay, float bx, float by);
float DistanceToSegment2D(float px, float py, float ax, float ay, float bx, float by);
float StoppingDistance(float speed, float braking);
