#include "sim/world/input.h"

#include <algorithm>
#include <cctype>
#include <map>

#include "host/game_controls.h"

namespace sim {

namespace {

bool contains(const std::vector<int32_t>& list, int32_t value) {
    return std::find(list.begin(), list.end(), value) != list.end();
}

std::string upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// Every input the game's default bindings name, with the controls it fires.
const std::map<std::pair<InputDevice, std::string>, std::vector<int32_t>>& bindings() {
    static const auto table = [] {
        std::map<std::pair<InputDevice, std::string>, std::vector<int32_t>> found;
        for (int32_t control = 0; control < gameControlCount; ++control) {
            for (const InputDevice device : {Keyboard, Pad}) {
                const ControlInputs inputs = inputsOf(control, device);
                for (int i = 0; i < inputs.count; ++i) found[{device, std::string(inputs.names[i])}].push_back(control);
            }
        }
        return found;
    }();
    return table;
}

}  // namespace

PhysicalInput keyOf(int32_t control) {
    for (const InputDevice device : {Keyboard, Pad}) {
        const ControlInputs inputs = inputsOf(control, device);
        if (inputs.count > 0) return PhysicalInput{device, std::string(inputs.names[0])};
    }
    return PhysicalInput{};
}

PhysicalInput inputNamed(InputDevice device, const std::string& name) {
    const std::string wanted = upper(name);
    return bindings().count({device, wanted}) != 0 ? PhysicalInput{device, wanted} : PhysicalInput{device, ""};
}

const std::vector<int32_t>& controlsOn(const PhysicalInput& input) {
    static const std::vector<int32_t> none;
    const auto it = bindings().find({input.device, input.name});
    return it == bindings().end() ? none : it->second;
}

void FrameInput::advance(std::vector<PhysicalInput> inputs, float seconds) {
    for (const PhysicalInput& input : inputs)
        if (std::find(held.begin(), held.end(), input) == held.end()) lastDevice = input.device;
    std::vector<int32_t> now;
    for (const PhysicalInput& input : inputs)
        for (int32_t c : controlsOn(input)) now.push_back(c);
    std::sort(now.begin(), now.end());
    now.erase(std::unique(now.begin(), now.end()), now.end());
    justPressed.clear();
    justReleased.clear();
    for (int32_t c : now)
        if (!contains(down, c)) justPressed.push_back(c);
    for (int32_t c : down)
        if (!contains(now, c)) justReleased.push_back(c);
    down = std::move(now);
    released.clear();
    for (const PhysicalInput& input : held)
        if (std::find(inputs.begin(), inputs.end(), input) == inputs.end()) released.push_back(input);
    held = std::move(inputs);
    disabled.clear();
    takenByPhone.clear();
    frameSeconds = seconds;
}

bool FrameInput::isDown(int32_t control) const { return contains(down, control); }

bool FrameInput::isDisabled(int32_t control) const {
    return contains(disabled, control) || contains(takenByPhone, control);
}

bool FrameInput::enabledAndIn(const std::vector<int32_t>& list, int32_t control) const {
    return !isDisabled(control) && contains(list, control);
}

}  // namespace sim
