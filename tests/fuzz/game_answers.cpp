// Plays arbitrary bytes as the game's side of the boundary (sim/answer_tape.h): the INI text, then
// each frame's controls and time and every answer to the plug-in's natives. The plug-in starts and
// runs its passes in this thread, as the playground's session drives it, until the bytes run out or
// kMaxPasses have run. A finding is an ABI fault that the stand-in's hook sees in a call (an unknown
// hash, a short call, a non-finite float or a set high half pushed, ...), a deletion of a handle the
// game never gave, or, after a pass, a broken invariant of the plug-in's state: the derailed-wagon
// list over its limit, a mode, command, kind or follow state out of range, one of the plug-in's own
// quantities not a number.
//
//   fuzz_game_answers [libFuzzer flags] CORPUS... (seeds: tests/fuzz/corpus/game_answers, rides the
//   simulator recorded with vornloconaut-sim SCENARIO --record-answers FILE)

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "config/settings.h"
#include "fuzz/fuzz_folders.h"
#include "host/script_state.h"
#include "sim/answer_tape.h"
#include "tools/playground/core/session.h"

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

// The plug-in's own quantities. Left out: what it keeps of the game's last report to compare the
// next one with (previousForwardX/Y, each wagon's lastPosition and lastSpeed): a broken report stays
// what the game said, and the comparisons are written to treat a NaN as no change.
void checkState(int pass, const ScriptState& s) {
    if (s.mode != OnFoot && s.mode != Entering && s.mode != InCab) finding(pass, "mode " + std::to_string(s.mode));
    if (s.engineerCommand < KeepSpeed || s.engineerCommand > Follow)
        finding(pass, "engineer command " + std::to_string(s.engineerCommand));
    if (s.kind != Freight && s.kind != Tram) finding(pass, "kind " + std::to_string(s.kind));
    if (s.followState < 0 || s.followState > 3) finding(pass, "follow state " + std::to_string(s.followState));
    const std::pair<const char*, float> quantities[] = {
        {"speed", s.speed},
        {"enterHoldTime", s.enterHoldTime},
        {"seatChangeCooldown", s.seatChangeCooldown},
        {"hornKeyTimer", s.hornKeyTimer},
        {"doorRatio", s.doorRatio},
        {"derailmentRisk", s.derailmentRisk},
        {"derailmentRiskTime", s.derailmentRiskTime},
        {"shownSpeed", s.shownSpeed},
        {"engineerSpeed", s.engineerSpeed},
        {"menuTime", s.menuTime},
        {"wagonCheckTime", s.wagonCheckTime},
    };
    for (const auto& [name, value] : quantities)
        if (!std::isfinite(value)) finding(pass, std::string(name) + " is " + std::to_string(value));
    const int32_t limit = gSettings.derailedWagonsMaxCount;
    if (s.derailedWagons.size() > static_cast<size_t>(limit > 0 ? limit : 0))
        finding(pass, std::to_string(s.derailedWagons.size()) + " derailed wagons kept, limit " + std::to_string(limit));
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
    playground::Session session(sim::AnswerPlayer::splitIni(data, size).first);
    sim::Hook& hook = session.hook();
    hook.answer = [&tape, &hook](const sim::NativeCall& call, uint64_t* result) { tape.answer(call, result, hook.input); };
    int pass = 0;
    do {
        const sim::AnswerPlayer::Frame frame = tape.nextFrame();
        session.setHeld(frame.held);
        session.step(frame.seconds);
        ++pass;
        if (!hook.violations.empty()) finding(pass, hook.violations.front());
        if (!tape.faults.empty()) finding(pass, tape.faults.front());
        checkState(pass, session.state());
    } while (!tape.exhausted() && pass < kMaxPasses);
    return 0;
}
