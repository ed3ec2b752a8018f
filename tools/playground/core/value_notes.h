#pragma once
// What the values of a VornLoconaut.ini do that a player may not expect, in the player's own units.

#include <cstddef>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "config/cab_bindings.h"
#include "config/setting_table.h"
#include "config/settings.h"

namespace playground {

// The unit of a number key, with a speed also in km/h and mph: "m/s (= 144 km/h, 89.5 mph)".
std::string unitText(const SettingRow& key, double value);

// Notes on a number key's value text `text`, from line `line`: the plug-in's own conversion, on the
// VornLoconaut.ini in the working directory, decides what it read. `why` is set when the default
// holds all the same; `value`, the value in force as shown, becomes the number as the player wrote
// it where that is the same number ("99999999999", not "1e+11").
void noteNumberLine(const SettingRow& key, const std::string& text, size_t line, double inForce, std::string& why,
                    std::string& value, std::vector<std::string>& notes);

// A control as a player knows it: "172 INPUT_CELLPHONE_UP (D-pad up)"; "none" for noControl.
std::string controlText(int32_t control, InputDevice device);
// The same without its number: "INPUT_CELLPHONE_UP (D-pad up)"; "" for noControl.
std::string controlName(int32_t control, InputDevice device);

// Notes on a control key's value text: what it names, or why it names nothing the plug-in takes and
// where the action stays instead (`bound`, the control the cab reads).
void noteControlLine(const SettingRow& key, const std::string& text, size_t line, int32_t bound, std::string& why,
                     std::vector<std::string>& notes);
// Notes on where the action ended up once the actions were checked against each other: `chosen` is
// the control the key asked for, `bound` the one the cab reads, `line` the line that chose it (0: its
// default) and `clashLine` the line of the key that kept the input (0: none). `why` says so where the cab reads
// another control than the key asked for.
void noteBinding(const SettingRow& key, double chosen, int32_t bound, const BindingNote& note, size_t line,
                 size_t clashLine, std::string& why, std::vector<std::string>& notes);

// The model list of `key` as loaded: "models" (name and hash of each piece), and notes.
void modelNotes(const SettingRow& key, const Settings& s, std::vector<std::string>& notes, nlohmann::json& models);

}  // namespace playground
