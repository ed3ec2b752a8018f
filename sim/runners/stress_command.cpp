#include "sim/runners/stress_command.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

#include "sim/runners/hostile.h"
#include "sim/runners/soak.h"

namespace sim {

namespace {

bool parseNumber(const char* text, double& value) {
    char* end = nullptr;
    value = std::strtod(text, &end);
    return end != text && *end == '\0' && std::isfinite(value);
}

int usage() {
    std::fprintf(stderr,
                 "usage: vornloconaut-sim --soak SECONDS [--seed N] [--workdir DIR] [--require-activity] [--verbose]\n"
                 "       vornloconaut-sim --hostile zero|garbage [--passes N] [--seed N] [--workdir DIR] [--require-activity]\n"
                 "                        [--verbose]\n");
    return 2;
}

}  // namespace

void printSoakSummary(std::ostream& out, const SoakOptions& options, const SoakSummary& s) {
    char time[64];
    std::snprintf(time, sizeof time, "%.1f s (%.2f h)", s.gameSeconds, s.gameSeconds / 3600.0);
    out << "soak (seed " << options.seed << "): " << s.frames << " frames, " << time << " of game time, "
        << s.pausedFrames << " paused frames\n"
        << "  entries " << s.entries << ", exits " << s.exits << ", derailments " << s.derailments << " ("
        << s.manualDerailments << " by the derail key), explosions " << s.explosions << "\n"
        << "  wagons deleted " << s.wagonsDeleted << ", max wagons kept " << s.maxWagons << "\n"
        << "  engineer commands " << s.engineerCommands << ", engineer follow passes " << s.engineerFollowPasses
        << ", tram door motions " << s.tramDoorMotions << ", horns " << s.horns << ", seat changes "
        << s.seatChanges << ", high beam switches " << s.highBeamSwitches << "\n"
        << "  INI edits " << s.iniEdits << ", INI deletions " << s.iniDeletions << ", trains spawned "
        << s.trainsSpawned << ", removed or killed by the game " << s.gameRemovals << ", script restarts "
        << s.restarts << "\n"
        << "  the game's life: " << s.lifeEvents << " deaths, arrests, switches, warps, train deletions and save loads ("
        << s.saveLoads << " save loads), rides lost to the game " << s.ridesLost << "\n"
        << "  violations " << s.violationCount << ", behaviour faults " << s.checkFailures << "\n";
    for (const std::string& f : s.failures) out << "  " << f << "\n";
    out << (s.passed() ? "soak: passed" : "soak: FAILED") << std::endl;
}

int runStressCommand(int argc, char** argv) {
    bool soak = false;
    bool hostile = false;
    for (int i = 1; i < argc; ++i) {
        soak = soak || std::string(argv[i]) == "--soak";
        hostile = hostile || std::string(argv[i]) == "--hostile";
    }
    if (!soak && !hostile) return -1;
    if (soak && hostile) return usage();
    SoakOptions soakOptions;
    HostileOptions hostileOptions;
    double number = 0.0;
    bool verbose = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--soak" && hasValue && parseNumber(argv[i + 1], number) && number >= 0.0 && number <= 1e7) {
            soakOptions.seconds = number;
            ++i;
        } else if (arg == "--hostile" && hasValue && (std::string(argv[i + 1]) == "zero" || std::string(argv[i + 1]) == "garbage")) {
            hostileOptions.kind = std::string(argv[++i]) == "zero" ? HostileKind::Zero : HostileKind::Garbage;
        } else if (arg == "--passes" && hostile && hasValue && parseNumber(argv[i + 1], number) && number >= 0.0 &&
                   number <= 2e9) {
            hostileOptions.passes = static_cast<int>(number);
            ++i;
        } else if (arg == "--seed" && hasValue && parseNumber(argv[i + 1], number) && number >= 0.0 &&
                   number <= 4294967295.0 && number == std::floor(number)) {
            soakOptions.seed = hostileOptions.seed = static_cast<uint32_t>(number);
            ++i;
        } else if (arg == "--workdir" && hasValue) {
            soakOptions.workdir = hostileOptions.workdir = argv[++i];
        } else if (arg == "--require-activity") {
            soakOptions.requireActivity = hostileOptions.requireActivity = true;
        } else if (arg == "--verbose") {
            verbose = true;
        } else {
            return usage();
        }
    }
    if (hostile) {
        const HostileSummary summary = runHostile(hostileOptions);
        printHostileSummary(std::cout, hostileOptions, summary, verbose);
        return summary.passed() ? 0 : 1;
    }
    if (verbose) soakOptions.progress = &std::cout;
    const SoakSummary summary = runSoak(soakOptions);
    printSoakSummary(std::cout, soakOptions, summary);
    return summary.passed() ? 0 : 1;
}

}  // namespace sim
