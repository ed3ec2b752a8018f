#pragma once
// The modes of play the per-pass benchmark times, each played on the game stand-in up to a steady
// moment and then recorded for a cycle of passes: every call's hash, arguments and result slots.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "config/settings.h"
#include "host/script_state.h"

namespace bench {

constexpr size_t kSlots = 3;  // result slots a caller may read (a vector's three floats)

// A cycle of passes as the plug-in issued them: flat arrays indexed by call, then by pass.
struct Recording {
    std::vector<uint64_t> hashes;
    std::vector<uint32_t> argBegin;  // per call, into args; one more entry closes the last call
    std::vector<uint64_t> args;
    std::vector<uint64_t> results;   // kSlots per call
    std::vector<uint32_t> passBegin;  // per pass, into the calls; one more entry closes the last pass

    size_t passes() const { return passBegin.size() - 1; }
    size_t calls() const { return hashes.size(); }
};

struct Mode {
    std::string name;
    Settings settings;
    ScriptState before;  // the state the cycle starts from, restored at every cycle's start
    Recording recording;
    std::vector<int32_t> vehicles;  // the game's vehicle list, steady through the cycle
    double allocationsPerPass = 0.0;
    std::string fault;  // why the replay cannot be trusted; empty when it is faithful
};

Mode onFootFollowing();
Mode entering();
Mode freightCab();
Mode derailedWagons();
Mode onFootMapBlips();

}  // namespace bench
