// The loading-chain check's other plug-ins, beside VornLoconaut.asi in the game folder.
//
// Built with VORN_TEST_PLUGIN_IMPORTS_HOOK (OtherScript.asi, sorting before VornLoconaut.asi): a
// plug-in that imports the hook as ours does and registers a script of its own, which only counts
// its passes, so that the trace stays the plug-in's. Without (WithoutHook.asi, sorting after it): a
// plug-in that imports nothing, which loads whether or not the hook is there.

#include "host/script_hook.h"

#if defined(VORN_TEST_PLUGIN_IMPORTS_HOOK)

namespace {

int gPasses = 0;

void countPasses() {
    for (;;) {
        ++gPasses;
        vornScriptWait(0);
    }
}

}  // namespace

extern "C" __declspec(dllexport) int vornTestPasses() { return gPasses; }

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        vornScriptRegister(module, countPasses);
    } else if (reason == DLL_PROCESS_DETACH) {
        vornScriptUnregister(module);
    }
    return TRUE;
}

#else

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }

#endif
