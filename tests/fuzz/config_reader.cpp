// Feeds arbitrary bytes to the configuration load as the file's content, then checks the record's
// invariants. Each input is played inside a scratch directory of its own, so the fuzzer never
// touches a real file; the working directory is put back after every input, because libFuzzer
// reads and writes the corpus folders it was given, often by relative paths, between inputs.
//
//   fuzz_config_reader [libFuzzer flags] CORPUS... (seeds: tests/fuzz/corpus/config_reader,
//   dictionary: -dict=tests/fuzz/config_reader.dict)

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "config/reader.h"
#include "config/settings.h"
#include "config/writer.h"
#include "unit/hash_only_hook.h"

namespace {

namespace fs = std::filesystem;

struct Folders {
    fs::path original;
    fs::path scratch;
    bool ready = false;

    Folders() {
        std::error_code error;
        original = fs::current_path(error);
        scratch = fs::temp_directory_path(error) / ("vorn-fuzz-config-" + std::to_string(getpid()));
        fs::create_directories(scratch, error);
        ready = !error && !original.empty();
    }
    ~Folders() {
        std::error_code ignored;
        fs::current_path(original, ignored);
        fs::remove_all(scratch, ignored);
    }
};

Folders& folders() {
    static Folders f;
    return f;
}

// In the scratch directory for the length of one input.
class InScratch {
public:
    InScratch() { fs::current_path(folders().scratch, error_); }
    ~InScratch() {
        std::error_code ignored;
        fs::current_path(folders().original, ignored);
    }
    bool entered() const { return !error_; }

private:
    std::error_code error_;
};

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

}  // namespace

// A finding is written while the input still runs, in the scratch directory, which goes away: unless
// told otherwise, libFuzzer writes it where it was started.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    folders();
    for (int i = 1; i < *argc; ++i) {
        if (std::strncmp((*argv)[i], "-artifact_prefix=", 17) == 0 ||
            std::strncmp((*argv)[i], "-exact_artifact_path=", 21) == 0) {
            return 0;
        }
    }
    static std::string prefix = "-artifact_prefix=" + (folders().original / "").string();
    static std::vector<char*> arguments(*argv, *argv + *argc);
    arguments.push_back(prefix.data());
    arguments.push_back(nullptr);
    *argc = static_cast<int>(arguments.size()) - 1;
    *argv = arguments.data();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static hash_only_hook::Binding hook;
    if (!folders().ready) {
        return 0;
    }
    const InScratch scratch;
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
