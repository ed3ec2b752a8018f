#pragma once
// A straight track along +y with one train on it and the player on foot beside it: the setting of
// the ride scenarios. The lead carriage stands at (0, 300, 0) facing +y, so +x is its right.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "host/controls.h"
#include "sim/runners/in_process_plugin.h"

namespace train_world {

inline constexpr float kLeadY = 300.0f;
inline const char* const kPrompt = "Hold key to enter the train ...";

class Ride : public ::testing::Test {
protected:
    sim::PluginGame game;
    sim::World& world = game.world();
    int track = world.addTrack({{0.0f, 0.0f, 0.0f}, {0.0f, 2000.0f, 0.0f}});
    EntityHandle train = 0;

    EntityHandle addFreight(float speed = 0.0f) {
        train = world.addTrain("freight", 3, track, kLeadY, speed, true, "freight");
        return train;
    }
    EntityHandle addTram(float speed = 0.0f) {
        train = world.addTrain("metrotrain", 2, track, kLeadY, speed, false, "tram");
        return train;
    }
    EntityHandle engineer() const { return world.findByName("freight.engineer"); }
    Vector3 playerPosition() const { return game.character(game.player())->position; }
    Vector3 trainPosition() const { return game.vehicle(train)->position; }

    // Presses the enter control where the player stands and keeps it down for `seconds`.
    void holdEnter(float seconds) {
        game.hold(control::enter);
        game.stepSeconds(seconds);
        game.release(control::enter);
        game.step();
    }
    void enterFrom(Vector3 position) {
        game.setPlayerPosition(position);
        holdEnter(1.0f);
        ASSERT_EQ(game.playerVehicle(), train) << "the player should be in the cab";
    }
    // Leaves the cab; the placement is looked at in the frame of the exit.
    void leave() { game.tap(control::exit); game.step(); }
    void holdFor(int32_t control, float seconds) {
        game.hold(control);
        game.stepSeconds(seconds);
        game.release(control);
    }
    void TearDown() override {
        for (const std::string& v : game.violations()) {
            ADD_FAILURE() << "violation: " << v;
        }
    }
};

}  // namespace train_world
