#pragma once
// How a train drives under a VornLoconaut.ini: the plug-in itself drives a freight train or a tram
// in the stand-in's world, entered as a player enters it, at 60 frames a second. Each run takes the
// settings the file yields, as the settings report writes them ("settingsIni"): the plug-in loads
// its file at every entry, and that text is short whatever the player's file is.

#include <string>

#include <nlohmann/json.hpp>

#include "config/train_kind.h"

namespace playground {

inline constexpr float kFrameSeconds = 1.0f / 60.0f;
// Samples of a run's curves are this many frames apart.
inline constexpr int kSampleFrames = 15;

// The train of `kind` on a long straight track, from a standstill with the accelerate key held.
// Fields: "time" (s from the first frame with the key down), "speed" (m/s, as the plug-in sets it),
// "topSpeed", "timeToTop" and "timeTo100" (s or null), "model", "drivenAs" (the kind the plug-in
// took the train for), "startFrame" (of the key), "note"; "error" alone when no train can be driven.
nlohmann::json accelerationRun(const std::string& settings, TrainKind kind);

// The train entered at its top speed, then the brake held, then (a second run) the handbrake:
// "from" (m/s), and "brake" and "handbrake", each with "distance" (m since the key went down),
// "speed" (m/s), "stopDistance" and "stopTime" (null when it did not stop within the run), "note".
nlohmann::json brakingRun(const std::string& settings, TrainKind kind);

// The highest speed (m/s, 0.1 m/s apart) at which the train runs round a circle of `radius` metres
// for 4 s without derailing: "speed", "capped" (true when not even the top speed derails it).
nlohmann::json bendRun(const std::string& settings, TrainKind kind, float radius);

}  // namespace playground
