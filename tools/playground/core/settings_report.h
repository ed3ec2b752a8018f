#pragma once
// What a VornLoconaut.ini says to the plug-in: for each of its keys the value in force and the
// line that supplied it (from the plug-in's own reader and load), or why the default holds; every
// line the reader passes over and why; values taken as written that will surprise a player.

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

namespace playground {

// Runs the plug-in's load on `ini` (as VornLoconaut.ini in the working directory). Fields: "keys"
// (one object a key, in the order of the load: key, type, unit, value, default, line or null, why,
// notes, and "optional" for a key the default file leaves out), "ignored" (line, text, length,
// reason, why, suggestion), "ignoredByReason", "ignoredTotal", "lineCount", "settingsIni" (the
// settings in force as one key a line at full precision: loading it gives the same record).
nlohmann::json settingsReport(const std::string& ini);

// The report's own reading of the lines of `ini`: each key, in the order of the load, with the line
// that supplies it, if any. It must agree with the plug-in's reader, which the report takes the
// line numbers from; the ignored lines come from this reading.
std::vector<std::pair<std::string, std::optional<size_t>>> suppliedLines(const std::string& ini);

// Loads `ini` and writes the settings it yields back as such a one-key-a-line text.
std::string settingsIni(const std::string& ini);

// The default VornLoconaut.ini, written by the plug-in's own writer.
std::string defaultIni();

}  // namespace playground
