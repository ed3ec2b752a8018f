// The stand-in's hook: ABI checks, results, input edges, the script hand-over and the trace.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>

#include "host/controls.h"
#include "host/native_catalogue.h"
#include "host/natives.h"
#include "sim/runners/game.h"
#include "sim/runners/in_process_plugin.h"

namespace {

uint64_t call(sim::Hook& hook, uint64_t hash, std::initializer_list<uint64_t> args) {
    hook.nativeInit(hash);
    for (uint64_t a : args) hook.nativePush64(a);
    return hook.nativeCall()[0];
}

uint64_t call(sim::Hook& hook, Native native, std::initializer_list<uint64_t> args) {
    return call(hook, nativeIdentity(native).hash, args);
}

TEST(SimHookChecks, CatchesBadCallsAndAcceptsGoodOnes) {
    sim::World world;
    sim::Hook hook(world);
    const int track = world.addTrack({{0, 0, 0}, {0, 500, 0}});
    const EntityHandle train = world.addTrain("freight", 2, track, 100.0f, 0.0f, true);
    // A well-formed call: seat -1 pushed zero-extended finds the engineer.
    const uint64_t engineer = call(hook, Native::GetSeatOccupant, {static_cast<uint32_t>(train), 0xFFFFFFFFull, 0});
    EXPECT_NE(engineer, 0u);
    EXPECT_TRUE(hook.violations.empty());

    // -1 sign-extended into the high half.
    call(hook, Native::GetSeatOccupant, {static_cast<uint32_t>(train), 0xFFFFFFFFFFFFFFFFull, 0});
    ASSERT_EQ(hook.violations.size(), 1u);
    EXPECT_NE(hook.violations[0].find("high half"), std::string::npos);

    // Short as the older catalogue pushed it: the game still runs the native, on the seat -1 an
    // earlier call left in the shared block, and the dead-check after it reads that -1 as its flag.
    EXPECT_EQ(call(hook, Native::GetSeatOccupant, {static_cast<uint32_t>(train), 0xFFFFFFFFull}), engineer);
    call(hook, Native::IsEntityDead, {engineer});
    ASSERT_EQ(hook.violations.size(), 3u);
    EXPECT_NE(hook.violations[1].find("GetSeatOccupant: 2 arguments, expected 3"), std::string::npos);
    EXPECT_NE(hook.violations[2].find("IsEntityDead: 1 arguments, expected 2; the game reads parameter 2 stale "
                                      "(0x00000000FFFFFFFF)"),
              std::string::npos)
        << hook.violations[2];
    hook.violations.erase(hook.violations.begin() + 1, hook.violations.end());

    // One argument short, one too many.
    call(hook, Native::GetSeatOccupant, {static_cast<uint32_t>(train)});
    call(hook, Native::GetPlayerCharacter, {1});
    ASSERT_EQ(hook.violations.size(), 3u);
    EXPECT_NE(hook.violations[1].find("1 arguments, expected 3"), std::string::npos);

    // Unknown hash, and a NaN speed.
    call(hook, 0x1234, {});
    call(hook, Native::SetTrainCurrentSpeed, {static_cast<uint32_t>(train), 0x7FC00000ull});
    ASSERT_EQ(hook.violations.size(), 5u);
    EXPECT_NE(hook.violations[3].find("unknown native"), std::string::npos);
    EXPECT_NE(hook.violations[4].find("non-finite"), std::string::npos);
    EXPECT_EQ(world.train(train)->speed, 0.0f);  // a faulty call has no effect
}

TEST(SimHookResults, BuffersHashesAndHandlesThroughTheCatalogue) {
    sim::Game game;
    gHook.nativeInit = sim::hookNativeInit;
    gHook.nativePush64 = sim::hookNativePush64;
    gHook.nativeCall = sim::hookNativeCall;
    sim::World& w = game.world();
    game.setPlayerPosition({0, 0, 0});
    std::vector<EntityHandle> cars;
    for (int i = 0; i < 12; ++i) cars.push_back(w.addVehicle("blista", {static_cast<float>(12 - i) * 3.0f, 0, 0}, 0));
    w.addVehicle("blista", {60.0f, 0, 0}, 0);  // beyond reach

    uint64_t buffer[11] = {};
    buffer[0] = 10;
    EXPECT_EQ(ListNearbyVehicles(game.player(), buffer), 10);
    EXPECT_EQ(static_cast<EntityHandle>(buffer[1]), cars[11]);  // nearest first
    EXPECT_EQ(static_cast<EntityHandle>(buffer[10]), cars[2]);
    uint64_t small[3] = {2, 0, 0};
    EXPECT_EQ(ListNearbyVehicles(game.player(), small), 2);

    EXPECT_EQ(HashName("Freight"), 0x3D6AAA9Bu);
    EXPECT_EQ(HashName(""), 0u);

    EntityHandle held = cars[0];
    DeleteVehicle(&held);
    EXPECT_EQ(held, 0);
    // The call clears the handle it was given, so the hook keeps which one it was, and where.
    ASSERT_EQ(game.hook().deletions.size(), 1u);
    EXPECT_EQ(game.hook().deletions[0].handle, cars[0]);
    EXPECT_EQ(game.calls()[game.hook().deletions[0].call].op, "DeleteVehicle");
    EXPECT_FALSE(w.exists(cars[0]));
    EXPECT_FALSE(EntityExists(cars[0]));
    EXPECT_TRUE(game.violations().empty());
    gHook = HookFunctions{};
}

// A script for the hand-over tests: records what the enter control looked like in each pass.
std::vector<int> gSeen;
void recordEnterControl() {
    for (;;) {
        gSeen.push_back((ControlJustPressed(control::enter) ? 1 : 0) + (ControlHeld(control::enter) ? 2 : 0) + (ControlJustReleased(control::enter) ? 4 : 0));
        gHook.scriptWait(0);
    }
}

struct BoundGame : sim::Game {
    explicit BoundGame(sim::GameOptions o = {}) : sim::Game(std::move(o)) {
        gHook.nativeInit = sim::gameNativeInit;
        gHook.nativePush64 = sim::hookNativePush64;
        gHook.nativeCall = sim::hookNativeCall;
        gHook.scriptWait = sim::gameScriptWait;
        gHook.tickCount = sim::gameTickCount;
    }
    ~BoundGame() override {
        unregisterScript();
        gHook = HookFunctions{};
    }
};

TEST(SimInput, EdgesLastOneFrameAndATapIsOneFrameDown) {
    gSeen.clear();
    {
        BoundGame game;
        game.registerScript(recordEnterControl);
        game.step();
        game.hold(control::enter);
        game.step(3);
        game.release(control::enter);
        game.step(2);
        game.tap(control::enter);
        game.step(2);
    }  // destroying the game unwinds the script's fiber
    const std::vector<int> expected = {0, 3, 2, 2, 4, 0, 3, 4};
    EXPECT_EQ(gSeen, expected);
}

// Tidies up with a native when unwound, which in the game an abandoned script never gets to do.
void tidiesUpWithANative() {
    struct Tidy {
        ~Tidy() { GetPlayerCharacter(); }
    } tidy;
    for (;;) gHook.scriptWait(0);
}

// A game reload abandons the script in its wait: it never runs again, and hundreds of reloads in a
// soak must not leave as many suspended fibers, each with a stack of its own, behind.
TEST(SimRestart, AbandonedScriptsNeverRunAgainAndStayFew) {
    const auto mappings = [] {
        std::ifstream maps("/proc/self/maps");
        return std::count(std::istreambuf_iterator<char>(maps), std::istreambuf_iterator<char>(), '\n');
    };
    gSeen.clear();
    {
        BoundGame game;
        game.registerScript(recordEnterControl);
        game.step();
        const auto before = mappings();
        for (int i = 0; i < 30; ++i) {
            game.restartScripts();
            game.step();
        }
        EXPECT_EQ(gSeen.size(), 31u) << "one pass a frame, by the newest script only";
        EXPECT_LE(mappings(), before + 12);
    }
    BoundGame tidying;
    tidying.registerScript(tidiesUpWithANative);
    for (int i = 0; i < 6 && tidying.violations().empty(); ++i) {
        tidying.step();
        tidying.restartScripts();
    }
    ASSERT_EQ(tidying.violations().size(), 1u);
    EXPECT_NE(tidying.violations()[0].find("abandoned script"), std::string::npos);
}

std::string runTraced(void (*script)()) {
    std::ostringstream trace;
    sim::GameOptions options;
    options.trace = &trace;
    BoundGame game(options);
    game.registerScript(script);
    game.hold(control::enter);
    game.step(5);
    return trace.str();
}

void tracedScript() {
    for (;;) {
        SetTrainCurrentSpeed(257, 10.0f);
        AddTextString("a \"quoted\" text");
        OrderLeaveVehicle(GetPlayerCharacter(), 300);
        uint64_t buffer[11] = {10};
        ListNearbyVehicles(GetPlayerCharacter(), buffer);
        SetTextScale(0.35f);
        gHook.scriptWait(0);
    }
}

TEST(SimTrace, TypedJsonLinesRepeatExactly) {
    const std::string first = runTraced(tracedScript);
    EXPECT_EQ(first, runTraced(tracedScript));
    EXPECT_NE(first.find("{\"frame\":1,\"op\":\"SetTrainCurrentSpeed\",\"hash\":\"0xAA0BC91BE0B796E3\",\"args\":[257,10.0]}\n"),
              std::string::npos);
    EXPECT_NE(first.find("\"args\":[\"a \\\"quoted\\\" text\"]"), std::string::npos);
    // 256001: the player, the first handle of the pool.
    EXPECT_NE(first.find("\"args\":[256001,300,-1]"), std::string::npos);
    EXPECT_NE(first.find("\"args\":[256001,\"ptr\"]"), std::string::npos);
    EXPECT_NE(first.find("\"args\":[0.35,0.35]"), std::string::npos);
    EXPECT_NE(first.find("{\"frame\":5,"), std::string::npos);
}

TEST(SimZeroMode, PluginSurvivesThousandsOfPassesOfZeros) {
    sim::GameOptions options;
    options.answerZero = true;
    sim::PluginGame game(options);
    game.hold(control::enter);
    game.step(1500);
    game.releaseAll();
    game.tap(control::exit);
    game.step(1500);
    EXPECT_TRUE(game.violations().empty()) << game.violations().front();
}

}  // namespace
