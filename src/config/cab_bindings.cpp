#include "config/cab_bindings.h"

#include <algorithm>

#include "config/value_text.h"
#include "host/game_controls.h"

namespace {

// The game's actions for a seated player, with their inputs on each device, found once: the only
// controls the cab ever holds off.
struct SeatedActions {
    int16_t ids[gameControlCount]{};
    ControlInputs inputs[inputDeviceCount][gameControlCount];
    int32_t count = 0;
};

void findSeatedActions(SeatedActions& found) {
    for (int32_t control = 0; control < gameControlCount; ++control) {
        if (isSeatedGameAction(control)) {
            found.inputs[Keyboard][found.count] = inputsOf(control, Keyboard);
            found.inputs[Pad][found.count] = inputsOf(control, Pad);
            found.ids[found.count++] = static_cast<int16_t>(control);
        }
    }
}

// Filled in place, not on the stack: the script's fiber has little to spare.
const SeatedActions& seatedActions() {
    static SeatedActions list;
    static const bool found = (findSeatedActions(list), true);
    (void)found;
    return list;
}

bool share(const ControlInputs& a, const ControlInputs& b) {
    for (int i = 0; i < a.count; ++i) {
        for (int j = 0; j < b.count; ++j) {
            if (a.names[i] == b.names[j]) {
                return true;
            }
        }
    }
    return false;
}

// The game's actions on the binding's key or button, itself included when the game gives its control
// a meaning of its own; never the control that means to the game what the action means to the cab.
void listHeldOff(CabBinding& binding, const CabActionRow& row, InputDevice device) {
    binding.heldOffCount = 0;
    binding.readDisabled = false;
    binding.onPhone = binding.control != noControl && onPhoneButton(binding.control, device);
    if (binding.control == noControl || row.tag == nullptr || row.onFoot) {
        return;
    }
    const ControlInputs inputs = inputsOf(binding.control, device);
    const SeatedActions& seated = seatedActions();
    for (int32_t i = 0; i < seated.count; ++i) {
        const int32_t game = seated.ids[i];
        if (game == row.sameAsGame || (game != binding.control && !share(inputs, seated.inputs[device][i]))) {
            continue;
        }
        if (binding.heldOffCount < CabBinding::heldOffCapacity) {
            binding.heldOff[binding.heldOffCount++] = static_cast<int16_t>(game);
        }
        binding.readDisabled = binding.readDisabled || game == binding.control;
    }
}

struct Taken {
    CabAction action;
    int32_t control;
    ControlInputs inputs;
};

}  // namespace

void resolveCabBindings(const CabControls& controls, CabBindings& bindings, BindingNotes* notes) {
    for (int32_t d = 0; d < inputDeviceCount; ++d) {
        const auto device = static_cast<InputDevice>(d);
        Taken taken[cabActionCount];
        int32_t takenCount = 0;
        // The earlier action this control would share a key or a button with, if any. An action on
        // foot meets only the enter control there; the cab's actions never meet it.
        auto clashOf = [&](int32_t control, CabAction& with, bool onFoot) {
            const ControlInputs inputs = inputsOf(control, device);
            for (int32_t i = 0; i < takenCount; ++i) {
                if (onFoot && taken[i].action != CabAction::Enter) {
                    continue;
                }
                if (taken[i].control == control || share(inputs, taken[i].inputs)) {
                    with = taken[i].action;
                    return true;
                }
            }
            return false;
        };
        // The game's own actions first: they share keys among themselves (enter and exit are both F),
        // as the game means them to.
        for (const bool own : {true, false}) {
            for (const CabActionRow& row : kCabActions) {
                if ((row.tag == nullptr) != own) {
                    continue;
                }
                const int32_t a = actionIndex(row.action);
                CabBinding& binding = bindings[d][a];
                BindingNote note;
                binding.control = own ? row.control[d] : controls[d][a];
                CabAction with = CabAction::Enter;
                if (!own && binding.control != noControl && clashOf(binding.control, with, row.onFoot)) {
                    note.clash = with;
                    const int32_t fallback = row.control[d];
                    CabAction second = CabAction::Enter;
                    if (fallback != noControl && fallback != binding.control &&
                        !clashOf(fallback, second, row.onFoot)) {
                        binding.control = fallback;
                        note.outcome = BindingOutcome::FellBack;
                    } else {
                        binding.control = noControl;
                        note.outcome = BindingOutcome::Unbound;
                    }
                }
                listHeldOff(binding, row, device);
                if (binding.control != noControl && !row.onFoot) {
                    taken[takenCount++] = Taken{row.action, binding.control, inputsOf(binding.control, device)};
                }
                if (notes != nullptr) {
                    (*notes)[d][a] = note;
                }
            }
        }
    }
}

namespace {

// A control's number: digits with an optional sign, then nothing or a blank and a remark ("86 horn").
// Read as other numbers are, 0x56 and -0.9 would be control 0, the camera key.
bool readWholeNumber(const std::string& text, int64_t& number) {
    size_t at = text[0] == '-' || text[0] == '+' ? 1 : 0;
    const size_t digits = at;
    number = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        number = std::min<int64_t>(number * 10 + (text[at] - '0'), gameControlCount);
    }
    if (text[0] == '-') number = -number;
    return at > digits && (at == text.size() || text[at] == ' ' || text[at] == '\t');
}

}  // namespace

ControlValue parseControlValue(const std::string& text, InputDevice device) {
    ControlValue value;
    std::string name = text;
    trimWhitespace(name);
    int64_t whole = 0;
    float number = 0.0f;
    if (!name.empty() && readWholeNumber(name, whole)) {
        if (whole < 0 || whole >= gameControlCount) {
            value.verdict = ControlVerdict::OutOfRange;
            return value;
        }
        value.control = static_cast<int32_t>(whole);
    } else if (parseNumberText(name, number)) {
        value.verdict = ControlVerdict::NotWhole;
        return value;
    } else {
        // "none" frees the key or button: the action then has none on that device.
        if (name.size() == 4 && (name[0] | 0x20) == 'n' && (name[1] | 0x20) == 'o' && (name[2] | 0x20) == 'n' &&
            (name[3] | 0x20) == 'e') {
            value.verdict = ControlVerdict::Taken;
            return value;
        }
        value.control = controlNamed(name);
        if (value.control == noControl) {
            return value;
        }
    }
    if (device == Pad && inputsOf(value.control, Pad).count == 0) {
        value.verdict = ControlVerdict::NoButton;
        value.control = noControl;
        return value;
    }
    value.verdict = ControlVerdict::Taken;
    return value;
}
