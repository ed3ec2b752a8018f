#pragma once
#include "host/script_state.h"

void drawCabDisplays(ScriptState& state);
void drawDistanceBar(EntityHandle player, EntityHandle train);
// A background bar 0.1 wide centred at x 0.5 and a fill of width w from its left edge.
void drawBar(float y, float w, int32_t red, int32_t green, int32_t blue, int32_t alpha);
