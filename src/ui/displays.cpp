#include "ui/displays.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

#include "config/settings.h"
#include "host/natives.h"
#include "util/text.h"

namespace {

struct DisplayRows {
    float speedText;
    float derailmentBar;
    float doorsBar;
    float distanceBar;
};

DisplayRows displayRows() {
    if (gSettings.displaysPosition == 0) {
        return DisplayRows{0.01f, 0.005f, 0.044f, 0.005f};
    }
    return DisplayRows{0.956f, 0.99f, 0.951f, 0.99f};
}

// A huge configured top speed must show a large figure, not overflow the conversion.
int32_t truncateSaturated(float value) {
    if (!(value > 0.0f)) {
        return 0;
    }
    if (value >= 2147483647.0f) {
        return INT32_MAX;
    }
    return static_cast<int32_t>(value);
}

float barWidth(float w) {
    if (!(w > 0.0f)) {
        return 0.0f;
    }
    return w < 0.1f ? w : 0.1f;
}

void drawSpeedText(ScriptState& state, float y) {
    const double shown = state.shownSpeed;
    const double speed = state.speed;
    // Changes of 0.2 m/s or less would only make the figures flicker.
    if (shown < speed - 0.2 || shown > speed + 0.2) {
        state.shownSpeed = state.speed;
    }
    const float kmh = std::fabs(state.shownSpeed) * 3.6f;
    const float mph = kmh * 0.62137f;
    char text[48];
    std::snprintf(text, sizeof text, "%d mph (%d km/h)", static_cast<int>(truncateSaturated(mph)),
                  static_cast<int>(truncateSaturated(kmh)));
    DrawOpaqueText(y, 0.35f, text);
}

}  // namespace

void drawBar(float y, float w, int32_t /*red: the rectangle native fixes it at 255*/, int32_t green, int32_t blue,
             int32_t alpha) {
    DrawRectangle(0.5f, y, 0.1f, 255, 255, 63);
    DrawRectangle(w * 0.5f + 0.45f, y, w, green, blue, alpha);
}

void drawCabDisplays(ScriptState& state) {
    const DisplayRows rows = displayRows();
    if (gSettings.displaySpeed) {
        drawSpeedText(state, rows.speedText);
    }
    if (gSettings.displayDerailment) {
        const float w = state.derailmentRisk > 1.0f ? 0.1f : 0.1f * state.derailmentRisk;
        drawBar(rows.derailmentBar, barWidth(w), 255, 127, 127, 255);
    }
    if (gSettings.displayDoors && state.kind == Tram) {
        // A door driven one step past its limit reads slightly outside 0..1.
        const float ratio = GetDoorOpenRatio(state.train, 0);
        drawBar(rows.doorsBar, barWidth((1.0f - ratio) * 0.1f), 255, 255, 255, 255);
    }
}

void drawDistanceBar(EntityHandle player, EntityHandle train) {
    const Vector3 p = GetEntityPosition(player);
    const Vector3 t = GetEntityPosition(train);
    const float dx = p.x - t.x;
    const float dy = p.y - t.y;
    const float d = std::sqrt(dx * dx + dy * dy);
    drawBar(displayRows().distanceBar, barWidth(d * 0.1f * 0.004f), 255, 255, 255, 255);
}
