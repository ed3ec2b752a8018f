// Feeds arbitrary bytes to the configuration load as the file's content, then checks the record's
// invariants. Runs inside its own scratch directory so the fuzzer never touches a real file.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "config/reader.h"
#include "config/settings.h"
#include "config/writer.h"
#include "unit/hash_only_hook.h"

namespace {

bool enterScratchDirectory() {
    std::error_code error;
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path(error) / ("vorn-fuzz-" + std::to_string(std::rand()) + "-" +
                                                        std::to_string(reinterpret_cast<uintptr_t>(&error) & 0xffff));
    std::filesystem::create_directories(dir, error);
    std::filesystem::current_path(dir, error);
    return !error;
}

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = enterScratchDirectory();
    static hash_only_hook::Binding hook;
    if (!ready) {
        return 0;
    }
    if (std::FILE* file = std::fopen(configurationFileName, "wb")) {
        if (size != 0) {
            std::fwrite(data, 1, size, file);
        }
        std::fclose(file);
    }
    ensureConfigurationFile();
    loadSettings();

    const Settings& s = gSettings;
    for (int kind : {Freight, Tram}) {
        check(s.derailmentSensitivity[kind] >= 0.0f && s.derailmentSensitivity[kind] <= 1.0f);
        check(s.explosionSensitivity[kind] >= 0.0f && s.explosionSensitivity[kind] <= 1.0f);
        check(std::isfinite(s.speedForward[kind]) && std::isfinite(s.speedBackward[kind]));
        check(std::isfinite(s.acceleration[kind]) && std::isfinite(s.braking[kind]));
        for (uint32_t hash : s.modelHashes[kind]) {
            check(hash != 0);
        }
    }
    check(std::isfinite(s.enterDelay) && std::isfinite(s.derailedWagonsMaxDistance));
    // The load never writes: the file still holds the input.
    std::error_code error;
    check(std::filesystem::file_size(configurationFileName, error) == size);
    return 0;
}
