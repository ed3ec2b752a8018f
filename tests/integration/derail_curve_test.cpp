#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "host/controls.h"
#include "sim/runners/in_process_plugin.h"

namespace {

// 300 m straight along +y, then a quarter circle of radius 60 m turning to +x, finely sampled so
// the heading turns smoothly, then straight again; rising `climb` metres a metre along +y.
std::vector<Vector3> straightIntoBend(float climb) {
    std::vector<Vector3> points{{0, 0, 10}};
    const double radius = 60.0;
    for (int i = 0; i <= 180; ++i) {
        const double a = i * (3.14159265358979 / 2.0) / 180.0;
        const double y = 300.0 + radius * std::sin(a);
        points.push_back({static_cast<float>(radius - radius * std::cos(a)), static_cast<float>(y),
                          static_cast<float>(10.0 + climb * y)});
    }
    points.push_back({600, 360, 10.0f + climb * 360.0f});
    return points;
}

// A straight run into a tight bend; the freight train stands on the straight with the player beside it.
struct CurveRide {
    sim::PluginGame game;
    EntityHandle train = 0;

    explicit CurveRide(float climb = 0.0f) {
        game.writeIni("[FreightTrain]\nTrain.Models=freight\nTrain.Acceleration=20.0\n");
        auto& w = game.world();
        const int track = w.addTrack(straightIntoBend(climb));
        train = w.addTrain("freight", 4, track, 120.0f, 0.0f, true);
        game.setPlayerPosition({4.0f, 118.0f, 10.0f}, 90.0f);
        game.step();
        game.hold(control::enter);
        game.stepSeconds(1.5f);
        game.release(control::enter);
        game.step();
    }
    // Accelerates to at least `speed`, then lets the train run on for `seconds`.
    void driveAt(float speed, float seconds) {
        game.hold(control::accelerate);
        for (int i = 0; i < 2000 && game.trainSpeed(train) < speed; ++i) {
            game.step();
        }
        game.release(control::accelerate);
        game.stepSeconds(seconds);
    }
};

TEST(DerailCurve, FastIntoTheBendDerailsIntoFreeWagonsSlowlyItDoesNot) {
    int derailFrame = 0;
    {
        CurveRide fast;
        ASSERT_EQ(fast.game.playerVehicle(), fast.train);
        fast.driveAt(30.0f, 0.0f);
        while (fast.game.frame() < 3000 && fast.game.countCalls("RemoveAllTrains") == 0) fast.game.step();
        derailFrame = fast.game.frame();
        fast.game.stepSeconds(12.0f);
        EXPECT_TRUE(fast.game.world().trains.empty()) << "every train is gone after a derailment";
        EXPECT_FALSE(fast.game.world().vehicles.empty());
        EXPECT_NE(fast.game.playerVehicle(), 0) << "the player rides the new head vehicle";
        // Still the ride: the exit control orders the player out of the head vehicle.
        fast.game.tap(control::exit);
        fast.game.step();
        EXPECT_GE(fast.game.countCalls("OrderLeaveVehicle"), 1);
        EXPECT_TRUE(fast.game.violations().empty());
    }
    {
        // The train vanishes in the frame its derailment comes due, once the head carriage has been
        // read: no vehicle holds its model in memory any more, so CREATE_VEHICLE gives 0, and no
        // wagon is seated, filed or looked after.
        CurveRide gone;
        gone.driveAt(30.0f, 0.0f);
        while (gone.game.frame() < derailFrame - 1) gone.game.step();
        bool vanished = false;
        int32_t made = -1;
        gone.game.hook().answered = [&](const sim::NativeCall& call, const uint64_t* result) {
            if (call.op == "GetEntityRotation" && !vanished) {
                gone.game.world().removeAllTrains();
                vanished = true;
            }
            if (call.op == "SpawnVehicle" && made == -1) made = static_cast<int32_t>(result[0]);
        };
        gone.game.step();
        gone.game.hook().answered = nullptr;
        ASSERT_EQ(gone.game.countCalls("RemoveAllTrains"), 1);
        ASSERT_EQ(gone.game.countCalls("SpawnVehicle"), 1) << "the head carriage was read before it vanished";
        EXPECT_EQ(made, 0);
        gone.game.tap(control::exit);
        gone.game.stepSeconds(2.0f);
        EXPECT_TRUE(gone.game.world().vehicles.empty());
        EXPECT_EQ(gone.game.playerVehicle(), 0);
        EXPECT_TRUE(gone.game.violations().empty());
    }
    {
        CurveRide slow;
        ASSERT_EQ(slow.game.playerVehicle(), slow.train);
        slow.driveAt(3.0f, 120.0f);
        EXPECT_NE(slow.game.train(slow.train), nullptr) << "a slow train takes the bend";
        EXPECT_EQ(slow.game.playerVehicle(), slow.train);
        EXPECT_TRUE(slow.game.violations().empty());
    }
}

TEST(DerailCurve, OnAClimbTheWagonsExplodeAlongTheirSlope) {
    CurveRide ride(0.1f);
    ride.game.world().addBarrier({-20.0f, 345.0f}, {25.0f, 345.0f});
    ride.driveAt(30.0f, 20.0f);
    const sim::World& w = ride.game.world();
    ASSERT_FALSE(w.explosions.empty()) << "the wagons crash into the barrier";
    // Each explosion lies on the axis of a wagon (wrecked, so where it was when it exploded), a
    // metre above it: up the slope ahead of the wagon's middle, down it behind.
    int offSlope = 0;
    for (const sim::Explosion& e : w.explosions) {
        bool onAWagon = false;
        for (const auto& [handle, v] : w.vehicles) {
            const Vector3 g = w.forward(handle);
            const float along = ((e.position.x - v.position.x) * g.x + (e.position.y - v.position.y) * g.y) /
                                (g.x * g.x + g.y * g.y);
            const float across = std::hypot(e.position.x - v.position.x - g.x * along, e.position.y - v.position.y - g.y * along);
            if (across < 0.01f && std::fabs(e.position.z - (v.position.z + g.z * along + 1.0f)) < 0.01f) {
                onAWagon = true;
                offSlope += std::fabs(g.z * along) > 0.05f;
            }
        }
        EXPECT_TRUE(onAWagon) << "explosion at (" << e.position.x << ", " << e.position.y << ", " << e.position.z << ")";
    }
    EXPECT_GT(offSlope, 0) << "no explosion was far enough along a pitched wagon to tell its height";
    EXPECT_TRUE(ride.game.violations().empty());
}

// Width of the derailment bar's fill this frame; -1 when it is not drawn.
float riskFill(const sim::Game& game) {
    for (const sim::DrawnRectangle& r : game.rectangles())
        if (r.green == 127 && r.blue == 127) return r.width;
    return -1.0f;
}

TEST(DerailCurve, PausingInTheBendLeavesTheRiskAndTheShakeAsTheyWere) {
    CurveRide ride;
    ride.driveAt(15.0f, 0.0f);
    for (int i = 0; i < 1200 && riskFill(ride.game) < 0.06f; ++i) ride.game.step();
    ASSERT_GE(riskFill(ride.game), 0.06f) << "the bend raises the risk past the shake's start";
    ASSERT_TRUE(ride.game.world().cameraShake.active);
    const float fill = riskFill(ride.game);
    const float amplitude = ride.game.world().cameraShake.amplitude;

    ride.game.setFrameTime(0.0f);
    for (int i = 0; i < 60; ++i) {
        ride.game.step();
        ASSERT_EQ(riskFill(ride.game), fill) << "paused frame " << i;
    }
    EXPECT_TRUE(ride.game.world().cameraShake.active);
    EXPECT_EQ(ride.game.world().cameraShake.amplitude, amplitude);

    // Back from the pause the turn is measured from where the train stood, not from before it.
    ride.game.setFrameTime(1.0f / 60.0f);
    ride.game.step();
    EXPECT_NEAR(riskFill(ride.game), fill, 0.005f);
    EXPECT_NE(ride.game.train(ride.train), nullptr);
    EXPECT_TRUE(ride.game.violations().empty());
}

}  // namespace
