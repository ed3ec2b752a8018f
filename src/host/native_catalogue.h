#pragma once
// The identity of every native the plug-in calls, one row each: the operation's name, the hash, the
// name the public native databases give it, and its shape as current game builds read it, one
// letter a parameter: i integer or handle, b boolean, f float, p pointer, t pointer to a text.
// The plug-in's typed operations (host/natives.h) are checked against the shapes when they are
// compiled; the stand-in for the game answers exactly these rows. A new native is one row here,
// its operation in natives.h and, for the stand-in, its handler.
//
// X(operation, hash, public name, shape)

#include <cstddef>
#include <cstdint>
#include <iterator>

// clang-format off
#define VORN_NATIVES(X) \
    /* Characters, vehicles and seats */ \
    X(GetPlayerCharacter, 0xD80958FC74E988A6, "PLAYER::PLAYER_PED_ID", "") \
    X(IsCharacterInAnyVehicle, 0x997ABD671D25CA0B, "PED::IS_PED_IN_ANY_VEHICLE", "ib") \
    X(IsCharacterInAnyTrain, 0x6F972C1AB75A1ED0, "PED::IS_PED_IN_ANY_TRAIN", "i") \
    X(GetVehicleCharacterIsUsing, 0x6094AD011A2EA87D, "PED::GET_VEHICLE_PED_IS_USING", "i") \
    X(ListNearbyVehicles, 0xCFF869CBFA210D82, "PED::GET_PED_NEARBY_VEHICLES", "ip") \
    X(GetSeatOccupant, 0xBB40DD2270B65366, "VEHICLE::GET_PED_IN_VEHICLE_SEAT", "iib") \
    X(PlaceCharacterInSeat, 0xF75B0D629E1C063D, "PED::SET_PED_INTO_VEHICLE", "iii") \
    X(IsEntityDead, 0x5F9532F3B5CC2551, "ENTITY::IS_ENTITY_DEAD", "ib") \
    X(OrderLeaveVehicle, 0xD3DBCE61A490BE02, "TASK::TASK_LEAVE_VEHICLE", "iii") \
    X(OrderLeaveAnyVehicle, 0x504D54DF3F6F2247, "TASK::TASK_LEAVE_ANY_VEHICLE", "iii") \
    X(OrderShuffleToNextSeat, 0x7AA80209BDA643EB, "TASK::TASK_SHUFFLE_TO_NEXT_VEHICLE_SEAT", "iii") \
    /* Entities, position and physics */ \
    X(EntityExists, 0x7239B21A38F536BA, "ENTITY::DOES_ENTITY_EXIST", "i") \
    X(GetEntityModel, 0x9F47B058362C84B5, "ENTITY::GET_ENTITY_MODEL", "i") \
    X(GetEntityPosition, 0x3FEF770D40960D5A, "ENTITY::GET_ENTITY_COORDS", "ib") \
    X(GetEntityForwardVector, 0x0A794A5A57F8DF91, "ENTITY::GET_ENTITY_FORWARD_VECTOR", "i") \
    X(GetEntityForwardX, 0x8BB4EF4214E0E6D5, "ENTITY::GET_ENTITY_FORWARD_X", "i") \
    X(GetEntityForwardY, 0x866A4A5FAE349510, "ENTITY::GET_ENTITY_FORWARD_Y", "i") \
    X(GetEntityVelocity, 0x9A8D700A51CB7B0D, "ENTITY::GET_ENTITY_SPEED_VECTOR", "ii") \
    X(GetEntitySpeed, 0xD5037BA82E12416F, "ENTITY::GET_ENTITY_SPEED", "i") \
    X(GetEntityRotation, 0xAFBD61CC738D9EB9, "ENTITY::GET_ENTITY_ROTATION", "ii") \
    X(GetHeightAboveGround, 0x1DD55701034110E5, "ENTITY::GET_ENTITY_HEIGHT_ABOVE_GROUND", "i") \
    X(SetEntityPosition, 0x06843DA7060A026B, "ENTITY::SET_ENTITY_COORDS", "ifffbbbb") \
    X(SetEntityRotation, 0x8524A8B0171D5E07, "ENTITY::SET_ENTITY_ROTATION", "ifffib") \
    X(SetEntityPhysicsActive, 0x1718DE8E3F2823CA, "ENTITY::SET_ENTITY_DYNAMIC", "ib") \
    X(SetEntityDamageable, 0x1760FFA8AB074D66, "ENTITY::SET_ENTITY_CAN_BE_DAMAGED", "ib") \
    /* Vehicles and trains */ \
    X(SpawnVehicle, 0xAF35D0D2583051B0, "VEHICLE::CREATE_VEHICLE", "iffffbbb") \
    X(DeleteVehicle, 0xEA386986E786A54F, "VEHICLE::DELETE_VEHICLE", "p") \
    X(RemoveAllTrains, 0x736A718577F39C7D, "VEHICLE::DELETE_ALL_TRAINS", "") \
    X(SetVehicleShowsDamage, 0x4C7028F78FFD3681, "VEHICLE::SET_VEHICLE_CAN_BE_VISIBLY_DAMAGED", "ib") \
    X(SetVehicleForwardSpeed, 0xAB54A438726D25D5, "VEHICLE::SET_VEHICLE_FORWARD_SPEED", "if") \
    X(GetTrainWagon, 0x08AAFD0814722BC3, "VEHICLE::GET_TRAIN_CARRIAGE", "ii") \
    X(SetTrainCurrentSpeed, 0xAA0BC91BE0B796E3, "VEHICLE::SET_TRAIN_SPEED", "if") \
    X(SetTrainTargetSpeed, 0x16469284DB8C62B5, "VEHICLE::SET_TRAIN_CRUISE_SPEED", "if") \
    X(GetDoorOpenRatio, 0xFE3F9C29F7B32BD5, "VEHICLE::GET_VEHICLE_DOOR_ANGLE_RATIO", "ii") \
    X(SetDoorOpenRatio, 0xF2BFA0430F0A0FCB, "VEHICLE::SET_VEHICLE_DOOR_CONTROL", "iibf") \
    X(SetHighBeam, 0x8B7FD87F0DDB421E, "VEHICLE::SET_VEHICLE_FULLBEAM", "ib") \
    X(SoundHorn, 0x9C8C6504B5B63D2C, "VEHICLE::START_VEHICLE_HORN", "iiii") \
    /* Input, camera, radio and effects */ \
    X(ControlJustPressed, 0x580417101DDB492F, "PAD::IS_CONTROL_JUST_PRESSED", "ii") \
    X(ControlJustReleased, 0x50F940259D3841E6, "PAD::IS_CONTROL_JUST_RELEASED", "ii") \
    X(ControlHeld, 0xF3A21BCD95725A4A, "PAD::IS_CONTROL_PRESSED", "ii") \
    X(ControlUp, 0x648EE3E7F38877DD, "PAD::IS_CONTROL_RELEASED", "ii") \
    X(StartCameraShake, 0xFD55E49555E017CF, "CAM::SHAKE_GAMEPLAY_CAM", "tf") \
    X(SetCameraShakeAmplitude, 0xA87E00932DB4D85D, "CAM::SET_GAMEPLAY_CAM_SHAKE_AMPLITUDE", "f") \
    X(StopCameraShake, 0x0EF93E9F3D08C178, "CAM::STOP_GAMEPLAY_CAM_SHAKING", "b") \
    X(SetPortableRadioEnabled, 0x1098355A16064BB3, "AUDIO::SET_MOBILE_RADIO_ENABLED_DURING_GAMEPLAY", "b") \
    X(CreateExplosion, 0xE3AD2BDBAEE269AC, "FIRE::ADD_EXPLOSION", "fffifbbfb") \
    /* Drawing, text, hashing and time */ \
    X(DrawRectangle, 0x3A618A217E5154F0, "GRAPHICS::DRAW_RECT", "ffffiiiib") \
    X(SetTextFont, 0x66E0276CC5F6B9DA, "HUD::SET_TEXT_FONT", "i") \
    X(SetTextScale, 0x07C837F9A01C34C9, "HUD::SET_TEXT_SCALE", "ff") \
    X(SetTextColour, 0xBE6B23FFA53FB442, "HUD::SET_TEXT_COLOUR", "iiii") \
    X(SetTextWrap, 0x63145D9C883A1A70, "HUD::SET_TEXT_WRAP", "ff") \
    X(SetTextCentred, 0xC02F4DBFB51D988B, "HUD::SET_TEXT_CENTRE", "b") \
    X(SetTextDropShadow, 0x465C84BC39F1C351, "HUD::SET_TEXT_DROPSHADOW", "iiiii") \
    X(SetTextOutline, 0x441603240D202FA6, "HUD::SET_TEXT_EDGE", "iiiii") \
    X(BeginTextCommand, 0x25FBB336DF1804CB, "HUD::BEGIN_TEXT_COMMAND_DISPLAY_TEXT", "t") \
    X(AddTextString, 0x6C188BE134E074AA, "HUD::ADD_TEXT_COMPONENT_SUBSTRING_PLAYER_NAME", "t") \
    X(EndTextCommandDraw, 0xCD015E5BB0D96A57, "HUD::END_TEXT_COMMAND_DISPLAY_TEXT", "ffi") \
    X(HashName, 0xD24D37CC275948CC, "MISC::GET_HASH_KEY", "t") \
    X(GetFrameSeconds, 0x15C40837039FFAF7, "MISC::GET_FRAME_TIME", "")
// clang-format on

enum class Native : uint8_t {
#define VORN_NATIVE_ENUM(op, hash, publicName, shape) op,
    VORN_NATIVES(VORN_NATIVE_ENUM)
#undef VORN_NATIVE_ENUM
};

struct NativeIdentity {
    const char* op;
    uint64_t hash;
    const char* publicName;
    const char* shape;
};

inline constexpr NativeIdentity kNatives[] = {
#define VORN_NATIVE_ROW(op, hash, publicName, shape) {#op, hash, publicName, shape},
    VORN_NATIVES(VORN_NATIVE_ROW)
#undef VORN_NATIVE_ROW
};

constexpr const NativeIdentity& nativeIdentity(Native native) { return kNatives[static_cast<size_t>(native)]; }

namespace native_detail {

constexpr bool distinctHashes() {
    for (size_t i = 0; i < std::size(kNatives); ++i)
        for (size_t j = i + 1; j < std::size(kNatives); ++j)
            if (kNatives[i].hash == kNatives[j].hash) return false;
    return true;
}
static_assert(distinctHashes(), "two natives share a hash");

}  // namespace native_detail
