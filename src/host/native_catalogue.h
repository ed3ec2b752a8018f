#pragma once
// The catalogue of the game's natives, one row each: the typed operation's name, the hash, the name
// the public native databases give it, its shape as current game builds read it (one letter a
// parameter: i integer or handle, b boolean, f float, p pointer, t pointer to a text), and the
// operation itself: its result, its parameters and what it pushes, constants included.
// host/natives.h makes the operations from these rows and checks each against its shape when it is
// compiled; the stand-in for the game answers exactly these rows, with a handler for each. A new
// native is one row here and its handler in the stand-in.
//
// Trailing 0s marked "added" are parameters that current game builds read but older catalogues leave
// out. The hook keeps one argument block for every script and nativeInit resets only its count, so
// the game would read whatever an earlier call (ours or another plug-in's) left in an unpushed slot.
// They are pushed as 0, the value the game's own scripts pass; older builds ignore them.
//
// X(operation, hash, public name, shape, result, (parameters), (arguments pushed))

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <type_traits>

#include "host/native_invoker.h"

// clang-format off
#define VORN_NATIVES(X) \
    /* --- Characters, vehicles and seats --- */ \
    X(GetPlayerCharacter, 0xD80958FC74E988A6, "PLAYER::PLAYER_PED_ID", "", \
      EntityHandle, (), ()) \
    /* atGetIn: also true while the character gets onto a seat in the game's own entry. */ \
    X(IsCharacterInAnyVehicle, 0x997ABD671D25CA0B, "PED::IS_PED_IN_ANY_VEHICLE", "ib", \
      bool, (EntityHandle character, bool atGetIn), (character, atGetIn)) \
    X(IsCharacterInAnyTrain, 0x6F972C1AB75A1ED0, "PED::IS_PED_IN_ANY_TRAIN", "i", \
      bool, (EntityHandle character), (character)) \
    X(GetVehicleCharacterIsUsing, 0x6094AD011A2EA87D, "PED::GET_VEHICLE_PED_IS_USING", "i", \
      EntityHandle, (EntityHandle character), (character)) \
    /* buffer: 11 slots, slot 0 holding the capacity 10 in its low half; the handles come back in slots 1..count. */ \
    X(ListNearbyVehicles, 0xCFF869CBFA210D82, "PED::GET_PED_NEARBY_VEHICLES", "ip", \
      int32_t, (EntityHandle character, uint64_t* buffer), (character, static_cast<const void*>(buffer))) \
    /* added: p2 */ \
    X(GetSeatOccupant, 0xBB40DD2270B65366, "VEHICLE::GET_PED_IN_VEHICLE_SEAT", "iib", \
      EntityHandle, (EntityHandle vehicle, int32_t seat), (vehicle, seat, 0)) \
    X(PlaceCharacterInSeat, 0xF75B0D629E1C063D, "PED::SET_PED_INTO_VEHICLE", "iii", \
      void, (EntityHandle character, EntityHandle vehicle, int32_t seat), (character, vehicle, seat)) \
    /* added: p1 */ \
    X(IsEntityDead, 0x5F9532F3B5CC2551, "ENTITY::IS_ENTITY_DEAD", "ib", \
      bool, (EntityHandle entity), (entity, 0)) \
    X(OrderLeaveVehicle, 0xD3DBCE61A490BE02, "TASK::TASK_LEAVE_VEHICLE", "iii", \
      void, (EntityHandle character, EntityHandle vehicle), (character, vehicle, -1)) \
    /* (ped, delay in ms before the task starts, flags), the game's own scripts passing a 0 delay: */ \
    /* with 0 the game's own entry into a vehicle ends in the pass that asks for it. */ \
    X(OrderLeaveAnyVehicle, 0x504D54DF3F6F2247, "TASK::TASK_LEAVE_ANY_VEHICLE", "iii", \
      void, (EntityHandle character), (character, 0, -1)) \
    /* added: p2 */ \
    X(OrderShuffleToNextSeat, 0x7AA80209BDA643EB, "TASK::TASK_SHUFFLE_TO_NEXT_VEHICLE_SEAT", "iii", \
      void, (EntityHandle character, EntityHandle vehicle), (character, vehicle, 0)) \
    /* --- Entities, position and physics --- */ \
    X(EntityExists, 0x7239B21A38F536BA, "ENTITY::DOES_ENTITY_EXIST", "i", \
      bool, (EntityHandle entity), (entity)) \
    X(GetEntityModel, 0x9F47B058362C84B5, "ENTITY::GET_ENTITY_MODEL", "i", \
      ModelHash, (EntityHandle entity), (entity)) \
    X(GetEntityPosition, 0x3FEF770D40960D5A, "ENTITY::GET_ENTITY_COORDS", "ib", \
      Vector3, (EntityHandle entity), (entity, 1)) \
    X(GetEntityForwardVector, 0x0A794A5A57F8DF91, "ENTITY::GET_ENTITY_FORWARD_VECTOR", "i", \
      Vector3, (EntityHandle entity), (entity)) \
    X(GetEntityForwardX, 0x8BB4EF4214E0E6D5, "ENTITY::GET_ENTITY_FORWARD_X", "i", \
      float, (EntityHandle entity), (entity)) \
    X(GetEntityForwardY, 0x866A4A5FAE349510, "ENTITY::GET_ENTITY_FORWARD_Y", "i", \
      float, (EntityHandle entity), (entity)) \
    X(GetEntityVelocity, 0x9A8D700A51CB7B0D, "ENTITY::GET_ENTITY_SPEED_VECTOR", "ii", \
      Vector3, (EntityHandle entity), (entity, 0)) \
    X(GetEntitySpeed, 0xD5037BA82E12416F, "ENTITY::GET_ENTITY_SPEED", "i", \
      float, (EntityHandle entity), (entity)) \
    X(GetEntityRotation, 0xAFBD61CC738D9EB9, "ENTITY::GET_ENTITY_ROTATION", "ii", \
      Vector3, (EntityHandle entity), (entity, 0)) \
    X(GetHeightAboveGround, 0x1DD55701034110E5, "ENTITY::GET_ENTITY_HEIGHT_ABOVE_GROUND", "i", \
      float, (EntityHandle entity), (entity)) \
    X(SetEntityPosition, 0x06843DA7060A026B, "ENTITY::SET_ENTITY_COORDS", "ifffbbbb", \
      void, (EntityHandle entity, float x, float y, float z), (entity, x, y, z, 0, 0, 0, 0)) \
    X(SetEntityRotation, 0x8524A8B0171D5E07, "ENTITY::SET_ENTITY_ROTATION", "ifffib", \
      void, (EntityHandle entity, float x, float y, float z), (entity, x, y, z, 0, 0)) \
    X(SetEntityPhysicsActive, 0x1718DE8E3F2823CA, "ENTITY::SET_ENTITY_DYNAMIC", "ib", \
      void, (EntityHandle entity), (entity, 1)) \
    X(SetEntityDamageable, 0x1760FFA8AB074D66, "ENTITY::SET_ENTITY_CAN_BE_DAMAGED", "ib", \
      void, (EntityHandle entity), (entity, 1)) \
    /* --- Vehicles and trains --- */ \
    /* added: p7 */ \
    X(SpawnVehicle, 0xAF35D0D2583051B0, "VEHICLE::CREATE_VEHICLE", "iffffbbb", \
      EntityHandle, (ModelHash model, float x, float y, float z), (model, x, y, z, 0.0f, 0, 1, 0)) \
    /* Takes the address of the handle inside the caller's own record, as the game may clear it. */ \
    X(DeleteVehicle, 0xEA386986E786A54F, "VEHICLE::DELETE_VEHICLE", "p", \
      void, (EntityHandle* handle), (static_cast<const void*>(handle))) \
    X(RemoveAllTrains, 0x736A718577F39C7D, "VEHICLE::DELETE_ALL_TRAINS", "", \
      void, (), ()) \
    X(SetVehicleShowsDamage, 0x4C7028F78FFD3681, "VEHICLE::SET_VEHICLE_CAN_BE_VISIBLY_DAMAGED", "ib", \
      void, (EntityHandle vehicle), (vehicle, 1)) \
    X(SetVehicleForwardSpeed, 0xAB54A438726D25D5, "VEHICLE::SET_VEHICLE_FORWARD_SPEED", "if", \
      void, (EntityHandle vehicle, float speed), (vehicle, speed)) \
    X(GetTrainWagon, 0x08AAFD0814722BC3, "VEHICLE::GET_TRAIN_CARRIAGE", "ii", \
      EntityHandle, (EntityHandle train, int32_t index), (train, index)) \
    X(SetTrainCurrentSpeed, 0xAA0BC91BE0B796E3, "VEHICLE::SET_TRAIN_SPEED", "if", \
      void, (EntityHandle train, float speed), (train, speed)) \
    X(SetTrainTargetSpeed, 0x16469284DB8C62B5, "VEHICLE::SET_TRAIN_CRUISE_SPEED", "if", \
      void, (EntityHandle train, float speed), (train, speed)) \
    X(GetDoorOpenRatio, 0xFE3F9C29F7B32BD5, "VEHICLE::GET_VEHICLE_DOOR_ANGLE_RATIO", "ii", \
      float, (EntityHandle vehicle, int32_t door), (vehicle, door)) \
    X(SetDoorOpenRatio, 0xF2BFA0430F0A0FCB, "VEHICLE::SET_VEHICLE_DOOR_CONTROL", "iibf", \
      void, (EntityHandle vehicle, int32_t door, float ratio), (vehicle, door, 0, ratio)) \
    X(SetHighBeam, 0x8B7FD87F0DDB421E, "VEHICLE::SET_VEHICLE_FULLBEAM", "ib", \
      void, (EntityHandle vehicle, bool on), (vehicle, on)) \
    /* (vehicle, duration in ms, mode, forever). The mode is the hash of "NORMAL", made by a complete */ \
    /* call of its own before the horn call. */ \
    X(SoundHorn, 0x9C8C6504B5B63D2C, "VEHICLE::START_VEHICLE_HORN", "iiii", \
      void, (EntityHandle vehicle), (vehicle, 0, HashName("NORMAL"), 0)) \
    /* --- Models, mission trains, blips and missions --- */ \
    /* A model loads over later frames after its request; one the game does not have never loads. */ \
    X(RequestModel, 0x963D27A58DF860AC, "STREAMING::REQUEST_MODEL", "i", \
      void, (ModelHash model), (model)) \
    X(IsModelLoaded, 0x98A4EB5D89A0C952, "STREAMING::HAS_MODEL_LOADED", "i", \
      bool, (ModelHash model), (model)) \
    X(ReleaseModel, 0xE532F5D78798DAAB, "STREAMING::SET_MODEL_AS_NO_LONGER_NEEDED", "i", \
      void, (ModelHash model), (model)) \
    /* Whether the game has the model at all (freightcar2 only in newer builds). */ \
    X(IsModelValid, 0xC0296A2EDF545E92, "STREAMING::IS_MODEL_VALID", "i", \
      bool, (ModelHash model), (model)) \
    /* At the track node nearest the point, on any track; 0 when no train was made. Every model of */ \
    /* the variation must be loaded first. */ \
    /* added: p5, p6 */ \
    X(CreateMissionTrain, 0x63C6CCA8E68AE8C8, "VEHICLE::CREATE_MISSION_TRAIN", "ifffbbb", \
      EntityHandle, (int32_t variation, float x, float y, float z, bool direction), (variation, x, y, z, direction, 0, 0)) \
    /* The train becomes the game's own again; the game's scripts pass 0 after the address. */ \
    X(ReleaseMissionTrain, 0xBBE7648349B49BE8, "VEHICLE::SET_MISSION_TRAIN_AS_NO_LONGER_NEEDED", "pb", \
      void, (EntityHandle* train), (static_cast<const void*>(train), 0)) \
    X(DeleteMissionTrain, 0x5B76B14AE875C795, "VEHICLE::DELETE_MISSION_TRAIN", "p", \
      void, (EntityHandle* train), (static_cast<const void*>(train))) \
    /* (vehicle, ped type, model, seat, network, script host): the game's story scripts seat a train's */ \
    /* driver with type 26 in seat -1. The model must be loaded first. */ \
    X(CreateCharacterInVehicle, 0x7DD959874C1FD534, "PED::CREATE_PED_INSIDE_VEHICLE", "iiiibb", \
      EntityHandle, (EntityHandle vehicle, ModelHash model), (vehicle, 26, model, -1, 0, 0)) \
    /* The character becomes the game's own again. */ \
    X(ReleaseCharacter, 0x2595DD4236549CE3, "ENTITY::SET_PED_AS_NO_LONGER_NEEDED", "p", \
      void, (EntityHandle* character), (static_cast<const void*>(character))) \
    X(AddBlipForEntity, 0x5CDE92C702A8FCE7, "HUD::ADD_BLIP_FOR_ENTITY", "i", \
      BlipHandle, (EntityHandle entity), (entity)) \
    X(SetBlipSprite, 0xDF735600A4696DAF, "HUD::SET_BLIP_SPRITE", "ii", \
      void, (BlipHandle blip, int32_t sprite), (blip, sprite)) \
    /* The GPS line to the blip. */ \
    X(SetBlipRoute, 0x4F7D8A9BFB0B43E9, "HUD::SET_BLIP_ROUTE", "ib", \
      void, (BlipHandle blip, bool on), (blip, on)) \
    X(RemoveBlip, 0x86A652570E5F25DD, "HUD::REMOVE_BLIP", "p", \
      void, (BlipHandle* blip), (static_cast<const void*>(blip))) \
    /* True while a story mission runs. */ \
    X(IsMissionRunning, 0xA33CDCCDA663159E, "MISC::GET_MISSION_FLAG", "", \
      bool, (), ()) \
    /* --- Input, camera, radio and effects --- */ \
    X(ControlJustPressed, 0x580417101DDB492F, "PAD::IS_CONTROL_JUST_PRESSED", "ii", \
      bool, (int32_t control), (controlGroup, control)) \
    X(ControlJustReleased, 0x50F940259D3841E6, "PAD::IS_CONTROL_JUST_RELEASED", "ii", \
      bool, (int32_t control), (controlGroup, control)) \
    X(ControlHeld, 0xF3A21BCD95725A4A, "PAD::IS_CONTROL_PRESSED", "ii", \
      bool, (int32_t control), (controlGroup, control)) \
    X(ControlUp, 0x648EE3E7F38877DD, "PAD::IS_CONTROL_RELEASED", "ii", \
      bool, (int32_t control), (controlGroup, control)) \
    /* The device the player used last: true for keyboard and mouse. The game's own scripts pass 2. */ \
    X(IsUsingKeyboardAndMouse, 0xA571D46727E2B718, "PAD::IS_USING_KEYBOARD_AND_MOUSE", "i", \
      bool, (), (controlGroup)) \
    /* Holds one of the game's actions off for this frame (group 0, with its related actions, as the */ \
    /* game's own scripts pass); it then reads as not pressed through the IS_CONTROL_ natives. */ \
    X(DisableControl, 0xFE99B66D079CF6BC, "PAD::DISABLE_CONTROL_ACTION", "iib", \
      void, (int32_t control), (playerControlGroup, control, 1)) \
    /* A control the cab holds off itself is read through these, which ignore the disable. */ \
    X(DisabledControlJustPressed, 0x91AEF906BCA88877, "PAD::IS_DISABLED_CONTROL_JUST_PRESSED", "ii", \
      bool, (int32_t control), (controlGroup, control)) \
    X(DisabledControlJustReleased, 0x305C8DCD79DA8B0F, "PAD::IS_DISABLED_CONTROL_JUST_RELEASED", "ii", \
      bool, (int32_t control), (controlGroup, control)) \
    X(DisabledControlHeld, 0xE2587F8CBBD87B1D, "PAD::IS_DISABLED_CONTROL_PRESSED", "ii", \
      bool, (int32_t control), (controlGroup, control)) \
    /* The player's hands taken from the cab: by a cutscene or a mission's scripted moment (control off), */ \
    /* and by the phone, up or ringing (the phone task). PLAYER_ID answers 0 in story mode. */ \
    X(GetPlayerIndex, 0x4F8644AF03D0E0D6, "PLAYER::PLAYER_ID", "", \
      int32_t, (), ()) \
    X(IsPlayerControlOn, 0x49C32D60007AFA47, "PLAYER::IS_PLAYER_CONTROL_ON", "i", \
      bool, (int32_t player), (player)) \
    X(IsCharacterUsingPhone, 0x2AFE52F782F25775, "PED::IS_PED_RUNNING_MOBILE_PHONE_TASK", "i", \
      bool, (EntityHandle character), (character)) \
    X(StartCameraShake, 0xFD55E49555E017CF, "CAM::SHAKE_GAMEPLAY_CAM", "tf", \
      void, (), (static_cast<const void*>("SKY_DIVING_SHAKE"), 0.0f)) \
    X(SetCameraShakeAmplitude, 0xA87E00932DB4D85D, "CAM::SET_GAMEPLAY_CAM_SHAKE_AMPLITUDE", "f", \
      void, (float amplitude), (amplitude)) \
    X(StopCameraShake, 0x0EF93E9F3D08C178, "CAM::STOP_GAMEPLAY_CAM_SHAKING", "b", \
      void, (), (0)) \
    X(SetPortableRadioEnabled, 0x1098355A16064BB3, "AUDIO::SET_MOBILE_RADIO_ENABLED_DURING_GAMEPLAY", "b", \
      void, (bool enabled), (enabled)) \
    /* A stale noDamage left set by another script would make the wagons' explosions harmless. */ \
    /* added: noDamage */ \
    X(CreateExplosion, 0xE3AD2BDBAEE269AC, "FIRE::ADD_EXPLOSION", "fffifbbfb", \
      void, (float x, float y, float z, float damageScale, float cameraShake), (x, y, z, 37, damageScale, 1, 0, cameraShake, 0)) \
    /* --- Drawing, text, hashing and time --- */ \
    /* added: p8 */ \
    X(DrawRectangle, 0x3A618A217E5154F0, "GRAPHICS::DRAW_RECT", "ffffiiiib", \
      void, (float x, float y, float width, int32_t green, int32_t blue, int32_t alpha), (x, y, width, 0.005f, 255, green, blue, alpha, 0)) \
    X(SetTextFont, 0x66E0276CC5F6B9DA, "HUD::SET_TEXT_FONT", "i", \
      void, (), (0)) \
    X(SetTextScale, 0x07C837F9A01C34C9, "HUD::SET_TEXT_SCALE", "ff", \
      void, (float scale), (scale, scale)) \
    X(SetTextColour, 0xBE6B23FFA53FB442, "HUD::SET_TEXT_COLOUR", "iiii", \
      void, (int32_t alpha), (255, 255, 255, alpha)) \
    X(SetTextWrap, 0x63145D9C883A1A70, "HUD::SET_TEXT_WRAP", "ff", \
      void, (), (0.0f, 1.0f)) \
    X(SetTextCentred, 0xC02F4DBFB51D988B, "HUD::SET_TEXT_CENTRE", "b", \
      void, (), (1)) \
    /* Drop shadow and outline share one shape: 1, a black colour, and the last value. */ \
    X(SetTextDropShadow, 0x465C84BC39F1C351, "HUD::SET_TEXT_DROPSHADOW", "iiiii", \
      void, (), (1, 0, 0, 0, 0)) \
    /* Does nothing in the released game (the public native databases call it a no-op); kept as catalogued. */ \
    X(SetTextOutline, 0x441603240D202FA6, "HUD::SET_TEXT_EDGE", "iiiii", \
      void, (), (1, 0, 0, 0, 205)) \
    X(BeginTextCommand, 0x25FBB336DF1804CB, "HUD::BEGIN_TEXT_COMMAND_DISPLAY_TEXT", "t", \
      void, (), (static_cast<const void*>("STRING"))) \
    X(AddTextString, 0x6C188BE134E074AA, "HUD::ADD_TEXT_COMPONENT_SUBSTRING_PLAYER_NAME", "t", \
      void, (const char* text), (static_cast<const void*>(text))) \
    /* added: p2 */ \
    X(EndTextCommandDraw, 0xCD015E5BB0D96A57, "HUD::END_TEXT_COMMAND_DISPLAY_TEXT", "ffi", \
      void, (float y), (0.5f, y, 0)) \
    X(HashName, 0xD24D37CC275948CC, "MISC::GET_HASH_KEY", "t", \
      uint32_t, (const char* text), (static_cast<const void*>(text))) \
    X(GetFrameSeconds, 0x15C40837039FFAF7, "MISC::GET_FRAME_TIME", "", \
      float, (), ())
// clang-format on

enum class Native : uint8_t {
#define VORN_NATIVE_ENUM(op, hash, publicName, shape, ...) op,
    VORN_NATIVES(VORN_NATIVE_ENUM)
#undef VORN_NATIVE_ENUM
};

struct NativeIdentity {
    const char* op;
    uint64_t hash;
    const char* publicName;
    const char* shape;
    // Takes the address of a handle (an entity's or a blip's), which the game clears when it lets go.
    bool handleAddress;
};

namespace native_detail {

template <class... Parameters>
constexpr bool takesHandleAddress(void (*)(Parameters...)) {
    return (std::is_same_v<Parameters, EntityHandle*> || ...);
}

}  // namespace native_detail

inline constexpr NativeIdentity kNatives[] = {
#define VORN_NATIVE_ROW(op, hash, publicName, shape, result, parameters, ...) \
    {#op, hash, publicName, shape, native_detail::takesHandleAddress(static_cast<void(*) parameters>(nullptr))},
    VORN_NATIVES(VORN_NATIVE_ROW)
#undef VORN_NATIVE_ROW
};

constexpr const NativeIdentity& nativeIdentity(Native native) { return kNatives[static_cast<size_t>(native)]; }

namespace native_detail {

consteval bool distinctHashes() {
    for (size_t i = 0; i < std::size(kNatives); ++i)
        for (size_t j = i + 1; j < std::size(kNatives); ++j)
            if (kNatives[i].hash == kNatives[j].hash) return false;
    return true;
}
static_assert(distinctHashes(), "two natives share a hash");

}  // namespace native_detail
