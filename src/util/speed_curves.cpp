#include "util/speed_curves.h"

// Placeholder until this step is built.
float AccelerationStep(float, float, float) { return 0.0f; }
float BrakingStep(float, float, float) { return 0.0f; }
