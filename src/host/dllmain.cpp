// The Windows entry of VornLoconaut.asi: binds the script hook's functions by the names the hook
// really exports (MSVC-mangled C++ names) and registers the script. Without the hook, or with any
// of its functions missing, the plug-in stays inert.

#define WIN32_LEAN_AND_MEAN
#define NOMINMAX  // windows.h must not turn std::min and std::max into macros
#include <windows.h>

#include "host/native_invoker.h"
#include "host/script.h"

namespace {

using ScriptRegisterFunction = void (*)(HMODULE, void (*)());
using ScriptUnregisterFunction = void (*)(HMODULE);
using ScriptWaitFunction = void (*)(DWORD);
using NativeInitFunction = void (*)(uint64_t);
using NativePush64Function = void (*)(uint64_t);
using NativeCallFunction = uint64_t* (*)();

ScriptUnregisterFunction unregisterScript = nullptr;
ScriptWaitFunction hookScriptWait = nullptr;

template <class Function>
Function bindExport(HMODULE hook, const char* symbol) {
    // Through the generic function type, which converts to any other without a cast warning.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(hook, symbol)));
}

void waitForNextFrame(uint32_t milliseconds) { hookScriptWait(static_cast<DWORD>(milliseconds)); }
uint32_t systemTickCount() { return static_cast<uint32_t>(GetTickCount()); }

void attach(HMODULE module) {
    HMODULE hook = GetModuleHandleW(L"ScriptHookV.dll");
    if (hook == nullptr) {
        return;
    }
    const auto registerScript = bindExport<ScriptRegisterFunction>(hook, "?scriptRegister@@YAXPEAUHINSTANCE__@@P6AXXZ@Z");
    const auto unregister = bindExport<ScriptUnregisterFunction>(hook, "?scriptUnregister@@YAXPEAUHINSTANCE__@@@Z");
    const auto wait = bindExport<ScriptWaitFunction>(hook, "?scriptWait@@YAXK@Z");
    const auto init = bindExport<NativeInitFunction>(hook, "?nativeInit@@YAX_K@Z");
    const auto push = bindExport<NativePush64Function>(hook, "?nativePush64@@YAX_K@Z");
    const auto call = bindExport<NativeCallFunction>(hook, "?nativeCall@@YAPEA_KXZ");
    if (registerScript == nullptr || unregister == nullptr || wait == nullptr || init == nullptr || push == nullptr ||
        call == nullptr) {
        return;
    }
    hookScriptWait = wait;
    gHook.nativeInit = init;
    gHook.nativePush64 = push;
    gHook.nativeCall = call;
    gHook.scriptWait = waitForNextFrame;
    gHook.tickCount = systemTickCount;
    unregisterScript = unregister;
    registerScript(module, scriptMain);
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        attach(module);
    } else if (reason == DLL_PROCESS_DETACH) {
        if (unregisterScript != nullptr) {
            unregisterScript(module);
        }
    }
    return TRUE;
}
