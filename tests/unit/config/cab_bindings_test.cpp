// The cab's actions against the player's hands: looked up by key and button, never by control id
// (the pad's L3 is 86 and 113 at once), no input fires two actions of one device, whatever the file
// asks for; and what the value of a control key names.

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "config/cab_bindings.h"
#include "config/setting_table.h"
#include "host/game_controls.h"

namespace {

const char* deviceName(int32_t device) { return device == Keyboard ? "keyboard" : "pad"; }

// Every pair of bound actions of a device shares no key or button (enter and exit are the game's
// pair on F and Y), and nothing the cab holds off is another action's control or the game's own exit.
void expectOneActionAnInput(const Settings& s, const std::string& context) {
    for (int32_t d = 0; d < inputDeviceCount; ++d) {
        const auto device = static_cast<InputDevice>(d);
        for (int32_t a = 0; a < cabActionCount; ++a) {
            const CabBinding& first = s.cabBindings[d][a];
            if (first.control == noControl) continue;
            ASSERT_LE(first.heldOffCount, CabBinding::heldOffCapacity);
            for (int32_t i = 0; i < first.heldOffCount; ++i) {
                EXPECT_NE(first.heldOff[i], control::exit) << context;
                EXPECT_NE(first.heldOff[i], control::enter) << context;
                EXPECT_EQ(first.readDisabled || first.heldOff[i] != first.control, true) << context;
            }
            for (int32_t b = a + 1; b < cabActionCount; ++b) {
                const CabBinding& second = s.cabBindings[d][b];
                if (second.control == noControl || (a == actionIndex(CabAction::Enter) && b == actionIndex(CabAction::Exit)))
                    continue;
                // An action on foot meets only the enter control; the cab's are never read on foot.
                if ((kCabActions[a].onFoot || kCabActions[b].onFoot) && a != actionIndex(CabAction::Enter))
                    continue;
                EXPECT_FALSE(first.control == second.control || sharesInput(first.control, second.control, device))
                    << context << ": on the " << deviceName(d) << ", actions " << a << " and " << b << " share "
                    << first.control << " / " << second.control;
                for (int32_t i = 0; i < second.heldOffCount; ++i)
                    EXPECT_NE(second.heldOff[i], first.control) << context << ": action " << b << " holds off " << a;
                for (int32_t i = 0; i < first.heldOffCount; ++i)
                    EXPECT_NE(first.heldOff[i], second.control) << context << ": action " << a << " holds off " << b;
            }
        }
    }
}

TEST(CabBindings, TheDefaultsGiveEachActionItsOwnKeyAndButton) {
    const Settings defaults;
    expectOneActionAnInput(defaults, "defaults");
    // The game's own pad layout puts the horn and the doors on one button; the cab's does not.
    EXPECT_TRUE(sharesInput(control::horn, control::doors, Pad));
    EXPECT_EQ(defaults.cabBindings[Pad][actionIndex(CabAction::Doors)].control, control::cellphoneUp);
    // Each keyboard default is the control the game's own tables give, read unchanged.
    for (const CabActionRow& row : kCabActions) {
        EXPECT_EQ(defaults.cabBindings[Keyboard][actionIndex(row.action)].control, row.control[Keyboard]);
    }
    // H holds off the game's seat shuffle on both devices; the duck on X is held off and so read disabled.
    for (const InputDevice device : {Keyboard, Pad}) {
        const CabBinding& beam = defaults.cabBindings[device][actionIndex(CabAction::HighBeam)];
        EXPECT_NE(std::find(beam.heldOff, beam.heldOff + beam.heldOffCount, control::shuffle), beam.heldOff + beam.heldOffCount);
        EXPECT_FALSE(beam.readDisabled);
    }
    EXPECT_TRUE(defaults.cabBindings[Keyboard][actionIndex(CabAction::Derail)].readDisabled);
    // No key or button carries more of the game's actions than a binding can hold off.
    for (const InputDevice device : {Keyboard, Pad}) {
        for (int32_t control = 0; control < gameControlCount; ++control) {
            int32_t count = 0;
            for (int32_t game = 0; game < gameControlCount; ++game)
                count += isSeatedGameAction(game) && (game == control || sharesInput(game, control, device)) ? 1 : 0;
            EXPECT_LE(count, CabBinding::heldOffCapacity) << control << " on the " << deviceName(device);
        }
    }
}

TEST(CabBindings, NoFileMakesOneInputServeTwoActions) {
    // Every action asked onto one control, onto each other's defaults, and at random.
    Settings s;
    for (int32_t control : {control::horn, control::doors, control::cellphoneCancel, control::enter, 0, 65, 200}) {
        for (int32_t d = 0; d < inputDeviceCount; ++d)
            for (int32_t a = 0; a < cabActionCount; ++a)
                if (kCabActions[a].tag != nullptr) s.cabControls[d][a] = control;
        resolveCabBindings(s);
        expectOneActionAnInput(s, "all on " + std::to_string(control));
    }
    std::mt19937 random(7);
    std::uniform_int_distribution<int32_t> anyControl(0, gameControlCount - 1);
    for (int run = 0; run < 2000; ++run) {
        for (int32_t d = 0; d < inputDeviceCount; ++d)
            for (int32_t a = 0; a < cabActionCount; ++a)
                if (kCabActions[a].tag != nullptr) s.cabControls[d][a] = anyControl(random);
        resolveCabBindings(s);
        expectOneActionAnInput(s, "run " + std::to_string(run));
        if (HasFailure()) return;
    }
}

TEST(CabBindings, ALaterActionFallsBackOrIsLeftWithout) {
    Settings s;
    const int32_t accelerate = actionIndex(CabAction::Accelerate);
    const int32_t brake = actionIndex(CabAction::Brake);
    const int32_t doors = actionIndex(CabAction::Doors);
    // The doors asked onto the high beam's H: the high beam comes first and keeps it.
    s.cabControls[Keyboard][doors] = control::shuffle;
    // Accelerate asked onto S: it keeps S, and the brake, whose own default is S, has no key.
    s.cabControls[Keyboard][accelerate] = control::brake;
    // The pad's doors asked onto Y, the game's own button to leave the cab.
    s.cabControls[Pad][doors] = 49;  // INPUT_ARREST
    BindingNotes notes;
    resolveCabBindings(s, &notes);
    EXPECT_EQ(s.cabBindings[Keyboard][doors].control, control::doors);
    EXPECT_EQ(notes[Keyboard][doors].outcome, BindingOutcome::FellBack);
    EXPECT_EQ(notes[Keyboard][doors].clash, CabAction::HighBeam);
    EXPECT_EQ(s.cabBindings[Keyboard][accelerate].control, control::brake);
    EXPECT_EQ(s.cabBindings[Keyboard][brake].control, noControl);
    EXPECT_EQ(notes[Keyboard][brake].outcome, BindingOutcome::Unbound);
    EXPECT_EQ(notes[Pad][doors].clash, CabAction::Enter);
    EXPECT_EQ(s.cabBindings[Pad][doors].control, control::cellphoneUp);

    // The call, on foot, may take a key of the cab's (the horn's E), never the enter control's F.
    const int32_t call = actionIndex(CabAction::CallTrain);
    s.cabControls[Keyboard][call] = control::horn;
    s.cabControls[Pad][call] = 49;  // INPUT_ARREST, on Y
    resolveCabBindings(s, &notes);
    EXPECT_EQ(s.cabBindings[Keyboard][call].control, control::horn);
    EXPECT_EQ(s.cabBindings[Keyboard][actionIndex(CabAction::Horn)].control, control::horn);
    EXPECT_EQ(s.cabBindings[Keyboard][call].heldOffCount, 0);
    EXPECT_EQ(notes[Pad][call].clash, CabAction::Enter);
    EXPECT_EQ(s.cabBindings[Pad][call].control, control::lookBehind);
}

TEST(CabBindings, AControlKeyTakesAnIdOrAnInputName) {
    const auto taken = [](const char* text, InputDevice device) { return parseControlValue(text, device); };
    EXPECT_EQ(taken("INPUT_VEH_HORN", Keyboard).control, control::horn);
    EXPECT_EQ(taken("  input_veh_horn ", Pad).control, control::horn);
    EXPECT_EQ(taken("113 G", Keyboard).control, control::doors);  // text after the number, as for every number
    // Only digits: read as other numbers are, these would be control 0, the camera key.
    for (const char* notWhole : {"172.9", "0x56", "-0.9", "1e2", "86G"}) {
        EXPECT_EQ(taken(notWhole, Keyboard).verdict, ControlVerdict::NotWhole) << notWhole;
        EXPECT_EQ(taken(notWhole, Keyboard).control, noControl) << notWhole;
    }
    EXPECT_EQ(taken("360", Keyboard).control, 360);
    EXPECT_EQ(taken("361", Keyboard).verdict, ControlVerdict::OutOfRange);
    EXPECT_EQ(taken("-1", Keyboard).verdict, ControlVerdict::OutOfRange);
    EXPECT_EQ(taken("99999999999999999999", Keyboard).verdict, ControlVerdict::OutOfRange);
    EXPECT_EQ(taken("INPUT_VEH_HORNS", Keyboard).verdict, ControlVerdict::NotAControl);
    EXPECT_EQ(taken("E", Keyboard).verdict, ControlVerdict::NotAControl);
    // A pad cannot be rebound, so a control without a button is refused there; a key can be given
    // to it in the game's own menu.
    EXPECT_EQ(taken("INPUT_VEH_NEXT_RADIO", Pad).verdict, ControlVerdict::NoButton);
    EXPECT_EQ(taken("INPUT_VEH_NEXT_RADIO", Keyboard).control, 81);
    EXPECT_EQ(taken("INPUT_VEH_SPECIAL", Keyboard).control, 65);
    EXPECT_EQ(taken("None", Pad).verdict, ControlVerdict::Taken);
    EXPECT_EQ(taken("none", Pad).control, noControl);
}

}  // namespace
