// A pass that changes the player's mode stops there: what the new mode does starts one frame later.
// Seen from the game, a step shows up by the controls it reads and the natives only it calls.

#include <algorithm>

#include "integration/train_test_world.h"

namespace {

using namespace train_world;

class PassModes : public Ride {
protected:
    // Some native this frame asked about `control` (any of the control queries).
    bool controlRead(int32_t control) const {
        return std::any_of(game.calls().begin(), game.calls().end(), [control](const sim::NativeCall& c) {
            return c.op.rfind("Control", 0) == 0 && c.args.size() == 2 && c.args[1].i == control;
        });
    }
    bool cabStepsRan() const {
        return controlRead(control::accelerate) || game.countCalls("SetTrainCurrentSpeed") > 0;
    }
};

TEST_F(PassModes, EachModeChangeLeavesTheNewModesStepsToTheNextPass) {
    addFreight();
    game.setPlayerPosition({3.0f, kLeadY, 0.0f});
    game.step();

    // On foot -> entering: the hold is looked at (and the prompt drawn) only from the next pass.
    game.hold(control::enter);
    game.step();
    ASSERT_GT(game.countCalls("ListNearbyVehicles"), 0) << "the press should have started a search";
    EXPECT_FALSE(game.textShown(kPrompt));
    EXPECT_EQ(game.countCalls("GetFrameSeconds"), 0);
    game.step();
    EXPECT_TRUE(game.textShown(kPrompt));
    EXPECT_FALSE(cabStepsRan());

    // Entering -> in the cab: the pass that seats the player neither drives nor draws the cab.
    int guard = 0;
    while (game.playerVehicle() != train && ++guard < 600) {
        game.step();
        if (game.playerVehicle() == train) {
            EXPECT_FALSE(cabStepsRan()) << "frame " << game.frame();
            EXPECT_TRUE(game.rectangles().empty());
        }
    }
    ASSERT_EQ(game.playerVehicle(), train);
    game.release(control::enter);
    game.step();
    EXPECT_TRUE(cabStepsRan());
    EXPECT_EQ(game.countCalls("SetTrainCurrentSpeed"), 1);

    // In the cab -> on foot, with enter pressed in the same frame: the exit pass does not search.
    game.tap(control::exit);
    game.tap(control::enter);
    game.step();
    EXPECT_GT(game.countCalls("OrderLeaveVehicle"), 0) << "the exit should have run";
    EXPECT_FALSE(controlRead(control::enter));
    EXPECT_EQ(game.countCalls("ListNearbyVehicles"), 0);
    game.step();
    EXPECT_TRUE(controlRead(control::enter)) << "on foot, the search for a train is back";
    EXPECT_FALSE(cabStepsRan());
}

TEST_F(PassModes, LettingGoOfEnterReturnsOnFootWithoutSearchingInThatPass) {
    addFreight();
    game.setPlayerPosition({3.0f, kLeadY, 0.0f});
    game.step();
    game.hold(control::enter);
    game.step(2);
    ASSERT_TRUE(game.textShown(kPrompt));

    // Released and pressed again between two frames is impossible, so let go and look at that pass.
    game.release(control::enter);
    game.step();
    EXPECT_FALSE(game.textShown(kPrompt));
    EXPECT_EQ(game.countCalls("ListNearbyVehicles"), 0);
    EXPECT_NE(game.playerVehicle(), train);
    // Back on foot, a new press searches again at once.
    game.tap(control::enter);
    game.step();
    EXPECT_GT(game.countCalls("ListNearbyVehicles"), 0);
}

}  // namespace
