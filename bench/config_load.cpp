// Time of one configuration load of the default file: one scan per key, each opening and closing the file.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "config/reader.h"
#include "config/settings.h"
#include "config/writer.h"
#include "host/native_invoker.h"

namespace {

// Any non-zero hash will do for timing; the load calls no other native.
uint64_t gResult[3] = {1, 0, 0};
void init(uint64_t) {}
void push(uint64_t) {}
uint64_t* call() { return gResult; }

void BM_LoadDefaultFile(benchmark::State& state) {
    const std::filesystem::path previous = std::filesystem::current_path();
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "vorn-bench-config";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    std::filesystem::current_path(dir);
    gHook.nativeInit = init;
    gHook.nativePush64 = push;
    gHook.nativeCall = call;
    ensureConfigurationFile();

    for (auto _ : state) {
        loadSettings();
        benchmark::DoNotOptimize(gSettings.seat);
    }

    gHook = HookFunctions{};
    std::filesystem::current_path(previous);
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_LoadDefaultFile)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
