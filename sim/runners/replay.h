#pragma once
// Plays a ride recording back: the plug-in's state and settings restored from the first key point,
// then its passes run against the recorded answers, the recorded random numbers and configuration
// texts, through the stand-in's hook, which checks each call's arguments and writes the trace. Pass
// by pass the plug-in must make the recorded calls: the same natives in the same order, integer and
// text arguments exactly (by their digest), float arguments within the Wine check's tolerance. The
// first call that differs ends the replay; the game's answers are never made up.

#include <cstddef>
#include <cstdint>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "sim/runners/recording.h"

namespace sim {

struct ReplayOptions {
    std::ostream* timeline = nullptr;  // the readable account of the ride, as a scenario's
    std::ostream* trace = nullptr;     // every call, one JSON line each, as a scenario's --trace
    size_t passLimit = std::numeric_limits<size_t>::max();
    // Works in the current folder rather than a temporary one of its own (the fuzzer's scratch folder).
    bool inPlace = false;
};

// What the ride looked like after a pass: its game time (the frame times the plug-in read), the mode,
// the speed the display showed, the speed the plug-in commanded and the derailment risk.
struct ReplaySample {
    uint32_t pass = 0;
    double seconds = 0.0;
    int32_t mode = 0;
    float shownSpeed = 0.0f;
    float speed = 0.0f;
    float risk = 0.0f;
};

// Something that happened in a pass: "entry", "exit", "lost" (the game took the player off the
// train), "seat", "derailment", "restart" (the game reloaded), "explosion".
struct ReplayMark {
    uint32_t pass = 0;
    double seconds = 0.0;
    std::string kind;
};

struct ReplayResult {
    std::string refusal;  // why it was not played: another catalogue
    size_t passes = 0;    // passes played
    bool diverged = false;
    std::string divergence;
    std::vector<std::string> violations;  // the stand-in hook's findings on the calls
    std::vector<std::string> notes;       // fields of this build the recording lacks
    std::vector<ReplaySample> samples;
    std::vector<ReplayMark> marks;

    bool faithful() const { return refusal.empty() && !diverged && violations.empty(); }
    // "replayed N passes, no divergence", or what went wrong.
    std::string summary() const;
};

// Why this build cannot replay the recording (its catalogue differs), or empty.
std::string replayRefusal(const Recording& recording);

// One replay at a time: it binds the plug-in's hook and works in a temporary folder of its own.
ReplayResult replayRecording(const Recording& recording, const ReplayOptions& options = {});

}  // namespace sim
