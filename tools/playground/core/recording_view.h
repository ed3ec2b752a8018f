#pragma once
// What the page shows of a ride recording a player drops on it: the summary, the ride over time and
// what happened in it (from a replay of the recording on this build's plug-in), and the settings it
// was made with, with the settings check's report on them.

#include <string>

#include <nlohmann/json.hpp>

namespace playground {

// Fields: "error" (why the file was refused, naming the byte; the other fields are then absent),
// "summary" (formatVersion, pluginVersion, reason, passes, seconds, catalogue {recording, page,
// same}, replay: the replay's one-line outcome in a developer's words, playback {same, seconds:
// when this build parts from the recording or null, refusedCall}: the same for a player's words),
// "series" (columns by pass: time in seconds, mode, shownSpeed and speed in m/s, risk), "marks"
// (kind, seconds, pass), "settings" (from: where the text comes from, ini, report: the settings
// check's report on it).
nlohmann::json recordingView(const std::string& bytes);

}  // namespace playground
