#include "util/text.h"

#include "host/natives.h"

void DrawCentredText(float y, float scale, int32_t alpha, const char* text) {
    // The game keeps no style between lines, so every line sets all of it again.
    SetTextFont();
    SetTextScale(scale);
    SetTextColour(alpha);
    SetTextWrap();
    SetTextCentred();
    SetTextDropShadow();
    SetTextOutline();
    BeginTextCommand();
    AddTextString(text != nullptr ? text : "");
    EndTextCommandDraw(y);
}

void DrawOpaqueText(float y, float scale, const char* text) { DrawCentredText(y, scale, 255, text); }

void DrawCentredText(float y, float scale, int32_t alpha, std::string text) {
    DrawCentredText(y, scale, alpha, text.c_str());
}
