#include "sim/world/phone.h"

#include <algorithm>

#include "host/controls.h"
#include "host/game_controls.h"

namespace sim {

namespace {

bool pressed(const FrameInput& input, int32_t control) { return input.enabledAndIn(input.justPressed, control); }

}  // namespace

void Phone::takeButtons(FrameInput& input) const {
    input.takenByPhone.clear();
    if (!up()) return;
    // Down, and let go this frame: a release is the phone's too.
    for (const std::vector<PhysicalInput>* list : {&input.held, &input.released}) {
        for (const PhysicalInput& pressed : *list) {
            const std::vector<int32_t>& fired = controlsOn(pressed);
            if (std::none_of(fired.begin(), fired.end(), [](int32_t c) { return isPhoneControl(c); })) continue;
            for (int32_t c : fired)
                if (!isPhoneControl(c)) input.takenByPhone.push_back(c);
        }
    }
}

std::string Phone::answer(const FrameInput& input) {
    if (!up()) return "";
    std::string told;
    for (int32_t c = control::cellphoneUp; c <= control::cellphoneExtraOption; ++c) {
        if (!pressed(input, c)) continue;
        ++pressesTaken;
        const GameControl* row = gameControl(c);
        told += std::string(told.empty() ? "the phone takes " : ", ") + (row != nullptr ? row->name : "?");
    }
    if (screen == Screen::Ringing && pressed(input, control::cellphoneSelect)) {
        screen = Screen::Call;
        told += "; the call is answered";
    } else if (pressed(input, control::cellphoneCancel)) {
        told += screen == Screen::Ringing ? "; the call is rejected" : screen == Screen::Call ? "; the call ends" : "; the phone is put away";
        screen = Screen::Down;
    }
    return told;
}

const char* screenName(Phone::Screen screen) {
    switch (screen) {
        case Phone::Screen::Raised: return "raised";
        case Phone::Screen::Ringing: return "ringing";
        case Phone::Screen::Call: return "call";
        default: return "down";
    }
}

bool screenNamed(const std::string& name, Phone::Screen& screen) {
    for (const Phone::Screen s : {Phone::Screen::Down, Phone::Screen::Raised, Phone::Screen::Ringing, Phone::Screen::Call}) {
        if (name == screenName(s)) {
            screen = s;
            return true;
        }
    }
    return false;
}

}  // namespace sim
