#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "config/cab_bindings.h"
#include "config/settings.h"
#include "host/native_catalogue.h"
#include "sim/world/hook.h"
#include "train/cab_controls.h"
#include "train/cab_input.h"
#include "ui/displays.h"
#include "ui/engineer.h"
#include "unit/support/scripted_hook.h"

namespace {

using scripted_hook::asFloat;
using scripted_hook::asInt;
using scripted_hook::slot;

constexpr uint64_t kDrawRectangle = nativeIdentity(Native::DrawRectangle).hash;
constexpr uint64_t kTextColour = nativeIdentity(Native::SetTextColour).hash;
constexpr uint64_t kAddText = nativeIdentity(Native::AddTextString).hash;
constexpr uint64_t kEndText = nativeIdentity(Native::EndTextCommandDraw).hash;
constexpr uint64_t kDoorRatio = nativeIdentity(Native::GetDoorOpenRatio).hash;
constexpr uint64_t kGetPosition = nativeIdentity(Native::GetEntityPosition).hash;
constexpr uint64_t kFrameSeconds = nativeIdentity(Native::GetFrameSeconds).hash;
constexpr uint64_t kSeatOccupant = nativeIdentity(Native::GetSeatOccupant).hash;
constexpr uint64_t kIsDead = nativeIdentity(Native::IsEntityDead).hash;
constexpr uint64_t kGetPlayer = nativeIdentity(Native::GetPlayerCharacter).hash;

constexpr EntityHandle kPlayer = 1;
constexpr EntityHandle kEngineer = 2;
constexpr EntityHandle kTrain = 100;

struct Line {
    std::string text;
    float y;
    int32_t alpha;
};

struct Bar {
    float x, y, width;
    int32_t green, blue, alpha;
};

class CabInterface : public ::testing::Test {
protected:
    void SetUp() override {
        gSettings = Settings{};
        state.mode = InCab;
        state.train = kTrain;
        auto& h = scripted_hook::state().handlers;
        h[kDoorRatio] = [this](const auto&) { return std::vector<uint64_t>{slot(doorRatio)}; };
        h[kFrameSeconds] = [](const auto&) { return std::vector<uint64_t>{slot(0.25f)}; };
        h[kGetPosition] = [this](const auto& a) {
            return scripted_hook::vec(asInt(a[0]) == kPlayer ? playerAt : Vector3{});
        };
        h[kSeatOccupant] = [this](const auto& a) {
            return std::vector<uint64_t>{asInt(a[1]) == -1 ? slot(driver) : 0u};
        };
        h[kIsDead] = [this](const auto&) { return std::vector<uint64_t>{driverDead ? 1u : 0u}; };
        h[kGetPlayer] = [](const auto&) { return std::vector<uint64_t>{slot(kPlayer)}; };
        // The text lives only as long as the call.
        h[kAddText] = [this](const auto& a) {
            texts.emplace_back(reinterpret_cast<const char*>(static_cast<uintptr_t>(a[0])));
            return std::vector<uint64_t>{};
        };
    }
    void TearDown() override { gSettings = Settings{}; }

    // The lines of text drawn since the last clear, with the alpha in force for each.
    std::vector<Line> lines() const {
        std::vector<Line> out;
        int32_t alpha = -1;
        std::string text;
        std::size_t next = 0;
        for (const auto& c : scripted_hook::state().calls) {
            if (c.hash == kTextColour) {
                alpha = asInt(c.args[3]);
            } else if (c.hash == kAddText) {
                text = next < texts.size() ? texts[next++] : std::string();
            } else if (c.hash == kEndText) {
                out.push_back(Line{text, asFloat(c.args[1]), alpha});
            }
        }
        return out;
    }
    std::vector<Bar> bars() const {
        std::vector<Bar> out;
        for (const auto& c : scripted_hook::callsTo(kDrawRectangle)) {
            EXPECT_EQ(asFloat(c.args[3]), 0.005f);
            EXPECT_EQ(c.args[4], 255u);
            out.push_back(Bar{asFloat(c.args[0]), asFloat(c.args[1]), asFloat(c.args[2]), asInt(c.args[5]),
                              asInt(c.args[6]), asInt(c.args[7])});
        }
        return out;
    }
    void clear() {
        scripted_hook::state().calls.clear();
        texts.clear();
    }
    std::string speedTextAt(float speed) {
        clear();
        state.speed = speed;
        drawCabDisplays(state);
        const std::vector<Line> l = lines();
        return l.empty() ? std::string() : l[0].text;
    }

    scripted_hook::Binding hook;
    ScriptState state;
    float doorRatio = 0.0f;
    Vector3 playerAt{};
    EntityHandle driver = kEngineer;
    bool driverDead = false;
    std::vector<std::string> texts;
};

TEST_F(CabInterface, SpeedTextShowsTruncatedFiguresWithoutSignAndIgnoresSmallChanges) {
    EXPECT_EQ(speedTextAt(0.0f), "0 mph (0 km/h)");
    EXPECT_EQ(speedTextAt(25.0f), "55 mph (90 km/h)");
    EXPECT_EQ(speedTextAt(-5.0f), "11 mph (18 km/h)");
    EXPECT_EQ(speedTextAt(10.0f), "22 mph (36 km/h)");
    EXPECT_EQ(speedTextAt(10.15f), "22 mph (36 km/h)");
    EXPECT_EQ(state.shownSpeed, 10.0f);
    EXPECT_EQ(speedTextAt(10.3f), "23 mph (37 km/h)");
    EXPECT_EQ(state.shownSpeed, 10.3f);
    EXPECT_EQ(speedTextAt(10.1f), "23 mph (37 km/h)") << "nor does a drop of 0.2 m/s";
    EXPECT_EQ(speedTextAt(10.05f), "22 mph (36 km/h)");
    EXPECT_EQ(lines()[0].y, 0.01f);
    EXPECT_EQ(lines()[0].alpha, 255);
}

TEST_F(CabInterface, HugeOrBrokenSpeedsSaturateInsteadOfOverflowing) {
    EXPECT_EQ(speedTextAt(1.0e12f), "2147483647 mph (2147483647 km/h)");
    // The widest figures and the menu's lines each fit in the one text component the game keeps whole.
    state.menuTime = 5.0f;
    drawEngineerMenu(state);
    ASSERT_EQ(lines().size(), 7u);
    for (const Line& line : lines()) {
        EXPECT_LE(line.text.size(), sim::Screen::textComponentLimit) << line.text;
    }
    EXPECT_EQ(speedTextAt(-1.0e12f), "2147483647 mph (2147483647 km/h)");
    EXPECT_EQ(speedTextAt(INFINITY), "2147483647 mph (2147483647 km/h)");
    EXPECT_EQ(speedTextAt(7.0e8f), "1565852416 mph (2147483647 km/h)") << "ten digits beside a saturated figure";
    state.shownSpeed = NAN;
    EXPECT_EQ(speedTextAt(NAN), "0 mph (0 km/h)");
    EXPECT_EQ(speedTextAt(5.0f), "11 mph (18 km/h)") << "the display recovers";
}

TEST_F(CabInterface, RiskBarFillsFromTheLeftAndCapsAtFullWidth) {
    state.derailmentRisk = 0.5f;
    drawCabDisplays(state);
    std::vector<Bar> b = bars();
    ASSERT_EQ(b.size(), 2u);
    EXPECT_EQ(b[0].x, 0.5f);
    EXPECT_EQ(b[0].width, 0.1f);
    EXPECT_EQ(b[0].alpha, 63);
    EXPECT_FLOAT_EQ(b[1].width, 0.05f);
    EXPECT_FLOAT_EQ(b[1].x, 0.475f);
    EXPECT_EQ(b[1].y, 0.005f);
    EXPECT_EQ(b[1].green, 127);
    EXPECT_EQ(b[1].blue, 127);
    // The colour holds over the whole range, up to a risk far beyond a full bar.
    for (float risk : {0.85f, 1.0f, 3.0f, 1.0e9f}) {
        clear();
        state.derailmentRisk = risk;
        drawCabDisplays(state);
        const Bar full = bars()[1];
        EXPECT_FLOAT_EQ(full.width, risk < 1.0f ? 0.1f * risk : 0.1f) << risk;
        EXPECT_EQ(full.green, 127) << risk;
        EXPECT_EQ(full.blue, 127) << risk;
        EXPECT_EQ(full.alpha, 255) << risk;
    }
}

TEST_F(CabInterface, DoorsBarOnlyOnATramEmptyingAsTheDoorOpens) {
    drawCabDisplays(state);
    EXPECT_TRUE(scripted_hook::callsTo(kDoorRatio).empty()) << "a freight train never shows it";
    state.kind = Tram;
    for (auto [ratio, width] : {std::pair{0.0f, 0.1f}, {0.25f, 0.075f}, {1.0f, 0.0f}, {1.02f, 0.0f}}) {
        clear();
        doorRatio = ratio;
        drawCabDisplays(state);
        const std::vector<Bar> b = bars();
        ASSERT_EQ(b.size(), 4u);
        EXPECT_EQ(b[3].y, 0.044f);
        EXPECT_NEAR(b[3].width, width, 1e-6f) << ratio;
        EXPECT_GE(b[3].width, 0.0f);
    }
}

TEST_F(CabInterface, AnyPositionButZeroPutsEverythingAtTheBottomAndSwitchesTurnItemsOff) {
    state.kind = Tram;
    for (int32_t position : {1, 2, -1}) {
        clear();
        gSettings.displaysPosition = position;
        drawCabDisplays(state);
        EXPECT_EQ(lines()[0].y, 0.956f);
        const std::vector<Bar> b = bars();
        EXPECT_EQ(b[1].y, 0.99f);
        EXPECT_EQ(b[3].y, 0.951f);
    }
    gSettings.displaySpeed = gSettings.displayDerailment = gSettings.displayDoors = false;
    clear();
    drawCabDisplays(state);
    EXPECT_TRUE(scripted_hook::state().calls.empty());
}

TEST_F(CabInterface, DistanceBarMeasuresHorizontallyAndCapsAtTheGiveUpDistance) {
    for (auto [at, width] : {std::pair{Vector3{120, 160, 40}, 0.08f}, {Vector3{0, 300, 0}, 0.1f}, {Vector3{}, 0.0f}}) {
        clear();
        playerAt = at;
        drawDistanceBar(kPlayer, kTrain);
        const std::vector<Bar> b = bars();
        ASSERT_EQ(b.size(), 2u);
        EXPECT_NEAR(b[1].width, width, 1e-6f);
        EXPECT_EQ(b[1].y, 0.005f);
        EXPECT_EQ(b[1].green, 255);
    }
}

// --- the engineer's command menu ---

TEST_F(CabInterface, ShortTapCyclesTheCommandsAndShowsTheMenu) {
    state.hornKeyTimer = 1.1f;
    state.engineerCommand = KeepSpeed;
    std::vector<EngineerCommand> seen;
    for (int i = 0; i < 3; ++i) {
        state.menuTime = 1.0f;
        engineerCommandTap(state);
        seen.push_back(state.engineerCommand);
        EXPECT_EQ(state.menuTime, 5.0f);
    }
    EXPECT_EQ(seen, (std::vector<EngineerCommand>{Stop, Follow, KeepSpeed}));
}

TEST_F(CabInterface, NoCommandChangeWithoutAUsableEngineerOrAfterALongPress) {
    auto unchanged = [this](const char* why) {
        state.engineerCommand = Follow;
        state.menuTime = 0.0f;
        engineerCommandTap(state);
        EXPECT_EQ(state.engineerCommand, Follow) << why;
        EXPECT_EQ(state.menuTime, 0.0f) << why;
    };
    state.hornKeyTimer = 1.0f;
    unchanged("held 0.2 s");
    state.hornKeyTimer = 1.2f;
    driver = 0;
    unchanged("empty driver's seat");
    driver = kPlayer;
    unchanged("the player drives");
    driver = kEngineer;
    driverDead = true;
    unchanged("dead engineer");
    driverDead = false;
    gSettings.keyActionEngineerCommand = false;
    unchanged("switched off");
}

// A horn press begun on the keyboard and let go after the game said the pad was in use, its horn
// moved elsewhere, is neither a tap nor a horn: otherwise a two-second press would pick a command.
TEST_F(CabInterface, AHornPressCutByAChangeOfDeviceIsNoTap) {
    gSettings.cabControls[Pad][actionIndex(CabAction::Horn)] = 205;  // INPUT_FRONTEND_LB
    resolveCabBindings(gSettings);
    auto& h = scripted_hook::state().handlers;
    bool keyboard = true;
    int32_t pressed = 0, held = 0, released = 0;  // the horn key's state, for control 86 only
    h[nativeIdentity(Native::IsUsingKeyboardAndMouse).hash] = [&](const auto&) { return std::vector<uint64_t>{keyboard ? 1u : 0u}; };
    h[nativeIdentity(Native::IsPlayerControlOn).hash] = [](const auto&) { return std::vector<uint64_t>{1u}; };
    const auto answer = [](const int32_t& value) {
        return [&value](const auto& a) { return std::vector<uint64_t>{asInt(a[1]) == control::horn ? slot(value) : 0u}; };
    };
    h[nativeIdentity(Native::ControlJustPressed).hash] = answer(pressed);
    h[nativeIdentity(Native::ControlHeld).hash] = answer(held);
    h[nativeIdentity(Native::ControlJustReleased).hash] = answer(released);
    h[kFrameSeconds] = [](const auto&) { return std::vector<uint64_t>{slot(1.0f / 60.0f)}; };
    state.kind = Freight;
    auto pass = [&](bool onKeyboard, int32_t down, int32_t up, int32_t holding) {
        keyboard = onKeyboard;
        pressed = down;
        released = up;
        held = holding;
        takeCabInput(state, 0);
        updateHornKey(state);
    };
    for (const bool switching : {true, false}) {
        state.engineerCommand = Follow;
        state.menuTime = 0.0f;
        pass(true, 1, 0, 1);
        if (switching) pass(false, 0, 0, 1);
        pass(true, 0, 1, 0);
        EXPECT_EQ(state.engineerCommand, switching ? Follow : KeepSpeed) << switching;
    }
    EXPECT_TRUE(scripted_hook::callsTo(nativeIdentity(Native::SoundHorn).hash).empty());
}

TEST_F(CabInterface, MenuHighlightsTheCommandInForceAndFadesOverItsLastSecond) {
    state.engineerCommand = Stop;
    state.menuTime = 5.0f;
    drawEngineerMenu(state);
    std::vector<Line> l = lines();
    ASSERT_EQ(l.size(), 6u);
    EXPECT_EQ(l[0].text, "Choose an engineer command:");
    EXPECT_EQ(l[2].text, "STOP: The engineer will stop the train.");
    EXPECT_EQ(l[5].y, 0.60f);
    std::vector<int32_t> alphas;
    for (const Line& line : l) {
        alphas.push_back(line.alpha);
    }
    EXPECT_EQ(alphas, (std::vector<int32_t>{255, 102, 255, 102, 255, 255}));
    EXPECT_EQ(state.menuTime, 4.75f);

    clear();
    state.menuTime = 0.5f;
    drawEngineerMenu(state);
    l = lines();
    EXPECT_EQ(l[0].alpha, 127);
    EXPECT_EQ(l[1].alpha, 50);
    EXPECT_EQ(l[2].alpha, 127);

    // A menu time beyond any int still gives an opaque menu.
    clear();
    state.menuTime = 1.0e30f;
    drawEngineerMenu(state);
    EXPECT_EQ(lines()[0].alpha, 255);
}

}  // namespace
