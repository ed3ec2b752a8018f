#include "util/geometry.h"

// Placeholder until this step is built.
float AngleBetween2D(float, float, float, float) { return 0.0f; }
float SignedSpeed(EntityHandle) { return 0.0f; }
float DistanceToLine2D(float, float, float, float, float, float) { return 0.0f; }
float DistanceToSegment2D(float, float, float, float, float, float) { return 0.0f; }
float StoppingDistance(float, float) { return 0.0f; }
