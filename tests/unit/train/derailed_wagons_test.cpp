#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <set>

#include "config/settings.h"
#include "host/native_catalogue.h"
#include "train/derailment.h"
#include "train/wagon_monitor.h"
#include "unit/support/scripted_hook.h"

namespace {

using scripted_hook::asInt;
using scripted_hook::slot;

constexpr uint64_t kGetPosition = nativeIdentity(Native::GetEntityPosition).hash;
constexpr uint64_t kGetForwardVector = nativeIdentity(Native::GetEntityForwardVector).hash;
constexpr uint64_t kCreateExplosion = nativeIdentity(Native::CreateExplosion).hash;
constexpr uint64_t kEntityExists = nativeIdentity(Native::EntityExists).hash;
constexpr uint64_t kGetPlayer = nativeIdentity(Native::GetPlayerCharacter).hash;
constexpr uint64_t kDeleteVehicle = nativeIdentity(Native::DeleteVehicle).hash;
constexpr uint64_t kPhysicsActive = nativeIdentity(Native::SetEntityPhysicsActive).hash;
constexpr uint64_t kFrameSeconds = nativeIdentity(Native::GetFrameSeconds).hash;
constexpr EntityHandle kPlayer = 1;

// The few natives the wagon upkeep asks, over a world of entities with positions.
class WagonWorld : public ::testing::Test {
protected:
    void SetUp() override {
        gSettings = Settings{};
        auto& h = scripted_hook::state().handlers;
        h[kGetPosition] = [this](const std::vector<uint64_t>& a) { return scripted_hook::vec(positions[asInt(a[0])]); };
        h[kGetForwardVector] = [this](const std::vector<uint64_t>&) { return scripted_hook::vec(forward); };
        h[kEntityExists] = [this](const std::vector<uint64_t>& a) {
            return std::vector<uint64_t>{positions.count(asInt(a[0])) != 0 ? 1u : 0u};
        };
        h[kGetPlayer] = [](const std::vector<uint64_t>&) { return std::vector<uint64_t>{slot(kPlayer)}; };
        h[kFrameSeconds] = [this](const std::vector<uint64_t>&) { return std::vector<uint64_t>{slot(frameSeconds)}; };
        h[kDeleteVehicle] = [this](const std::vector<uint64_t>& a) {
            // The game clears the caller's handle, so the address must be the record's own field.
            auto* handle = reinterpret_cast<EntityHandle*>(static_cast<uintptr_t>(a[0]));
            deleted.push_back(*handle);
            positions.erase(*handle);
            *handle = 0;
            return std::vector<uint64_t>{};
        };
        positions[kPlayer] = Vector3{};
    }
    void TearDown() override { gSettings = Settings{}; }

    void addWagon(EntityHandle handle, Vector3 at, TrainKind kind = Freight) {
        positions[handle] = at;
        appendDerailedWagon(state, handle, kind);
    }
    std::vector<EntityHandle> listed() const {
        std::vector<EntityHandle> out;
        for (const DerailedWagon& w : state.derailedWagons) {
            out.push_back(w.handle);
        }
        return out;
    }

    scripted_hook::Binding hook;
    ScriptState state;
    std::map<EntityHandle, Vector3> positions;
    Vector3 forward{1.0f, 0.0f, 0.0f};
    float frameSeconds = 0.0f;
    std::vector<EntityHandle> deleted;
};

TEST_F(WagonWorld, AnEmptyListCostsNoNativeCall) {
    runWagonMonitor(state);
    EXPECT_TRUE(scripted_hook::state().calls.empty());
    EXPECT_EQ(state.wagonPassCounter, 0);
}

TEST_F(WagonWorld, CountLimitDeletesFarthestFirstAndEarliestOfEqualDistances) {
    gSettings.derailedWagonsMaxCount = 2;
    addWagon(10, {10, 0, 0});
    addWagon(11, {0, 50, 0});
    addWagon(12, {0, 0, 30});
    addWagon(13, {-50, 0, 0});
    addWagon(14, {20, 0, 0});
    runWagonMonitor(state);  // no time has passed: the count alone starts the sweep
    EXPECT_EQ(deleted, (std::vector<EntityHandle>{11, 13, 12}));
    EXPECT_EQ(listed(), (std::vector<EntityHandle>{10, 14}));
    // The address handed to the delete was the record's, and the record went with it.
    for (const DerailedWagon& w : state.derailedWagons) {
        EXPECT_NE(w.handle, 0);
    }
}

TEST_F(WagonWorld, LimitOfZeroOrBelowEmptiesTheListInOnePass) {
    for (int32_t limit : {0, -3}) {
        state = ScriptState{};
        deleted.clear();
        gSettings.derailedWagonsMaxCount = limit;
        addWagon(20, {0, 0, 0});  // every distance 0: taken from the front
        addWagon(21, {0, 0, 0});
        frameSeconds = 0.25f;
        runWagonMonitor(state);
        EXPECT_EQ(deleted, (std::vector<EntityHandle>{20, 21})) << limit;
        EXPECT_TRUE(state.derailedWagons.empty());
        EXPECT_EQ(state.wagonCheckTime, 0.0f);
    }
}

TEST_F(WagonWorld, WagonsTheGameRemovedAreDroppedWithoutADelete) {
    addWagon(30, {1, 0, 0});
    addWagon(31, {2, 0, 0});
    addWagon(32, {3, 0, 0});
    positions.erase(31);
    frameSeconds = 0.05f;
    runWagonMonitor(state);
    EXPECT_EQ(listed().size(), 3u) << "no sweep before 0.2 s";
    frameSeconds = 0.25f;
    runWagonMonitor(state);
    EXPECT_EQ(listed(), (std::vector<EntityHandle>{30, 32}));
    EXPECT_TRUE(deleted.empty());
    for (const auto& call : scripted_hook::callsTo(kPhysicsActive)) {
        EXPECT_NE(asInt(call.args[0]), 31);
    }
}

TEST_F(WagonWorld, DistanceRuleRunsOnThe601stPassAndSparesExactlyTheLimit) {
    gSettings.derailedWagonsMaxDistance = 200.0f;
    addWagon(40, {120, 0, 160});  // exactly 200 m in three dimensions
    addWagon(41, {0, 0, 200.5f});
    addWagon(42, {5000, 0, 0});
    // A paused game (frame time 0) counts passes but no time: no sweep wakes the wagons meanwhile.
    frameSeconds = 0.0f;
    for (int pass = 1; pass <= 600; ++pass) {
        runWagonMonitor(state);
    }
    EXPECT_TRUE(deleted.empty()) << "far wagons wait for the distance check";
    EXPECT_EQ(state.wagonCheckTime, 0.0f);
    EXPECT_TRUE(scripted_hook::callsTo(kPhysicsActive).empty());
    runWagonMonitor(state);
    EXPECT_EQ(deleted, (std::vector<EntityHandle>{42, 41}));  // from the back of the list
    EXPECT_EQ(listed(), (std::vector<EntityHandle>{40}));
    EXPECT_EQ(state.wagonPassCounter, 0);
}

TEST_F(WagonWorld, TickWakesEachWagonBeforeItsCheckAndComparesInDoublePrecision) {
    gSettings.explosionSensitivity[Freight] = 0.5f;
    addWagon(50, {1, 0, 0});
    addWagon(51, {2, 0, 0});
    frameSeconds = 0.1f;
    runWagonMonitor(state);
    EXPECT_TRUE(scripted_hook::callsTo(kPhysicsActive).empty());
    scripted_hook::state().calls.clear();
    // 0.1f + 0.1f is the float nearest 0.2, a hair above the double 0.2.
    runWagonMonitor(state);
    std::vector<std::pair<uint64_t, int32_t>> order;
    for (const auto& call : scripted_hook::state().calls) {
        if (call.hash == kPhysicsActive || call.hash == kGetPosition) {
            order.emplace_back(call.hash, asInt(call.args[0]));
        }
    }
    EXPECT_EQ(order, (std::vector<std::pair<uint64_t, int32_t>>{
                         {kPhysicsActive, 50}, {kGetPosition, 50}, {kPhysicsActive, 51}, {kGetPosition, 51}}));
    EXPECT_EQ(state.wagonCheckTime, 0.0f);
    EXPECT_EQ(state.derailedWagons[0].samples, 1);
}

// --- the explosion check of one record ---

class ExplosionCheck : public WagonWorld {
protected:
    // Moves the wagon by step metres along x, then runs one check 0.25 s after the last.
    bool check(float step) {
        positions[wagon.handle].x += step;
        const std::size_t before = scripted_hook::callsTo(kCreateExplosion).size();
        checkWagonExplosion(wagon, 0.25f);
        return scripted_hook::callsTo(kCreateExplosion).size() > before;
    }
    DerailedWagon wagon{60, Freight, {}, 0.0f, 0, 0};
    void SetUp() override {
        WagonWorld::SetUp();
        positions[60] = Vector3{};
    }
};

TEST_F(ExplosionCheck, ExplodesOnlyOnAViolentChangeAtLeastFiveChecksApartAndAtMostSixTimes) {
    gSettings.explosionSensitivity[Freight] = 0.9f;  // threshold 15 m/s²
    std::vector<int> explodedAt;
    for (int i = 1; i <= 80; ++i) {
        // A wagon jolting between 0 and 40 m/s: 160 m/s² at every check.
        if (check(i % 2 == 0 ? 10.0f : 0.0f)) {
            explodedAt.push_back(i);
        }
    }
    EXPECT_EQ(explodedAt, (std::vector<int>{5, 10, 15, 20, 25, 30}));
    EXPECT_EQ(wagon.explosions, 6);
    scripted_hook::state().calls.clear();
    check(10.0f);
    EXPECT_TRUE(scripted_hook::state().calls.empty()) << "a spent wagon is no longer sampled";
}

TEST_F(ExplosionCheck, SteadyRollingDoesNotExplodeAndTheStrengthGrowsWithTheJolt) {
    gSettings.explosionSensitivity[Freight] = 0.9f;
    for (int i = 0; i < 10; ++i) {
        EXPECT_FALSE(check(5.0f)) << i;  // 20 m/s throughout
    }
    // 20 m/s down to 9.375 m/s in 0.25 s: 42.5 m/s², halfway up the band above the threshold.
    std::srand(7);
    const int r = std::rand();
    std::srand(7);
    ASSERT_TRUE(check(2.34375f));
    const auto call = scripted_hook::callsTo(kCreateExplosion).back();
    const float offset = static_cast<float>(((r % 1200) - 600) * 0.01);
    const Vector3 p = positions[60];
    EXPECT_FLOAT_EQ(scripted_hook::asFloat(call.args[0]), p.x + offset);
    EXPECT_FLOAT_EQ(scripted_hook::asFloat(call.args[1]), p.y);
    EXPECT_FLOAT_EQ(scripted_hook::asFloat(call.args[2]), p.z + 1.0f);
    EXPECT_EQ(call.args[3], 37u);
    EXPECT_NEAR(scripted_hook::asFloat(call.args[4]), 0.6f, 1e-5f);  // damage 0.5 * 0.8 + 0.2
    EXPECT_NEAR(scripted_hook::asFloat(call.args[7]), 0.5f, 1e-5f);  // shake
    EXPECT_EQ(wagon.samples, 0);
}

TEST_F(ExplosionCheck, FullSensitivityGivesFullStrengthWithoutDividingByZero) {
    gSettings.explosionSensitivity[Freight] = 1.0f;
    for (int i = 0; i < 6; ++i) {
        EXPECT_FALSE(check(5.0f));  // no change of speed, no explosion even at threshold 0
    }
    ASSERT_TRUE(check(5.01f));
    const auto call = scripted_hook::callsTo(kCreateExplosion).back();
    EXPECT_EQ(scripted_hook::asFloat(call.args[4]), 1.0f);
    EXPECT_EQ(scripted_hook::asFloat(call.args[7]), 1.0f);
}

TEST_F(ExplosionCheck, ZeroSensitivityNeverSamplesAndTheKindPicksTheSensitivity) {
    gSettings.explosionSensitivity[Freight] = 0.0f;
    gSettings.explosionSensitivity[Tram] = 0.9f;
    check(10.0f);
    EXPECT_TRUE(scripted_hook::callsTo(kGetPosition).empty());
    EXPECT_EQ(wagon.samples, 0);
    wagon.kind = Tram;
    check(10.0f);
    EXPECT_EQ(wagon.samples, 1);
    EXPECT_FLOAT_EQ(wagon.lastSpeed, 80.0f);
}

}  // namespace
