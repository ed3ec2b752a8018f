// The Windows entry of VornLoconaut.asi: registers the script with the hook it imports. The hook
// is bound by the loader before DllMain runs; a game without it never gets this far.

#include "host/native_invoker.h"
#include "host/script.h"
#include "host/script_hook.h"

namespace {

void waitForNextFrame(uint32_t milliseconds) { vornScriptWait(static_cast<DWORD>(milliseconds)); }
uint32_t systemTickCount() { return static_cast<uint32_t>(GetTickCount()); }

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        gHook.nativeInit = vornNativeInit;
        gHook.nativePush64 = vornNativePush64;
        gHook.nativeCall = vornNativeCall;
        gHook.scriptWait = waitForNextFrame;
        gHook.tickCount = systemTickCount;
        vornScriptRegister(module, scriptMain);
    } else if (reason == DLL_PROCESS_DETACH) {
        vornScriptUnregister(module);
    }
    return TRUE;
}
