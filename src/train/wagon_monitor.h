#pragma once
#include "config/settings.h"
#include "host/script_state.h"
#include "util/count.h"
#include "util/frame_time.h"

// The checks, called only when one is due (a tick, a distance check or too many wagons): forget
// vanished wagons, delete by count and (on a distance check) by distance, and on a tick keep their
// physics awake and run the explosion checks.
void checkDerailedWagons(ScriptState& state, bool tick, bool distanceCheck);

// How many derailed wagons are kept: a negative setting empties the list, like 0.
inline std::size_t wagonCountLimit() { return countOrZero(gSettings.derailedWagonsMaxCount); }

// End of every pass with derailed wagons: counts the pass and its frame time and makes the checks
// that are due. Most passes only count the time, here, without a call into the monitor.
inline void runWagonMonitor(ScriptState& state) {
    if (state.derailedWagons.empty()) {
        return;
    }
    ++state.wagonPassCounter;
    state.wagonCheckTime += FrameSeconds();
    const bool tick = static_cast<double>(state.wagonCheckTime) > 0.2;
    const bool distanceCheck = state.wagonPassCounter > 600;
    if (tick || distanceCheck || state.derailedWagons.size() > wagonCountLimit()) {
        checkDerailedWagons(state, tick, distanceCheck);
    }
}
