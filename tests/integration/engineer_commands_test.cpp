#include <gtest/gtest.h>

#include "host/controls.h"
#include "sim/runners/in_process_plugin.h"

namespace {

// A freight train on a long straight along +y, the player seated beside its engineer.
struct HandOver {
    sim::PluginGame game;
    EntityHandle train = 0;

    HandOver() {
        game.writeIni("[FreightTrain]\nTrain.Models=freight\nTrain.Acceleration=20.0\n");
        auto& w = game.world();
        const int track = w.addTrack({{0, 0, 10}, {0, 3000, 10}});
        train = w.addTrain("freight", 3, track, 120.0f, 0.0f, true);
        game.setPlayerPosition({4.0f, 118.0f, 10.0f}, 90.0f);
        game.step();
        game.hold(control::enter);
        game.stepSeconds(1.5f);
        game.release(control::enter);
        game.step();
    }
    void leaveAndStandAt(float y) {
        game.tap(control::exit);
        game.stepSeconds(1.0f);
        game.setPlayerPosition({4.0f, y, 10.0f});
    }
};

TEST(EngineerCommands, FollowStartsOnlyForAPlayerFarEnoughAlongTheTrack) {
    for (auto [ahead, drives] : {std::pair{30.0f, true}, {20.0f, false}}) {
        HandOver ride;
        ASSERT_EQ(ride.game.playerVehicle(), ride.train);
        ride.leaveAndStandAt(120.0f + ahead);
        ride.game.stepSeconds(2.0f);
        EXPECT_EQ(ride.game.trainSpeed(ride.train) > 0.3f, drives) << ahead;
        EXPECT_TRUE(ride.game.violations().empty());
    }
}

TEST(EngineerCommands, TapsCycleToStopAndTheEngineerStopsTheTrainAfterTheExit) {
    HandOver ride;
    for (int i = 0; i < 2; ++i) {  // Follow -> KeepSpeed -> Stop
        ride.game.tap(control::horn);
        ride.game.step(3);
    }
    EXPECT_TRUE(ride.game.textShown("Choose an engineer command:"));
    ride.game.hold(control::accelerate);
    ride.game.stepSeconds(1.0f);
    ride.game.release(control::accelerate);
    ASSERT_GT(ride.game.trainSpeed(ride.train), 5.0f);
    ride.leaveAndStandAt(100.0f);
    ride.game.stepSeconds(30.0f);
    EXPECT_NEAR(ride.game.trainSpeed(ride.train), 0.0f, 0.01f);
    EXPECT_TRUE(ride.game.violations().empty());
}

TEST(EngineerCommands, ARideTheGameEndsLeavesNobodyToFollowButKeepsTheChoice) {
    HandOver ride;  // Follow in force, the train standing
    auto& world = ride.game.world();
    // A mission moves the player 60 m along the line, where a following engineer would drive to.
    world.warp(ride.game.player(), {4.0f, 180.0f, 10.0f});
    ride.game.stepSeconds(5.0f);
    EXPECT_EQ(ride.game.trainSpeed(ride.train), 0.0f);
    EXPECT_TRUE(ride.game.rectangles().empty()) << "no distance bar for a train nobody follows with";
    // Back in the cab and out by the exit control, the engineer follows as chosen before.
    ride.game.setPlayerPosition({4.0f, 118.0f, 10.0f});
    ride.game.hold(control::enter);
    ride.game.stepSeconds(1.5f);
    ride.game.release(control::enter);
    ride.game.step();
    ASSERT_EQ(ride.game.playerVehicle(), ride.train);
    ride.leaveAndStandAt(160.0f);
    ride.game.stepSeconds(2.0f);
    EXPECT_GT(ride.game.trainSpeed(ride.train), 0.3f);

    // Stop is carried out for a player the game took away, as for one who got off.
    HandOver stopped;
    for (int i = 0; i < 2; ++i) {  // Follow -> KeepSpeed -> Stop
        stopped.game.tap(control::horn);
        stopped.game.step(3);
    }
    stopped.game.hold(control::accelerate);
    stopped.game.stepSeconds(1.0f);
    stopped.game.release(control::accelerate);
    ASSERT_GT(stopped.game.trainSpeed(stopped.train), 5.0f);
    stopped.game.world().respawn(stopped.game.player(), {-800.0f, 0.0f, 10.0f}, true);
    stopped.game.stepSeconds(30.0f);
    EXPECT_NEAR(stopped.game.trainSpeed(stopped.train), 0.0f, 0.01f);
    EXPECT_TRUE(ride.game.violations().empty());
    EXPECT_TRUE(stopped.game.violations().empty());
}

TEST(EngineerCommands, KeepSpeedLetsTheTrainRunOnAfterTheExit) {
    HandOver ride;
    ride.game.tap(control::horn);  // Follow -> KeepSpeed
    ride.game.step(3);
    ride.game.hold(control::accelerate);
    ride.game.stepSeconds(1.0f);
    ride.game.release(control::accelerate);
    const float speed = ride.game.trainSpeed(ride.train);
    ASSERT_GT(speed, 5.0f);
    ride.leaveAndStandAt(100.0f);
    ride.game.stepSeconds(10.0f);
    EXPECT_NEAR(ride.game.trainSpeed(ride.train), speed, 0.5f);
}

}  // namespace
