// Feeds arbitrary bytes to the configuration load as the file's content, then checks the record's
// invariants. Each input is played inside a scratch directory of its own, so the fuzzer never
// touches a real file; the working directory is put back after every input, because libFuzzer
// reads and writes the corpus folders it was given, often by relative paths, between inputs.
//
//   fuzz_config_reader [libFuzzer flags] CORPUS... (seeds: tests/fuzz/corpus/config_reader,
//   dictionary: -dict=tests/fuzz/config_reader.dict)

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "config/reader.h"
#include "config/settings.h"
#include "config/writer.h"
#include "fuzz/fuzz_folders.h"
#include "unit/support/hash_only_hook.h"

namespace {

namespace fs = std::filesystem;

fuzz_folders::Folders& folders() {
    static fuzz_folders::Folders f("config");
    return f;
}

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz_folders::fuzzInitialize(folders(), argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static hash_only_hook::Binding hook;
    if (!folders().ready) {
        return 0;
    }
    const fuzz_folders::InScratch scratch(folders());
    if (!scratch.entered()) {
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
    check(fs::file_size(configurationFileName, error) == size);
    return 0;
}
