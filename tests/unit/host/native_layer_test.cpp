#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <string>
#include <utility>

#include "host/all_vehicles.h"
#include "host/controls.h"
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
    EXPECT_EQ(calls[0].hash, nativeIdentity(Native::GetSeatOccupant).hash);
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
    EXPECT_EQ(calls[0].hash, nativeIdentity(Native::SetTextDropShadow).hash);
    EXPECT_EQ(calls[0].slots, (std::vector<uint64_t>{1, 0, 0, 0, 0}));
    EXPECT_EQ(calls[1].hash, nativeIdentity(Native::SetTextOutline).hash);
    EXPECT_EQ(calls[1].slots, (std::vector<uint64_t>{1, 0, 0, 0, 205}));
}

TEST(NativeLayer, HornModeIsHashedByACompleteCallBeforeTheHornCall) {
    recording_hook::Binding hook;
    recording_hook::state().results[nativeIdentity(Native::HashName).hash] = {0x1234ABCDull};
    SoundHorn(9);
    const auto& calls = recording_hook::state().calls;
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].hash, nativeIdentity(Native::HashName).hash);
    EXPECT_EQ(std::strcmp(reinterpret_cast<const char*>(calls[0].slots.at(0)), "NORMAL"), 0);
    EXPECT_EQ(calls[1].hash, nativeIdentity(Native::SoundHorn).hash);
    EXPECT_EQ(calls[1].slots, (std::vector<uint64_t>{9, 0, 0x1234ABCDull, 0}));
}

TEST(NativeLayer, ReadsResultsFromTheLowHalves) {
    recording_hook::Binding hook;
    auto& results = recording_hook::state().results;
    // High halves carry garbage that must be ignored.
    results[nativeIdentity(Native::ControlJustPressed).hash] = {0xFFFFFFFF00000000ull};
    EXPECT_FALSE(ControlJustPressed(control::enter));
    results[nativeIdentity(Native::ControlJustPressed).hash] = {0x0000000000000100ull};
    EXPECT_TRUE(ControlJustPressed(control::enter));
    results[nativeIdentity(Native::GetFrameSeconds).hash] = {0xDEADBEEF00000000ull | floatSlot(0.016f)};
    EXPECT_EQ(GetFrameSeconds(), 0.016f);
    results[nativeIdentity(Native::GetEntityPosition).hash] = {0x11111111ull << 32 | floatSlot(1.5f), floatSlot(-2.5f), floatSlot(3.25f)};
    const Vector3 p = GetEntityPosition(4);
    EXPECT_EQ(p.x, 1.5f);
    EXPECT_EQ(p.y, -2.5f);
    EXPECT_EQ(p.z, 3.25f);
    results[nativeIdentity(Native::GetSeatOccupant).hash] = {0xFFFFFFFFFFFFFFFFull};
    EXPECT_EQ(GetSeatOccupant(1, 0), -1);
    results[nativeIdentity(Native::GetEntityModel).hash] = {0xAAAAAAAA3D6AAA9Bull};
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
    EXPECT_FALSE(ControlHeld(control::accelerate));
}

// The hook's list of all vehicles answers a count of its own: never more than the buffer holds.
TEST(NativeLayer, TheGamesVehicleCountIsHeldToTheBuffer) {
    recording_hook::Binding hook;
    static int32_t told = 0;
    gHook.worldGetAllVehicles = [](int32_t*, int32_t) { return told; };
    int32_t handles[4] = {};
    for (const auto& [answer, read] : {std::pair{-3, 0}, std::pair{9, 4}, std::pair{2, 2}}) {
        told = answer;
        EXPECT_EQ(ListAllVehicles(handles, 4), read) << answer;
    }
}

// The hashes typed again by public name, apart from the catalogue: the one check of its hashes that
// does not read them from it. A wrong hash calls another native in the game, or none.
TEST(NativeLayer, EveryRowCarriesTheHashOfItsPublicName) {
    const std::map<std::string, uint64_t> hashes = {
        {"PLAYER::PLAYER_PED_ID", 0xD80958FC74E988A6},
        {"PED::IS_PED_IN_ANY_VEHICLE", 0x997ABD671D25CA0B},
        {"PED::IS_PED_IN_ANY_TRAIN", 0x6F972C1AB75A1ED0},
        {"PED::GET_VEHICLE_PED_IS_USING", 0x6094AD011A2EA87D},
        {"PED::GET_PED_NEARBY_VEHICLES", 0xCFF869CBFA210D82},
        {"VEHICLE::GET_PED_IN_VEHICLE_SEAT", 0xBB40DD2270B65366},
        {"PED::SET_PED_INTO_VEHICLE", 0xF75B0D629E1C063D},
        {"ENTITY::IS_ENTITY_DEAD", 0x5F9532F3B5CC2551},
        {"TASK::TASK_LEAVE_VEHICLE", 0xD3DBCE61A490BE02},
        {"TASK::TASK_LEAVE_ANY_VEHICLE", 0x504D54DF3F6F2247},
        {"TASK::TASK_SHUFFLE_TO_NEXT_VEHICLE_SEAT", 0x7AA80209BDA643EB},
        {"ENTITY::DOES_ENTITY_EXIST", 0x7239B21A38F536BA},
        {"ENTITY::GET_ENTITY_MODEL", 0x9F47B058362C84B5},
        {"ENTITY::GET_ENTITY_COORDS", 0x3FEF770D40960D5A},
        {"ENTITY::GET_ENTITY_FORWARD_VECTOR", 0x0A794A5A57F8DF91},
        {"ENTITY::GET_ENTITY_FORWARD_X", 0x8BB4EF4214E0E6D5},
        {"ENTITY::GET_ENTITY_FORWARD_Y", 0x866A4A5FAE349510},
        {"ENTITY::GET_ENTITY_SPEED_VECTOR", 0x9A8D700A51CB7B0D},
        {"ENTITY::GET_ENTITY_SPEED", 0xD5037BA82E12416F},
        {"ENTITY::GET_ENTITY_ROTATION", 0xAFBD61CC738D9EB9},
        {"ENTITY::GET_ENTITY_HEIGHT_ABOVE_GROUND", 0x1DD55701034110E5},
        {"ENTITY::SET_ENTITY_COORDS", 0x06843DA7060A026B},
        {"ENTITY::SET_ENTITY_ROTATION", 0x8524A8B0171D5E07},
        {"ENTITY::SET_ENTITY_DYNAMIC", 0x1718DE8E3F2823CA},
        {"ENTITY::SET_ENTITY_CAN_BE_DAMAGED", 0x1760FFA8AB074D66},
        {"VEHICLE::CREATE_VEHICLE", 0xAF35D0D2583051B0},
        {"VEHICLE::DELETE_VEHICLE", 0xEA386986E786A54F},
        {"VEHICLE::DELETE_ALL_TRAINS", 0x736A718577F39C7D},
        {"VEHICLE::SET_VEHICLE_CAN_BE_VISIBLY_DAMAGED", 0x4C7028F78FFD3681},
        {"VEHICLE::SET_VEHICLE_FORWARD_SPEED", 0xAB54A438726D25D5},
        {"VEHICLE::GET_TRAIN_CARRIAGE", 0x08AAFD0814722BC3},
        {"VEHICLE::SET_TRAIN_SPEED", 0xAA0BC91BE0B796E3},
        {"VEHICLE::SET_TRAIN_CRUISE_SPEED", 0x16469284DB8C62B5},
        {"VEHICLE::GET_VEHICLE_DOOR_ANGLE_RATIO", 0xFE3F9C29F7B32BD5},
        {"VEHICLE::SET_VEHICLE_DOOR_CONTROL", 0xF2BFA0430F0A0FCB},
        {"VEHICLE::SET_VEHICLE_FULLBEAM", 0x8B7FD87F0DDB421E},
        {"VEHICLE::START_VEHICLE_HORN", 0x9C8C6504B5B63D2C},
        {"STREAMING::REQUEST_MODEL", 0x963D27A58DF860AC},
        {"STREAMING::HAS_MODEL_LOADED", 0x98A4EB5D89A0C952},
        {"STREAMING::SET_MODEL_AS_NO_LONGER_NEEDED", 0xE532F5D78798DAAB},
        {"STREAMING::IS_MODEL_VALID", 0xC0296A2EDF545E92},
        {"VEHICLE::CREATE_MISSION_TRAIN", 0x63C6CCA8E68AE8C8},
        {"VEHICLE::SET_MISSION_TRAIN_AS_NO_LONGER_NEEDED", 0xBBE7648349B49BE8},
        {"VEHICLE::DELETE_MISSION_TRAIN", 0x5B76B14AE875C795},
        {"PED::CREATE_PED_INSIDE_VEHICLE", 0x7DD959874C1FD534},
        {"ENTITY::SET_PED_AS_NO_LONGER_NEEDED", 0x2595DD4236549CE3},
        {"HUD::ADD_BLIP_FOR_ENTITY", 0x5CDE92C702A8FCE7},
        {"HUD::SET_BLIP_SPRITE", 0xDF735600A4696DAF},
        {"HUD::SET_BLIP_ROUTE", 0x4F7D8A9BFB0B43E9},
        {"HUD::REMOVE_BLIP", 0x86A652570E5F25DD},
        {"MISC::GET_MISSION_FLAG", 0xA33CDCCDA663159E},
        {"PAD::IS_CONTROL_JUST_PRESSED", 0x580417101DDB492F},
        {"PAD::IS_CONTROL_JUST_RELEASED", 0x50F940259D3841E6},
        {"PAD::IS_CONTROL_PRESSED", 0xF3A21BCD95725A4A},
        {"PAD::IS_CONTROL_RELEASED", 0x648EE3E7F38877DD},
        {"PAD::IS_USING_KEYBOARD_AND_MOUSE", 0xA571D46727E2B718},
        {"PAD::DISABLE_CONTROL_ACTION", 0xFE99B66D079CF6BC},
        {"PAD::IS_DISABLED_CONTROL_JUST_PRESSED", 0x91AEF906BCA88877},
        {"PAD::IS_DISABLED_CONTROL_JUST_RELEASED", 0x305C8DCD79DA8B0F},
        {"PAD::IS_DISABLED_CONTROL_PRESSED", 0xE2587F8CBBD87B1D},
        {"PLAYER::PLAYER_ID", 0x4F8644AF03D0E0D6},
        {"PLAYER::IS_PLAYER_CONTROL_ON", 0x49C32D60007AFA47},
        {"PED::IS_PED_RUNNING_MOBILE_PHONE_TASK", 0x2AFE52F782F25775},
        {"CAM::SHAKE_GAMEPLAY_CAM", 0xFD55E49555E017CF},
        {"CAM::SET_GAMEPLAY_CAM_SHAKE_AMPLITUDE", 0xA87E00932DB4D85D},
        {"CAM::STOP_GAMEPLAY_CAM_SHAKING", 0x0EF93E9F3D08C178},
        {"AUDIO::SET_MOBILE_RADIO_ENABLED_DURING_GAMEPLAY", 0x1098355A16064BB3},
        {"FIRE::ADD_EXPLOSION", 0xE3AD2BDBAEE269AC},
        {"GRAPHICS::DRAW_RECT", 0x3A618A217E5154F0},
        {"HUD::SET_TEXT_FONT", 0x66E0276CC5F6B9DA},
        {"HUD::SET_TEXT_SCALE", 0x07C837F9A01C34C9},
        {"HUD::SET_TEXT_COLOUR", 0xBE6B23FFA53FB442},
        {"HUD::SET_TEXT_WRAP", 0x63145D9C883A1A70},
        {"HUD::SET_TEXT_CENTRE", 0xC02F4DBFB51D988B},
        {"HUD::SET_TEXT_DROPSHADOW", 0x465C84BC39F1C351},
        {"HUD::SET_TEXT_EDGE", 0x441603240D202FA6},
        {"HUD::BEGIN_TEXT_COMMAND_DISPLAY_TEXT", 0x25FBB336DF1804CB},
        {"HUD::ADD_TEXT_COMPONENT_SUBSTRING_PLAYER_NAME", 0x6C188BE134E074AA},
        {"HUD::END_TEXT_COMMAND_DISPLAY_TEXT", 0xCD015E5BB0D96A57},
        {"MISC::GET_HASH_KEY", 0xD24D37CC275948CC},
        {"MISC::GET_FRAME_TIME", 0x15C40837039FFAF7},
    };
    std::set<std::string> named;
    for (const NativeIdentity& native : kNatives) {
        named.insert(native.publicName);
        const auto it = hashes.find(native.publicName);
        if (it == hashes.end()) {
            ADD_FAILURE() << native.op << ": " << native.publicName << " is not in this table";
        } else {
            EXPECT_EQ(native.hash, it->second) << native.op;
        }
    }
    for (const auto& [name, hash] : hashes) EXPECT_EQ(named.count(name), 1u) << name << " is not in the catalogue";
}

}  // namespace
