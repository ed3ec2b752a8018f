// The stand-in for the game as ScriptHookV.dll: the hook's six functions (exported under their
// mangled names by ScriptHookV.def) in front of the simulator, and a plain entry through which the
// Windows host plays a scenario with whichever script the loaded plug-in registered.

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "sim/game.h"
#include "sim/hook.h"
#include "sim/scenario.h"

namespace {

HMODULE gScriptModule = nullptr;
void (*gScript)() = nullptr;
int gRegistered = 0;
int gUnregistered = 0;

}  // namespace

extern "C" {

void vornScriptRegister(HMODULE module, void (*script)()) {
    // One script per module, as the real hook keeps them; a second registration replaces the first.
    if (module == nullptr || script == nullptr) {
        return;
    }
    gScriptModule = module;
    gScript = script;
    ++gRegistered;
}

void vornScriptUnregister(HMODULE module) {
    if (module == nullptr || module != gScriptModule) {
        return;
    }
    // The script's fiber is never resumed again: its code is about to be unmapped.
    gScriptModule = nullptr;
    gScript = nullptr;
    ++gUnregistered;
}

void vornScriptWait(DWORD milliseconds) {
    if (sim::Game::current != nullptr) {
        sim::Game::current->scriptWait(static_cast<uint32_t>(milliseconds));
    }
}

void vornNativeInit(uint64_t hash) { sim::hookNativeInit(hash); }
void vornNativePush64(uint64_t value) { sim::hookNativePush64(value); }
uint64_t* vornNativeCall() { return sim::hookNativeCall(); }

int vornRegisteredScripts() { return gRegistered; }
int vornUnregisteredScripts() { return gUnregistered; }

// Plays the scenario with the current directory as the game's folder. 0 when it ran and every
// expectation held; the failures are printed.
int vornPlayScenario(const char* scenarioPath, const char* tracePath) {
    if (gScript == nullptr) {
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
        game.registerScript(gScript);
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
