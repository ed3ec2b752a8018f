// vorn-wine-host PLUGIN.asi SCENARIO.json TRACE.jsonl
//
// Plays the part of the game process: loads the stand-in ScriptHookV.dll from beside this program,
// then the plug-in exactly as the hook's loader would, plays the scenario with the current directory
// as the game's folder, writes the trace, and unloads the plug-in, which must unregister its script.

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

using PlayScenarioFunction = int (*)(const char* scenarioPath, const char* tracePath);
using ScriptCountFunction = int (*)();

std::wstring hookPath() {
    wchar_t buffer[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return L"ScriptHookV.dll";
    }
    std::wstring path(buffer, length);
    const auto slash = path.find_last_of(L"\\/");
    return (slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1)) + L"ScriptHookV.dll";
}

template <class Function>
Function hookExport(HMODULE hook, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(hook, name)));
}

int fail(const char* what) {
    std::fprintf(stderr, "vorn-wine-host: %s (error %lu)\n", what, static_cast<unsigned long>(GetLastError()));
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: vorn-wine-host PLUGIN.asi SCENARIO.json TRACE.jsonl\n");
        return 2;
    }
    HMODULE hook = LoadLibraryW(hookPath().c_str());
    if (hook == nullptr) {
        return fail("cannot load ScriptHookV.dll");
    }
    const auto play = hookExport<PlayScenarioFunction>(hook, "vornPlayScenario");
    const auto registered = hookExport<ScriptCountFunction>(hook, "vornRegisteredScripts");
    const auto unregistered = hookExport<ScriptCountFunction>(hook, "vornUnregisteredScripts");
    if (play == nullptr || registered == nullptr || unregistered == nullptr) {
        return fail("ScriptHookV.dll lacks the stand-in's exports");
    }

    HMODULE plugin = LoadLibraryA(argv[1]);
    if (plugin == nullptr) {
        return fail("cannot load the plug-in");
    }
    if (registered() != 1) {
        std::fprintf(stderr, "vorn-wine-host: the plug-in registered %d scripts on load, expected 1\n", registered());
        return 1;
    }
    const int played = play(argv[2], argv[3]);
    if (played != 0) {
        std::fprintf(stderr, "vorn-wine-host: the scenario failed (%d)\n", played);
        return 1;
    }
    if (!FreeLibrary(plugin)) {
        return fail("cannot unload the plug-in");
    }
    if (unregistered() != 1) {
        std::fprintf(stderr, "vorn-wine-host: unloading unregistered %d scripts, expected 1\n", unregistered());
        return 1;
    }
    FreeLibrary(hook);
    std::printf("vorn-wine-host: plug-in loaded, registered, played %s and unregistered\n", argv[2]);
    return 0;
}
