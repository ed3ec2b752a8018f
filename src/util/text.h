#pragma once
#include <cstdint>
#include <string>

// One line of white text centred at x = 0.5 for this frame, the whole style set anew.
void DrawCentredText(float y, float scale, int32_t alpha, std::string text);
// The same for fixed texts, without a copy: a prompt drawn every pass need not allocate.
void DrawCentredText(float y, float scale, int32_t alpha, const char* text);
void DrawOpaqueText(float y, float scale, const char* text);
