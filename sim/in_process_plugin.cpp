#include "sim/in_process_plugin.h"

#include "host/native_invoker.h"
#include "host/script.h"

namespace sim {

namespace {

ScriptState* observedState = nullptr;

void observedScript() {
    ScriptState state;
    observedState = &state;
    // The game unwinds the script out of its wait with an exception; the state goes with it.
    struct Forget {
        ~Forget() { observedState = nullptr; }
    } forget;
    runScript(state);
}

}  // namespace

PluginGame::PluginGame(GameOptions options) : PluginGame(std::move(options), scriptMain) {}

PluginGame::PluginGame(GameOptions options, void (*script)()) : Game(std::move(options)) {
    gHook.nativeInit = hookNativeInit;
    gHook.nativePush64 = hookNativePush64;
    gHook.nativeCall = hookNativeCall;
    gHook.scriptWait = gameScriptWait;
    gHook.tickCount = gameTickCount;
    registerScript(script);
}

PluginGame::~PluginGame() {
    // The script must be unwound while the hook is still bound to this game.
    unregisterScript();
    gHook = HookFunctions{};
}

ObservedPluginGame::ObservedPluginGame(GameOptions options) : PluginGame(std::move(options), observedScript) {}

const ScriptState* ObservedPluginGame::state() const { return observedState; }

}  // namespace sim
