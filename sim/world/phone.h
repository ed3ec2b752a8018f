#pragma once
// The player's phone as the game runs it. Story missions ring the player, and a player raises the
// phone (arrow up, or D-pad up where no script holds it off); while it is up or ringing the player's
// character runs the phone task (IS_PED_RUNNING_MOBILE_PHONE_TASK) and the phone's controls
// (INPUT_CELLPHONE_UP to INPUT_CELLPHONE_EXTRA_OPTION in the public control list) work it.

#include <string>

#include "sim/world/input.h"

namespace sim {

struct Phone {
    enum class Screen { Down, Raised, Ringing, Call };
    Screen screen = Screen::Down;
    int pressesTaken = 0;  // presses of its buttons the phone acted on

    bool up() const { return screen != Screen::Down; }
    // The game's other actions on the phone's pressed buttons, which the phone takes this frame. Which
    // ones the game's phone script holds off, public sources do not say: here every control that
    // shares the pressed key or button, as B does not switch the cinematic camera while the phone is up.
    void takeButtons(FrameInput& input) const;
    // After the scripts' pass: the phone acts on its buttons that no script held off. Select answers a
    // call; cancel rejects it, ends it, or puts the raised phone away. Returns what the timeline tells.
    std::string answer(const FrameInput& input);
};

// A phone's state as the scenario files and the timeline name it: "down", "raised", "ringing", "call".
const char* screenName(Phone::Screen screen);
bool screenNamed(const std::string& name, Phone::Screen& screen);

}  // namespace sim
