#include "util/text.h"

// Placeholder until this step is built.
void DrawCentredText(float, float, int32_t, std::string) {}
void DrawOpaqueText(float, float, std::string) {}
