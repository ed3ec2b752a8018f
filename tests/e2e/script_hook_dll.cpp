// The stand-in for the game as ScriptHookV.dll: the hook's functions (exported under their
// mangled names by ScriptHookV.def) in front of the simulator, and a plain entry through which the
// Windows host, once its ASI loader has loaded the plug-ins, plays a scenario with every script
// they registered.
//
// As the hook does, it keeps one script per module and runs each every frame (an open
// re-implementation, Give-Two/ScriptHookV, keeps them in a map by module in
// ScriptHookV/Scripting/ScriptManager.cpp), and on a game reload it calls each script main again on
// a new fiber (scripthookvdotnet's source/core/DllMain.cpp is written around that), which
// Game::restartScripts plays.

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <vector>

#include "sim/runners/game.h"
#include "sim/world/hook.h"
#include "sim/runners/scenario.h"

namespace {

struct Registration {
    HMODULE module;
    void (*script)();
};
std::vector<Registration> gScripts;  // in the order registered
int gRegistered = 0;
int gUnregistered = 0;

}  // namespace

extern "C" {

void vornScriptRegister(HMODULE module, void (*script)()) {
    if (module == nullptr || script == nullptr) {
        return;
    }
    // A second registration of a module replaces its script.
    const auto same = std::find_if(gScripts.begin(), gScripts.end(), [&](const Registration& r) { return r.module == module; });
    if (same != gScripts.end()) {
        same->script = script;
    } else {
        gScripts.push_back(Registration{module, script});
    }
    ++gRegistered;
}

void vornScriptUnregister(HMODULE module) {
    const auto same = std::find_if(gScripts.begin(), gScripts.end(), [&](const Registration& r) { return r.module == module; });
    if (same == gScripts.end()) {
        return;
    }
    // The script's fiber is never resumed again: its code is about to be unmapped.
    gScripts.erase(same);
    ++gUnregistered;
}

void vornScriptWait(DWORD milliseconds) {
    if (sim::Game::current != nullptr) {
        sim::Game::current->scriptWait(static_cast<uint32_t>(milliseconds));
    }
}

void vornNativeInit(uint64_t hash) { sim::gameNativeInit(hash); }
void vornNativePush64(uint64_t value) { sim::hookNativePush64(value); }
uint64_t* vornNativeCall() { return sim::hookNativeCall(); }
int vornWorldGetAllVehicles(int* buffer, int capacity) { return sim::hookWorldGetAllVehicles(buffer, capacity); }

int vornRegisteredScripts() { return gRegistered; }
int vornUnregisteredScripts() { return gUnregistered; }

// Plays the scenario with the current directory as the game's folder. 0 when it ran and every
// expectation held; the failures are printed.
int vornPlayScenario(const char* scenarioPath, const char* tracePath) {
    if (gScripts.empty()) {
        std::fprintf(stderr, "ScriptHookV: no script registered\n");
        return 1;
    }
    try {
        const sim::Scenario scenario = sim::loadScenario(scenarioPath);
        std::ofstream trace(tracePath, std::ios::binary);
        if (!trace) {
            std::fprintf(stderr, "ScriptHookV: cannot write %s\n", tracePath);
            return 1;
        }
        sim::GameOptions options;
        options.workdir = std::filesystem::current_path().string();
        options.trace = &trace;
        options.frameSeconds = scenario.frameSeconds;
        sim::Game game(options);
        for (const Registration& r : gScripts) {
            game.registerScript(r.script, r.module);
        }
        const sim::ScenarioResult result = sim::playScenario(game, scenario, &std::cout);
        std::cout.flush();
        for (const auto& failure : result.failures) {
            std::fprintf(stderr, "ScriptHookV: %s\n", failure.c_str());
        }
        return result.passed() ? 0 : 3;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "ScriptHookV: %s\n", error.what());
        return 2;
    }
}

}  // extern "C"
