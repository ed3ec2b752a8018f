// Getting on and off trains: seats, entrance zones, the hold prompt, placement on leaving, and the
// configuration read again at each attempt.
#include <cmath>
#include <functional>

#include "integration/train_test_world.h"

namespace {

using namespace train_world;

class TrainEntry : public Ride {};

TEST_F(TrainEntry, FreightRideInTheRightSeatBesideTheEngineer) {
    addFreight();
    game.setPlayerPosition({3.0f, kLeadY, 0.0f});
    game.step();
    game.hold(control::enter);
    game.step();  // the press finds the train
    EXPECT_FALSE(game.textShown(kPrompt));
    game.step();
    ASSERT_TRUE(game.textShown(kPrompt));
    ASSERT_EQ(game.rectangles().size(), 2u);
    const sim::DrawnRectangle background = game.rectangles()[0];
    const sim::DrawnRectangle fill = game.rectangles()[1];
    EXPECT_FLOAT_EQ(background.width, 0.1f);
    EXPECT_EQ(background.alpha, 63);
    EXPECT_NEAR(fill.width, (1.0f / 60.0f) / 0.7f * 0.1f, 1e-6f);
    EXPECT_FLOAT_EQ(fill.x, 0.45f + fill.width / 2.0f);  // grows from the bar's left edge
    EXPECT_EQ(game.texts().at(0).y, 0.51f);
    game.stepSeconds(0.5f);
    EXPECT_TRUE(game.textShown(kPrompt));
    EXPECT_EQ(game.playerVehicle(), 0);
    game.stepSeconds(0.3f);
    EXPECT_FALSE(game.textShown(kPrompt));
    EXPECT_EQ(game.playerVehicle(), train);
    EXPECT_EQ(game.playerSeat(), 0);
    EXPECT_EQ(game.character(engineer())->vehicle, train);
    EXPECT_EQ(game.character(engineer())->seat, -1);
    EXPECT_TRUE(world.radioEnabled);
    game.release(control::enter);

    holdFor(control::accelerate, 3.0f);
    const float speed = game.trainSpeed(train);
    EXPECT_GT(speed, 1.0f);
    leave();
    // On the locomotive's roof, 1 m ahead of its origin, while the engineer drives on.
    EXPECT_EQ(game.playerVehicle(), 0);
    EXPECT_NEAR(playerPosition().x, 0.0f, 1e-4f);
    EXPECT_NEAR(playerPosition().y, trainPosition().y - speed / 60.0f + 1.0f, 1e-3f);
    EXPECT_NEAR(playerPosition().z, 2.8f, 1e-4f);
    EXPECT_FALSE(world.radioEnabled);
    EXPECT_EQ(game.character(engineer())->vehicle, train);
    game.stepSeconds(1.0f);
    EXPECT_EQ(game.character(engineer())->vehicle, train);
}

TEST_F(TrainEntry, FreightDriverSeatMovesTheEngineerOutAndTheTrainKeepsItsSpeed) {
    game.writeIni("Train.Seat = 0\n");
    addFreight(6.0f);
    game.step();
    enterFrom({-4.0f, kLeadY - 10.0f, 0.0f});
    EXPECT_EQ(game.playerSeat(), -1);
    // The engineer stands at the cab door, 3.7 m ahead and 1.4 m to the right, 0.9 m up.
    const sim::Character* man = game.character(engineer());
    EXPECT_EQ(man->vehicle, 0);
    EXPECT_NEAR(man->position.x, 1.4f, 1e-3f);
    EXPECT_NEAR(man->position.z, 0.9f, 1e-3f);
    // The speed was taken over, not reset.
    EXPECT_NEAR(game.trainSpeed(train), 6.0f, 1e-3f);

    holdFor(control::brake, 1.0f);
    const float speed = game.trainSpeed(train);
    EXPECT_GT(speed, 4.0f);
    EXPECT_LT(speed, 5.0f);
    leave();
    EXPECT_NEAR(playerPosition().z, 2.8f, 1e-4f);
    // Nobody is left in the driver's seat to take orders: the train carries on at that speed.
    game.stepSeconds(5.0f);
    EXPECT_NEAR(game.trainSpeed(train), speed, 1e-3f);
}

TEST_F(TrainEntry, LeavingATrainRunningInReversePutsThePlayerHalfAMetreAheadOnTheRoof) {
    addFreight();
    game.step();
    enterFrom({3.0f, kLeadY, 0.0f});
    holdFor(control::brake, 3.0f);
    const float speed = game.trainSpeed(train);
    ASSERT_LT(speed, -1.0f);
    leave();
    EXPECT_NEAR(playerPosition().x, 0.0f, 1e-4f);
    EXPECT_NEAR(playerPosition().y, trainPosition().y - speed / 60.0f + 0.5f, 1e-3f);
    EXPECT_NEAR(playerPosition().z, 2.8f, 1e-4f);
}

TEST_F(TrainEntry, LeavingATrainTheGameRemovedKeepsThePlayerWhereTheGamePutThem) {
    addFreight();
    game.step();
    enterFrom({3.0f, kLeadY, 0.0f});
    holdFor(control::accelerate, 2.0f);
    const float y = trainPosition().y;
    world.removeVehicle(train);
    game.step();
    const Vector3 before = playerPosition();
    EXPECT_NEAR(before.y, y, 5.0f);
    leave();
    // Nothing to read a position from: no move to the world's origin, nothing handed over.
    EXPECT_EQ(playerPosition().x, before.x);
    EXPECT_EQ(playerPosition().y, before.y);
    EXPECT_EQ(playerPosition().z, before.z);
    EXPECT_EQ(game.countCalls("SetEntityPosition"), 0);
    EXPECT_EQ(game.countCalls("SetTrainTargetSpeed"), 0);
    game.stepSeconds(1.0f);
    EXPECT_EQ(game.countCalls("SetTrainTargetSpeed"), 0) << "no engineer drives a vanished train";
    EXPECT_FALSE(world.radioEnabled);
}

TEST_F(TrainEntry, TramIsDrivenFromTheFrontAndHaltsWhenLeft) {
    addTram(3.0f);
    game.step();
    enterFrom({2.0f, kLeadY + 4.0f, 0.0f});
    EXPECT_EQ(game.playerSeat(), -1);
    EXPECT_NEAR(game.trainSpeed(train), 3.0f, 1e-3f);
    leave();
    // 4 m ahead and 2.5 m to the left of the tram's origin, 1 m up.
    EXPECT_NEAR(playerPosition().x, -2.5f, 1e-3f);
    EXPECT_NEAR(playerPosition().y, trainPosition().y - 3.0f / 60.0f + 4.0f, 1e-3f);
    EXPECT_NEAR(playerPosition().z, 1.0f, 1e-3f);
    game.stepSeconds(3.0f);
    EXPECT_EQ(game.trainSpeed(train), 0.0f);

    // With the realistic entrance the way in and out is the door inside the tram, 3.5 m ahead.
    game.writeIni("Trains.EntranceType = 1\n");
    const Vector3 t = trainPosition();
    enterFrom({t.x, t.y + 3.5f, t.z + 1.5f});
    leave();
    EXPECT_NEAR(playerPosition().x, t.x, 1e-3f);
    EXPECT_NEAR(playerPosition().y, t.y + 3.5f, 1e-3f);
    EXPECT_NEAR(playerPosition().z, t.z + 0.9f, 1e-3f);
}

TEST_F(TrainEntry, NormalEntranceReachesTwelveMetresFromTheTrainsAxis) {
    // One train along +y and one heading 30 degrees off it, far apart: the zone must turn with the
    // train, which no axis-aligned train shows.
    addFreight();
    const float angle = 30.0f * 3.14159265f / 180.0f;
    const Vector3 start{1000.0f, 0.0f, 0.0f};
    const Vector3 ahead{std::sin(angle), std::cos(angle), 0.0f};
    const int angled = world.addTrack({start, {start.x + 2000.0f * ahead.x, 2000.0f * ahead.y, 0.0f}});
    const EntityHandle turned = world.addTrain("freight", 3, angled, kLeadY, 0.0f, true, "turned");
    game.step();
    // Offsets to the right of the train and ahead of its origin.
    struct Case {
        float right;
        float along;
        bool enters;
    };
    const Case cases[] = {
        {12.1f, 0.0f, false}, {-12.1f, 0.0f, false}, {0.0f, 8.5f + 12.1f, false}, {0.0f, -8.5f - 12.1f, false},
        {11.9f, 0.0f, true},  {-11.9f, -5.0f, true}, {0.0f, 8.5f + 11.9f, true},  {0.0f, -8.5f - 11.9f, true},
    };
    for (const EntityHandle lead : {train, turned}) {
        const Vector3 t = game.vehicle(lead)->position;
        const Vector3 f = world.forward(lead);
        for (const Case& c : cases) {
            const Vector3 at{t.x + c.along * f.x + c.right * f.y, t.y + c.along * f.y - c.right * f.x, 0.0f};
            game.setPlayerPosition(at);
            game.hold(control::enter);
            game.step(2);
            EXPECT_EQ(game.textShown(kPrompt), c.enters) << lead << ": " << c.right << " right, " << c.along << " ahead";
            game.release(control::enter);
            game.step();  // released: back on foot
            EXPECT_EQ(game.playerVehicle(), 0);
        }
    }
}

TEST_F(TrainEntry, TramZoneIsShorterAlongTheTrain) {
    addTram();
    game.step();
    game.setPlayerPosition({0.0f, kLeadY + 5.5f + 12.1f, 0.0f});
    game.hold(control::enter);
    game.step(2);
    EXPECT_FALSE(game.textShown(kPrompt));
    game.release(control::enter);
    game.step();
    enterFrom({0.0f, kLeadY + 5.5f + 11.9f, 0.0f});
}

TEST_F(TrainEntry, RealisticEntranceNeedsTheCabDoorAndLeavesThroughIt) {
    game.writeIni("Trains.EntranceType = 1\n");
    addFreight();
    game.step();
    const Vector3 door{1.4f, kLeadY + 3.7f, 1.5f};
    game.setPlayerPosition({door.x + 0.75f, door.y, door.z});
    game.hold(control::enter);
    game.step(2);
    EXPECT_FALSE(game.textShown(kPrompt));
    game.release(control::enter);
    game.step();
    // Beside the locomotive is not enough any more.
    game.setPlayerPosition({3.0f, kLeadY, 0.0f});
    game.hold(control::enter);
    game.step(2);
    EXPECT_FALSE(game.textShown(kPrompt));
    game.release(control::enter);
    game.step();
    enterFrom({door.x + 0.3f, door.y, door.z + 0.3f});
    EXPECT_EQ(game.playerSeat(), 0);
    leave();
    EXPECT_NEAR(playerPosition().x, 1.4f, 1e-3f);
    EXPECT_NEAR(playerPosition().y, kLeadY + 3.7f, 1e-3f);
    EXPECT_NEAR(playerPosition().z, 0.9f, 1e-3f);
}

TEST_F(TrainEntry, ReleasingTooEarlyAbandonsTheEntry) {
    addFreight();
    game.step();
    game.setPlayerPosition({3.0f, kLeadY, 0.0f});
    game.hold(control::enter);
    game.stepSeconds(0.4f);
    EXPECT_TRUE(game.textShown(kPrompt));
    game.release(control::enter);
    game.step();
    EXPECT_FALSE(game.textShown(kPrompt));
    game.stepSeconds(1.0f);
    EXPECT_EQ(game.playerVehicle(), 0);
    // Walking off while holding does not stop the entry, even at a sprint.
    game.hold(control::enter);
    game.step(2);
    game.walkPlayerTo({40.0f, kLeadY, 0.0f}, 7.0f);
    game.stepSeconds(1.0f);
    EXPECT_EQ(game.playerVehicle(), train);
}

TEST_F(TrainEntry, TheGameEndsAnEntryByMovingTheTrainOrThePlayerAway) {
    // Each way the game takes the hold from the player, applied a few frames into the hold: the
    // entry ends in that frame, the prompt goes, and nobody is seated or moved by the plug-in.
    addFreight();
    const EntityHandle other = world.addCharacter({3.0f, kLeadY + 5.0f, 0.0f}, "other");
    const EntityHandle car = world.addVehicle("blista", {60.0f, kLeadY, 0.0f}, 0.0f, "car");
    const EntityHandle first = game.player();
    game.step();
    struct Case {
        const char* what;
        std::function<void()> apply;
    };
    const Case cases[] = {
        {"a warp beyond the reach of a walk", [&] { world.warp(game.player(), {3.0f, kLeadY + 200.0f, 0.0f}); }},
        {"death", [&] { world.kill(game.player()); }},
        {"a character switch", [&] { world.switchPlayer(game.player() == first ? other : first, 0); }},
        {"the player seated in a car", [&] { world.seat(game.player(), car, -1); }},
        {"the train deleted", [&] { world.removeTrain(train); }},
    };
    for (const Case& c : cases) {
        if (world.train(train) == nullptr) addFreight();
        world.respawn(game.player(), {3.0f, kLeadY, 0.0f}, false);
        game.hold(control::enter);
        game.step(5);
        ASSERT_TRUE(game.textShown(kPrompt)) << c.what;
        c.apply();
        game.step();
        EXPECT_FALSE(game.textShown(kPrompt)) << c.what;
        EXPECT_EQ(game.countCalls("PlaceCharacterInSeat") + game.countCalls("SetEntityPosition"), 0) << c.what;
        game.stepSeconds(1.0f);
        EXPECT_NE(game.playerVehicle(), train) << c.what;
        game.release(control::enter);
        game.step();
    }
}

TEST_F(TrainEntry, ConfigurationChangesApplyAtTheNextAttemptEvenAFailedOne) {
    addFreight();
    game.step();
    ASSERT_TRUE(game.readIni().has_value());  // written at start-up
    game.deleteIni();
    // Too far to enter, but near enough to find the train: the file is written again.
    game.setPlayerPosition({20.0f, kLeadY, 0.0f});
    game.tap(control::enter);
    game.step(2);
    EXPECT_TRUE(game.readIni().has_value());

    game.writeIni("Trains.EnterDelay = 0\nTrain.Seat = 0\n");
    enterFrom({3.0f, kLeadY, 0.0f});
    EXPECT_EQ(game.playerSeat(), -1);
    leave();
    game.stepSeconds(1.0f);
    // No delay: the pass after the press takes the cab and never shows the prompt.
    game.setPlayerPosition({3.0f, kLeadY, 0.0f});
    game.hold(control::enter);
    game.step();
    game.step();
    EXPECT_FALSE(game.textShown(kPrompt));
    EXPECT_EQ(game.playerVehicle(), train);
}

TEST_F(TrainEntry, OnlyAConsistsLeadCarriageIsATrain) {
    // A listed model standing alone is a parked vehicle, not a train; the train behind it is taken.
    // (Out of the game's own reach for road vehicles, so only the search decides.)
    const EntityHandle lone = world.addVehicle("freight", {16.0f, kLeadY + 1.0f, 0.0f}, 0.0f, "lone");
    addFreight();
    game.step();
    enterFrom({9.0f, kLeadY + 1.0f, 0.0f});
    EXPECT_NE(game.playerVehicle(), lone);
}

}  // namespace
