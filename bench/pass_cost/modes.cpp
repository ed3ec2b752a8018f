#include "bench/pass_cost/modes.h"

#include <cmath>
#include <cstdlib>
#include <stdexcept>

#include "config/reader.h"
#include "config/writer.h"
#include "host/controls.h"
#include "host/native_invoker.h"
#include "host/script.h"
#include "sim/runners/game.h"
#include "sim/world/hook.h"

namespace bench {

namespace {

Recording* gRecording = nullptr;
ScriptState* gLiveState = nullptr;

void recordInit(uint64_t hash) {
    if (gRecording != nullptr) {
        gRecording->hashes.push_back(hash);
        gRecording->argBegin.push_back(static_cast<uint32_t>(gRecording->args.size()));
    }
    sim::hookNativeInit(hash);
}

void recordPush(uint64_t value) {
    if (gRecording != nullptr) {
        gRecording->args.push_back(value);
    }
    sim::hookNativePush64(value);
}

uint64_t* recordCall() {
    uint64_t* slots = sim::hookNativeCall();
    if (gRecording != nullptr) {
        for (size_t i = 0; i < kSlots; ++i) {
            gRecording->results.push_back(slots != nullptr ? slots[i] : 0);
        }
    }
    return slots;
}

// scriptMain's loop, with its state where the recorder can copy it between passes.
void recordedScript() {
    std::srand(gHook.tickCount != nullptr ? gHook.tickCount() : 0u);
    ensureConfigurationFile();
    loadSettings();
    ScriptState state;
    gLiveState = &state;
    for (;;) {
        runPass(state);
        gHook.scriptWait(0);
    }
}

[[noreturn]] void setupFailed(const std::string& what) { throw std::runtime_error(what); }

// A game with the plug-in bound through the recording hook.
class Recorder {
public:
    explicit Recorder(const std::string& ini = "") {
        if (!ini.empty()) {
            game.writeIni(ini);
        }
        gHook.nativeInit = recordInit;
        gHook.nativePush64 = recordPush;
        gHook.nativeCall = recordCall;
        gHook.scriptWait = sim::gameScriptWait;
        gHook.tickCount = sim::gameTickCount;
        gHook.worldGetAllVehicles = sim::hookWorldGetAllVehicles;
        game.registerScript(recordedScript);
    }
    ~Recorder() {
        game.unregisterScript();
        gHook = HookFunctions{};
        gLiveState = nullptr;
    }
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    const ScriptState& state() const {
        if (gLiveState == nullptr) {
            setupFailed("the script has not started");
        }
        return *gLiveState;
    }

    // Gets in by holding the enter control where the player stands.
    void enter(EntityHandle train) {
        game.hold(control::enter);
        game.stepSeconds(1.5f);
        game.release(control::enter);
        game.step();
        if (game.playerVehicle() != train || state().mode != InCab) {
            setupFailed("the player did not get into the cab");
        }
    }

    Mode capture(const std::string& name, int passes) {
        Mode mode;
        mode.name = name;
        mode.settings = gSettings;
        mode.before = state();
        Recording& r = mode.recording;
        gRecording = &r;
        for (int i = 0; i < passes; ++i) {
            r.passBegin.push_back(static_cast<uint32_t>(r.hashes.size()));
            game.step();
        }
        gRecording = nullptr;
        r.passBegin.push_back(static_cast<uint32_t>(r.hashes.size()));
        r.argBegin.push_back(static_cast<uint32_t>(r.args.size()));
        mode.vehicles.resize(1024);
        mode.vehicles.resize(static_cast<size_t>(sim::hookWorldGetAllVehicles(mode.vehicles.data(), 1024)));
        if (!game.violations().empty()) {
            setupFailed(name + ": " + game.violations().front());
        }
        return mode;
    }

    sim::Game game;
};

EntityHandle addFreightBesidePlayer(Recorder& r, std::vector<Vector3> track, int carriages) {
    sim::World& w = r.game.world();
    const EntityHandle train = w.addTrain("freight", carriages, w.addTrack(std::move(track)), 120.0f, 0.0f, true);
    r.game.setPlayerPosition({4.0f, 118.0f, 10.0f}, 90.0f);
    r.game.step();
    return train;
}

std::vector<Vector3> longStraight() { return {{0, 0, 10}, {0, 3000, 10}}; }

// 300 m straight along +y, then a quarter circle of radius 60 m turning to +x.
std::vector<Vector3> straightIntoBend() {
    std::vector<Vector3> points{{0, 0, 10}};
    for (int i = 0; i <= 180; ++i) {
        const double a = i * (3.14159265358979 / 2.0) / 180.0;
        points.push_back({static_cast<float>(60.0 - 60.0 * std::cos(a)), static_cast<float>(300.0 + 60.0 * std::sin(a)),
                          10.0f});
    }
    points.push_back({600, 360, 10});
    return points;
}

}  // namespace

// The engineer decides every 21st pass, so the cycle holds one decision.
Mode onFootFollowing() {
    Recorder r;
    const EntityHandle train = addFreightBesidePlayer(r, longStraight(), 3);
    r.enter(train);
    r.game.tap(control::exit);
    r.game.stepSeconds(1.0f);
    r.game.setPlayerPosition({4.0f, 320.0f, 10.0f});
    r.game.stepSeconds(3.0f);
    const ScriptState& s = r.state();
    if (s.mode != OnFoot || s.engineerTrain != train || s.followState != Forward) {
        setupFailed("the engineer is not following");
    }
    return r.capture("on-foot-following", 21);
}

Mode entering() {
    Recorder r;
    addFreightBesidePlayer(r, longStraight(), 3);
    r.game.hold(control::enter);
    r.game.step(10);
    if (r.state().mode != Entering) {
        setupFailed("the player is not entering");
    }
    return r.capture("entering", 1);
}

// Accelerating, with the speed text, the derailment bar and the engineer's menu on screen.
Mode freightCab() {
    Recorder r;
    const EntityHandle train = addFreightBesidePlayer(r, longStraight(), 3);
    r.enter(train);
    r.game.hold(control::accelerate);
    r.game.stepSeconds(2.0f);
    r.game.tap(control::horn);
    r.game.step(3);
    const ScriptState& s = r.state();
    if (s.mode != InCab || !(s.menuTime > 0.0f) || s.derailed || !(s.speed > 1.0f)) {
        setupFailed("the cab is not showing everything");
    }
    return r.capture("freight-cab", 1);
}

// The wagons of a derailment at rest, looked after: the cycle holds the checks every 0.2 s and the
// distance check every 601st pass.
Mode derailedWagons() {
    Recorder r("[FreightTrain]\nTrain.Models=freight\nTrain.Acceleration=20.0\n");
    const EntityHandle train = addFreightBesidePlayer(r, straightIntoBend(), 4);
    r.enter(train);
    r.game.hold(control::accelerate);
    for (int i = 0; i < 2000 && r.game.trainSpeed(train) < 30.0f; ++i) {
        r.game.step();
    }
    r.game.release(control::accelerate);
    for (int i = 0; i < 2000 && !r.state().derailed; ++i) {
        r.game.step();
    }
    r.game.tap(control::exit);
    r.game.stepSeconds(20.0f);
    const ScriptState& s = r.state();
    if (s.mode != OnFoot || s.derailedWagons.size() < 2) {
        setupFailed("no derailed wagons to look after");
    }
    return r.capture("derailed-wagons", 601);
}

// On foot beside the main line's kind of track, a freight train 600 m off and a street of parked
// cars: the trains-on-the-map look every 30th pass and the call control read every 4th, with the
// train's blip in place. The cycle holds two looks.
Mode onFootMapBlips() {
    Recorder r;
    sim::World& w = r.game.world();
    const int track = w.addTrack(longStraight());
    w.addTrain("freight", 3, track, 720.0f, 0.0f, true);
    for (int i = 0; i < 40; ++i) {
        w.addVehicle("blista", {20.0f + 3.0f * static_cast<float>(i % 10), 100.0f + 6.0f * static_cast<float>(i / 10), 10.0f}, 0.0f);
    }
    r.game.setPlayerPosition({4.0f, 118.0f, 10.0f}, 90.0f);
    r.game.stepSeconds(4.0f);
    if (r.state().mode != OnFoot || r.state().mapBlips.size() != 2) {
        setupFailed("the freight train has no blip");
    }
    return r.capture("on-foot-map-blips", 60);
}

}  // namespace bench
