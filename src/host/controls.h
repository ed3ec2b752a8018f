#pragma once
// The game's controls the plug-in names, in this one place: the plug-in reads them, the stand-in, the
// benchmark and the tests press them. An id is the game's (its INPUT_ list in the public native
// databases; host/game_controls.h has all of them with their keys and buttons), so a scenario file
// names a control by the same number. The cab's actions and the controls they take on each device
// are in host/cab_actions.h.

#include <cstdint>

// The control group every control is read in.
inline constexpr int32_t controlGroup = 2;
// The group the game's own actions are held off in, as its own passenger scripts do.
inline constexpr int32_t playerControlGroup = 0;

// The device the game says the player used last (IS_USING_KEYBOARD_AND_MOUSE); a cab action takes
// the control of that device's column.
enum InputDevice : int32_t { Keyboard = 0, Pad = 1 };
inline constexpr int32_t inputDeviceCount = 2;

namespace control {
inline constexpr int32_t enter = 23;       // INPUT_ENTER (F / Y): the train search, held to enter
inline constexpr int32_t exit = 75;        // INPUT_VEH_EXIT (F / Y): leave the cab
inline constexpr int32_t accelerate = 71;  // INPUT_VEH_ACCELERATE (W / RT)
inline constexpr int32_t brake = 72;       // INPUT_VEH_BRAKE (S / LT): brake, then reverse
inline constexpr int32_t handbrake = 76;   // INPUT_VEH_HANDBRAKE (Space / RB)
inline constexpr int32_t seatLeft = 34;    // INPUT_MOVE_LEFT_ONLY (A / left stick): seat change
inline constexpr int32_t seatRight = 35;   // INPUT_MOVE_RIGHT_ONLY (D / left stick): seat change
inline constexpr int32_t highBeam = 74;    // INPUT_VEH_HEADLIGHT (H / D-pad right)
inline constexpr int32_t horn = 86;        // INPUT_VEH_HORN (E / L3): the horn held, the engineer's command tapped
inline constexpr int32_t doors = 113;      // INPUT_VEH_FLY_UNDERCARRIAGE (G / L3)
inline constexpr int32_t derail = 73;      // INPUT_VEH_DUCK (X / A): manual derailment
// INPUT_VEH_RADIO_WHEEL (Q / D-pad left): the plug-in leaves it to the game; a player presses it all the same.
inline constexpr int32_t radio = 85;

// The pad's own buttons for the cab, free while a player sits in a train and does not use the phone:
// the phone's controls, whose buttons the cab leaves to the phone while it is up.
inline constexpr int32_t cellphoneUp = 172;           // INPUT_CELLPHONE_UP (D-pad up): the pad's doors
inline constexpr int32_t cellphoneDown = 173;         // INPUT_CELLPHONE_DOWN (D-pad down): the pad's seat change
inline constexpr int32_t cellphoneSelect = 176;       // INPUT_CELLPHONE_SELECT (A): answers a call
inline constexpr int32_t cellphoneCancel = 177;       // INPUT_CELLPHONE_CANCEL (B): back, rejects a call
inline constexpr int32_t cellphoneExtraOption = 179;  // INPUT_CELLPHONE_EXTRA_OPTION (X): the pad's derailment

// On foot, held to call a train. In story mode the game's only use of C and R3 on foot is this look over
// the shoulder, which lasts as long as the hold and changes nothing in the world (the public control
// list: INPUT_LOOK_BEHIND, C and R3); one control for both devices is one read a pass.
inline constexpr int32_t lookBehind = 26;  // INPUT_LOOK_BEHIND (C / R3)

// The game's own actions on the cab's inputs.
inline constexpr int32_t nextCamera = 0;         // INPUT_NEXT_CAMERA
inline constexpr int32_t characterWheel = 19;    // INPUT_CHARACTER_WHEEL
inline constexpr int32_t phone = 27;             // INPUT_PHONE (D-pad up)
inline constexpr int32_t context = 51;           // INPUT_CONTEXT (E / D-pad right)
inline constexpr int32_t contextSecondary = 52;  // INPUT_CONTEXT_SECONDARY
inline constexpr int32_t cinematicCamera = 80;   // INPUT_VEH_CIN_CAM (R / B)
inline constexpr int32_t shuffle = 104;          // INPUT_VEH_SHUFFLE (H / D-pad right): the game's seat shuffle
}  // namespace control
