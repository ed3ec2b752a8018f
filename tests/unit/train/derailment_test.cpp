#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <utility>
#include <vector>

#include "config/settings.h"
#include "host/controls.h"
#include "host/native_catalogue.h"
#include "train/derailment.h"
#include "unit/support/scripted_hook.h"

namespace {

using scripted_hook::asFloat;
using scripted_hook::asInt;
using scripted_hook::slot;

constexpr uint64_t kForwardX = nativeIdentity(Native::GetEntityForwardX).hash;
constexpr uint64_t kForwardY = nativeIdentity(Native::GetEntityForwardY).hash;
// The derail key is the game's duck, which the cab holds off and so reads through the disabled native.
constexpr uint64_t kDerailKeyHeld = nativeIdentity(Native::DisabledControlHeld).hash;
constexpr uint64_t kFrameSeconds = nativeIdentity(Native::GetFrameSeconds).hash;
constexpr uint64_t kStartShake = nativeIdentity(Native::StartCameraShake).hash;
constexpr uint64_t kShakeAmplitude = nativeIdentity(Native::SetCameraShakeAmplitude).hash;
constexpr uint64_t kStopShake = nativeIdentity(Native::StopCameraShake).hash;
constexpr uint64_t kTrainWagon = nativeIdentity(Native::GetTrainWagon).hash;
constexpr uint64_t kGetPosition = nativeIdentity(Native::GetEntityPosition).hash;
constexpr uint64_t kGetForwardVector = nativeIdentity(Native::GetEntityForwardVector).hash;
constexpr uint64_t kHeightAboveGround = nativeIdentity(Native::GetHeightAboveGround).hash;
constexpr uint64_t kGetModel = nativeIdentity(Native::GetEntityModel).hash;
constexpr uint64_t kSpawnVehicle = nativeIdentity(Native::SpawnVehicle).hash;
constexpr uint64_t kSetRotation = nativeIdentity(Native::SetEntityRotation).hash;
constexpr uint64_t kSeatOccupant = nativeIdentity(Native::GetSeatOccupant).hash;
constexpr uint64_t kPlaceInSeat = nativeIdentity(Native::PlaceCharacterInSeat).hash;
constexpr uint64_t kGetPlayer = nativeIdentity(Native::GetPlayerCharacter).hash;
constexpr uint64_t kRemoveAllTrains = nativeIdentity(Native::RemoveAllTrains).hash;

constexpr EntityHandle kTrain = 100;
constexpr EntityHandle kPlayer = 1;
constexpr EntityHandle kEngineer = 2;

// A cab with a train of carriages kTrain, kTrain+1, ... that the risk update and the derailment ask about.
class Derailment : public ::testing::Test {
protected:
    void SetUp() override {
        gSettings = Settings{};
        state.mode = InCab;
        state.train = kTrain;
        state.previousForwardX = 1.0f;
        auto& h = scripted_hook::state().handlers;
        h[kFrameSeconds] = [this](const auto&) { return std::vector<uint64_t>{slot(frameSeconds)}; };
        h[kForwardX] = [this](const auto&) { return std::vector<uint64_t>{slot(forward.x)}; };
        h[kForwardY] = [this](const auto&) { return std::vector<uint64_t>{slot(forward.y)}; };
        h[kDerailKeyHeld] = [this](const auto& a) { return std::vector<uint64_t>{asInt(a[1]) == control::derail && manualKey ? 1u : 0u}; };
        h[kTrainWagon] = [this](const auto& a) {
            const int32_t index = asInt(a[1]);
            return std::vector<uint64_t>{asInt(a[0]) == kTrain && index < carriages ? slot(kTrain + index) : 0u};
        };
        h[kGetPosition] = [](const auto& a) {
            const float i = static_cast<float>(asInt(a[0]) - kTrain);
            return scripted_hook::vec(Vector3{10.0f * i, 5.0f, 3.0f});
        };
        h[kGetForwardVector] = [](const auto&) { return scripted_hook::vec(Vector3{0.0f, 1.0f, 0.5f}); };
        h[kHeightAboveGround] = [](const auto&) { return std::vector<uint64_t>{slot(1.5f)}; };
        h[kGetModel] = [](const auto&) { return std::vector<uint64_t>{0x3D6AAA9Bu}; };
        h[kSpawnVehicle] = [this](const auto&) { return std::vector<uint64_t>{slot(nextSpawn++)}; };
        h[kSeatOccupant] = [](const auto& a) {
            return std::vector<uint64_t>{asInt(a[0]) == kTrain ? slot(asInt(a[1]) == -1 ? kEngineer : kPlayer) : 0u};
        };
        h[kGetPlayer] = [](const auto&) { return std::vector<uint64_t>{slot(kPlayer)}; };
    }
    void TearDown() override { gSettings = Settings{}; }

    // Runs risk updates until the train derails; the number of the pass that derailed it, or 0.
    int passesUntilDerailed(int limit) {
        for (int pass = 1; pass <= limit; ++pass) {
            updateDerailment(state);
            if (state.derailed) {
                return pass;
            }
        }
        return 0;
    }
    std::vector<float> amplitudes() const {
        std::vector<float> out;
        for (const auto& c : scripted_hook::callsTo(kShakeAmplitude)) {
            out.push_back(asFloat(c.args[0]));
        }
        return out;
    }

    scripted_hook::Binding hook;
    ScriptState state;
    float frameSeconds = 0.125f;
    Vector3 forward{1.0f, 0.0f, 0.0f};
    bool manualKey = false;
    int32_t carriages = 3;
    EntityHandle nextSpawn = 200;
};

TEST_F(Derailment, FullSensitivityDerailsAStandingTrainAboutAThirdOfASecondLater) {
    gSettings.derailmentSensitivity[Freight] = 1.0f;
    updateDerailment(state);
    EXPECT_GT(state.derailmentRisk, 1.0f);
    EXPECT_FALSE(state.derailed);
    EXPECT_EQ(passesUntilDerailed(10), 2);  // 0.25 s is not yet more than 0.3 s, 0.375 s is
    EXPECT_EQ(scripted_hook::callsTo(kStartShake).size(), 1u);
    EXPECT_EQ(scripted_hook::callsTo(kStopShake).size(), 1u) << "derailing ends the shake";
    for (float a : amplitudes()) {
        EXPECT_TRUE(std::isfinite(a));
    }
}

TEST_F(Derailment, ZeroSensitivityOnlyDecaysButTheManualKeyStillDerails) {
    gSettings.derailmentSensitivity[Freight] = 0.0f;
    state.derailmentRisk = 0.8f;
    state.speed = 10.0f;
    updateDerailment(state);
    EXPECT_FLOAT_EQ(state.derailmentRisk, 0.76f);

    state.derailmentRisk = 0.0f;
    manualKey = true;
    // 0.075 a pass: above 1.0 on the 14th, then more than 0.3 s above it.
    EXPECT_EQ(passesUntilDerailed(40), 16);
}

TEST_F(Derailment, ManualKeyFreezesTheRiskAtWalkingPaceOrWhenSwitchedOff) {
    gSettings.derailmentSensitivity[Freight] = 1.0f;  // would otherwise shoot the risk up
    manualKey = true;
    for (float speed : {2.0f, -2.0f, 0.0f}) {
        state.speed = speed;
        state.derailmentRisk = 0.7f;
        updateDerailment(state);
        EXPECT_EQ(state.derailmentRisk, 0.7f) << speed;
    }
    gSettings.keyActionManualDerailment = false;
    state.speed = 20.0f;
    updateDerailment(state);
    EXPECT_EQ(state.derailmentRisk, 0.7f);
    // The heading is remembered whichever branch ran.
    forward = Vector3{0.0f, 1.0f, 0.0f};
    updateDerailment(state);
    EXPECT_EQ(state.previousForwardY, 1.0f);
}

TEST_F(Derailment, TheRiskGrowsWithTheSpeedAboveHalfTheTopSpeedEitherWay) {
    gSettings.derailmentSensitivity[Freight] = 0.5f;
    gSettings.speedForward[Freight] = 40.0f;
    // From no risk, one pass moves it 5 % of the way to its target: the same turn at each speed.
    const auto riskAt = [this](float speed) {
        state.speed = speed;
        state.derailmentRisk = 0.0f;
        state.previousForwardX = 1.0f;
        state.previousForwardY = 0.0f;
        forward = Vector3{std::cos(0.01f), std::sin(0.01f), 0.0f};
        updateDerailment(state);
        return state.derailmentRisk;
    };
    const float still = riskAt(0.0f);
    ASSERT_GT(still, 0.0f);
    for (const auto& [speed, times] : std::vector<std::pair<float, float>>{
             {10.0f, 1.0f}, {20.0f, 1.0f}, {30.0f, 1.5f}, {40.0f, 2.0f}, {-30.0f, 1.5f}, {80.0f, 4.0f}}) {
        EXPECT_FLOAT_EQ(riskAt(speed), still * times) << speed;
    }
}

TEST_F(Derailment, RiskOfExactlyOneRestartsTheClock) {
    manualKey = true;  // frozen risk, below 2 m/s
    state.derailmentRisk = 1.0f;
    state.derailmentRiskTime = 0.25f;
    updateDerailment(state);
    EXPECT_EQ(state.derailmentRiskTime, 0.0f);
    state.derailmentRisk = std::nextafter(1.0f, 2.0f);
    EXPECT_EQ(passesUntilDerailed(10), 3);
}

TEST_F(Derailment, ShakeStartsOnceFollowsTheRiskAndStopsAtHalf) {
    gSettings.derailmentSensitivity[Freight] = 0.0f;
    state.derailmentRisk = 0.6f;  // decays by 5 % a pass
    for (int i = 0; i < 6; ++i) {
        updateDerailment(state);
    }
    EXPECT_EQ(scripted_hook::callsTo(kStartShake).size(), 1u);
    const std::vector<float> a = amplitudes();
    ASSERT_EQ(a.size(), 3u);
    EXPECT_NEAR(a[0], (0.57f - 0.5f) * 6.0f, 1e-5f);
    EXPECT_EQ(scripted_hook::callsTo(kStopShake).size(), 1u);
    EXPECT_FALSE(state.cameraShakeActive);

    scripted_hook::state().calls.clear();
    gSettings.derailmentCameraShake = false;
    state.derailmentRisk = 0.9f;
    updateDerailment(state);
    EXPECT_TRUE(scripted_hook::callsTo(kStartShake).empty());
    EXPECT_TRUE(amplitudes().empty());
}

TEST_F(Derailment, PausedOrBrokenFrameTimesAndZeroTopSpeedKeepEveryValueFinite) {
    gSettings.derailmentSensitivity[Freight] = 0.5f;
    gSettings.speedForward[Freight] = 0.0f;
    forward = Vector3{0.0f, 1.0f, 0.0f};  // turned a quarter since the last pass
    for (float ft : {0.0f, NAN, INFINITY, -1.0f, 0.125f}) {
        frameSeconds = ft;
        state.derailmentRisk = 0.9f;
        for (float speed : {0.0f, 30.0f}) {
            state.speed = speed;
            updateDerailment(state);
            EXPECT_TRUE(std::isfinite(state.derailmentRisk)) << ft << " " << speed;
            EXPECT_TRUE(std::isfinite(state.derailmentRiskTime)) << ft << " " << speed;
        }
    }
    for (float a : amplitudes()) {
        EXPECT_TRUE(std::isfinite(a));
    }
}

TEST_F(Derailment, EveryCarriageBecomesAWagonAndTheCrewMovesToTheNewHead) {
    state.speed = 12.0f;
    derailTrain(state);
    EXPECT_TRUE(state.derailed);
    EXPECT_EQ(state.train, 200);
    ASSERT_EQ(state.derailedWagons.size(), 2u);
    EXPECT_EQ(state.derailedWagons[0].handle, 201);
    EXPECT_EQ(state.derailedWagons[1].handle, 202);
    EXPECT_EQ(state.derailedWagons[1].kind, Freight);
    EXPECT_EQ(state.derailedWagons[1].samples, 0);

    const auto spawns = scripted_hook::callsTo(kSpawnVehicle);
    ASSERT_EQ(spawns.size(), 3u);
    EXPECT_EQ(spawns[2].args[0], 0x3D6AAA9Bu);
    EXPECT_EQ(asFloat(spawns[2].args[1]), 20.0f);
    EXPECT_FLOAT_EQ(asFloat(spawns[2].args[3]), 3.0f - 1.5f + 0.2f);  // set on the ground
    EXPECT_EQ(scripted_hook::callsTo(kSetRotation).size(), 3u);

    // The crew is seated in the new head before the old train is removed.
    const auto& calls = scripted_hook::state().calls;
    std::vector<std::vector<int32_t>> seated;
    bool removed = false;
    for (const auto& c : calls) {
        if (c.hash == kPlaceInSeat) {
            EXPECT_FALSE(removed);
            seated.push_back({asInt(c.args[0]), asInt(c.args[1]), asInt(c.args[2])});
        }
        removed = removed || c.hash == kRemoveAllTrains;
    }
    EXPECT_TRUE(removed);
    EXPECT_EQ(seated, (std::vector<std::vector<int32_t>>{{kEngineer, 200, -1}, {kPlayer, 200, 0}}));
}

TEST_F(Derailment, TramRearCarStandsFurtherAlongItsHeadingAndThePlayerDrives) {
    state.kind = Tram;
    carriages = 2;
    // The tram's driver is the player.
    scripted_hook::state().handlers[kSeatOccupant] = [](const auto& a) {
        return std::vector<uint64_t>{asInt(a[0]) == kTrain && asInt(a[1]) == -1 ? slot(kPlayer) : 0u};
    };
    derailTrain(state);
    const auto spawns = scripted_hook::callsTo(kSpawnVehicle);
    ASSERT_EQ(spawns.size(), 2u);
    EXPECT_EQ(asFloat(spawns[1].args[1]), 10.0f);
    EXPECT_FLOAT_EQ(asFloat(spawns[1].args[2]), 5.9f);
    EXPECT_FLOAT_EQ(asFloat(spawns[1].args[3]), static_cast<float>(3.0 + 0.9 * 0.5 - 1.5 + 0.2));
    EXPECT_FLOAT_EQ(asFloat(spawns[0].args[2]), 5.0f) << "only the rear car is shifted";
    const auto seated = scripted_hook::callsTo(kPlaceInSeat);
    ASSERT_EQ(seated.size(), 1u);
    EXPECT_EQ(asInt(seated[0].args[0]), kPlayer);
    EXPECT_EQ(asInt(seated[0].args[2]), -1);
    EXPECT_EQ(state.derailedWagons.size(), 1u);
}

TEST_F(Derailment, APlayerTheGameReportsElsewhereIsNotSeatedInTheWreck) {
    // The cab's seats still name the player, but this pass the game had the player off the train.
    state.passesOffTrain = 1;
    derailTrain(state);
    EXPECT_TRUE(scripted_hook::callsTo(kPlaceInSeat).empty());
    EXPECT_TRUE(state.derailed);
    EXPECT_EQ(state.train, 200) << "the head vehicle is the ride's, filed when the ride ends";
}

TEST_F(Derailment, BrokenCarriageReadingsNeverReachTheSpawnedWagons) {
    auto& h = scripted_hook::state().handlers;
    h[kGetPosition] = [](const auto&) { return scripted_hook::vec(Vector3{NAN, INFINITY, 1.0f}); };
    h[kHeightAboveGround] = [](const auto&) { return std::vector<uint64_t>{slot(NAN)}; };
    state.kind = Tram;
    derailTrain(state);
    for (uint64_t hash : {kSpawnVehicle, kSetRotation}) {
        for (const auto& c : scripted_hook::callsTo(hash)) {
            for (std::size_t i = 1; i < 4; ++i) {
                EXPECT_TRUE(std::isfinite(asFloat(c.args[i])));
            }
        }
    }
    EXPECT_EQ(scripted_hook::callsTo(kSpawnVehicle).size(), 3u);
}

TEST_F(Derailment, UnreadableHeadCarriageKeepsTheOldHandleAndSeatsNobody) {
    carriages = 0;
    derailTrain(state);
    EXPECT_TRUE(state.derailed);
    EXPECT_EQ(state.train, kTrain);
    EXPECT_TRUE(scripted_hook::callsTo(kSpawnVehicle).empty());
    EXPECT_TRUE(scripted_hook::callsTo(kPlaceInSeat).empty());
    EXPECT_EQ(scripted_hook::callsTo(kRemoveAllTrains).size(), 1u);
    EXPECT_TRUE(state.derailedWagons.empty());
}

}  // namespace
