// Driving and the cab controls, measured on the train as the game moves it.
#include <cmath>

#include "integration/train_test_world.h"

namespace {

using namespace train_world;

constexpr float kDt = 1.0f / 60.0f;

class TrainDriving : public Ride {
protected:
    // Holds a control for one frame and gives the speed change of that frame.
    float changeOver(int32_t control) {
        const float before = game.trainSpeed(train);
        game.hold(control);
        game.step();
        return game.trainSpeed(train) - before;
    }
};

TEST_F(TrainDriving, FreightCurvesFromStandstillAndBraking) {
    addFreight();
    game.step();
    enterFrom({3.0f, kLeadY, 0.0f});
    // Standing still the train holds still: nothing coasts.
    game.stepSeconds(1.0f);
    EXPECT_EQ(game.trainSpeed(train), 0.0f);
    // Moving off at a fifth of the acceleration, the full 1.0 m/s^2 from 0.5 m/s.
    EXPECT_NEAR(changeOver(control::accelerate) / kDt, 0.2f, 1e-4f);
    while (game.trainSpeed(train) < 0.5f) {
        game.step();
    }
    EXPECT_NEAR(changeOver(control::accelerate) / kDt, 1.0f, 0.01f);
    game.release(control::accelerate);
    game.stepSeconds(2.0f);
    const float cruising = game.trainSpeed(train);
    EXPECT_GT(cruising, 0.5f);
    game.stepSeconds(2.0f);
    EXPECT_EQ(game.trainSpeed(train), cruising);  // held by the script, frame after frame
}

TEST_F(TrainDriving, FreightBrakesAtTheReferenceRateAndBrakesThroughZeroIntoReverse) {
    addFreight(10.0f);
    game.step();
    enterFrom({3.0f, kLeadY, 0.0f});
    ASSERT_NEAR(game.trainSpeed(train), 10.0f, 1e-3f);
    EXPECT_NEAR(-changeOver(control::brake) / kDt, 1.5625f, 1e-3f);
    while (game.trainSpeed(train) > 0.0f) {
        game.step();
    }
    // The brake control took it through zero; from there it accelerates backwards.
    const float reversing = game.trainSpeed(train);
    EXPECT_LT(reversing, 0.0f);
    game.stepSeconds(1.0f);
    EXPECT_LT(game.trainSpeed(train), reversing - 0.1f);
    game.release(control::brake);
    // Accelerate on a reversing train brakes it with the forward reference speed.
    const float v = game.trainSpeed(train);
    EXPECT_NEAR(changeOver(control::accelerate) / kDt, (std::fabs(v) * 0.5f / 40.0f + 0.5f) * 2.5f, 1e-2f);
    game.release(control::accelerate);
    // The handbrake stops a freight train dead at zero.
    game.hold(control::handbrake);
    game.stepSeconds(3.0f);
    EXPECT_EQ(game.trainSpeed(train), 0.0f);
}

TEST_F(TrainDriving, TramHandbrakeCreepsBackwards) {
    addTram();
    game.step();
    enterFrom({2.0f, kLeadY, 0.0f});
    game.hold(control::handbrake);
    for (int i = 0; i < 30; ++i) {
        game.step();
        EXPECT_NEAR(game.trainSpeed(train), -0.04f, 1e-6f);
    }
    game.release(control::handbrake);
    const float y = trainPosition().y;
    game.stepSeconds(5.0f);
    EXPECT_NEAR(game.trainSpeed(train), -0.04f, 1e-6f);
    EXPECT_NEAR(trainPosition().y, y - 0.2f, 0.01f);
}

TEST_F(TrainDriving, FreightDoorOpensClosesAndYieldsToTheGame) {
    addFreight();
    game.step();
    enterFrom({3.0f, kLeadY, 0.0f});
    game.tap(control::doors);
    game.stepSeconds(0.5f);
    EXPECT_NEAR(game.vehicle(train)->doors[1], 0.6f, 0.03f);
    game.stepSeconds(0.5f);
    EXPECT_EQ(game.vehicle(train)->doors[1], 1.0f);
    game.tap(control::doors);  // above half open: it closes
    game.stepSeconds(1.0f);
    EXPECT_EQ(game.vehicle(train)->doors[1], 0.0f);
    game.tap(control::doors);
    game.stepSeconds(0.3f);
    // Something else moves the door: the script leaves it there.
    world.vehicle(train)->doors[1] = 0.9f;
    game.stepSeconds(1.0f);
    EXPECT_EQ(game.vehicle(train)->doors[1], 0.9f);
    EXPECT_EQ(game.vehicle(train)->doors[0], 0.0f);
}

TEST_F(TrainDriving, TramMovesTheDoorsOfBothCarsAtHalfTheSpeed) {
    addTram();
    game.step();
    enterFrom({2.0f, kLeadY, 0.0f});
    const EntityHandle second = game.train(train)->carriages.at(1);
    game.tap(control::doors);
    game.stepSeconds(1.0f);
    for (int door : {0, 2}) {
        EXPECT_NEAR(game.vehicle(train)->doors[door], 0.6f, 0.02f);
    }
    for (int door : {1, 3}) {
        EXPECT_NEAR(game.vehicle(second)->doors[door], 0.6f, 0.02f);
    }
    EXPECT_EQ(game.vehicle(train)->doors[1], 0.0f);
    game.stepSeconds(1.0f);
    EXPECT_EQ(game.vehicle(second)->doors[3], 1.0f);
}

TEST_F(TrainDriving, SeatChangeWaitsThreeSecondsAndOnlyInFreight) {
    game.writeIni("Train.Seat = 0\n");
    addFreight();
    game.step();
    enterFrom({3.0f, kLeadY, 0.0f});
    ASSERT_EQ(game.playerSeat(), -1);
    // Both keys released together: one change.
    game.hold(control::seatLeft);
    game.hold(control::seatRight);
    game.step();
    game.releaseAll();
    game.step();
    EXPECT_EQ(game.playerSeat(), 0);
    game.tap(control::seatRight);
    game.step(2);
    EXPECT_EQ(game.playerSeat(), 0);  // cooling down
    game.stepSeconds(3.0f);
    game.tap(control::seatLeft);
    game.step(2);
    EXPECT_EQ(game.playerSeat(), -1);
    game.writeIni("KeyAction.ChangeSeat = 0\nTrain.Seat = 0\n");
    leave();
    game.stepSeconds(1.0f);
    enterFrom({3.0f, kLeadY, 0.0f});
    game.tap(control::seatLeft);
    game.step(2);
    EXPECT_EQ(game.playerSeat(), -1);
}

TEST_F(TrainDriving, HornAndHighBeamOnlyFromTheRightSeat) {
    addFreight();
    game.step();
    enterFrom({3.0f, kLeadY, 0.0f});
    ASSERT_EQ(game.playerSeat(), 0);
    // A short tap is not the horn.
    game.tap(control::horn);
    game.step(3);
    EXPECT_TRUE(world.horns.empty());
    holdFor(control::horn, 0.5f);
    ASSERT_EQ(world.horns.size(), 1u);  // once per press, however long
    EXPECT_EQ(world.horns[0].vehicle, train);
    game.tap(control::highBeam);
    game.step(2);
    EXPECT_TRUE(game.vehicle(train)->highBeam);
    game.tap(control::highBeam);
    game.step(2);
    EXPECT_FALSE(game.vehicle(train)->highBeam);
    leave();
    game.stepSeconds(1.0f);

    game.writeIni("Train.Seat = 0\n");
    // The engineer may have moved the train meanwhile.
    enterFrom({3.0f, trainPosition().y, 0.0f});
    ASSERT_EQ(game.playerSeat(), -1);
    holdFor(control::horn, 0.5f);
    game.tap(control::highBeam);
    game.step(2);
    EXPECT_EQ(world.horns.size(), 1u);
    EXPECT_FALSE(game.vehicle(train)->highBeam);
}

TEST_F(TrainDriving, TopSpeedOfZeroForbidsThatDirectionWithoutBreakingTheBrakes) {
    game.writeIni("Train.SpeedForward = 0\nTrain.SpeedBackward = -3\n");
    addFreight(5.0f);
    game.step();
    enterFrom({3.0f, kLeadY, 0.0f});
    ASSERT_NEAR(game.trainSpeed(train), 5.0f, 1e-3f);
    holdFor(control::accelerate, 1.0f);
    EXPECT_NEAR(game.trainSpeed(train), 5.0f, 1e-3f);
    // Braking without a reference speed: the standstill rate, half of 2.5 m/s^2.
    EXPECT_NEAR(-changeOver(control::brake) / kDt, 1.25f, 1e-3f);
    game.stepSeconds(5.0f);
    game.release(control::brake);
    EXPECT_LT(game.trainSpeed(train), 0.0f);
    // Through zero: reversing is forbidden too, so the speed just sits there.
    const float v = game.trainSpeed(train);
    holdFor(control::brake, 1.0f);
    EXPECT_EQ(game.trainSpeed(train), v);
}

}  // namespace
