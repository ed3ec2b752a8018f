#include "sim/runners/soak.h"

#include <algorithm>
#include <cmath>
#include <iostream>
#include <iterator>
#include <random>
#include <set>

#include "config/settings.h"
#include "host/cab_actions.h"
#include "host/controls.h"
#include "host/game_controls.h"
#include "host/script_state.h"
#include "sim/runners/behaviour_check.h"
#include "sim/runners/in_process_plugin.h"
#include "sim/runners/soak_life.h"
#include "sim/runners/soak_world.h"
#include "train/entry.h"

namespace sim {

namespace {

constexpr int kFramesPerSecond = 60;
constexpr float kFrame = 1.0f / kFramesPerSecond;
constexpr size_t kSoakFailuresKept = 20;

// Every control the plug-in reads, and the game's radio control, which it leaves to the game.
constexpr int32_t kCabControls[] = {control::accelerate, control::brake,  control::handbrake, control::seatLeft,
                                    control::seatRight,  control::derail, control::highBeam,  control::horn,
                                    control::doors,      control::radio,  control::exit,      control::enter};

class Soak {
public:
    explicit Soak(const SoakOptions& options)
        : options_(options),
          game_(gameOptions(options)),
          world_(game_.world()),
          random_(options.seed),
          life_(game_, options.seed ^ 0x5EEDu) {
        buildWorld();
    }

    SoakSummary run() {
        int64_t frames = 0;
        double nextReport = 3600.0;
        for (int64_t n = 0; game_.seconds() < options_.seconds; ++n) {
            gameEvents();
            play();
            game_.step();
            observe();
            frames = n + 1;
            if (options_.progress != nullptr && game_.seconds() >= nextReport) {
                nextReport += 3600.0;
                *options_.progress << "  hour " << static_cast<int>(game_.seconds() / 3600.0) << ": " << summary_.entries
                                   << " entries, " << summary_.derailments << " derailments, " << summary_.explosions
                                   << " explosions, " << summary_.violationCount << " violations" << std::endl;
            }
        }
        summary_.frames = frames;
        summary_.gameSeconds = game_.seconds();
        summary_.violationCount = game_.violations().size();
        for (const std::string& v : game_.violations()) fail("violation: " + v);
        summary_.checkFailures = check_.failureCount();
        summary_.ridesLost = check_.ridesLost;
        for (const std::string& f : check_.failures()) fail(f);
        if (options_.requireActivity) requireActivity();
        return summary_;
    }

private:
    static GameOptions gameOptions(const SoakOptions& options) {
        GameOptions g;
        g.workdir = options.workdir;
        return g;
    }

    // --- Random choices ---
    double uniform(double from, double to) { return std::uniform_real_distribution<double>(from, to)(random_); }
    int between(int from, int to) { return std::uniform_int_distribution<int>(from, to)(random_); }
    bool chance(double p) { return uniform(0.0, 1.0) < p; }
    // An event that happens `perMinute` times a minute of game time on average.
    bool often(double perMinute) { return chance(perMinute / (60.0 * kFramesPerSecond)); }
    template <class T>
    const T& pick(const std::vector<T>& from) {
        return from[static_cast<size_t>(between(0, static_cast<int>(from.size()) - 1))];
    }
    int framesFor(double seconds) { return std::max(1, static_cast<int>(seconds * kFramesPerSecond)); }

    void fail(const std::string& text) {
        if (summary_.failures.size() < kSoakFailuresKept) summary_.failures.push_back(text);
    }
    std::string at() const { return "frame " + std::to_string(game_.frame()) + ": "; }

    // --- The world ---
    void buildWorld() {
        lines_[0] = Line{"freight", {0.0f, 0.0f, 0.0f}, 700.0f, 1200.0f, 50.0f, 300.0f};
        lines_[1] = Line{"metrotrain", {3000.0f, 0.0f, 0.0f}, 300.0f, 500.0f, 30.0f, 150.0f};
        for (Line& line : lines_) {
            line.track = world_.addTrack(roundedLoop(line), true);
            const float x0 = line.origin.x - kBarrierMargin, y0 = line.origin.y - kBarrierMargin;
            const float x1 = line.origin.x + line.width + kBarrierMargin, y1 = line.origin.y + line.height + kBarrierMargin;
            world_.addBarrier({x0, y0}, {x1, y0});
            world_.addBarrier({x1, y0}, {x1, y1});
            world_.addBarrier({x1, y1}, {x0, y1});
            world_.addBarrier({x0, y1}, {x0, y0});
            const float i0 = line.origin.x + kBarrierMargin, j0 = line.origin.y + kBarrierMargin;
            const float i1 = line.origin.x + line.width - kBarrierMargin, j1 = line.origin.y + line.height - kBarrierMargin;
            world_.addBarrier({i0, j0}, {i1, j0});
            world_.addBarrier({i1, j0}, {i1, j1});
            world_.addBarrier({i1, j1}, {i0, j1});
            world_.addBarrier({i0, j1}, {i0, j0});
        }
        // A road car beside the freight line: pressing enter there starts the game's own entry.
        roadCar_ = world_.addVehicle("blista", {-6.0f, 500.0f, 0.0f}, 0.0f, "car");
        spawnTrain(0);
        spawnTrain(1);
        game_.setPlayerPosition({8.0f, 300.0f, 0.0f});
    }

    void spawnTrain(int kind) {
        const Line& line = lines_[kind];
        const float length = world_.tracks[static_cast<size_t>(line.track)].length();
        const int carriages = kind == 0 ? (chance(0.15) ? between(21, 30) : between(2, 8)) : 2;
        const float speed = chance(0.5) ? 0.0f : static_cast<float>(uniform(1.0, 12.0));
        const bool engineer = kind == 0 ? chance(0.85) : chance(0.5);
        world_.addTrain(line.model, carriages, line.track, static_cast<float>(uniform(0.0, length)), speed, engineer);
        ++summary_.trainsSpawned;
    }

    std::vector<EntityHandle> trainsOf(int kind) const {
        std::vector<EntityHandle> found;
        for (const auto& [h, t] : world_.trains) {
            const Vehicle* lead = world_.vehicle(h);
            if (lead != nullptr && lead->modelName == lines_[kind].model) found.push_back(h);
        }
        return found;
    }

    std::vector<EntityHandle> freeVehicles() const {
        std::vector<EntityHandle> found;
        for (const auto& [h, v] : world_.vehicles)
            if (v.train == 0 && h != roadCar_) found.push_back(h);
        return found;
    }

    float distanceToPlayer(Vector3 p) const {
        const Character* player = world_.character(world_.player);
        return std::hypot(p.x - player->position.x, p.y - player->position.y);
    }

    // --- What the game does by itself, and the configuration file edited behind the plug-in's back ---
    void gameEvents() {
        for (int kind = 0; kind < 2; ++kind) {
            if (!trainsOf(kind).empty()) {
                respawnAt_[kind] = -1;
            } else if (respawnAt_[kind] < 0) {
                respawnAt_[kind] = game_.frame() + framesFor(uniform(2.0, 20.0));
            } else if (game_.frame() >= respawnAt_[kind]) {
                spawnTrain(kind);
                respawnAt_[kind] = -1;
            }
        }
        if (often(0.3)) killEngineer();
        if (often(0.3)) deleteSomething();
        if (often(1.0)) streamOutFarVehicles();
        if (often(0.08)) {
            world_.removeAllTrains();
            ++summary_.gameRemovals;
        }
        if (often(0.5)) {
            game_.writeIni(chance(0.75) ? plausibleIni(random_) : garbageIni(random_));
            ++summary_.iniEdits;
        }
        if (often(0.12)) {
            game_.deleteIni();
            ++summary_.iniDeletions;
        }
        if (often(0.3)) {
            // A game reload: the hook starts the script again and abandons the running one.
            game_.restartScripts();
            scriptRestarted();
        }
        const SoakLife::Outcome life = life_.step();
        summary_.lifeEvents += life.events;
        if (life.saveLoaded) {
            auto it = life.renamed.find(roadCar_);
            roadCar_ = it == life.renamed.end() ? 0 : it->second;
            scriptRestarted();
            ++summary_.saveLoads;
        }
        frameTimes();
        // The world's own records only grow; the soak counts what it needs as it goes.
        world_.events.clear();
        world_.explosions.clear();
        world_.horns.clear();
    }

    void scriptRestarted() {
        ++summary_.restarts;
        previousMode_ = OnFoot;
        previousMenuTime_ = 0.0f;
        check_.scriptRestarted();
    }

    void killEngineer() {
        for (const auto& [h, v] : world_.vehicles) {
            auto seat = v.seats.find(-1);
            if (v.train == h && seat != v.seats.end() && seat->second != world_.player && chance(0.5)) {
                world_.kill(seat->second);
                ++summary_.gameRemovals;
                return;
            }
        }
    }

    void deleteSomething() {
        const int what = between(0, 4);
        const Character* player = world_.character(world_.player);
        if (what == 0 && player->vehicle != 0) {
            world_.removeVehicle(player->vehicle);  // the vehicle the player sits in
        } else if (what == 1 && !world_.trains.empty()) {
            const Train& t = world_.trains.begin()->second;
            world_.removeVehicle(t.carriages[static_cast<size_t>(between(0, static_cast<int>(t.carriages.size()) - 1))]);
        } else if (what == 2) {
            std::vector<EntityHandle> others;
            for (const auto& [h, c] : world_.characters)
                if (h != world_.player) others.push_back(h);
            if (others.empty()) return;
            world_.removeCharacter(pick(others));
        } else {
            const std::vector<EntityHandle> free = freeVehicles();
            if (free.empty()) return;
            world_.removeVehicle(pick(free));
        }
        ++summary_.gameRemovals;
    }

    // The game unloads what is far from the player, and keeps the number of parked vehicles down.
    void streamOutFarVehicles() {
        std::vector<EntityHandle> free = freeVehicles();
        for (EntityHandle h : free) {
            const Vehicle* v = world_.vehicle(h);
            if (v != nullptr && distanceToPlayer(v->position) > 400.0f && chance(0.5)) {
                world_.removeVehicle(h);
                ++summary_.gameRemovals;
            }
        }
        free = freeVehicles();
        if (free.size() > 150) {
            for (size_t i = 0; i < free.size() - 150; ++i) world_.removeVehicle(free[i]);
            summary_.gameRemovals += static_cast<int64_t>(free.size() - 150);
        }
    }

    // Mostly steady frames; now and then a pause (frame time 0), a stretch of uneven frames, a hitch.
    void frameTimes() {
        if (frameTimeFrames_ > 0) {
            if (--frameTimeFrames_ == 0) {
                game_.setFrameTime(kFrame);
            } else if (frameTimeUneven_) {
                game_.setFrameTime(static_cast<float>(uniform(1.0 / 240.0, 1.0 / 15.0)));
            }
        } else if (often(1.0)) {
            const int kind = between(0, 3);
            frameTimeUneven_ = kind == 1;
            if (kind == 0) {
                game_.setFrameTime(0.0f);
                frameTimeFrames_ = between(1, 120);
            } else if (kind == 1) {
                frameTimeFrames_ = between(30, 600);
            } else if (kind == 2) {
                game_.setFrameTime(static_cast<float>(uniform(0.1, 0.5)));
                frameTimeFrames_ = 1;
            } else {
                game_.setFrameTime(1.0f / 30.0f);
                frameTimeFrames_ = between(60, 600);
            }
        }
        if (game_.frameTime() == 0.0f) ++summary_.pausedFrames;
    }

    // --- The player: one plan at a time, each holding some controls for a while ---
    struct Plan {
        std::vector<PhysicalInput> hold;
        int frames = 0;
        float untilSpeed = 0.0f;  // a race ends early at this speed (0: runs its frames)
    };

    void play() {
        if (plan_.frames > 0) {
            --plan_.frames;
            const ScriptState* s = game_.state();
            if (plan_.untilSpeed > 0.0f && s != nullptr && std::fabs(s->speed) >= plan_.untilSpeed) {
                // Fast enough: ride on at that speed into whatever bend comes.
                endPlan();
                idle(uniform(5.0, 45.0));
                return;
            }
            if (plan_.frames == 0) endPlan();
            return;
        }
        const ScriptState* s = game_.state();
        if (s == nullptr || s->mode == OnFoot) {
            planOnFoot();
        } else if (s->mode == Entering) {
            // Held on, or let go early: the prompt then ends.
            if (chance(0.6)) plan(framesFor(uniform(0.1, 1.5)), {control::enter});
            else idle(uniform(0.1, 1.0));
        } else if (s->derailed) {
            planDerailed();
        } else {
            planInCab(*s);
        }
    }

    void plan(int frames, const std::vector<int32_t>& controls, float untilSpeed = 0.0f) {
        // Now and then the player takes up the other device, in the middle of a ride too.
        if (chance(0.04)) pad_ = !pad_;
        plan_ = Plan{{}, frames, untilSpeed};
        for (int32_t c : controls) plan_.hold.push_back(handFor(c));
        for (const PhysicalInput& i : plan_.hold) game_.hold(i);
    }
    void endPlan() {
        for (const PhysicalInput& i : plan_.hold) game_.release(i);
        plan_ = Plan{};
    }
    // What the player's hands press for a control of the cab's keyboard column: its key, or on the pad
    // the button the cab's table gives the action (the game's own button where the pad has none).
    PhysicalInput handFor(int32_t control) const {
        if (!pad_) return keyOf(control);
        int32_t onPad = control;
        for (const CabActionRow& row : kCabActions)
            if (row.control[Keyboard] == control && row.control[Pad] != noControl) onPad = row.control[Pad];
        const ControlInputs buttons = inputsOf(onPad, Pad);
        return buttons.count > 0 ? PhysicalInput{Pad, std::string(buttons.names[0])} : keyOf(control);
    }
    void idle(double seconds) { plan(framesFor(seconds), {}); }

    void planOnFoot() {
        const ScriptState* s = game_.state();
        const Vehicle* following = s != nullptr && s->engineerTrain != 0 ? world_.vehicle(s->engineerTrain) : nullptr;
        if (following != nullptr && chance(0.6)) {
            // Away along the line from the train the engineer drives, ahead or behind, then wait for it.
            const Vector3 f = world_.forward(following->handle);
            const float along = static_cast<float>(chance(0.5) ? uniform(30.0, 200.0) : uniform(-200.0, -30.0));
            game_.setPlayerPosition({following->position.x + f.x * along + f.y * 5.0f,
                                     following->position.y + f.y * along - f.x * 5.0f, 0.0f});
            idle(uniform(5.0, 40.0));
            return;
        }
        const double r = uniform(0.0, 1.0);
        const int kind = chance(0.6) ? 0 : 1;
        const std::vector<EntityHandle> trains = trainsOf(kind);
        if (r < 0.55 && !trains.empty()) {
            approach(pick(trains), kind);
        } else if (r < 0.62 && !trains.empty()) {
            // Walk along the line away from a train, so a following engineer has somewhere to go.
            const Vehicle* lead = world_.vehicle(pick(trains));
            const Vector3 f = world_.forward(lead->handle);
            const float along = static_cast<float>(uniform(-120.0, 120.0));
            game_.setPlayerPosition({lead->position.x + f.y * 4.0f + f.x * along * 0.3f,
                                     lead->position.y - f.x * 4.0f + f.y * along * 0.3f, 0.0f});
            game_.walkPlayerTo({lead->position.x + f.x * along, lead->position.y + f.y * along, 0.0f},
                               static_cast<float>(uniform(1.0, 7.0)));
            idle(uniform(3.0, 25.0));
        } else if (r < 0.67) {
            game_.setPlayerPosition({static_cast<float>(uniform(-2000.0, 5000.0)), static_cast<float>(uniform(-2000.0, 3000.0)), 0.0f});
            idle(uniform(1.0, 15.0));
        } else if (r < 0.72) {
            // Beside the road car: the game's own entry starts, and the plug-in must let it be or stop it.
            if (const Vehicle* car = world_.vehicle(roadCar_)) {
                game_.setPlayerPosition({car->position.x + 2.0f, car->position.y + static_cast<float>(uniform(-3.0, 3.0)), 0.0f});
            }
            plan(framesFor(uniform(0.05, 1.5)), {control::enter});
        } else if (r < 0.82) {
            mash(uniform(0.5, 4.0));
        } else {
            idle(uniform(0.5, 6.0));
        }
    }

    void approach(EntityHandle train, int kind) {
        const Vehicle* lead = world_.vehicle(train);
        const Vector3 t = lead->position;
        const Vector3 f = world_.forward(train);
        Vector3 p;
        if (chance(0.3)) {
            // At the cab door, where the realistic entrance wants the player.
            const Planar door = cabDoorPoint(kind == 0 ? Freight : Tram, t, f.x, f.y);
            p = Vector3{door.x, door.y, t.z + 1.5f};
        } else {
            const float radius = static_cast<float>(uniform(0.0, 16.0));
            const double a = uniform(0.0, 6.283185307);
            p = Vector3{t.x + radius * static_cast<float>(std::cos(a)), t.y + radius * static_cast<float>(std::sin(a)), 0.0f};
        }
        game_.setPlayerPosition(p, static_cast<float>(uniform(0.0, 360.0)));
        const double r = uniform(0.0, 1.0);
        const double hold = r < 0.75 ? uniform(0.8, 2.0) : r < 0.9 ? uniform(0.05, 0.6) : 1.0 / kFramesPerSecond;
        plan(framesFor(hold), {control::enter});
    }

    void planInCab(const ScriptState& s) {
        if (s.kind == Freight && s.engineerCommand != Follow && chance(0.25)) {
            plan(between(1, 10), {control::horn});  // taps on to the command the player wants
            return;
        }
        if (s.kind == Tram && chance(0.12)) {
            plan(1, {control::doors});
            return;
        }
        const double r = uniform(0.0, 1.0);
        if (r < 0.22) {
            // A race: full throttle until fast enough for the tight bends, then on for a while.
            const float top = s.kind == Freight ? static_cast<float>(uniform(15.0, 38.0)) : static_cast<float>(uniform(9.0, 24.0));
            plan(framesFor(uniform(8.0, 40.0)), {control::accelerate}, top);
        } else if (r < 0.34) {
            plan(framesFor(uniform(0.5, 10.0)), {control::accelerate});
        } else if (r < 0.42) {
            plan(framesFor(uniform(0.5, 8.0)), {control::brake});
        } else if (r < 0.47) {
            plan(framesFor(uniform(0.3, 4.0)), {control::handbrake});
        } else if (r < 0.52) {
            plan(1, {control::doors});
        } else if (r < 0.56) {
            plan(between(1, 4), {chance(0.5) ? control::seatLeft : control::seatRight});
        } else if (r < 0.59) {
            plan(between(1, 3), {control::highBeam});
        } else if (r < 0.63) {
            plan(framesFor(uniform(0.25, 2.0)), {control::horn});
        } else if (r < 0.71) {
            plan(between(1, 10), {control::horn});  // a tap: the next engineer command
        } else if (r < 0.75) {
            plan(framesFor(uniform(0.3, 3.0)), {control::derail});
        } else if (r < 0.77) {
            plan(between(1, 5), {control::radio});
        } else if (r < 0.81) {
            mash(uniform(0.2, 3.0));
        } else if (r < 0.93 && game_.seconds() - enteredAt_ > 3.0) {
            plan(1, {control::exit});
        } else if (r < 0.935) {
            // The game moves the player out of the seat behind the plug-in's back.
            game_.setPlayerPosition({static_cast<float>(uniform(-100.0, 800.0)), static_cast<float>(uniform(-100.0, 1300.0)), 0.0f});
            idle(1.0);
        } else {
            idle(uniform(0.5, 12.0));
        }
    }

    void planDerailed() {
        if (chance(0.4)) {
            idle(uniform(0.5, 8.0));
        } else if (chance(0.2)) {
            mash(uniform(0.2, 2.0));
        } else {
            plan(1, {control::exit});
        }
    }

    // A random handful of controls held down together.
    void mash(double seconds) {
        std::vector<int32_t> hold;
        for (int32_t c : kCabControls)
            if (chance(0.3)) hold.push_back(c);
        plan(framesFor(seconds), hold);
    }

    // --- Checks and counts after every frame ---
    void observe() {
        const ScriptState* s = game_.state();
        if (s == nullptr) return;
        check_.afterPass(game_.frame(), game_.calls(), *s);
        summary_.maxWagons = std::max(summary_.maxWagons, s->derailedWagons.size());
        for (const DerailedWagon& w : s->derailedWagons)
            if (deleted_.count(w.handle) != 0 && !world_.exists(w.handle))
                fail(at() + "a deleted vehicle " + std::to_string(w.handle) + " is still listed");

        const std::vector<NativeCall>& calls = game_.calls();
        const std::vector<Hook::Deletion>& deletions = game_.hook().deletions;
        size_t nextDeletion = 0;
        bool tramDoors = false;
        for (size_t i = 0; i < calls.size(); ++i) {
            const NativeCall& call = calls[i];
            for (const ArgValue& a : call.args)
                // A slot's counter comes round again after 255 reuses: a handle that names a live
                // entity again may have come back from the game anew.
                if (a.kind == ArgKind::Int && World::looksLikeHandle(a.i) && deleted_.count(a.i) != 0 &&
                    !world_.exists(a.i))
                    fail(at() + std::string(call.op) + " given vehicle " + std::to_string(a.i) + " after the plug-in deleted it");
            while (nextDeletion < deletions.size() && deletions[nextDeletion].call == i) {
                deleted_.insert(deletions[nextDeletion].handle);
                ++summary_.wagonsDeleted;
                ++nextDeletion;
            }
            if (call.op == "RemoveAllTrains") {
                ++summary_.derailments;
                if (game_.isHeld(handFor(control::derail))) ++summary_.manualDerailments;
            } else if (call.op == "CreateExplosion") {
                ++summary_.explosions;
            } else if (call.op == "SoundHorn") {
                ++summary_.horns;
            } else if (call.op == "OrderShuffleToNextSeat") {
                ++summary_.seatChanges;
            } else if (call.op == "SetHighBeam") {
                ++summary_.highBeamSwitches;
            } else if (call.op == "SetDoorOpenRatio" && s->kind == Tram) {
                tramDoors = true;
            }
        }
        if (tramDoors && !tramDoorsMoving_) ++summary_.tramDoorMotions;
        tramDoorsMoving_ = tramDoors;

        if (s->mode == InCab && previousMode_ != InCab) {
            ++summary_.entries;
            enteredAt_ = game_.seconds();
        }
        if (s->mode != InCab && previousMode_ == InCab) ++summary_.exits;
        if (s->menuTime > previousMenuTime_) ++summary_.engineerCommands;
        if (s->mode == OnFoot && s->engineerTrain != 0 && (s->followState == Forward || s->followState == Backward))
            ++summary_.engineerFollowPasses;
        previousMode_ = s->mode;
        previousMenuTime_ = s->menuTime;
    }

    void requireActivity() {
        const std::pair<const char*, int64_t> needed[] = {
            {"entries", summary_.entries},
            {"derailments", summary_.derailments},
            {"explosions", summary_.explosions},
            {"wagon deletions", summary_.wagonsDeleted},
            {"engineer commands", summary_.engineerCommands},
            {"engineer follow passes", summary_.engineerFollowPasses},
            {"tram door motions", summary_.tramDoorMotions},
            {"script restarts", summary_.restarts},
        };
        for (const auto& [what, count] : needed)
            if (count == 0) fail(std::string("the soak never reached ") + what);
    }

    SoakOptions options_;
    ObservedPluginGame game_;
    World& world_;
    std::mt19937 random_;
    SoakSummary summary_;
    Line lines_[2];
    EntityHandle roadCar_ = 0;
    int respawnAt_[2] = {-1, -1};
    int frameTimeFrames_ = 0;
    bool frameTimeUneven_ = false;
    Plan plan_;
    bool pad_ = false;  // the player drives with a gamepad
    double enteredAt_ = 0.0;
    PlayerMode previousMode_ = OnFoot;
    float previousMenuTime_ = 0.0f;
    bool tramDoorsMoving_ = false;
    std::set<EntityHandle> deleted_;
    BehaviourCheck check_;
    SoakLife life_;
};

}  // namespace

SoakSummary runSoak(const SoakOptions& options) {
    Soak soak(options);
    return soak.run();
}

}  // namespace sim
