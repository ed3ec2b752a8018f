#pragma once
// The game's controls, in this one place: the plug-in reads them, the stand-in, the benchmark and the
// tests press them. An id is the game's (its INPUT_ list in the public native databases; the key is
// the keyboard's default), so a scenario file names a control by the same number.

#include <cstdint>

// The control group every control is read in.
inline constexpr int32_t controlGroup = 2;

namespace control {
inline constexpr int32_t enter = 23;       // INPUT_ENTER (F): the train search, held to enter
inline constexpr int32_t exit = 75;        // INPUT_VEH_EXIT (F): leave the cab
inline constexpr int32_t accelerate = 71;  // INPUT_VEH_ACCELERATE (W)
inline constexpr int32_t brake = 72;       // INPUT_VEH_BRAKE (S): brake, then reverse
inline constexpr int32_t handbrake = 76;   // INPUT_VEH_HANDBRAKE (Space)
inline constexpr int32_t seatLeft = 34;    // INPUT_MOVE_LEFT_ONLY (A): seat change
inline constexpr int32_t seatRight = 35;   // INPUT_MOVE_RIGHT_ONLY (D): seat change
inline constexpr int32_t highBeam = 74;    // INPUT_VEH_HEADLIGHT (H)
inline constexpr int32_t horn = 86;        // INPUT_VEH_HORN (E): the horn held, the engineer's command tapped
inline constexpr int32_t doors = 113;      // INPUT_VEH_FLY_UNDERCARRIAGE (G)
inline constexpr int32_t derail = 73;      // INPUT_VEH_DUCK (X): manual derailment
// INPUT_VEH_RADIO_WHEEL (Q): the plug-in leaves it to the game; a player presses it all the same.
inline constexpr int32_t radio = 85;
}  // namespace control
