#pragma once
// Texts and numbers as the page shows them to a player.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "host/controls.h"

namespace playground {

// A player sees the start of a text, cut where it goes on too long.
inline constexpr size_t kShownBytes = 160;
std::string shown(const std::string& text);
// `text` shown, in double quotes.
std::string inQuotes(const std::string& text);

std::string trimmed(std::string text);
std::string lowered(std::string text);

// A whole number of any size, without exponent ("-7", "1000000000000").
std::string wholeNumber(double value);
// Shortest decimal text that reads back as the same float ("0.88", "40", "1e+30").
std::string shortFloat(float value);
// One decimal at most, none when it is 0: 144, 89.5, 0.7.
std::string rounded(double value);

// A key or button of the game's control list as a player reads it on the keyboard or the pad:
// "Space", "D-pad up", "left stick", "L3", "W".
std::string inputShown(std::string_view name, InputDevice device);
// The keys or buttons that fire a control by default, so read: "Enter or Space"; "" for none.
std::string inputsShown(int32_t control, InputDevice device);

}  // namespace playground
