#include "sim/runners/in_process_plugin.h"

#include "host/native_invoker.h"
#include "host/recorder.h"
#include "host/script.h"
#include "train/held_in_game.h"

namespace sim {

namespace {

ScriptState* observedState = nullptr;

void observedScript() {
    ScriptState state;
    observedState = &state;
    // The game unwinds the script out of its wait with an exception; the state goes with it. An
    // abandoned run is unwound long after a restart started the next one, whose state stays.
    struct Forget {
        const ScriptState* mine;
        ~Forget() {
            if (observedState == mine) observedState = nullptr;
        }
    } forget{&state};
    runScript(state);
}

}  // namespace

PluginGame::PluginGame(GameOptions options) : PluginGame(std::move(options), scriptMain) {}

PluginGame::PluginGame(GameOptions options, void (*script)()) : Game(std::move(options)) {
    gHook.nativeInit = gameNativeInit;
    gHook.nativePush64 = hookNativePush64;
    gHook.nativeCall = hookNativeCall;
    gHook.scriptWait = gameScriptWait;
    gHook.tickCount = gameTickCount;
    gHook.worldGetAllVehicles = hookWorldGetAllVehicles;
    // What a script of an earlier game in this process held is nothing of this one's.
    forgetHeldByLastRun();
    registerScript(script);
}

PluginGame::~PluginGame() {
    // The script must be unwound while the hook is still bound to this game.
    unregisterScript();
    // The game quits: the plug-in unloads, as in host/dllmain.cpp, still in the game's folder.
    finishRecordingAtUnload();
    gHook = HookFunctions{};
}

ObservedPluginGame::ObservedPluginGame(GameOptions options) : PluginGame(std::move(options), observedScript) {}

const ScriptState* ObservedPluginGame::state() const { return observedState; }

}  // namespace sim
