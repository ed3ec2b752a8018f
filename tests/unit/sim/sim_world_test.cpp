// The stand-in's world: hashing, trains on curved track, free vehicles, seats and leave orders.
#include <gtest/gtest.h>

#include <cmath>

#include "sim/world/world.h"

namespace {

TEST(SimHashName, MatchesTheGamesHashLowercased) {
    EXPECT_EQ(sim::hashName("freight"), 0x3D6AAA9Bu);
    EXPECT_EQ(sim::hashName("Freight"), 0x3D6AAA9Bu);
    EXPECT_EQ(sim::hashName("FREIGHT"), 0x3D6AAA9Bu);
    EXPECT_EQ(sim::hashName("metrotrain"), 0x33C9E158u);
    EXPECT_EQ(sim::hashName(""), 0u);
    EXPECT_EQ(sim::hashName(nullptr), 0u);
}

// A quarter circle of radius 100 from (0,0) heading north to (100,100) heading east.
int addCurve(sim::World& w) {
    std::vector<Vector3> points;
    points.push_back({0.0f, -200.0f, 0.0f});
    for (int i = 0; i <= 90; ++i) {
        const float a = static_cast<float>(i) * 3.14159265f / 180.0f;
        points.push_back({100.0f - 100.0f * std::cos(a), 100.0f * std::sin(a), 0.0f});
    }
    points.push_back({400.0f, 100.0f, 0.0f});
    return w.addTrack(points);
}

TEST(SimTrain, FollowsACurveWithTangentHeadingAndSpacedCarriages) {
    sim::World w;
    const int track = addCurve(w);
    const EntityHandle lead = w.addTrain("freight", 3, track, 150.0f, 10.0f, false);
    const sim::Train* t = w.train(lead);
    ASSERT_NE(t, nullptr);
    ASSERT_EQ(t->carriages.size(), 3u);
    EXPECT_EQ(t->carriages[0], lead);
    // On the straight before the curve the lead faces north: heading 0, forward +y.
    Vector3 f = w.forward(t->carriages[2]);
    EXPECT_NEAR(f.x, 0.0f, 1e-4f);
    EXPECT_NEAR(f.y, 1.0f, 1e-4f);
    // Run until the lead is past the curve: it faces east (heading 270, forward +x).
    for (int i = 0; i < 60 * 25; ++i) w.advance(1.0f / 60.0f, i + 1);
    const sim::Vehicle* v = w.vehicle(lead);
    EXPECT_GT(v->position.x, 100.0f);
    EXPECT_NEAR(v->position.y, 100.0f, 0.05f);
    f = w.forward(lead);
    EXPECT_NEAR(f.x, 1.0f, 1e-3f);
    EXPECT_NEAR(v->rotation.z, 270.0f, 0.1f);
    EXPECT_NEAR(v->velocity.x, 10.0f, 0.01f);
    // Carriages keep their spacing along the track, so straight-line gaps on the curve are shorter.
    const sim::Vehicle* second = w.vehicle(t->carriages[1]);
    const float gap = std::hypot(v->position.x - second->position.x, v->position.y - second->position.y);
    EXPECT_LE(gap, 18.0f + 1e-3f);
    EXPECT_GT(gap, 17.0f);
}

TEST(SimTrain, ReversedCarriageVelocityRunsAgainstItsForward) {
    sim::World w;
    const int track = w.addTrack({{0, 0, 0}, {0, 1000, 0}});
    const EntityHandle lead = w.addTrain("freight", 2, track, 200.0f, 5.0f, false, "", {}, {0});
    w.advance(0.1f, 1);
    const sim::Vehicle* v = w.vehicle(lead);
    const Vector3 f = w.forward(lead);
    EXPECT_NEAR(f.y, -1.0f, 1e-5f);
    EXPECT_NEAR(v->velocity.x * f.x + v->velocity.y * f.y, -5.0f, 1e-4f);
}

TEST(SimTrain, ApproachesCruiseAtAPlausibleRateAndStopsAtTheTrackEnd) {
    sim::World w;
    const int track = w.addTrack({{0, 0, 0}, {0, 300, 0}});
    const EntityHandle lead = w.addTrain("freight", 2, track, 100.0f, 0.0f, false);
    w.train(lead)->cruise = 15.0f;
    for (int i = 0; i < 60; ++i) w.advance(1.0f / 60.0f, i + 1);
    EXPECT_NEAR(w.train(lead)->speed, 1.5f, 0.01f);
    for (int i = 0; i < 60 * 60; ++i) w.advance(1.0f / 60.0f, i + 1);
    EXPECT_EQ(w.train(lead)->speed, 0.0f);
    EXPECT_LE(w.vehicle(lead)->position.y, 300.0f);
}

TEST(SimSeats, LeaveOrderTakesHalfASecondAndPlaceEvictsTheOccupant) {
    sim::World w;
    const int track = w.addTrack({{0, 0, 0}, {0, 1000, 0}});
    const EntityHandle lead = w.addTrain("freight", 2, track, 100.0f, 0.0f, true);
    const EntityHandle engineer = w.vehicle(lead)->seats.at(-1);
    w.seat(w.player, lead, -1);
    EXPECT_EQ(w.vehicle(lead)->seats.at(-1), w.player);
    EXPECT_EQ(w.character(engineer)->vehicle, 0);
    w.orderLeave(w.player, lead);
    w.advance(0.4f, 1);
    EXPECT_EQ(w.character(w.player)->vehicle, lead);
    w.advance(0.2f, 2);
    EXPECT_EQ(w.character(w.player)->vehicle, 0);
    const Vector3 p = w.character(w.player)->position;
    // Out on the driver's (left) side of a north-facing train.
    EXPECT_LT(p.x, -1.0f);
    EXPECT_NEAR(p.y, 100.0f, 0.01f);
}

TEST(SimFreeVehicles, RollWithFrictionLeaveTheCurveAndStopAtBarriers) {
    sim::World w;
    const EntityHandle v = w.spawnVehicle(sim::hashName("freightcar"), {0, 0, 0});
    w.vehicle(v)->rotation.z = 0.0f;
    w.vehicle(v)->freeSpeed = 10.0f;
    for (int i = 0; i < 60; ++i) w.advance(1.0f / 60.0f, i + 1);
    EXPECT_NEAR(w.vehicle(v)->freeSpeed, 7.5f, 0.05f);
    EXPECT_NEAR(w.vehicle(v)->position.x, 0.0f, 1e-4f);  // straight on, whatever the track does
    w.addBarrier({-5.0f, 15.0f}, {5.0f, 15.0f});
    for (int i = 0; i < 600; ++i) w.advance(1.0f / 60.0f, i + 61);
    EXPECT_TRUE(w.vehicle(v)->wrecked);
    EXPECT_LT(w.vehicle(v)->position.y, 15.0f);
    EXPECT_GT(w.vehicle(v)->position.y, 14.0f);
    EXPECT_EQ(w.vehicle(v)->freeSpeed, 0.0f);
}

TEST(SimWorld, RemovingAllTrainsKeepsThePlayerAndFreeVehicles) {
    sim::World w;
    const int track = w.addTrack({{0, 0, 0}, {0, 1000, 0}});
    const EntityHandle lead = w.addTrain("freight", 3, track, 100.0f, 0.0f, true);
    const EntityHandle car = w.addVehicle("blista", {50, 50, 0}, 0.0f);
    w.seat(w.player, lead, 0);
    w.removeAllTrains();
    EXPECT_TRUE(w.trains.empty());
    EXPECT_FALSE(w.exists(lead));
    EXPECT_TRUE(w.exists(car));
    EXPECT_TRUE(w.exists(w.player));
    EXPECT_EQ(w.character(w.player)->vehicle, 0);
}

}  // namespace

namespace {

// Speed orders to a train the player is not aboard are the engineer's drive; the timeline says what
// the drive does whenever that changes, and when the orders stop coming.
TEST(SimTimeline, TellsTheEngineersDriveFromTheSpeedOrders) {
    sim::World w;
    const int track = w.addTrack({{0.0f, 0.0f, 0.0f}, {0.0f, 2000.0f, 0.0f}});
    const EntityHandle lead = w.addTrain("freight", 2, track, 300.0f, 0.0f, false);
    w.player = w.addCharacter({3.0f, 300.0f, 0.0f}, "player");
    sim::Train& t = *w.train(lead);
    auto orders = [&]() {
        std::string all;
        for (const sim::WorldEvent& e : w.events)
            if (e.text.find("engineer of train") != std::string::npos) all += e.text.substr(e.text.find(": ") + 2) + "|";
        w.events.clear();
        return all;
    };
    auto order = [&](float cruise) {
        w.setTrainCruise(t, cruise);
        w.advance(1.0f / 60.0f, w.currentFrame + 1);
    };

    w.seat(w.player, lead, -1);
    order(12.0f);
    EXPECT_EQ(orders(), "") << "the player's own driving is not the engineer's";
    w.unseat(w.player);
    t.cruise = 0.0f;

    for (int i = 1; i <= 5; ++i) order(0.1f * static_cast<float>(i));
    for (int i = 4; i >= 0; --i) order(0.1f * static_cast<float>(i));
    order(0.0f);
    for (int i = 1; i <= 3; ++i) order(-0.1f * static_cast<float>(i));
    EXPECT_EQ(orders(), "drives forward (0.10 m/s)|brakes (0.40 m/s)|waits at a standstill (0.00 m/s)|"
                        "drives backward (-0.10 m/s)|");

    for (int i = 0; i < 31; ++i) w.advance(1.0f / 60.0f, w.currentFrame + 1);
    EXPECT_EQ(orders(), "leaves the train to the game at -0.30 m/s|");

    // A train at speed set to 0 at once is a stop order; nothing more is said when the orders end.
    t.cruise = 8.0f;
    t.speed = 8.0f;
    order(0.0f);
    for (int i = 0; i < 40; ++i) w.advance(1.0f / 60.0f, w.currentFrame + 1);
    EXPECT_EQ(orders(), "stops the train (0.00 m/s)|");
}

}  // namespace
