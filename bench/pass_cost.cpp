// Cost of one pass of the plug-in in each mode of play, against the cost of merely issuing the same
// native calls, and the heap allocations a pass makes.
//
// Each mode is played on the game stand-in up to a steady moment; then a cycle of passes is
// recorded (some steps run only every so many passes): every call's hash, arguments and result
// slots. The timed runs go through a stub hook that answers the calls from that flat array of
// results in call order, so the stub does no more than a hook's bookkeeping and the plug-in's own
// work is all that separates (a) runPass on the state as it stood before the cycle from (b) the
// recorded calls issued bare through nativeInit/nativePush64/nativeCall.
//
// Last it prints one line per mode, "<mode>: pass/bare-calls ratio R, allocations per pass A, native
// calls per pass C, at most M", and
// exits non-zero when a pass allocates or a replay strays from its recording.
//
// Then the ride recorder (host/recorder.h): per mode the cost of a pass with it on against the same
// passes with it off, in interleaved blocks of a key interval each, its bytes per pass and its
// allocations; how many minutes of the busiest mode its ring holds; and how long writing a full ring
// takes, with the share of it one pass carries ("recording: ..." lines). Allocations with it on fail
// the run too.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "config/reader.h"
#include "config/settings.h"
#include "config/writer.h"
#include "host/controls.h"
#include "host/native_catalogue.h"
#include "host/native_invoker.h"
#include "host/recorder.h"
#include "host/recording_format.h"
#include "host/script.h"
#include "host/script_state.h"
#include "bench/pass_cost/modes.h"
#include "sim/runners/game.h"
#include "sim/world/hook.h"

// --- Heap allocations, counted for the whole program ---

namespace {

std::atomic<uint64_t> gAllocations{0};

void* countedAllocation(std::size_t size) {
    gAllocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size != 0 ? size : 1)) {
        return p;
    }
    throw std::bad_alloc();
}

void* countedAlignedAllocation(std::size_t size, std::align_val_t alignment) {
    gAllocations.fetch_add(1, std::memory_order_relaxed);
    const auto a = static_cast<std::size_t>(alignment);
    // aligned_alloc wants a size that is a multiple of the alignment.
    const std::size_t rounded = (size + a - 1) / a * a;
    if (void* p = std::aligned_alloc(a, rounded != 0 ? rounded : a)) {
        return p;
    }
    throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t size) { return countedAllocation(size); }
void* operator new[](std::size_t size) { return countedAllocation(size); }
void* operator new(std::size_t size, std::align_val_t alignment) { return countedAlignedAllocation(size, alignment); }
void* operator new[](std::size_t size, std::align_val_t alignment) { return countedAlignedAllocation(size, alignment); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }

namespace {

using bench::kSlots;
using bench::Mode;
using bench::Recording;

// --- The stub hook ---

// What a hook does per call at the least: keep the hash and the arguments, hand out a result block.
struct StubHook {
    uint64_t hash = 0;
    uint32_t pushed = 0;
    uint64_t args[32] = {};
    uint64_t* next = nullptr;  // result block of the next call
    uint64_t* end = nullptr;   // past the pass's last block
};

StubHook gStub;
uint64_t gSpare[kSlots] = {};  // answers a call beyond the recording
const std::vector<int32_t>* gStubVehicles = nullptr;

int32_t stubAllVehicles(int32_t* handles, int32_t capacity) {
    if (gStubVehicles == nullptr) {
        return 0;
    }
    const auto count = static_cast<int32_t>(std::min(gStubVehicles->size(), static_cast<size_t>(std::max(capacity, 0))));
    std::copy_n(gStubVehicles->begin(), count, handles);
    return count;
}

void stubInit(uint64_t hash) {
    gStub.hash = hash;
    gStub.pushed = 0;
}

void stubPush(uint64_t value) { gStub.args[gStub.pushed++ & 31u] = value; }

uint64_t* stubCall() {
    if (gStub.next == gStub.end) {
        return gSpare;
    }
    uint64_t* slots = gStub.next;
    gStub.next += kSlots;
    return slots;
}

void bindStub() {
    gHook = HookFunctions{};
    gHook.nativeInit = stubInit;
    gHook.nativePush64 = stubPush;
    gHook.nativeCall = stubCall;
    gHook.worldGetAllVehicles = stubAllVehicles;
}

void aimStub(Mode& mode, size_t pass) {
    uint64_t* results = mode.recording.results.data();
    gStub.next = results + kSlots * mode.recording.passBegin[pass];
    gStub.end = results + kSlots * mode.recording.passBegin[pass + 1];
}

// One pass of the plug-in at position `pass` of the cycle; the cycle starts from the recorded state.
inline void pluginPass(Mode& mode, ScriptState& state, size_t& pass) {
    if (pass == 0) {
        state = mode.before;
    }
    aimStub(mode, pass);
    runPass(state);
    if (++pass == mode.recording.passes()) {
        pass = 0;
    }
}

// Timed blocks of passes. The states the block's cycles start from are copied before its clock
// starts, so that a block times the plug-in's passes and not the bench putting the state back at
// each cycle's start: a copy with its vectors of wagons or blips takes as long as a short pass's
// own work. The copies keep their vectors' room, so no block allocates for them.
class TimedPasses {
public:
    TimedPasses(Mode& mode, size_t longestBlock)
        : mode_(mode), cycle_(mode.recording.passes()), fresh_(longestBlock / cycle_ + 3, mode.before) {}

    // `passes` passes from where the last block stopped; returns their seconds.
    double run(size_t passes) {
        using Clock = std::chrono::steady_clock;
        // The last copy is the one a block that stopped inside a cycle goes on in.
        const size_t starts = std::min(fresh_.size() - 1, (pass_ + passes) / cycle_ + 1);
        for (size_t i = 0; i < starts; ++i) {
            fresh_[i] = mode_.before;
        }
        size_t next = 0;
        const auto start = Clock::now();
        for (size_t i = 0; i < passes; ++i) {
            if (pass_ == 0) {
                state_ = &fresh_[next++];
            }
            aimStub(mode_, pass_);
            runPass(*state_);
            if (++pass_ == cycle_) {
                pass_ = 0;
            }
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        if (pass_ != 0 && state_ != &fresh_.back()) {
            std::swap(fresh_.back(), *state_);
            state_ = &fresh_.back();
        }
        return seconds;
    }

private:
    Mode& mode_;
    size_t cycle_;
    std::vector<ScriptState> fresh_;
    ScriptState* state_ = nullptr;
    size_t pass_ = 0;
};

// --- Faithfulness of the replay: the plug-in on the stub must issue exactly the recorded calls ---

struct Checker {
    Recording* recording = nullptr;
    size_t call = 0;
    size_t arg = 0;
    std::string fault;

    void fail(const std::string& what) {
        if (fault.empty()) {
            fault = "call " + std::to_string(call) + ": " + what;
        }
    }
};

Checker gChecker;

void checkInit(uint64_t hash) {
    Checker& c = gChecker;
    if (c.call >= c.recording->calls()) {
        c.fail("more calls than recorded");
        c.call = c.recording->calls();
        return;
    }
    if (c.recording->hashes[c.call] != hash) {
        c.fail("another native than recorded");
    }
    c.arg = c.recording->argBegin[c.call];
}

void checkPush(uint64_t value) {
    Checker& c = gChecker;
    if (c.call >= c.recording->calls()) {
        return;
    }
    const size_t first = c.recording->argBegin[c.call];
    if (c.arg >= c.recording->argBegin[c.call + 1]) {
        c.fail("more arguments than recorded");
        return;
    }
    // Addresses of the plug-in's own buffers differ from run to run; every other argument must not.
    const sim::NativeInfo* info = sim::findNative(c.recording->hashes[c.call]);
    const size_t index = c.arg - first;
    const bool address = info != nullptr && index < std::char_traits<char>::length(info->kinds) &&
                         (info->kinds[index] == 'p' || info->kinds[index] == 't');
    if (!address && c.recording->args[c.arg] != value) {
        c.fail("argument " + std::to_string(index + 1) + " differs from the recording");
    }
    ++c.arg;
}

uint64_t* checkCall() {
    Checker& c = gChecker;
    if (c.call >= c.recording->calls()) {
        return gSpare;
    }
    if (c.arg != c.recording->argBegin[c.call + 1]) {
        c.fail("fewer arguments than recorded");
    }
    return c.recording->results.data() + kSlots * c.call++;
}

// Natives that write through an address argument: the stub cannot answer them.
bool writesThroughArgument(uint64_t hash) {
    for (size_t i = 0; i < std::size(kNatives); ++i)
        if (kNatives[i].hash == hash) return recording::kAnswerKinds[i] == recording::AnswerKind::NearbyList ||
                                             recording::kAnswerKinds[i] == recording::AnswerKind::Deletion;
    return false;
}

// Two cycles, each from the recorded state as the timed runs play them: the second shows that nothing
// outside ScriptState (the settings, say) drifted during the first.
void checkReplay(Mode& mode) {
    Recording& r = mode.recording;
    for (size_t i = 0; i < r.calls(); ++i) {
        if (writesThroughArgument(r.hashes[i])) {
            mode.fault = "the cycle calls a native that writes into the plug-in's memory";
            return;
        }
    }
    gSettings = mode.settings;
    gHook = HookFunctions{};
    gHook.nativeInit = checkInit;
    gHook.nativePush64 = checkPush;
    gHook.nativeCall = checkCall;
    gHook.worldGetAllVehicles = stubAllVehicles;
    gStubVehicles = &mode.vehicles;
    ScriptState state;
    gChecker = Checker{};
    gChecker.recording = &r;
    for (int cycle = 0; cycle < 2 && gChecker.fault.empty(); ++cycle) {
        state = mode.before;
        for (size_t pass = 0; pass < r.passes(); ++pass) {
            gChecker.call = r.passBegin[pass];
            runPass(state);
            if (gChecker.call != r.passBegin[pass + 1]) {
                gChecker.fail("pass " + std::to_string(pass) + " issued another number of calls");
            }
            if (!gChecker.fault.empty()) {
                break;
            }
        }
    }
    mode.fault = gChecker.fault;
    gHook = HookFunctions{};
}

// After a warm-up cycle, the allocations of two cycles, per pass. Deterministic.
void countAllocations(Mode& mode) {
    gSettings = mode.settings;
    bindStub();
    gStubVehicles = &mode.vehicles;
    ScriptState state = mode.before;
    size_t pass = 0;
    const size_t passes = mode.recording.passes();
    for (size_t i = 0; i < passes; ++i) {
        pluginPass(mode, state, pass);
    }
    const uint64_t before = gAllocations.load();
    for (size_t i = 0; i < 2 * passes; ++i) {
        pluginPass(mode, state, pass);
    }
    mode.allocationsPerPass = static_cast<double>(gAllocations.load() - before) / static_cast<double>(2 * passes);
    gHook = HookFunctions{};
}

// --- Timed runs ---

void setCallsCounter(benchmark::State& st, const Mode& mode) {
    st.counters["calls"] = static_cast<double>(mode.recording.calls()) / static_cast<double>(mode.recording.passes());
}

void timePluginPass(benchmark::State& st, Mode& mode) {
    gSettings = mode.settings;
    bindStub();
    gStubVehicles = &mode.vehicles;
    ScriptState state = mode.before;
    size_t pass = 0;
    for (auto _ : st) {
        pluginPass(mode, state, pass);
    }
    gHook = HookFunctions{};
    setCallsCounter(st, mode);
}

// The recorded calls of one pass, issued through the hook as they stand in the recording.
inline void issueBare(Mode& mode, size_t& pass) {
    const Recording& r = mode.recording;
    aimStub(mode, pass);
    uint64_t read = 0;
    for (uint32_t call = r.passBegin[pass]; call < r.passBegin[pass + 1]; ++call) {
        gHook.nativeInit(r.hashes[call]);
        for (uint32_t a = r.argBegin[call]; a < r.argBegin[call + 1]; ++a) {
            gHook.nativePush64(r.args[a]);
        }
        read ^= gHook.nativeCall()[0];
    }
    benchmark::DoNotOptimize(read);
    if (++pass == r.passes()) {
        pass = 0;
    }
}

void timeBareCalls(benchmark::State& st, Mode& mode) {
    bindStub();
    gStubVehicles = &mode.vehicles;
    size_t pass = 0;
    for (auto _ : st) {
        issueBare(mode, pass);
    }
    gHook = HookFunctions{};
    setCallsCounter(st, mode);
}

// The ratio from interleaved blocks: a block of whole cycles of passes, then the same cycles issued
// bare, and so on, alternating which goes first. Whatever else runs on the machine then disturbs
// both sides of a pair alike; the median of the pairs' ratios is the figure.
double pairedRatio(Mode& mode) {
    using Clock = std::chrono::steady_clock;
    const size_t cycle = mode.recording.passes();
    gSettings = mode.settings;
    bindStub();
    gStubVehicles = &mode.vehicles;
    // About 50 microseconds a block, long beside the clock's own cost, short beside a time slice.
    TimedPasses first(mode, cycle);
    const double once = first.run(cycle);
    size_t cycles = once > 0.0 ? static_cast<size_t>(50e-6 / once) : 1;
    cycles = cycles < 1 ? 1 : cycles;
    TimedPasses timed(mode, cycles * cycle);
    const auto pluginBlock = [&](size_t passes) { return timed.run(passes); };
    size_t barePass = 0;
    const auto bareBlock = [&](size_t passes) {
        const auto start = Clock::now();
        for (size_t i = 0; i < passes; ++i) {
            issueBare(mode, barePass);
        }
        return std::chrono::duration<double>(Clock::now() - start).count();
    };
    std::vector<double> ratios;
    ratios.reserve(301);
    for (int i = 0; i < 301; ++i) {
        double plugin = 0.0;
        double bare = 0.0;
        if (i % 2 == 0) {
            plugin = pluginBlock(cycles * cycle);
            bare = bareBlock(cycles * cycle);
        } else {
            bare = bareBlock(cycles * cycle);
            plugin = pluginBlock(cycles * cycle);
        }
        if (bare > 0.0) {
            ratios.push_back(plugin / bare);
        }
    }
    gHook = HookFunctions{};
    if (ratios.empty()) {
        return 0.0;
    }
    std::nth_element(ratios.begin(), ratios.begin() + static_cast<std::ptrdiff_t>(ratios.size() / 2), ratios.end());
    return ratios[ratios.size() / 2];
}

// --- The ride recorder ---

// Passes of the mode's cycle, `passes` of them, with the recorder on or off throughout.
double recorderBlock(TimedPasses& passes, size_t count, bool on) {
    forceRecording(on);
    return passes.run(count);
}

struct RecorderFigures {
    double ratio = 0.0;            // a pass with the recorder on against one with it off
    double on = 0.0;               // seconds a pass, medians
    double off = 0.0;
    double bytesPerPass = 0.0;
    double allocationsPerPass = 0.0;
};

// Blocks of one key interval (the recorder's own rhythm: each on-block starts with a key point, as
// every 300th pass does), alternately on and off and alternating which goes first; the median of the
// pairs' ratios.
RecorderFigures measureRecorder(Mode& mode) {
    constexpr size_t kBlock = 300;
    RecorderFigures figures;
    resetRecorder();
    gSettings = mode.settings;
    bindStub();
    gStubVehicles = &mode.vehicles;
    TimedPasses passes(mode, 10 * kBlock);
    recorderBlock(passes, kBlock, true);
    const uint64_t bytes = recordedBytes();
    const uint64_t allocations = gAllocations.load();
    recorderBlock(passes, 10 * kBlock, true);
    figures.allocationsPerPass = static_cast<double>(gAllocations.load() - allocations) / (10.0 * kBlock);
    figures.bytesPerPass = static_cast<double>(recordedBytes() - bytes) / (10.0 * kBlock);
    std::vector<double> ratios;
    std::vector<double> ons;
    std::vector<double> offs;
    for (int i = 0; i < 61; ++i) {
        double on = 0.0;
        double off = 0.0;
        if (i % 2 == 0) {
            on = recorderBlock(passes, kBlock, true);
            off = recorderBlock(passes, kBlock, false);
        } else {
            off = recorderBlock(passes, kBlock, false);
            on = recorderBlock(passes, kBlock, true);
        }
        if (off > 0.0) {
            ratios.push_back(on / off);
            ons.push_back(on / kBlock);
            offs.push_back(off / kBlock);
        }
    }
    const auto median = [](std::vector<double>& v) {
        std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
        return v.empty() ? 0.0 : v[v.size() / 2];
    };
    figures.ratio = median(ratios);
    figures.on = median(ons);
    figures.off = median(offs);
    resetRecorder();
    gHook = HookFunctions{};
    return figures;
}

// A full ring of the mode's passes written at once, as writeRecordingNow does, into the system's
// temporary folder; and a ring of one key point, for what a write costs besides its bytes.
void measureWrite(Mode& mode) {
    using Clock = std::chrono::steady_clock;
    const std::string path = (std::filesystem::temp_directory_path() / "vorn-bench.vlrec").string();
    auto timeWrite = [&] {
        const auto start = Clock::now();
        const bool written = writeRecordingNow(path.c_str());
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        const auto size = written ? std::filesystem::file_size(path) : 0;
        std::filesystem::remove(path);
        return std::pair<double, double>{seconds, static_cast<double>(size)};
    };
    resetRecorder();
    gSettings = mode.settings;
    bindStub();
    gStubVehicles = &mode.vehicles;
    TimedPasses passes(mode, 300);
    recorderBlock(passes, 1, true);
    const auto [small, smallBytes] = timeWrite();
    while (recordedBytes() < kRecordingRingBytes + kRecordingRingBytes / 8) {
        recorderBlock(passes, 300, true);
    }
    const auto [full, fullBytes] = timeWrite();
    const double perByte = fullBytes > smallBytes ? (full - small) / (fullBytes - smallBytes) : 0.0;
    std::printf("recording: writing a full ring of %s passes (%.0f KiB) took %.1f ms, one of a single key point "
                "(%.0f KiB) %.2f ms; at that rate a pass's slice of 32 KiB takes %.0f us\n",
                mode.name.c_str(), fullBytes / 1024.0, full * 1e3, smallBytes / 1024.0, small * 1e3,
                perByte * 32768.0 * 1e6);
    resetRecorder();
    gHook = HookFunctions{};
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }

    std::vector<std::unique_ptr<Mode>> modes;
    try {
        for (Mode (*play)() : {bench::onFootFollowing, bench::entering, bench::freightCab, bench::derailedWagons,
                                bench::onFootMapBlips}) {
            modes.push_back(std::make_unique<Mode>(play()));
        }
    } catch (const std::exception& e) {
        std::cerr << "recording failed: " << e.what() << '\n';
        return 1;
    }

    for (auto& m : modes) {
        checkReplay(*m);
        countAllocations(*m);
        Mode* mode = m.get();
        benchmark::RegisterBenchmark(("pass/" + mode->name).c_str(),
                                     [mode](benchmark::State& st) { timePluginPass(st, *mode); })
            ->Unit(benchmark::kNanosecond);
        benchmark::RegisterBenchmark(("bare/" + mode->name).c_str(),
                                     [mode](benchmark::State& st) { timeBareCalls(st, *mode); })
            ->Unit(benchmark::kNanosecond);
    }

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    bool ok = true;
    std::cout << '\n';
    for (const auto& m : modes) {
        if (!m->fault.empty()) {
            std::cout << m->name << ": the replay strays from the recording (" << m->fault << ")\n";
            ok = false;
        }
    }
    for (const auto& m : modes) {
        char ratio[32];
        std::snprintf(ratio, sizeof ratio, "%.2f", pairedRatio(*m));
        char allocations[32];
        std::snprintf(allocations, sizeof allocations, "%g", m->allocationsPerPass);
        const Recording& r = m->recording;
        size_t most = 0;
        for (size_t p = 0; p < r.passes(); ++p) most = std::max<size_t>(most, r.passBegin[p + 1] - r.passBegin[p]);
        char calls[64];
        std::snprintf(calls, sizeof calls, "%.2f, at most %zu", static_cast<double>(r.calls()) / static_cast<double>(r.passes()), most);
        std::cout << m->name << ": pass/bare-calls ratio " << ratio << ", allocations per pass " << allocations
                  << ", native calls per pass " << calls << '\n';
        ok = ok && m->allocationsPerPass == 0.0;
    }
    std::cout << '\n';
    double busiest = 0.0;
    for (const auto& m : modes) {
        const RecorderFigures r = measureRecorder(*m);
        std::printf("recording: %s: a pass on/off %.2f (%.0f ns against %.0f ns), %.0f bytes per pass, allocations "
                    "per pass %g\n",
                    m->name.c_str(), r.ratio, r.on * 1e9, r.off * 1e9, r.bytesPerPass, r.allocationsPerPass);
        busiest = std::max(busiest, r.bytesPerPass);
        ok = ok && r.allocationsPerPass == 0.0;
    }
    std::printf("recording: the ring of %zu MiB holds %.1f minutes of the busiest passes (%.0f bytes) at 60 a second\n",
                kRecordingRingBytes >> 20, busiest > 0.0 ? kRecordingRingBytes / busiest / 3600.0 : 0.0, busiest);
    measureWrite(*modes[2]);
    return ok ? 0 : 1;
}
