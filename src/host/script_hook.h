#pragma once
// The functions of ScriptHookV.dll the plug-in uses, imported. Loading a plug-in that imports them is what
// brings the hook into the game: the ASI loader only calls LoadLibrary on each *.asi, and the
// Windows loader then resolves ScriptHookV.dll as an import. Without the hook the plug-in fails to
// load, which the loader's asiloader.log reports.
//
// The hook exports MSVC-mangled C++ names. MSVC mangles the SDK's own declarations to exactly those
// names; MinGW cannot, so ScriptHookV.def maps a C name of ours to each mangled name and dlltool
// makes the import library from it.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX  // windows.h must not turn std::min and std::max into macros
#endif
#include <windows.h>

#include <cstdint>

#if defined(_MSC_VER)

__declspec(dllimport) void scriptRegister(HMODULE module, void (*script)());
__declspec(dllimport) void scriptUnregister(HMODULE module);
__declspec(dllimport) void scriptWait(DWORD milliseconds);
__declspec(dllimport) void nativeInit(uint64_t hash);
__declspec(dllimport) void nativePush64(uint64_t value);
__declspec(dllimport) uint64_t* nativeCall();
__declspec(dllimport) int worldGetAllVehicles(int* handles, int capacity);

inline void vornScriptRegister(HMODULE module, void (*script)()) { scriptRegister(module, script); }
inline void vornScriptUnregister(HMODULE module) { scriptUnregister(module); }
inline void vornScriptWait(DWORD milliseconds) { scriptWait(milliseconds); }
inline void vornNativeInit(uint64_t hash) { nativeInit(hash); }
inline void vornNativePush64(uint64_t value) { nativePush64(value); }
inline uint64_t* vornNativeCall() { return nativeCall(); }
inline int vornWorldGetAllVehicles(int* handles, int capacity) { return worldGetAllVehicles(handles, capacity); }

#else

extern "C" {
__declspec(dllimport) void vornScriptRegister(HMODULE module, void (*script)());
__declspec(dllimport) void vornScriptUnregister(HMODULE module);
__declspec(dllimport) void vornScriptWait(DWORD milliseconds);
__declspec(dllimport) void vornNativeInit(uint64_t hash);
__declspec(dllimport) void vornNativePush64(uint64_t value);
__declspec(dllimport) uint64_t* vornNativeCall();
__declspec(dllimport) int vornWorldGetAllVehicles(int* handles, int capacity);
}

#endif
