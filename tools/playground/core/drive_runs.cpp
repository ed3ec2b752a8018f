#include "tools/playground/core/drive_runs.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>
#include <vector>

#include "config/reader.h"
#include "config/settings.h"
#include "host/controls.h"
#include "sim/world/world.h"
#include "tools/playground/core/session.h"
#include "tools/playground/core/player_text.h"
#include "train/entry.h"

namespace playground {

namespace {

using nlohmann::json;

// Speeds beyond this are off every chart; a run stops there rather than chase a setting to infinity.
constexpr float kHighestCharted = 1000.0f;
// Entering takes at most this many frames; a longer hold runs with longer frames.
constexpr int kEntryFrames = 600;
// Nobody holds the enter key for longer.
constexpr float kLongestHold = 3600.0f;

struct Rig {
    std::optional<Session> session;
    EntityHandle train = 0;
    std::string model;
    TrainKind drivenAs = Freight;  // a model on both lists is a freight train to the plug-in
    std::string error;
    int startFrame = 0;  // the first frame of the drive itself
};

// The game's own train of each kind; the charts are of it, as the player meets it in the game.
const char* gameModel(TrainKind kind) { return kind == Freight ? "freight" : "metrotrain"; }

// Where the player stands to enter: at the cab door, which suits either entrance type.
Vector3 cabDoor(const sim::World& world, EntityHandle train, TrainKind kind) {
    const Vector3 t = world.vehicle(train)->position;
    const Vector3 f = world.forward(train);
    const Planar door = cabDoorPoint(kind, t, f.x, f.y);
    return Vector3{door.x, door.y, t.z + 1.5f};
}

bool usableTopSpeed(float speed) { return speed > 0.0f && speed <= kHighestCharted; }

// A session on `settings` with the train of `kind` on `track` at `speed` (none: at its top speed), the
// player seated in its cab by the plug-in's own entry.
void enterTrain(Rig& rig, const std::string& settings, TrainKind kind, std::vector<Vector3> track, bool loop, float distance,
                std::optional<float> speed) {
    rig.session.emplace(settings);
    Session& s = *rig.session;
    s.start();
    rig.model = gameModel(kind);
    const ModelHash hash = sim::hashName(rig.model.c_str());
    if (!isModelOfKind(hash, Freight) && !isModelOfKind(hash, Tram)) {
        rig.error = kind == Freight ? "The game's freight train (freight) is not in Train.Models, so the plug-in "
                                      "does not take it for a train: there is nothing to drive."
                                    : "The game's tram (metrotrain) is not in Tram.Models, so the plug-in does not "
                                      "take it for a train: there is nothing to drive.";
        return;
    }
    rig.drivenAs = isModelOfKind(hash, Freight) ? Freight : Tram;
    if (!(gSettings.enterDelay <= kLongestHold)) {
        rig.error = "the enter key would have to be held for more than an hour";
        return;
    }
    const float top = gSettings.speedForward[rig.drivenAs];
    if (!speed && !usableTopSpeed(top)) {
        rig.error = "no driving at a top speed of " + shortFloat(top) + " m/s";
        return;
    }
    sim::World& world = s.world();
    const int trackIndex = world.addTrack(std::move(track), loop);
    rig.train = world.addTrain(rig.model, kind == Freight ? 3 : 2, trackIndex, distance, speed.value_or(top),
                               kind == Freight);
    world.moveEntity(world.player, cabDoor(world, rig.train, kind));
    // A long hold is played in fewer, longer frames: what the plug-in sums is the time held.
    const float holdFrame = std::max(kFrameSeconds, gSettings.enterDelay / static_cast<float>(kEntryFrames - 10));
    s.hold(control::enter);
    for (int n = 0; n < kEntryFrames && s.state().mode != InCab; ++n) s.step(n == 0 ? kFrameSeconds : holdFrame);
    s.release(control::enter);
    if (s.state().mode != InCab) rig.error = "the plug-in did not take the player into the cab";
    rig.startFrame = s.frame() + 1;
}

std::vector<Vector3> straightTrack() { return {{0.0f, 0.0f, 0.0f}, {0.0f, 20000.0f, 0.0f}}; }

std::vector<Vector3> circleTrack(float radius) {
    // About a metre a segment, so the heading turns smoothly at any speed.
    const int segments = std::max(180, static_cast<int>(std::ceil(2.0 * std::numbers::pi * radius)));
    std::vector<Vector3> points;
    for (int i = 0; i < segments; ++i) {
        const double a = 2.0 * std::numbers::pi * i / segments;
        points.push_back(Vector3{static_cast<float>(radius * std::cos(a)), static_cast<float>(radius * std::sin(a)), 0.0f});
    }
    return points;
}

json optionalNumber(std::optional<double> value) { return value ? json(*value) : json(nullptr); }

}  // namespace

json accelerationRun(const std::string& settings, TrainKind kind) {
    Rig rig;
    enterTrain(rig, settings, kind, straightTrack(), false, 1000.0f, 0.0f);
    if (!rig.error.empty()) return json{{"error", rig.error}};
    Session& s = *rig.session;
    const TrainKind drivenAs = rig.drivenAs;
    const float top = gSettings.speedForward[drivenAs];
    // On to a quarter past the time the top speed is reached, the soft curve's creep beyond it in view.
    constexpr double kLongest = 300.0;
    std::optional<double> timeToTop;
    std::optional<double> timeTo100;
    double end = kLongest;
    json time = json::array();
    json speed = json::array();
    std::string note;
    s.hold(control::accelerate);
    for (int n = 0;; ++n) {
        const double t = n / 60.0;
        const float v = s.state().speed;
        if (n % kSampleFrames == 0) {
            time.push_back(t);
            speed.push_back(v);
        }
        if (!timeToTop && usableTopSpeed(top) && v >= top) {
            timeToTop = t;
            end = std::min(kLongest, std::max(t * 1.25, t + 5.0));
        }
        if (!timeTo100 && v * 3.6f >= 100.0f) timeTo100 = t;
        if (t >= end) break;
        if (s.state().derailed) {
            note = "the train derailed after " + shortFloat(static_cast<float>(t)) + " s";
            break;
        }
        if (!(std::fabs(v) <= kHighestCharted)) {
            note = "faster than the chart shows";
            break;
        }
        s.step(kFrameSeconds);
    }
    return json{{"time", time},          {"speed", speed},
                {"topSpeed", top},       {"timeToTop", optionalNumber(timeToTop)},
                {"timeTo100", optionalNumber(timeTo100)},
                {"model", rig.model},    {"drivenAs", drivenAs == Freight ? "freight" : "tram"},
                {"startFrame", rig.startFrame}, {"note", note}};
}

json brakingRun(const std::string& settings, TrainKind kind) {
    json result;
    for (const bool handbrake : {false, true}) {
        Rig rig;
        enterTrain(rig, settings, kind, straightTrack(), false, 1000.0f, std::nullopt);
        if (!rig.error.empty()) return json{{"error", rig.error}};
        Session& s = *rig.session;
        s.hold(handbrake ? control::handbrake : control::brake);
        // Distance as the game covers it, at the speed the plug-in sets, summed in double precision.
        double distance = 0.0;
        std::optional<double> stopDistance;
        std::optional<double> stopTime;
        std::string note;
        json distances = json::array();
        json speeds = json::array();
        constexpr int kLongestFrames = 600 * 60;
        const float start = s.state().speed;
        for (int n = 0; n <= kLongestFrames; ++n) {
            const float v = s.state().speed;
            // The brake takes the train through zero into reverse; the handbrake holds it at its stop value.
            const bool stopped = n > 0 && v <= 0.0f;
            if (n % kSampleFrames == 0 || stopped) {
                distances.push_back(distance);
                speeds.push_back(std::max(v, 0.0f));
            }
            if (stopped) {
                stopDistance = distance;
                stopTime = n / 60.0;
                break;
            }
            if (!(std::fabs(v) <= kHighestCharted)) break;
            // Once derailed the plug-in no longer drives: the wagons roll on, out of its hands.
            if (s.state().derailed) {
                note = "the train derailed after " + shortFloat(static_cast<float>(n / 60.0)) + " s";
                break;
            }
            s.step(kFrameSeconds);
            distance += static_cast<double>(s.state().speed) * kFrameSeconds;
        }
        result["from"] = start;
        result[handbrake ? "handbrake" : "brake"] = json{{"distance", distances},
                                                          {"speed", speeds},
                                                          {"stopDistance", optionalNumber(stopDistance)},
                                                          {"stopTime", optionalNumber(stopTime)},
                                                          {"note", note}};
    }
    return result;
}

json bendRun(const std::string& settings, TrainKind kind, float radius) {
    constexpr float kResolution = 0.1f;
    constexpr int kTrialFrames = 240;
    std::optional<float> top;
    std::string error;
    // Whether the train, entered at `speed`, derails within the trial.
    auto derails = [&](float speed) {
        Rig rig;
        enterTrain(rig, settings, kind, circleTrack(radius), true, 0.0f, speed);
        if (!rig.error.empty()) {
            error = rig.error;
            return false;
        }
        top = gSettings.speedForward[rig.drivenAs];
        Session& s = *rig.session;
        for (int n = 0; n < kTrialFrames && !s.state().derailed; ++n) s.step(kFrameSeconds);
        return s.state().derailed;
    };
    const bool atStandstill = derails(0.0f);
    if (!error.empty()) return json{{"error", error}};
    if (atStandstill) return json{{"speed", 0.0}, {"capped", false}};
    if (!usableTopSpeed(*top)) return json{{"error", "no top speed to drive at"}};
    if (!derails(*top)) return json{{"speed", *top}, {"capped", true}};
    float safe = 0.0f;
    float unsafe = *top;
    while (unsafe - safe > kResolution) {
        const float middle = (safe + unsafe) / 2.0f;
        (derails(middle) ? unsafe : safe) = middle;
    }
    return json{{"speed", safe}, {"capped", false}};
}

}  // namespace playground
