// Plays arbitrary bytes as the game's side of the boundary (sim/runners/answer_tape.h): the INI text, then
// each frame's controls and time and every answer to the plug-in's natives. The plug-in starts and
// runs its passes in this thread, on the stand-in's session (sim/runners/session.h), until the bytes run out or
// kMaxPasses have run. A finding is an ABI fault that the stand-in's hook sees in a call (an unknown
// hash, a short call, a non-finite float or a set high half pushed, ...), a deletion of a handle the
// game never gave, or, after a pass, a fault the shared behaviour check sees (sim/runners/behaviour_check.h):
// the player moved while the game had taken them off the train, the cab going on after the ride was
// lost, a state out of range or a quantity not a number, the derailed-wagon list over its limit.
//
//   fuzz_game_answers [libFuzzer flags] CORPUS... (seeds: tests/fuzz/corpus/game_answers, rides the
//   simulator recorded with vornloconaut-sim SCENARIO --record-answers FILE)

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz/fuzz_folders.h"
#include "sim/runners/answer_tape.h"
#include "sim/runners/behaviour_check.h"
#include "sim/runners/session.h"

namespace {

constexpr int kMaxPasses = 4000;

fuzz_folders::Folders& folders() {
    static fuzz_folders::Folders f("game");
    return f;
}

[[noreturn]] void finding(int pass, const std::string& what) {
    std::fprintf(stderr, "game fuzzer: pass %d: %s\n", pass, what.c_str());
    std::abort();
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

    sim::AnswerPlayer tape(data, size);
    sim::Session session(sim::AnswerPlayer::splitIni(data, size).first);
    sim::Hook& hook = session.hook();
    hook.answer = [&tape, &hook](const sim::NativeCall& call, uint64_t* result) { tape.answer(call, result, hook.world.input); };
    sim::AnswerPlayer::playListsFrom(&tape);
    sim::BehaviourCheck check;
    int pass = 0;
    do {
        const sim::AnswerPlayer::Frame frame = tape.nextFrame();
        session.setHeld(frame.held);
        session.step(frame.seconds);
        ++pass;
        if (!hook.violations.empty()) finding(pass, hook.violations.front());
        if (!tape.faults.empty()) finding(pass, tape.faults.front());
        check.afterPass(pass, hook.calls, session.state());
        if (check.failureCount() > 0) finding(pass, check.failures().front());
    } while (!tape.exhausted() && pass < kMaxPasses);
    sim::AnswerPlayer::playListsFrom(nullptr);
    return 0;
}
