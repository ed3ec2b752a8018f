#pragma once
// The player's hands as the game sees them: which keys and gamepad buttons are down in a frame, the
// device used last, and the game's controls they fire. Each input fires every control its default
// binding gives it (host/game_controls.h), as the game does: the pad's L3 is both the horn (86) and
// the undercarriage (113), the keyboard's F both enter (23) and exit (75).

#include <cstdint>
#include <string>
#include <vector>

#include "host/controls.h"

namespace sim {

// A key (or mouse input) or a pad button, named as the public control reference names it: "E",
// "SPACEBAR", "LEFT MOUSE BUTTON"; "L3", "DPAD UP", "LEFT STICK".
struct PhysicalInput {
    InputDevice device = Keyboard;
    std::string name;
    bool operator==(const PhysicalInput&) const = default;
};

// The input a scenario's control id stands for: the control's first keyboard key (its first pad
// button for a control without one).
PhysicalInput keyOf(int32_t control);
// The input of that name on the device, "L3" or "l3" alike; its name is empty when the device has none.
PhysicalInput inputNamed(InputDevice device, const std::string& name);
// The game's controls an input fires.
const std::vector<int32_t>& controlsOn(const PhysicalInput& input);

struct FrameInput {
    std::vector<PhysicalInput> held;    // keys and buttons down this frame
    std::vector<PhysicalInput> released;  // down last frame, up now
    // The device of the input that went down last (IS_USING_KEYBOARD_AND_MOUSE). Public sources do not
    // say whether letting go of an input counts as using its device; here only a press does.
    InputDevice lastDevice = Keyboard;
    std::vector<int32_t> down;          // controls held this frame
    std::vector<int32_t> justPressed;   // down now, up last frame
    std::vector<int32_t> justReleased;  // up now, down last frame
    // Controls a script held off this frame (DISABLE_CONTROL_ACTION): a disable lasts one frame.
    std::vector<int32_t> disabled;
    // Controls the game itself takes this frame: the phone, while up, takes the game's other actions
    // on its buttons (sim/world/phone.h). They read as disabled too.
    std::vector<int32_t> takenByPhone;
    float frameSeconds = 1.0f / 60.0f;

    // The next frame with `inputs` down: the controls and their edges against the frame before.
    void advance(std::vector<PhysicalInput> inputs, float seconds);

    bool isDown(int32_t control) const;
    bool isDisabled(int32_t control) const;
    // As IS_CONTROL_* answer: a disabled control reads as not pressed, not released, no edge.
    bool enabledAndIn(const std::vector<int32_t>& list, int32_t control) const;
};

}  // namespace sim
