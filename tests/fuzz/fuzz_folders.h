#pragma once
// A fuzzer's scratch directory: each input runs inside it, so the plug-in's INI never lands in a real
// folder, and the working directory is put back after every input, because libFuzzer reads and
// writes the corpus folders it was given, often by relative paths, between inputs. Findings are
// written while an input runs, in the scratch directory, which goes away: unless told otherwise,
// libFuzzer is told to write them where it was started (fuzzInitialize).

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace fuzz_folders {

namespace fs = std::filesystem;

struct Folders {
    fs::path original;
    fs::path scratch;
    bool ready = false;

    explicit Folders(const std::string& name) {
        std::error_code error;
        original = fs::current_path(error);
        scratch = fs::temp_directory_path(error) / ("vorn-fuzz-" + name + "-" + std::to_string(getpid()));
        fs::create_directories(scratch, error);
        ready = !error && !original.empty();
    }
    ~Folders() {
        std::error_code ignored;
        fs::current_path(original, ignored);
        fs::remove_all(scratch, ignored);
    }
};

// In the scratch directory for the length of one input.
class InScratch {
public:
    explicit InScratch(const Folders& folders) : folders_(folders) { fs::current_path(folders.scratch, error_); }
    ~InScratch() {
        std::error_code ignored;
        fs::current_path(folders_.original, ignored);
    }
    bool entered() const { return !error_; }

private:
    const Folders& folders_;
    std::error_code error_;
};

// For LLVMFuzzerInitialize: adds -artifact_prefix=<where it was started>/ unless given one.
inline void fuzzInitialize(const Folders& folders, int* argc, char*** argv) {
    for (int i = 1; i < *argc; ++i) {
        if (std::strncmp((*argv)[i], "-artifact_prefix=", 17) == 0 ||
            std::strncmp((*argv)[i], "-exact_artifact_path=", 21) == 0) {
            return;
        }
    }
    static std::string prefix = "-artifact_prefix=" + (folders.original / "").string();
    static std::vector<char*> arguments(*argv, *argv + *argc);
    arguments.push_back(prefix.data());
    arguments.push_back(nullptr);
    *argc = static_cast<int>(arguments.size()) - 1;
    *argv = arguments.data();
}

}  // namespace fuzz_folders
