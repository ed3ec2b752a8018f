// The stand-in's map: mission trains at the nearest node of any track, models that load over frames,
// blips under their own handles, the game's own trains, and the behaviour check's rules for them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>

#include "host/native_catalogue.h"
#include "sim/runners/map_rules.h"
#include "sim/world/hook.h"

namespace {

uint64_t call(sim::Hook& hook, Native native, std::initializer_list<uint64_t> args) {
    hook.nativeInit(nativeIdentity(native).hash);
    for (uint64_t a : args) hook.nativePush64(a);
    return hook.nativeCall()[0];
}
uint64_t address(const void* p) { return reinterpret_cast<uintptr_t>(p); }
uint64_t slot(float f) {
    uint32_t bits = 0;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}
uint64_t slot(int32_t i) { return static_cast<uint32_t>(i); }

int gameTrackOf(const sim::World& w, EntityHandle train) {
    return w.tracks[static_cast<size_t>(w.train(train)->track)].gameTrack;
}

TEST(GameMap, MissionTrainsSnapToTheNearestNodeOfAnyTrackHoweverFar) {
    sim::World w;
    w.addTrack({{0, 0, 0}, {0, 500, 0}});  // a scenario's own short track, far from the game's
    w.addGameTracks();
    EXPECT_EQ(w.gameTrackIndex(sim::kMainLine), 1);
    EXPECT_TRUE(w.tracks[1].loop);
    EXPECT_NEAR(w.tracks[1].length(), 29700.0f, 300.0f);
    EXPECT_EQ(w.tracks[static_cast<size_t>(w.gameTrackIndex(sim::kMetroLine))].stops.size(), 20u);

    const EntityHandle scenarios = w.createMissionTrain(0, {3, 120, 0}, true);
    ASSERT_NE(scenarios, 0);
    EXPECT_EQ(w.train(scenarios)->track, 0);
    EXPECT_TRUE(w.train(scenarios)->mission);
    EXPECT_EQ(w.vehicle(scenarios)->seats.count(-1), 0u) << "no driver: the story scripts seat their own";
    // The script's driver: only once its model has loaded, and never into a taken seat.
    const ModelHash driver = sim::hashName("s_m_m_lsmetro_01");
    EXPECT_EQ(w.createCharacterInVehicle(scenarios, driver, -1), 0) << "its model not loaded";
    w.models.request(driver);
    for (int i = 0; i < w.models.loadFrames; ++i) w.models.advance();
    const EntityHandle seated = w.createCharacterInVehicle(scenarios, driver, -1);
    ASSERT_NE(seated, 0);
    EXPECT_EQ(w.vehicle(scenarios)->seats.at(-1), seated);
    EXPECT_EQ(w.createCharacterInVehicle(scenarios, driver, -1), 0) << "the seat is taken";

    // Beside a yard branch the train comes on the branch, not on the main line.
    const auto& nodes = sim::gameTrackNodes();
    const auto branch = std::find_if(nodes.begin(), nodes.end(), [](const sim::GameTrackNode& n) { return n.track == 1; });
    ASSERT_NE(branch, nodes.end());
    const EntityHandle yard = w.createMissionTrain(18, {branch[40].x + 1, branch[40].y, branch[40].z}, true);
    ASSERT_NE(yard, 0);
    EXPECT_EQ(gameTrackOf(w, yard), 1);
    EXPECT_LT(std::hypot(w.vehicle(yard)->position.x - branch[40].x, w.vehicle(yard)->position.y - branch[40].y), 0.5f);

    // Far out at sea: still a train, at the node nearest.
    EXPECT_NE(w.createMissionTrain(15, {-30000, 30000, 0}, false), 0);
    EXPECT_EQ(w.createMissionTrain(99, {0, 0, 0}, true), 0) << "no such variation";
    sim::World bare;
    EXPECT_EQ(bare.createMissionTrain(0, {0, 0, 0}, true), 0) << "no track at all";

    // The direction flag's two meanings face the train opposite ways on the same track.
    for (bool along : {true, false}) {
        sim::World one;
        one.directionAlongNodes = along;
        one.addTrack({{0, 0, 0}, {0, 500, 0}, {0, 1000, 0}});
        const EntityHandle t = one.createMissionTrain(0, {20, 480, 0}, true);
        EXPECT_EQ(one.vehicle(t)->position.y, 500.0f) << "at the node, not the nearest point";
        EXPECT_EQ(one.forward(t).y > 0.0f, along);
        // The wagons trail behind the locomotive either way.
        const EntityHandle wagon = one.train(t)->carriages[1];
        EXPECT_EQ(one.vehicle(wagon)->position.y < one.vehicle(t)->position.y, along);
    }
}

TEST(GameMap, ModelsLoadOverFramesAndNeverWhenTheGameLacksThem) {
    sim::ModelStore models;
    models.loadFrames = 3;
    const ModelHash freight = sim::hashName("freight");
    models.request(freight);
    for (int frame = 0; frame < 3; ++frame) {
        EXPECT_FALSE(models.loaded(freight)) << frame;
        models.advance();
    }
    EXPECT_TRUE(models.loaded(freight));

    const ModelHash unknown = sim::hashName("nosuchtrain");
    const ModelHash car2 = sim::hashName("freightcar2");
    EXPECT_FALSE(models.valid(unknown));
    EXPECT_TRUE(models.valid(car2));
    models.setNewerGame(false);
    EXPECT_FALSE(models.valid(car2));
    models.request(unknown);
    models.request(car2);
    for (int frame = 0; frame < 100; ++frame) models.advance();
    EXPECT_FALSE(models.loaded(unknown));
    EXPECT_FALSE(models.loaded(car2));

    models.release(freight);
    EXPECT_FALSE(models.loaded(freight));
    EXPECT_TRUE(models.held().empty());
}

TEST(GameMap, BlipsLiveUnderTheirOwnHandlesUntilRemoved) {
    sim::World w;
    sim::Hook hook(w);
    w.addTrack({{0, 0, 0}, {0, 500, 0}});
    const EntityHandle train = w.addTrain("freight", 2, 0, 100.0f, 0.0f, true);
    auto first = static_cast<BlipHandle>(call(hook, Native::AddBlipForEntity, {slot(train)}));
    auto second = static_cast<BlipHandle>(call(hook, Native::AddBlipForEntity, {slot(train)}));
    EXPECT_NE(first, 0);
    EXPECT_NE(second, 0);
    EXPECT_NE(first, second);
    EXPECT_EQ(call(hook, Native::AddBlipForEntity, {slot(train + 1000)}), 0u) << "no entity, no blip";
    call(hook, Native::SetBlipSprite, {slot(first), 795});
    call(hook, Native::SetBlipRoute, {slot(first), 1});
    EXPECT_EQ(w.blips.find(first)->sprite, 795);
    EXPECT_TRUE(w.blips.find(first)->route);

    const BlipHandle kept = second;
    call(hook, Native::RemoveBlip, {address(&second)});
    EXPECT_EQ(second, 0) << "the game clears the handle it removes";
    EXPECT_EQ(w.blips.find(kept), nullptr);
    ASSERT_NE(w.blips.find(first), nullptr) << "only the handle given goes";

    // Its train deleted, the blip leaves the map, but the handle stays the script's to remove.
    w.removeTrain(train);
    ASSERT_NE(w.blips.find(first), nullptr);
    EXPECT_TRUE(w.blips.find(first)->entityGone);
    EXPECT_FALSE(w.blips.find(first)->route);
    call(hook, Native::RemoveBlip, {address(&first)});
    EXPECT_TRUE(w.blips.all().empty());
    EXPECT_TRUE(hook.violations.empty()) << hook.violations.front();
}

// The hook SDK's worldGetAllVehicles: never more than the capacity, and only live vehicles.
TEST(GameMap, TheHookListsEveryVehicleWithinTheCapacity) {
    sim::World w;
    sim::Hook hook(w);
    sim::Hook::current = &hook;
    w.addTrack({{0, 0, 0}, {0, 500, 0}});
    w.addTrain("freight", 3, 0, 100.0f, 0.0f, true);
    w.removeVehicle(w.addVehicle("blista", {5, 5, 0}, 0.0f));
    int buffer[8] = {};
    EXPECT_EQ(sim::hookWorldGetAllVehicles(buffer, 2), 2);
    EXPECT_EQ(buffer[2], 0) << "written beyond the capacity";
    EXPECT_EQ(sim::hookWorldGetAllVehicles(buffer, 8), 3);
    for (int i = 0; i < 3; ++i) EXPECT_NE(w.vehicle(buffer[i]), nullptr) << buffer[i];
    EXPECT_EQ(sim::hookWorldGetAllVehicles(buffer, 0), 0);
    EXPECT_TRUE(hook.violations.empty());
    EXPECT_EQ(sim::hookWorldGetAllVehicles(nullptr, 8), 0);
    EXPECT_EQ(hook.violations.size(), 1u);
    sim::Hook::current = nullptr;
}

TEST(GameMap, TheGameRunsFreightEveryTwoMinutesAndTheMetroStopsAtItsStations) {
    sim::World w;
    w.addGameTracks();
    w.gameTrains.on = true;
    const sim::Track& main = w.tracks[static_cast<size_t>(w.gameTrackIndex(sim::kMainLine))];
    w.character(w.player)->position = main.points[1686];
    const sim::Track& metro = w.tracks[static_cast<size_t>(w.gameTrackIndex(sim::kMetroLine))];
    const float dt = 0.1f;
    int stops = 0;
    for (int frame = 1; frame <= 6050; ++frame) {
        w.advance(dt, frame);
        const float seconds = static_cast<float>(frame) * dt;
        ASSERT_LE(w.gameTrains.freightMade, static_cast<int>(seconds / 120.0f + 1e-3f)) << seconds;
        for (const auto& [h, t] : w.trains) {
            if (t.stopsAtStations && t.dwell > 0.0f && t.speed == 0.0f) {
                const float at = t.distance;  // Clang 14 cannot capture a structured binding
                const bool atStation = std::any_of(metro.stops.begin(), metro.stops.end(),
                                                   [at](float s) { return std::fabs(s - at) < 0.01f; });
                ASSERT_TRUE(atStation) << "the metro stood at " << t.distance;
                if (t.dwell > 10.0f - dt * 1.5f) ++stops;
            }
            if (!t.stopsAtStations) {
                ASSERT_GT(t.speed, 0.0f) << "a freight train stopped";
            }
        }
    }
    EXPECT_EQ(w.gameTrains.freightMade, 5);
    EXPECT_GE(stops, 4);

    // A mission deletes every train and stops the game's own until it ends.
    w.setMissionFlag(true);
    EXPECT_TRUE(w.trains.empty());
    for (int frame = 6051; frame <= 8000; ++frame) w.advance(dt, frame);
    EXPECT_TRUE(w.trains.empty());
}

// A run of passes whose calls the map's rules check, on a world with a track and the freight model
// loading in 2 frames.
struct RuledRun {
    sim::World world;
    sim::Hook hook{world};
    sim::MapRules rules{&world};
    int frame = 0;
    ModelHash freight = sim::hashName("freight");

    RuledRun() {
        world.addTrack({{0, 0, 0}, {0, 1000, 0}});
        world.models.loadFrames = 2;
    }
    void pass(const std::function<void()>& calls, bool inCab = false) {
        hook.beginFrame(++frame);
        calls();
        rules.afterPass(frame, hook.calls, inCab);
        world.advance(1.0f / 60.0f, frame);
    }
    ModelHash driver = sim::hashName("s_m_m_lsmetro_01");

    // Requests the model (the lone locomotive's unless told) and waits until the game says it is loaded.
    void load(ModelHash model = 0) {
        if (model == 0) model = freight;
        bool loaded = false;
        pass([&] { call(hook, Native::RequestModel, {model}); });
        for (int i = 0; i < 5 && !loaded; ++i) pass([&] { loaded = call(hook, Native::IsModelLoaded, {model}) != 0; });
    }
    EntityHandle seatDriver(EntityHandle train) {
        EntityHandle made = 0;
        pass([&] { made = static_cast<EntityHandle>(call(hook, Native::CreateCharacterInVehicle, {slot(train), slot(26), driver, slot(-1), 0, 0})); });
        return made;
    }
    EntityHandle create() {
        EntityHandle made = 0;
        pass([&] { made = static_cast<EntityHandle>(call(hook, Native::CreateMissionTrain, {slot(18), slot(0.0f), slot(10.0f), slot(0.0f), 1, 0, 0})); });
        return made;
    }
    bool failedWith(const std::string& part) const {
        return std::any_of(rules.failures().begin(), rules.failures().end(),
                           [&](const std::string& f) { return f.find(part) != std::string::npos; });
    }
};

TEST(MapRules, EachRuleFailsTheRunThatBreaksIt) {
    {
        RuledRun run;  // a train before its model loaded
        run.pass([&] { call(run.hook, Native::RequestModel, {run.freight}); });
        EXPECT_NE(run.create(), 0);
        EXPECT_TRUE(run.failedWith("not reported loaded")) << run.rules.failureCount();
    }
    {
        RuledRun run;  // a driver before its model loaded
        run.load();
        const EntityHandle train = run.create();
        run.pass([&] { call(run.hook, Native::RequestModel, {run.driver}); });
        run.seatDriver(train);
        EXPECT_TRUE(run.failedWith("CreateCharacterInVehicle with its model")) << run.rules.failureCount();
    }
    {
        RuledRun run;  // a train during a mission
        run.load();
        run.world.setMissionFlag(true);
        run.create();
        EXPECT_TRUE(run.failedWith("mission flag"));
    }
    {
        RuledRun run;  // what was held when the game took the player away, kept
        run.load();
        run.load(run.driver);
        EntityHandle train = run.create();
        EXPECT_NE(run.seatDriver(train), 0);
        run.pass([&] { call(run.hook, Native::AddBlipForEntity, {slot(train)}); });
        run.rules.playerTakenAway(2);
        run.pass([] {});
        EXPECT_EQ(run.rules.failureCount(), 0u) << "a pass's grace";
        run.pass([] {});
        EXPECT_TRUE(run.failedWith("mission train"));
        EXPECT_TRUE(run.failedWith("character"));
        EXPECT_TRUE(run.failedWith("blip"));
        EXPECT_TRUE(run.failedWith("left requested"));
    }
    {
        RuledRun run;  // a model the abandoned script requested, not let go by the next one
        run.pass([&] { call(run.hook, Native::RequestModel, {run.freight}); });
        run.rules.scriptRestarted();
        run.pass([] {});
        EXPECT_TRUE(run.failedWith("left requested"));
    }
    {
        RuledRun run;  // a blip through the cab
        run.load();
        const EntityHandle train = run.create();
        run.pass([&] { call(run.hook, Native::AddBlipForEntity, {slot(train)}); }, true);
        run.pass([] {}, true);
        EXPECT_TRUE(run.failedWith("while the player drives"));
    }
}

TEST(MapRules, ARunThatLetsGoOfEverythingPasses) {
    RuledRun run;
    run.load();
    EntityHandle train = run.create();
    ASSERT_NE(train, 0);
    BlipHandle blip = 0;
    run.pass([&] {
        call(run.hook, Native::ReleaseModel, {run.freight});
        blip = static_cast<BlipHandle>(call(run.hook, Native::AddBlipForEntity, {slot(train)}));
    });
    run.rules.playerTakenAway(2);
    run.pass([&] {
        call(run.hook, Native::RemoveBlip, {address(&blip)});
        call(run.hook, Native::ReleaseMissionTrain, {address(&train), 0});
    });
    EXPECT_EQ(train, 0);
    EXPECT_EQ(blip, 0);
    EXPECT_FALSE(run.world.trains.begin()->second.mission) << "the game's own train again";
    // A train the game deleted itself is held no longer.
    run.load();
    run.create();
    run.world.setMissionFlag(true);
    run.pass([&] { call(run.hook, Native::ReleaseModel, {run.freight}); });
    run.rules.scriptRestarted();
    run.pass([] {});
    EXPECT_EQ(run.rules.failureCount(), 0u) << run.rules.failures().front();
    EXPECT_TRUE(run.hook.violations.empty()) << run.hook.violations.front();
}

}  // namespace
