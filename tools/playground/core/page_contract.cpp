#include "tools/playground/core/page_contract.h"

#include <cmath>
#include <cstdio>

#include "host/script_state.h"

namespace playground {

std::string derailedText(float metresPerSecond) {
    char speed[32];
    std::snprintf(speed, sizeof speed, "%.0f km/h", std::fabs(static_cast<double>(metresPerSecond)) * 3.6);
    std::string text(kDerailedText);
    return text.replace(text.find("{speed}"), std::string_view("{speed}").size(), speed);
}

nlohmann::json pageContract() {
    nlohmann::json controls = nlohmann::json::array();
    for (const PageControl& c : kPageControls) controls.push_back(c.name);
    return {{"controls", std::move(controls)},
            {"modes", {{"onFoot", static_cast<int>(OnFoot)}, {"entering", static_cast<int>(Entering)},
                       {"inCab", static_cast<int>(InCab)}}},
            {"texts", {{"derailed", std::string(kDerailedText)}, {"getOut", std::string(kGetOutText)}}}};
}

}  // namespace playground
