#include "host/game_controls.h"

#include <cctype>

namespace {

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

bool startsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

}  // namespace

const GameControl* gameControl(int32_t control) {
    return control >= 0 && control < gameControlCount ? &kGameControlTable[control] : nullptr;
}

int32_t controlNamed(std::string_view name) {
    for (int32_t i = 0; i < gameControlCount; ++i) {
        if (equalIgnoringCase(name, kGameControlTable[i].name)) {
            return i;
        }
    }
    return -1;
}

ControlInputs inputsOf(int32_t control, InputDevice device) {
    ControlInputs inputs;
    const GameControl* row = gameControl(control);
    if (row == nullptr) {
        return inputs;
    }
    std::string_view rest = device == Keyboard ? row->keyboard : row->pad;
    while (!rest.empty() && inputs.count < ControlInputs::capacity) {
        const size_t slash = rest.find('/');
        inputs.names[inputs.count++] = rest.substr(0, slash);
        rest = slash == std::string_view::npos ? std::string_view{} : rest.substr(slash + 1);
    }
    return inputs;
}

bool sharesInput(int32_t a, int32_t b, InputDevice device) {
    const ControlInputs first = inputsOf(a, device);
    const ControlInputs second = inputsOf(b, device);
    for (int i = 0; i < first.count; ++i) {
        for (int j = 0; j < second.count; ++j) {
            if (first.names[i] == second.names[j]) {
                return true;
            }
        }
    }
    return false;
}

bool isPhoneControl(int32_t control) {
    return control >= control::cellphoneUp && control <= control::cellphoneExtraOption;
}

bool onPhoneButton(int32_t control, InputDevice device) {
    for (int32_t phone = control::cellphoneUp; phone <= control::cellphoneExtraOption; ++phone) {
        if (sharesInput(control, phone, device)) {
            return true;
        }
    }
    return false;
}

bool isSeatedGameAction(int32_t control) {
    const GameControl* row = gameControl(control);
    if (row == nullptr || control == control::exit) {
        return false;
    }
    const std::string_view name = row->name;
    // The general actions a seated player has: the phone, the context actions, the character wheel
    // and the camera. The reference is silent on where each control acts; these are the ones the
    // game's own passenger scripts hold off besides the vehicle controls.
    for (const int32_t general : {control::nextCamera, control::characterWheel, control::phone, control::context,
                                  control::contextSecondary}) {
        if (control == general) {
            return true;
        }
    }
    if (!startsWith(name, "INPUT_VEH_")) {
        return false;
    }
    // Vehicle controls of other kinds of vehicle never act in a train's cab: aircraft, submarines,
    // bicycles, lowriders' hydraulics, motorbike melee, hot-wiring a car, and the special vehicles'
    // jumps, boosts, wings, parachutes and weapons.
    for (const std::string_view other : {"INPUT_VEH_FLY_", "INPUT_VEH_SUB_", "INPUT_VEH_PUSHBIKE_",
                                         "INPUT_VEH_HYDRAULICS_", "INPUT_VEH_MELEE_", "INPUT_VEH_HOTWIRE_"}) {
        if (startsWith(name, other)) {
            return false;
        }
    }
    for (const std::string_view special : {"INPUT_VEH_JUMP", "INPUT_VEH_GRAPPLING_HOOK", "INPUT_VEH_DROP_PROJECTILE",
                                           "INPUT_VEH_CAR_JUMP", "INPUT_VEH_ROCKET_BOOST", "INPUT_VEH_PARACHUTE",
                                           "INPUT_VEH_BIKE_WINGS", "INPUT_VEH_TRANSFORM", "INPUT_VEH_SPECIAL",
                                           "INPUT_VEH_STUNT_UD"}) {
        if (name == special) {
            return false;
        }
    }
    return true;
}
