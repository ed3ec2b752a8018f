// The called train's way along a loop: the node nearest the player, the start 200 m along it (across
// the seam where the last node joins the first), how far the train still has to go to stop beside the
// player, and the braking curve it stops on.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "config/settings.h"
#include "host/native_catalogue.h"
#include "host/script_state.h"
#include "train/called_train.h"
#include "train/main_line_walk.h"
#include "unit/support/recording_hook.h"
#include "unit/support/scripted_hook.h"
#include "util/speed_curves.h"

namespace {

constexpr float kPi = 3.14159265f;

// A circle of 100 nodes, 10 m apart (radius about 159 m): node 99 joins node 0.
std::vector<TrackNode> circle() {
    std::vector<TrackNode> nodes;
    const float radius = 10.0f / (2.0f * std::sin(kPi / 100.0f));
    for (int i = 0; i < 100; ++i) {
        const float a = 2.0f * kPi * static_cast<float>(i) / 100.0f;
        nodes.push_back({radius * std::cos(a), radius * std::sin(a), 5.0f});
    }
    return nodes;
}

TEST(CallWay, FindsItsWayAroundTheLoopAndItsSeam) {
    const std::vector<TrackNode> nodes = circle();
    const LineNodes line(nodes);
    EXPECT_EQ(nearestNode(line, nodes[37].x * 1.05f, nodes[37].y * 1.05f), 37);
    EXPECT_EQ(nearestNodeAround(line, nodes[2].x, nodes[2].y, 97, 8), 2);  // the search window crosses the seam
    // No node to search around (or a window as long as the line): the whole line is searched.
    EXPECT_EQ(nearestNodeAround(line, nodes[60].x, nodes[60].y, -1, 8), 60);
    EXPECT_EQ(nearestNodeAround(LineNodes(nodes.data(), 10), nodes[6].x, nodes[6].y, 0, 8), 6);

    // No line, or no node on it (-1): nothing is read beyond the line, and nothing is found.
    float dx = 1.0f;
    float dy = 1.0f;
    EXPECT_EQ(nearestNode(LineNodes{}, 0.0f, 0.0f), -1);
    EXPECT_EQ(nearestNodeAround(LineNodes{}, 0.0f, 0.0f, 3, 8), -1);
    EXPECT_EQ(nodeAlong(line, -1, 10.0f, 1), -1);
    lineDirection(line, -1, 1, dx, dy);
    EXPECT_EQ(dx * dx + dy * dy, 0.0f);
    EXPECT_EQ(metresTo(line, -1, 0.0f, 0.0f, 5, 1), 0.0f);
    EXPECT_TRUE(std::isinf(distanceFromLine(LineNodes{}, 0, 0.0f, 0.0f)));

    // At least 200 m along, either way round, the seam crossed on the way.
    EXPECT_EQ(nodeAlong(line, 90, 195.0f, 1), 10);
    EXPECT_EQ(nodeAlong(line, 10, 195.0f, -1), 90);
    EXPECT_EQ(nodeAlong(line, 10, 185.0f, -1), 91);  // the first node at least that far
    EXPECT_EQ(nodeAlong(line, 10, 1200.0f, 1), -1);  // the loop is shorter

    // A train at node 10 bound down the node order for node 90: 200 m to go, across the seam.
    EXPECT_NEAR(metresTo(line, 10, nodes[10].x, nodes[10].y, 90, -1), 200.0f, 0.5f);
    // Halfway between nodes 95 and 94, going down: 5 m past 95 is 45 m short of 90.
    const float mx = (nodes[95].x + nodes[94].x) / 2.0f;
    const float my = (nodes[95].y + nodes[94].y) / 2.0f;
    EXPECT_NEAR(metresTo(line, 95, mx, my, 90, -1), 45.0f, 0.2f);
    // Once past, the distance turns negative rather than round the whole loop.
    EXPECT_NEAR(metresTo(line, 88, nodes[88].x, nodes[88].y, 90, -1), -20.0f, 0.2f);
    EXPECT_NEAR(metresTo(line, 2, nodes[2].x, nodes[2].y, 98, 1), -40.0f, 0.2f);

    // On the line, and well off it.
    EXPECT_LT(distanceFromLine(line, 0, nodes[0].x, nodes[0].y), 0.01f);
    EXPECT_GT(distanceFromLine(line, 95, mx * 1.1f, my * 1.1f), 10.0f);
}

TEST(CallWay, StopsOnTheEngineersBrakingCurve) {
    recording_hook::Binding hook;
    constexpr float dt = 1.0f / 60.0f;
    recording_hook::state().results[nativeIdentity(Native::GetFrameSeconds).hash] = {0x3C888889};  // 1/60
    const Settings& s = gSettings;
    // The curve worked out whole agrees with BrakingStep frame by frame.
    for (const float start : {0.3f, 5.0f, 20.0f, 45.0f}) {
        float v = start;
        float d = 0.0f;
        while (v > 0.0f) {
            v -= BrakingStep(v, s.followTopSpeed, s.followBraking);
            d += (v > 0.0f ? v : 0.0f) * dt;
        }
        EXPECT_NEAR(BrakingDistance(start, s.followTopSpeed, s.followBraking), d, 0.02f * d + 0.05f) << start;
    }
    EXPECT_EQ(BrakingDistance(0.0f, 60.0f, 4.0f), 0.0f);
    EXPECT_TRUE(std::isinf(BrakingDistance(10.0f, 60.0f, 0.0f)));
    EXPECT_NEAR(BrakingDistance(-10.0f, 0.0f, 4.0f), 25.0f, 0.01f);  // no reference: half the rate throughout
}

// Finite but absurd frame times from the game: a huge one takes the called train's speed near the
// float's limit, a negative one then pushes it past, each step finite on its own. The train is never
// given a speed that is not a number.
TEST(CallWay, ABrokenFrameTimeNeverReachesTheCalledTrain) {
    using namespace scripted_hook;
    Binding hook;
    const TrackNode at = mainLineNodes()[1034];
    state().handlers[nativeIdentity(Native::GetEntityPosition).hash] = [at](const auto&) {
        return vec(Vector3{at.x, at.y, at.z});
    };
    ScriptState call;
    call.calledTrain = 7;
    call.calledTrainNode = 1034;
    call.callNode = 1000;  // 200 m down the node order
    call.callStep = -1;
    for (const float t : {1e38f, -150.0f}) {
        state().handlers[nativeIdentity(Native::GetFrameSeconds).hash] = [t](const auto&) {
            return std::vector<uint64_t>{slot(t)};
        };
        driveCalledTrain(call);
    }
    const std::vector<Call> speeds = callsTo(nativeIdentity(Native::SetTrainCurrentSpeed).hash);
    ASSERT_EQ(speeds.size(), 2u);
    for (const Call& c : speeds) EXPECT_TRUE(std::isfinite(asFloat(c.args.at(1))));
}

}  // namespace
