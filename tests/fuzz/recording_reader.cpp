// Reads arbitrary bytes as a ride recording (host/recording_format.h) and replays what the reader
// accepts: every count, length, hash, key point, float and tag of a file can lie, and neither the
// reader nor the replay may crash, hang, read past the bytes or trip a sanitizer. A replay runs at
// most kMaxPasses passes, in a scratch folder where the recorded configuration texts are put.
//
//   fuzz_recording_reader [libFuzzer flags] CORPUS... (seeds: tests/fuzz/corpus/recording_reader,
//   recordings the simulator made with vornloconaut-sim SCENARIO --record FILE)

#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_folders.h"
#include "sim/runners/recording.h"
#include "sim/runners/replay.h"

namespace {

constexpr size_t kMaxPasses = 2000;

fuzz_folders::Folders& folders() {
    static fuzz_folders::Folders f("recording");
    return f;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz_folders::fuzzInitialize(folders(), argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!folders().ready) return 0;
    const fuzz_folders::InScratch scratch(folders());
    if (!scratch.entered()) return 0;
    const sim::ReadResult read = sim::readRecording(data, size);
    if (read.recording) {
        sim::ReplayOptions options;
        options.passLimit = kMaxPasses;
        options.inPlace = true;
        sim::replayRecording(*read.recording, options);
    }
    return 0;
}
