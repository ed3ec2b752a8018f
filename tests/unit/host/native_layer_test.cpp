#include <gtest/gtest.h>

#include <cstring>

#include "host/natives.h"
#include "unit/support/recording_hook.h"

namespace {

uint64_t floatSlot(float value) {
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

TEST(NativeLayer, PacksArgumentsIntoTheLowHalfWithoutSignExtension) {
    EXPECT_EQ(packArgument(int32_t{-1}), 0x00000000FFFFFFFFull);
    EXPECT_EQ(packArgument(int32_t{-2147483647 - 1}), 0x0000000080000000ull);
    EXPECT_EQ(packArgument(1.0f), 0x000000003F800000ull);
    EXPECT_EQ(packArgument(0.0f), 0ull);
    EXPECT_EQ(packArgument(-0.0f), 0x0000000080000000ull);
    EXPECT_EQ(packArgument(true), 1ull);
    EXPECT_EQ(packArgument(uint32_t{0xFFFFFFFFu}), 0x00000000FFFFFFFFull);
    int local = 0;
    EXPECT_EQ(packArgument(static_cast<const void*>(&local)), reinterpret_cast<uintptr_t>(&local));
}

TEST(NativeLayer, OperationsPushTheirFixedArgumentsInOrder) {
    recording_hook::Binding hook;
    GetSeatOccupant(77, -1);
    SetEntityPosition(5, 1.0f, 2.0f, 3.0f);
    DrawRectangle(0.5f, 0.25f, 0.1f, 127, 64, 255);
    CreateExplosion(1.0f, 2.0f, 3.0f, 0.5f, 1.0f);
    const auto& calls = recording_hook::state().calls;
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[0].hash, 0xBB40DD2270B65366ull);
    // The trailing 0s are the parameters current game builds read beyond the older catalogue.
    EXPECT_EQ(calls[0].slots, (std::vector<uint64_t>{77, 0xFFFFFFFFull, 0}));
    EXPECT_EQ(calls[1].slots, (std::vector<uint64_t>{5, floatSlot(1.0f), floatSlot(2.0f), floatSlot(3.0f), 0, 0, 0, 0}));
    EXPECT_EQ(calls[2].slots, (std::vector<uint64_t>{floatSlot(0.5f), floatSlot(0.25f), floatSlot(0.1f),
                                                     floatSlot(0.005f), 255, 127, 64, 255, 0}));
    EXPECT_EQ(calls[3].slots, (std::vector<uint64_t>{floatSlot(1.0f), floatSlot(2.0f), floatSlot(3.0f), 37,
                                                     floatSlot(0.5f), 1, 0, floatSlot(1.0f), 0}));
}

TEST(NativeLayer, ShadowAndOutlineShareOneShape) {
    recording_hook::Binding hook;
    SetTextDropShadow();
    SetTextOutline();
    const auto& calls = recording_hook::state().calls;
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].hash, 0x465C84BC39F1C351ull);
    EXPECT_EQ(calls[0].slots, (std::vector<uint64_t>{1, 0, 0, 0, 0}));
    EXPECT_EQ(calls[1].hash, 0x441603240D202FA6ull);
    EXPECT_EQ(calls[1].slots, (std::vector<uint64_t>{1, 0, 0, 0, 205}));
}

TEST(NativeLayer, HornModeIsHashedByACompleteCallBeforeTheHornCall) {
    recording_hook::Binding hook;
    recording_hook::state().results[0xD24D37CC275948CCull] = {0x1234ABCDull};
    SoundHorn(9);
    const auto& calls = recording_hook::state().calls;
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].hash, 0xD24D37CC275948CCull);
    EXPECT_EQ(std::strcmp(reinterpret_cast<const char*>(calls[0].slots.at(0)), "NORMAL"), 0);
    EXPECT_EQ(calls[1].hash, 0x9C8C6504B5B63D2Cull);
    EXPECT_EQ(calls[1].slots, (std::vector<uint64_t>{9, 0, 0x1234ABCDull, 0}));
}

TEST(NativeLayer, ReadsResultsFromTheLowHalves) {
    recording_hook::Binding hook;
    auto& results = recording_hook::state().results;
    // High halves carry garbage that must be ignored.
    results[0x580417101DDB492Full] = {0xFFFFFFFF00000000ull};
    EXPECT_FALSE(ControlJustPressed(23));
    results[0x580417101DDB492Full] = {0x0000000000000100ull};
    EXPECT_TRUE(ControlJustPressed(23));
    results[0x15C40837039FFAF7ull] = {0xDEADBEEF00000000ull | floatSlot(0.016f)};
    EXPECT_EQ(GetFrameSeconds(), 0.016f);
    results[0x3FEF770D40960D5Aull] = {0x11111111ull << 32 | floatSlot(1.5f), floatSlot(-2.5f), floatSlot(3.25f)};
    const Vector3 p = GetEntityPosition(4);
    EXPECT_EQ(p.x, 1.5f);
    EXPECT_EQ(p.y, -2.5f);
    EXPECT_EQ(p.z, 3.25f);
    results[0xBB40DD2270B65366ull] = {0xFFFFFFFFFFFFFFFFull};
    EXPECT_EQ(GetSeatOccupant(1, 0), -1);
    results[0x9F47B058362C84B5ull] = {0xAAAAAAAA3D6AAA9Bull};
    EXPECT_EQ(GetEntityModel(1), 0x3D6AAA9Bu);
}

TEST(NativeLayer, AHookWithoutResultsOrWithoutFunctionsReadsAsNone) {
    {
        recording_hook::Binding hook;
        recording_hook::state().returnNull = true;
        EXPECT_EQ(GetPlayerCharacter(), 0);
        EXPECT_EQ(GetEntityPosition(3).y, 0.0f);
    }
    gHook = HookFunctions{};
    EXPECT_EQ(GetFrameSeconds(), 0.0f);
    EXPECT_FALSE(ControlHeld(71));
}

}  // namespace
