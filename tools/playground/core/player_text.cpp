#include "tools/playground/core/player_text.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "config/reader.h"
#include "host/game_controls.h"

namespace playground {

std::string shown(const std::string& text) { return text.size() <= kShownBytes ? text : text.substr(0, kShownBytes) + "..."; }

std::string inQuotes(const std::string& text) { return "\"" + shown(text) + "\""; }

std::string trimmed(std::string text) {
    trimWhitespace(text);
    return text;
}

std::string lowered(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string wholeNumber(double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.0f", value);
    return buffer;
}

std::string shortFloat(float value) {
    // Exponents only where plain digits would run long: 200, not 2e+02.
    const bool plain = std::fabs(value) < 1e7f && (std::fabs(value) >= 1e-4f || value == 0.0f);
    char buffer[32];
    for (int precision = 1; precision <= 9; ++precision) {
        std::snprintf(buffer, sizeof buffer, "%.*g", precision, static_cast<double>(value));
        if (std::strtof(buffer, nullptr) == value && (!plain || std::strchr(buffer, 'e') == nullptr)) break;
    }
    return buffer;
}

std::string rounded(double value) {
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%.1f", std::round(value * 10.0) / 10.0);
    std::string text = buffer;
    if (text.size() > 2 && text.compare(text.size() - 2, 2, ".0") == 0) text.erase(text.size() - 2);
    return text == "-0" ? "0" : text;
}

std::string inputShown(std::string_view name, InputDevice device) {
    if (name == "SPACEBAR") return "Space";
    if (device == Pad && name.substr(0, 5) == "DPAD ") return "D-pad " + lowered(std::string(name.substr(5)));
    if (name.find(' ') == std::string_view::npos) {
        if (name.size() <= 3) return std::string(name);  // letters, digits, F keys, LB, RT, L3
        std::string word = lowered(std::string(name));
        word[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(word[0])));
        return word;
    }
    return lowered(std::string(name));
}

std::string inputsShown(int32_t control, InputDevice device) {
    const ControlInputs inputs = inputsOf(control, device);
    std::string text;
    for (int i = 0; i < inputs.count; ++i) text += (i > 0 ? " or " : "") + inputShown(inputs.names[i], device);
    return text;
}

}  // namespace playground
