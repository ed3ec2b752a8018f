#include "tools/playground/core/page_contract.h"

#include <cmath>
#include <cstdio>
#include <set>

#include "host/game_controls.h"
#include "host/script_state.h"

namespace playground {

namespace {

std::string replaced(std::string_view text, std::string_view mark, std::string_view by) {
    std::string result(text);
    return result.replace(result.find(mark), mark.size(), by);
}

}  // namespace

std::string derailedText(float metresPerSecond) {
    char speed[32];
    std::snprintf(speed, sizeof speed, "%.0f km/h", std::fabs(static_cast<double>(metresPerSecond)) * 3.6);
    return replaced(kDerailedText, "{speed}", speed);
}

std::string getOutText(std::string_view exitKey) { return replaced(kGetOutText, "{exit}", exitKey); }

nlohmann::json pageContract() {
    nlohmann::json inputs;
    for (const InputDevice device : {Keyboard, Pad}) {
        std::set<std::string> names;
        for (int32_t control = 0; control < gameControlCount; ++control) {
            const ControlInputs on = inputsOf(control, device);
            for (int i = 0; i < on.count; ++i) names.emplace(on.names[i]);
        }
        inputs[kPageDevices[device]] = names;
    }
    return {{"actions", kPageActions},
            {"devices", kPageDevices},
            {"inputs", std::move(inputs)},
            {"modes", {{"onFoot", static_cast<int>(OnFoot)}, {"entering", static_cast<int>(Entering)},
                       {"inCab", static_cast<int>(InCab)}}},
            {"texts", {{"derailed", std::string(kDerailedText)}, {"getOut", std::string(kGetOutText)}}}};
}

}  // namespace playground
