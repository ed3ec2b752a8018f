// vornloconaut-sim SCENARIO.json [--trace FILE] [--workdir DIR] [--zero]
// Plays a scenario with the plug-in bound in-process and prints the timeline on stdout.
// vornloconaut-sim --soak SECONDS ... and --hostile zero|garbage ...: see sim/soak.h.

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>

#include "sim/in_process_plugin.h"
#include "sim/scenario.h"
#include "sim/soak.h"

int main(int argc, char** argv) {
    if (const int code = sim::runStressCommand(argc, argv); code >= 0) return code;
    std::string scenarioPath;
    std::string tracePath;
    std::string workdir;
    bool zero = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--trace" && i + 1 < argc) {
            tracePath = argv[++i];
        } else if (arg == "--workdir" && i + 1 < argc) {
            workdir = argv[++i];
        } else if (arg == "--zero") {
            zero = true;
        } else if (!arg.empty() && arg[0] != '-' && scenarioPath.empty()) {
            scenarioPath = arg;
        } else {
            std::fprintf(stderr, "usage: vornloconaut-sim SCENARIO.json [--trace FILE] [--workdir DIR] [--zero]\n");
            return 2;
        }
    }
    if (scenarioPath.empty()) {
        std::fprintf(stderr, "usage: vornloconaut-sim SCENARIO.json [--trace FILE] [--workdir DIR] [--zero]\n");
        return 2;
    }
    sim::Scenario scenario;
    try {
        scenario = sim::loadScenario(scenarioPath);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vornloconaut-sim: %s\n", e.what());
        return 2;
    }
    std::ofstream trace;
    if (!tracePath.empty()) {
        trace.open(tracePath, std::ios::binary | std::ios::trunc);
        if (!trace) {
            std::fprintf(stderr, "vornloconaut-sim: cannot write %s\n", tracePath.c_str());
            return 2;
        }
    }
    sim::GameOptions options;
    options.workdir = workdir;
    options.answerZero = zero;
    options.trace = tracePath.empty() ? nullptr : &trace;
    sim::ScenarioResult result;
    {
        sim::PluginGame game(options);
        result = sim::playScenario(game, scenario, &std::cout);
    }
    for (const std::string& f : result.failures) std::cout << "  " << f << '\n';
    return result.passed() ? 0 : 1;
}
