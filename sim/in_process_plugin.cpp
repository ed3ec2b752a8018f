#include "sim/in_process_plugin.h"

#include "host/native_invoker.h"
#include "host/script.h"

namespace sim {

PluginGame::PluginGame(GameOptions options) : Game(std::move(options)) {
    gHook.nativeInit = hookNativeInit;
    gHook.nativePush64 = hookNativePush64;
    gHook.nativeCall = hookNativeCall;
    gHook.scriptWait = gameScriptWait;
    gHook.tickCount = gameTickCount;
    registerScript(scriptMain);
}

PluginGame::~PluginGame() {
    // The script must be unwound while the hook is still bound to this game.
    unregisterScript();
    gHook = HookFunctions{};
}

}  // namespace sim
