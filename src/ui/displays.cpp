#include "ui/displays.h"

// Placeholder until this step is built.
void drawCabDisplays(ScriptState&) {}
void drawDistanceBar(EntityHandle, EntityHandle) {}
void drawBar(float, float, int32_t, int32_t, int32_t, int32_t) {}
