#include "ui/displays.h"

#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <system_error>

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

// Appends to a fixed buffer, always terminated; what does not fit is cut off.
class TextBuilder {
public:
    TextBuilder(char* buffer, std::size_t size) : next_(buffer), last_(buffer + size - 1) { *next_ = '\0'; }
    void append(const char* text) {
        while (*text != '\0' && next_ != last_) {
            *next_++ = *text++;
        }
        *next_ = '\0';
    }
    void number(int32_t value) {
        const std::to_chars_result written = std::to_chars(next_, last_, value);
        if (written.ec == std::errc{}) {
            next_ = written.ptr;
        }
        *next_ = '\0';
    }

private:
    char* next_;
    char* last_;  // keeps room for the terminator
};

float barWidth(float w) {
    if (!(w > 0.0f)) {
        return 0.0f;
    }
    return w < 0.1f ? w : 0.1f;
}

void drawSpeedText(ScriptState& state, float y) {
    const double shown = state.shownSpeed;
    const double speed = state.speed;
    // Changes of 0.2 m/s or less would only make the figures flicker; a broken value is replaced.
    if (shown < speed - 0.2 || shown > speed + 0.2 || std::isnan(shown)) {
        state.shownSpeed = state.speed;
    }
    const float kmh = std::fabs(state.shownSpeed) * 3.6f;
    const float mph = kmh * 0.62137f;
    // Built every pass, so without the C library's formatter (and its locale): two figures of at
    // most ten digits and their units fit with room to spare.
    char text[48];
    TextBuilder line(text, sizeof text);
    line.number(truncateSaturated(mph));
    line.append(" mph (");
    line.number(truncateSaturated(kmh));
    line.append(" km/h)");
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
