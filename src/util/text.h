#pragma once
#include <cstdint>
#include <string>

// One line of white text centred at x = 0.5 for this frame, the whole style set anew.
void DrawCentredText(float y, float scale, int32_t alpha, std::string text);
void DrawOpaqueText(float y, float scale, std::string text);
