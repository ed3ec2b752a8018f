// The Windows entry of VornLoconaut.asi: registers the script with the hook it imports. The hook
// is bound by the loader before DllMain runs; a game without it never gets this far.
//
// One plug-in per game: players leave a second copy where a loader finds it too (another name, or
// one in the game folder and one in scripts\), and each copy would read the keys, seat the player
// and drive the train. The first copy to attach takes a mutex named after the process; a later copy
// finds it taken and registers nothing. The name holds the process id, so two games never meet,
// and never a file name, which the copies do not share.

#include "host/native_invoker.h"
#include "host/recorder.h"
#include "host/script.h"
#include "host/script_hook.h"

namespace {

void waitForNextFrame(uint32_t milliseconds) { vornScriptWait(static_cast<DWORD>(milliseconds)); }
uint32_t systemTickCount() { return static_cast<uint32_t>(GetTickCount()); }
int32_t allVehicles(int32_t* handles, int32_t capacity) { return vornWorldGetAllVehicles(handles, capacity); }

// Held while this copy's script is registered.
HANDLE gOnePerGame = nullptr;
bool gRegistered = false;

// True for the first copy in this process. A mutex that cannot be made for any other reason than
// another copy's lets this one run: one ride is better than none.
bool firstCopyInThisGame() {
    wchar_t name[] = L"Local\\VornLoconaut.0000000000";
    DWORD id = GetCurrentProcessId();
    for (size_t at = sizeof(name) / sizeof(name[0]) - 2; id != 0; --at, id /= 10) {
        name[at] = static_cast<wchar_t>(L'0' + id % 10);
    }
    gOnePerGame = CreateMutexW(nullptr, FALSE, name);
    const DWORD error = GetLastError();
    if (gOnePerGame != nullptr && error == ERROR_ALREADY_EXISTS) {
        CloseHandle(gOnePerGame);
        gOnePerGame = nullptr;
        return false;
    }
    return gOnePerGame != nullptr || error != ERROR_ACCESS_DENIED;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        if (!firstCopyInThisGame()) {
            return TRUE;
        }
        gHook.nativeInit = vornNativeInit;
        gHook.nativePush64 = vornNativePush64;
        gHook.nativeCall = vornNativeCall;
        gHook.scriptWait = waitForNextFrame;
        gHook.tickCount = systemTickCount;
        gHook.worldGetAllVehicles = allVehicles;
        vornScriptRegister(module, scriptMain);
        gRegistered = true;
    } else if (reason == DLL_PROCESS_DETACH && gRegistered) {
        vornScriptUnregister(module);
        // A ride that ended a moment ago is still being written: its bytes are in memory.
        finishRecordingAtUnload();
        if (gOnePerGame != nullptr) {
            CloseHandle(gOnePerGame);
        }
    }
    return TRUE;
}
