#include <gtest/gtest.h>

#include <cmath>
#include <optional>

#include "config/settings.h"
#include "host/native_catalogue.h"
#include "ui/engineer.h"
#include "unit/support/scripted_hook.h"
#include "util/geometry.h"

namespace {

using scripted_hook::asFloat;
using scripted_hook::asInt;
using scripted_hook::slot;

constexpr uint64_t kGetPlayer = nativeIdentity(Native::GetPlayerCharacter).hash;
constexpr uint64_t kEntityExists = nativeIdentity(Native::EntityExists).hash;
constexpr uint64_t kInAnyTrain = nativeIdentity(Native::IsCharacterInAnyTrain).hash;
constexpr uint64_t kGetPosition = nativeIdentity(Native::GetEntityPosition).hash;
constexpr uint64_t kForwardX = nativeIdentity(Native::GetEntityForwardX).hash;
constexpr uint64_t kForwardY = nativeIdentity(Native::GetEntityForwardY).hash;
constexpr uint64_t kFrameSeconds = nativeIdentity(Native::GetFrameSeconds).hash;
constexpr uint64_t kTargetSpeed = nativeIdentity(Native::SetTrainTargetSpeed).hash;
constexpr uint64_t kDrawRectangle = nativeIdentity(Native::DrawRectangle).hash;

constexpr EntityHandle kPlayer = 1;
constexpr EntityHandle kTrain = 100;

// A train handed over at the origin, facing +y, and the player on foot somewhere around it.
class EngineerDrive : public ::testing::Test {
protected:
    void SetUp() override {
        gSettings = Settings{};
        state.engineerTrain = kTrain;
        state.engineerCommand = Follow;
        auto& h = scripted_hook::state().handlers;
        h[kGetPlayer] = [](const auto&) { return std::vector<uint64_t>{slot(kPlayer)}; };
        h[kEntityExists] = [this](const auto&) { return std::vector<uint64_t>{trainExists ? 1u : 0u}; };
        h[kInAnyTrain] = [this](const auto&) { return std::vector<uint64_t>{playerInTrain ? 1u : 0u}; };
        h[kGetPosition] = [this](const auto& a) {
            return scripted_hook::vec(asInt(a[0]) == kPlayer ? playerAt : Vector3{});
        };
        h[kForwardX] = [](const auto&) { return std::vector<uint64_t>{slot(0.0f)}; };
        h[kForwardY] = [](const auto&) { return std::vector<uint64_t>{slot(1.0f)}; };
        h[kFrameSeconds] = [](const auto&) { return std::vector<uint64_t>{slot(1.0f / 60.0f)}; };
    }
    void TearDown() override { gSettings = Settings{}; }

    // Runs passes up to and including the next re-evaluation.
    void untilDecision() {
        do {
            runEngineerDrive(state);
        } while (state.engineerPassCounter != 0);
    }
    std::optional<float> lastTargetSpeed() const {
        const auto calls = scripted_hook::callsTo(kTargetSpeed);
        if (calls.empty()) {
            return std::nullopt;
        }
        return asFloat(calls.back().args[1]);
    }

    scripted_hook::Binding hook;
    ScriptState state;
    Vector3 playerAt{0.0f, 30.0f, 0.0f};
    bool trainExists = true;
    bool playerInTrain = false;
};

TEST_F(EngineerDrive, FirstDecisionComesOnThe21stPassAndIdleSetsNothing) {
    for (int i = 0; i < 20; ++i) {
        runEngineerDrive(state);
    }
    EXPECT_TRUE(scripted_hook::state().calls.empty());
    runEngineerDrive(state);
    EXPECT_EQ(state.engineerPassCounter, 0);
    EXPECT_EQ(state.followState, Forward);
}

TEST_F(EngineerDrive, KeepSpeedReleasesAndStopSetsZeroOnceThePlayerIsOffTrains) {
    state.engineerCommand = KeepSpeed;
    untilDecision();
    EXPECT_EQ(state.engineerTrain, 0);
    EXPECT_FALSE(lastTargetSpeed().has_value());

    state.engineerTrain = kTrain;
    state.engineerCommand = Stop;
    playerInTrain = true;
    untilDecision();
    EXPECT_EQ(state.engineerTrain, kTrain) << "riding another train only idles the engineer";
    EXPECT_EQ(state.followState, Idle);
    playerInTrain = false;
    untilDecision();
    EXPECT_EQ(lastTargetSpeed(), 0.0f);
    EXPECT_EQ(state.engineerTrain, 0);

    state.engineerTrain = kTrain;
    trainExists = false;
    untilDecision();
    EXPECT_EQ(state.engineerTrain, 0) << "a vanished train is dropped";
}

TEST_F(EngineerDrive, FollowDrivesForwardSettingTheSpeedAndDrawingTheDistanceEveryPass) {
    untilDecision();
    ASSERT_EQ(state.followState, Forward);
    float previous = state.engineerSpeed;
    EXPECT_GT(previous, 0.0f);
    for (int i = 0; i < 20; ++i) {
        scripted_hook::state().calls.clear();
        runEngineerDrive(state);
        EXPECT_GT(state.engineerSpeed, previous);
        previous = state.engineerSpeed;
        EXPECT_EQ(lastTargetSpeed(), state.engineerSpeed);
        EXPECT_EQ(scripted_hook::callsTo(kDrawRectangle).size(), 2u);
    }
    gSettings.displayTrainDistance = false;
    scripted_hook::state().calls.clear();
    runEngineerDrive(state);
    EXPECT_TRUE(scripted_hook::callsTo(kDrawRectangle).empty());
    EXPECT_TRUE(lastTargetSpeed().has_value());

    // Within 15 m along the track it brakes.
    playerAt = Vector3{8.0f, 14.0f, 0.0f};
    untilDecision();
    EXPECT_EQ(state.followState, Braking);
}

TEST_F(EngineerDrive, StartsOnlyWhenTheTrackDistanceExceedsStoppingDistancePlus15) {
    state.engineerSpeed = 8.0f;
    const float stopping = StoppingDistance(8.0f, gSettings.followBraking);
    ASSERT_GT(stopping, 10.0f);
    playerAt = Vector3{-3.0f, stopping + 15.0f, 0.0f};
    state.engineerPassCounter = 20;
    runEngineerDrive(state);
    EXPECT_EQ(state.followState, Braking);
    EXPECT_LT(state.engineerSpeed, 8.0f);

    state.engineerSpeed = 8.0f;
    playerAt.y = std::nextafter(stopping + 15.0f, 1000.0f);
    state.engineerPassCounter = 20;
    runEngineerDrive(state);
    EXPECT_EQ(state.followState, Forward);
    EXPECT_GT(state.engineerSpeed, 8.0f);

    // Standing still, 25 m is not enough even though the stopping distance is 0.
    state.engineerSpeed = 0.0f;
    state.followState = Idle;
    playerAt = Vector3{0.0f, 25.0f, 0.0f};
    untilDecision();
    EXPECT_EQ(state.followState, Braking);
    EXPECT_EQ(lastTargetSpeed(), 0.0f);
}

TEST_F(EngineerDrive, TrainRollingAwayFromThePlayerBrakesToAStandstillBeforeReversing) {
    // Rolling forward with the player behind, and backward with the player ahead.
    const struct {
        float speed;
        float playerY;
        FollowState reversed;
    } rolls[] = {{2.0f, -80.0f, Backward}, {-2.0f, 80.0f, Forward}};
    for (const auto& roll : rolls) {
        state = ScriptState{};
        state.engineerTrain = kTrain;
        state.engineerCommand = Follow;
        state.engineerSpeed = roll.speed;
        playerAt = Vector3{0.0f, roll.playerY, 0.0f};
        scripted_hook::state().calls.clear();
        untilDecision();
        EXPECT_EQ(state.followState, Braking);
        int decisions = 0;
        while (state.followState == Braking && decisions < 20) {
            EXPECT_GE(state.engineerSpeed * roll.speed, 0.0f) << "braking never overshoots";
            untilDecision();
            ++decisions;
        }
        EXPECT_EQ(state.followState, roll.reversed);
        EXPECT_LT(state.engineerSpeed * roll.speed, 0.0f);
        EXPECT_GT(decisions, 0);
        // The train stood still, exactly, before the first speed the other way.
        const auto calls = scripted_hook::callsTo(kTargetSpeed);
        size_t turn = 0;
        while (turn < calls.size() && asFloat(calls[turn].args[1]) * roll.speed >= 0.0f) {
            ++turn;
        }
        ASSERT_GT(turn, 0u);
        ASSERT_LT(turn, calls.size());
        EXPECT_EQ(asFloat(calls[turn - 1].args[1]), 0.0f) << roll.speed;
    }
}

TEST_F(EngineerDrive, GivesUpBeyond250MetresMeasuredHorizontally) {
    playerAt = Vector3{0.0f, 250.0f, 900.0f};
    untilDecision();
    EXPECT_EQ(state.engineerTrain, kTrain);
    EXPECT_EQ(state.followState, Forward);
    const float speed = *lastTargetSpeed();
    playerAt.y = 250.5f;
    scripted_hook::state().calls.clear();
    untilDecision();
    EXPECT_EQ(state.engineerTrain, 0);
    // The decision pass itself sets nothing: the train keeps its last target speed.
    EXPECT_NE(scripted_hook::state().calls.back().hash, kTargetSpeed);
    EXPECT_GT(*lastTargetSpeed(), speed);
}

TEST_F(EngineerDrive, BrokenFrameTimeNeverReachesTheTrainAsItsSpeed) {
    scripted_hook::state().handlers[kFrameSeconds] = [](const auto&) { return std::vector<uint64_t>{slot(NAN)}; };
    untilDecision();
    for (int i = 0; i < 5; ++i) {
        runEngineerDrive(state);
    }
    // Finite but absurd frame times: a huge one takes the speed near the float's limit, a negative
    // one then pushes it past, each step finite on its own.
    float frameTime = 1.0f / 60.0f;
    scripted_hook::state().handlers[kFrameSeconds] = [&frameTime](const auto&) {
        return std::vector<uint64_t>{slot(frameTime)};
    };
    untilDecision();
    ASSERT_EQ(state.followState, Forward);
    for (float t : {1e38f, -1000.0f, 1.0f / 60.0f}) {
        frameTime = t;
        runEngineerDrive(state);
    }
    for (const auto& c : scripted_hook::callsTo(kTargetSpeed)) {
        EXPECT_TRUE(std::isfinite(asFloat(c.args[1])));
    }
}

}  // namespace
