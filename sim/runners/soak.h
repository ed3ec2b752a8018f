#pragma once
// The soak: hours of game time of random but seeded play across a freight and a tram line - every
// control the plug-in reads, entries and exits, derailments in tight bends and by the derail key,
// the engineer killed, entities deleted and vehicles removed by the game, edits and deletions of
// the INI file, frame times that vary and stop, game reloads that restart the script, and the game's
// life around the player (death and respawn, arrest, character switches, warps, trains deleted under
// the player, save loads) - checked all the way: no ABI violation (so no NaN or infinity reaching a
// native, and no native called by an abandoned script), no handle used after the plug-in deleted it,
// and the shared behaviour check after every pass (sim/runners/behaviour_check.h).

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace sim {

struct SoakOptions {
    double seconds = 600.0;  // of game time, at 60 frames a second
    uint32_t seed = 1;
    std::string workdir;  // empty: a fresh temporary one
    // Fail unless the run reached entries, derailments, explosions, wagon deletions, engineer
    // commands, tram door motions and script restarts: a soak that never got there proved little.
    bool requireActivity = false;
    std::ostream* progress = nullptr;  // a line per simulated hour and the notable events
};

struct SoakSummary {
    int64_t frames = 0;
    double gameSeconds = 0.0;
    int64_t entries = 0;
    int64_t exits = 0;
    int64_t derailments = 0;
    int64_t manualDerailments = 0;  // with the derail key down
    int64_t explosions = 0;
    int64_t wagonsDeleted = 0;
    int64_t engineerCommands = 0;
    int64_t engineerFollowPasses = 0;
    int64_t tramDoorMotions = 0;
    int64_t horns = 0;
    int64_t seatChanges = 0;
    int64_t highBeamSwitches = 0;
    int64_t iniEdits = 0;
    int64_t iniDeletions = 0;
    int64_t trainsSpawned = 0;
    int64_t gameRemovals = 0;  // vehicles and characters the game removed or killed by itself
    int64_t restarts = 0;      // game reloads: the script started again, the old one abandoned
    int64_t lifeEvents = 0;    // deaths, arrests, character switches, warps, train deletions, save loads
    int64_t saveLoads = 0;
    int64_t ridesLost = 0;     // cab passes that ended the ride for the game's sake
    size_t checkFailures = 0;  // faults of the shared behaviour check (sim/runners/behaviour_check.h)
    int64_t pausedFrames = 0;
    size_t maxWagons = 0;
    size_t violationCount = 0;
    std::vector<std::string> failures;  // the first ones
    bool passed() const { return failures.empty() && violationCount == 0 && checkFailures == 0; }
};

SoakSummary runSoak(const SoakOptions& options);
void printSoakSummary(std::ostream& out, const SoakOptions& options, const SoakSummary& summary);

}  // namespace sim
