#include "tools/playground/core/ride.h"

#include <string>
#include <utility>

#include "config/settings.h"
#include "host/controls.h"
#include "host/game_controls.h"
#include "tools/playground/core/page_contract.h"
#include "tools/playground/core/player_text.h"

// The ride's words: the keys and buttons of each action as the player bound them, and what a key
// that did something, or nothing, tells the player.

namespace playground {

namespace {

using nlohmann::json;

const char* commandName(EngineerCommand command) {
    switch (command) {
        case KeepSpeed: return "KEEP SPEED";
        case Stop: return "STOP";
        case Follow: return "FOLLOW";
    }
    return "";
}

const char* useName(ActionUse use) {
    switch (use) {
        case ActionUse::Hold: return "hold";
        case ActionUse::Tap: return "tap";
        case ActionUse::HoldOrTap: return "hold or tap";
        case ActionUse::Game: return "game";
    }
    return "";
}

}  // namespace

std::string Ride::keysOf(CabAction action) const {
    const InputDevice device = session_.world().input.lastDevice;
    const int32_t control = gSettings.cabBindings[device][actionIndex(action)].control;
    const std::string keys = control == noControl ? "" : inputsShown(control, device);
    return keys.empty() ? (device == Keyboard ? "(no key)" : "(no button)") : keys;
}

json Ride::bindings() const {
    json actions = json::array();
    for (const CabActionRow& row : kCabActions) {
        const int32_t a = actionIndex(row.action);
        json entry = {{"action", kPageActions[a]}, {"use", useName(row.use)}, {"does", row.does}};
        for (const InputDevice device : {Keyboard, Pad}) {
            const int32_t control = gSettings.cabBindings[device][a].control;
            json inputs = json::array();
            json shownInputs = json::array();
            const ControlInputs on = control == noControl ? ControlInputs{} : inputsOf(control, device);
            for (int i = 0; i < on.count; ++i) {
                inputs.push_back(std::string(on.names[i]));
                shownInputs.push_back(inputShown(on.names[i], device));
            }
            entry[kPageDevices[device]] = {{"inputs", std::move(inputs)}, {"shown", std::move(shownInputs)}};
        }
        actions.push_back(std::move(entry));
    }
    return actions;
}

// The seat rules, as the cab controls apply them: a key that does nothing says why, briefly, by the
// keys and buttons of the device in use.
void Ride::narrate(const Seen& before, const Seen& after, const Actions& pressed, const Actions& released,
                   const Actions& held, float frameSeconds) {
    using A = CabAction;
    const auto on = [](const Actions& actions, CabAction action) { return actions[actionIndex(action)]; };
    const ScriptState& s = session_.state();
    const bool freight = s.kind == Freight;
    const char* train = freight ? "freight train" : "tram";
    const auto seatName = [&](int32_t seat) {
        return seat == -1 ? std::string("the driver's seat") : std::string("the right-hand seat");
    };

    if (before.mode == OnFoot && after.mode == Entering)
        say("Hold " + keysOf(A::Enter) + " until the bar is full (" + shortFloat(gSettings.enterDelay) + " s)");
    if (before.mode == Entering && after.mode == OnFoot)
        say("You let go of " + keysOf(A::Enter) + " too soon: hold it until the bar is full", true);
    if (before.mode != InCab && after.mode == InCab) {
        say("You took " + seatName(after.seat) + " of the " + train +
            (!freight             ? ""
             : after.seat == -1 ? ": the engineer leaves, so there are no engineer commands"
                                : ", beside the engineer"));
    } else if (after.mode == InCab && before.vehicle == after.vehicle && before.seat != after.seat) {
        say("You moved to " + seatName(after.seat));
    }
    if (!before.derailed && after.derailed) {
        derailedAtKmh_ = std::fabs(before.speed) * 3.6f;
        say(derailedText(before.speed));
    }
    if (after.explosions > before.explosions) say("A wagon exploded");
    if (after.wrecks > before.wrecks) say("A wagon crashed and stopped for good");
    if (before.mode == InCab && after.mode != InCab) {
        say(std::string("You got off the ") + train);
        if (after.engineerTrain != 0) {
            say(after.command == KeepSpeed ? "The engineer keeps the speed"
                : after.command == Stop    ? "The engineer stops the train"
                                           : "The engineer follows you along the track");
        }
    }
    if (after.mode == OnFoot && before.engineerTrain != 0 && after.engineerTrain == 0 && after.command == Follow &&
        after.trains > 0)
        say("The engineer gave up following: the train keeps its last speed");
    if (after.menuTime > before.menuTime && after.command != before.command)
        say(std::string("Engineer's command: ") + commandName(after.command) + " (the next tap on " + keysOf(A::Horn) +
            " picks the next)");
    if (after.lightsOn != before.lightsOn) say(after.lightsOn ? "High beam on" : "High beam off");
    if (after.horns > before.horns) say("Horn");
    if (after.doorDirection != before.doorDirection && after.doorDirection != 0)
        say(after.doorDirection > 0 ? "Doors opening" : "Doors closing");
    if (after.radio != before.radio) say(after.radio ? "The radio plays while you ride (no sound on this page)" : "Radio off");
    if (before.trains == 0 && after.trains > 0) say("New trains stand beside the track");

    const bool inCab = after.mode == InCab && before.mode == InCab;
    const bool wrecked = inCab && after.derailed;
    const std::string getOut = "Nothing in the cab works once the train has derailed: " + getOutText(keysOf(A::Exit));
    if (on(pressed, A::Enter) && before.mode == OnFoot && after.mode == OnFoot) {
        say(gSettings.entranceType == 0 ? "Enter: walk to within 12 m of a train, then hold " + keysOf(A::Enter)
                                        : "Enter: stand at the cab door (freight train: the right door; tram: the door "
                                          "inside), then hold " + keysOf(A::Enter),
            true);
    }
    if ((on(pressed, A::Accelerate) || on(pressed, A::Brake) || on(pressed, A::Handbrake)) && after.mode == OnFoot) {
        say(keysOf(A::Accelerate) + ", " + keysOf(A::Brake) + " and " + keysOf(A::Handbrake) +
                " drive the train: get in first (hold " + keysOf(A::Enter) + " beside it)",
            true);
    }
    if (on(pressed, A::HighBeam) && !(inCab && !after.derailed && freight && after.seat == 0))
        say(wrecked ? getOut : "High beam: from the right-hand seat of the freight cab", true);
    if ((on(pressed, A::SeatLeft) || on(pressed, A::SeatRight)) && before.seat == after.seat) {
        say(!inCab || !freight              ? "Change seat: in the freight cab"
            : wrecked                       ? getOut
            : !gSettings.keyActionChangeSeat ? "Change seat is off: KeyAction.ChangeSeat is not 1"
                                             : "Change seat: at most once every 3 s",
            true);
    }
    if (on(pressed, A::Doors) && (!inCab || wrecked || !gSettings.keyActionOpenCloseDoors))
        say(!inCab ? "Doors: from the cab" : wrecked ? getOut : "Doors are off: KeyAction.OpenCloseDoors is not 1", true);
    if (on(pressed, A::Radio)) {
        say(!gSettings.keyActionRadio ? "Radio: KeyAction.Radio is not 1, so the plug-in leaves the radio to the game"
            : after.radio             ? "Radio: the game's radio is yours while you ride (no sound on this page)"
                                      : "Radio: in the cab",
            true);
    }
    if (on(pressed, A::Derail) && !wrecked) {
        if (!inCab) say("Derail: hold " + keysOf(A::Derail) + " while you drive", true);
        else if (!gSettings.keyActionManualDerailment)
            say(keysOf(A::Derail) + " holds the derailment risk where it is: KeyAction.ManualDerailment is 0", true);
        else if (std::fabs(after.speed) <= 2.0f) say("Derail: hold " + keysOf(A::Derail) + " above 7.2 km/h (2 m/s)", true);
    }

    // The horn key: a tap picks the engineer's command, a press of 0.2 s sounds the horn.
    if (on(pressed, A::Horn)) {
        hornHeld_ = 0.0f;
        hornsAtPress_ = before.horns;
        menuDuringPress_ = false;
    }
    if (on(held, A::Horn)) hornHeld_ += frameSeconds;
    menuDuringPress_ = menuDuringPress_ || after.menuTime > before.menuTime;
    if (on(released, A::Horn) && after.horns == hornsAtPress_ && !menuDuringPress_) {
        const bool tap = hornHeld_ < 0.2f;
        say(!inCab || !freight                    ? keysOf(A::Horn) + ": the horn and the engineer's commands, in the freight cab"
            : wrecked                             ? getOut
            : !tap                                ? "Horn: from the right-hand seat of the freight cab"
            : !gSettings.keyActionEngineerCommand ? "Engineer's commands are off: KeyAction.EngineerCommand is not 1"
                                                  : "Engineer's commands: only with the engineer in the driver's seat",
            true);
    }
}

}  // namespace playground
