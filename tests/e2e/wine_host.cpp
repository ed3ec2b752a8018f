// vorn-wine-host SCENARIO.json TRACE.jsonl
//
// Plays the game process with the hook's ASI loader in it, as a player's game runs, from the game
// folder: this program lies in it as the game's exe does, and the folder is the working directory.
// The loader lists the folder's *.asi files and loads each with LoadLibrary in the order the folder
// gives them, logging each in asiloader.log; it never loads ScriptHookV.dll itself, which gets in
// only as an import of a plug-in. (The real loader's log names only .asi files, "X.asi" failed to
// load among them, as players quote it: scripthookvdotnet issue 261; an open re-implementation of
// the loader, Give-Two/ScriptHookV's "ASI Loader/ASILoader.cpp", is FindFirstFile and LoadLibrary.)
//
// Then, if a plug-in brought the hook in, the game plays the scenario with every script registered
// and writes the trace; plug-ins that export vornTestPasses (the check's own test plug-in) report
// how many passes their script ran. Last, the plug-ins are unloaded and must have unregistered
// every script they registered. Without the hook nothing is played: exit status 0 as long as
// nothing failed but the loading.

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using PlayScenarioFunction = int (*)(const char* scenarioPath, const char* tracePath);
using CountFunction = int (*)();

struct Plugin {
    std::string name;
    HMODULE module;
};

template <class Function>
Function moduleExport(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

std::string gameFolder() {
    char buffer[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return ".";
    }
    std::string path(buffer, length);
    const auto slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

std::vector<Plugin> loadPlugins(const std::string& folder, std::FILE* log) {
    std::vector<Plugin> loaded;
    std::fprintf(log, "LOADER: Loading *.asi plugins\n");
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA((folder + "\\*.asi").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            std::fprintf(log, "ASI: Loading \"%s\"\n", name.c_str());
            const HMODULE module = LoadLibraryA((folder + "\\" + name).c_str());
            if (module != nullptr) {
                std::fprintf(log, "     \"%s\" loaded\n", name.c_str());
                loaded.push_back(Plugin{name, module});
            } else {
                std::fprintf(log, "     \"%s\" failed to load\n", name.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    std::fprintf(log, "LOADER: Finished loading *.asi plugins\n");
    return loaded;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: vorn-wine-host SCENARIO.json TRACE.jsonl\n");
        return 2;
    }
    // A plug-in that fails to load is logged, never a dialog that would stop the game.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    const std::string folder = gameFolder();
    std::FILE* log = std::fopen((folder + "\\asiloader.log").c_str(), "w");
    if (log == nullptr) {
        std::fprintf(stderr, "vorn-wine-host: cannot write asiloader.log\n");
        return 1;
    }
    const std::vector<Plugin> plugins = loadPlugins(folder, log);
    std::fclose(log);

    // The game reaches the hook the plug-ins brought in; holding a reference keeps it loaded until
    // the plug-ins have been unloaded and their unregistrations counted.
    HMODULE hook = nullptr;
    if (!GetModuleHandleExW(0, L"ScriptHookV.dll", &hook)) {
        std::printf("vorn-wine-host: no plug-in brought ScriptHookV.dll in: nothing to play\n");
        for (auto it = plugins.rbegin(); it != plugins.rend(); ++it) {
            FreeLibrary(it->module);
        }
        return 0;
    }
    const auto play = moduleExport<PlayScenarioFunction>(hook, "vornPlayScenario");
    const auto registered = moduleExport<CountFunction>(hook, "vornRegisteredScripts");
    const auto unregistered = moduleExport<CountFunction>(hook, "vornUnregisteredScripts");
    if (play == nullptr || registered == nullptr || unregistered == nullptr) {
        std::fprintf(stderr, "vorn-wine-host: ScriptHookV.dll lacks the stand-in's exports\n");
        return 1;
    }
    const int scripts = registered();
    std::printf("vorn-wine-host: %d scripts registered\n", scripts);
    const int played = play(argv[1], argv[2]);
    for (const Plugin& plugin : plugins) {
        if (const auto passes = moduleExport<CountFunction>(plugin.module, "vornTestPasses")) {
            std::printf("vorn-wine-host: %s ran %d passes\n", plugin.name.c_str(), passes());
        }
    }
    int status = 0;
    if (played != 0) {
        std::fprintf(stderr, "vorn-wine-host: the scenario failed (%d)\n", played);
        status = 1;
    }
    for (auto it = plugins.rbegin(); it != plugins.rend(); ++it) {
        if (!FreeLibrary(it->module)) {
            std::fprintf(stderr, "vorn-wine-host: cannot unload %s\n", it->name.c_str());
            status = 1;
        }
    }
    if (unregistered() != scripts) {
        std::fprintf(stderr, "vorn-wine-host: unloading unregistered %d of %d scripts\n", unregistered(), scripts);
        status = 1;
    }
    FreeLibrary(hook);
    if (status == 0) {
        std::printf("vorn-wine-host: plug-ins loaded, %d scripts registered, played %s, unregistered\n", scripts, argv[1]);
    }
    return status;
}
