#pragma once
// The catalogue of the game's natives: one typed operation per native, with its hash, the arguments
// it pushes (constants included) and the result it reads. The comment beside each row is the name
// the public native databases use for it.
//
// Trailing 0s marked "added" are parameters that current game builds read but older catalogues leave
// out. The hook keeps one argument block for every script and nativeInit resets only its count, so
// the game would read whatever an earlier call (ours or another plug-in's) left in an unpushed slot.
// They are pushed as 0, the value the game's own scripts pass; older builds ignore them.

#include "host/native_invoker.h"

// Control group of every control the plug-in reads.
inline constexpr int32_t controlGroup = 2;

// --- Characters, vehicles and seats ---

inline EntityHandle GetPlayerCharacter() { return invoke<int32_t>(0xD80958FC74E988A6); }  // PLAYER::PLAYER_PED_ID
inline bool IsCharacterInAnyVehicle(EntityHandle character) { return invoke<bool>(0x997ABD671D25CA0B, character, 1); }  // PED::IS_PED_IN_ANY_VEHICLE
inline bool IsCharacterInAnyTrain(EntityHandle character) { return invoke<bool>(0x6F972C1AB75A1ED0, character); }  // PED::IS_PED_IN_ANY_TRAIN
inline EntityHandle GetVehicleCharacterIsUsing(EntityHandle character) { return invoke<int32_t>(0x6094AD011A2EA87D, character); }  // PED::GET_VEHICLE_PED_IS_USING
// buffer: 11 slots, slot 0 holding the capacity 10 in its low half; the handles come back in slots 1..count.
inline int32_t ListNearbyVehicles(EntityHandle character, uint64_t* buffer) { return invoke<int32_t>(0xCFF869CBFA210D82, character, static_cast<const void*>(buffer)); }  // PED::GET_PED_NEARBY_VEHICLES
inline EntityHandle GetSeatOccupant(EntityHandle vehicle, int32_t seat) { return invoke<int32_t>(0xBB40DD2270B65366, vehicle, seat, 0); }  // VEHICLE::GET_PED_IN_VEHICLE_SEAT; added: p2
inline void PlaceCharacterInSeat(EntityHandle character, EntityHandle vehicle, int32_t seat) { invoke<void>(0xF75B0D629E1C063D, character, vehicle, seat); }  // PED::SET_PED_INTO_VEHICLE
inline bool IsEntityDead(EntityHandle entity) { return invoke<bool>(0x5F9532F3B5CC2551, entity, 0); }  // ENTITY::IS_ENTITY_DEAD; added: p1
inline void OrderLeaveVehicle(EntityHandle character, EntityHandle vehicle) { invoke<void>(0xD3DBCE61A490BE02, character, vehicle, -1); }  // TASK::TASK_LEAVE_VEHICLE
inline void OrderLeaveAnyVehicle(EntityHandle character, EntityHandle vehicle) { invoke<void>(0x504D54DF3F6F2247, character, vehicle, -1); }  // TASK::TASK_LEAVE_ANY_VEHICLE
inline void OrderShuffleToNextSeat(EntityHandle character, EntityHandle vehicle) { invoke<void>(0x7AA80209BDA643EB, character, vehicle, 0); }  // TASK::TASK_SHUFFLE_TO_NEXT_VEHICLE_SEAT; added: p2

// --- Entities, position and physics ---

inline bool EntityExists(EntityHandle entity) { return invoke<bool>(0x7239B21A38F536BA, entity); }  // ENTITY::DOES_ENTITY_EXIST
inline ModelHash GetEntityModel(EntityHandle entity) { return invoke<uint32_t>(0x9F47B058362C84B5, entity); }  // ENTITY::GET_ENTITY_MODEL
inline Vector3 GetEntityPosition(EntityHandle entity) { return invoke<Vector3>(0x3FEF770D40960D5A, entity, 1); }  // ENTITY::GET_ENTITY_COORDS
inline Vector3 GetEntityForwardVector(EntityHandle entity) { return invoke<Vector3>(0x0A794A5A57F8DF91, entity); }  // ENTITY::GET_ENTITY_FORWARD_VECTOR
inline float GetEntityForwardX(EntityHandle entity) { return invoke<float>(0x8BB4EF4214E0E6D5, entity); }  // ENTITY::GET_ENTITY_FORWARD_X
inline float GetEntityForwardY(EntityHandle entity) { return invoke<float>(0x866A4A5FAE349510, entity); }  // ENTITY::GET_ENTITY_FORWARD_Y
inline Vector3 GetEntityVelocity(EntityHandle entity) { return invoke<Vector3>(0x9A8D700A51CB7B0D, entity, 0); }  // ENTITY::GET_ENTITY_SPEED_VECTOR
inline float GetEntitySpeed(EntityHandle entity) { return invoke<float>(0xD5037BA82E12416F, entity); }  // ENTITY::GET_ENTITY_SPEED
inline Vector3 GetEntityRotation(EntityHandle entity) { return invoke<Vector3>(0xAFBD61CC738D9EB9, entity, 0); }  // ENTITY::GET_ENTITY_ROTATION
inline float GetHeightAboveGround(EntityHandle entity) { return invoke<float>(0x1DD55701034110E5, entity); }  // ENTITY::GET_ENTITY_HEIGHT_ABOVE_GROUND
inline void SetEntityPosition(EntityHandle entity, float x, float y, float z) { invoke<void>(0x06843DA7060A026B, entity, x, y, z, 0, 0, 0, 0); }  // ENTITY::SET_ENTITY_COORDS
inline void SetEntityRotation(EntityHandle entity, float x, float y, float z) { invoke<void>(0x8524A8B0171D5E07, entity, x, y, z, 0, 0); }  // ENTITY::SET_ENTITY_ROTATION
inline void SetEntityPhysicsActive(EntityHandle entity) { invoke<void>(0x1718DE8E3F2823CA, entity, 1); }  // ENTITY::SET_ENTITY_DYNAMIC
inline void SetEntityDamageable(EntityHandle entity) { invoke<void>(0x1760FFA8AB074D66, entity, 1); }  // ENTITY::SET_ENTITY_CAN_BE_DAMAGED

// --- Vehicles and trains ---

inline EntityHandle SpawnVehicle(ModelHash model, float x, float y, float z) { return invoke<int32_t>(0xAF35D0D2583051B0, model, x, y, z, 0.0f, 0, 1, 0); }  // VEHICLE::CREATE_VEHICLE; added: p7
// Takes the address of the handle inside the caller's own record, as the game may clear it.
inline void DeleteVehicle(EntityHandle* handle) { invoke<void>(0xEA386986E786A54F, static_cast<const void*>(handle)); }  // VEHICLE::DELETE_VEHICLE
inline void RemoveAllTrains() { invoke<void>(0x736A718577F39C7D); }  // VEHICLE::DELETE_ALL_TRAINS
inline void SetVehicleShowsDamage(EntityHandle vehicle) { invoke<void>(0x4C7028F78FFD3681, vehicle, 1); }  // VEHICLE::SET_VEHICLE_CAN_BE_VISIBLY_DAMAGED
inline void SetVehicleForwardSpeed(EntityHandle vehicle, float speed) { invoke<void>(0xAB54A438726D25D5, vehicle, speed); }  // VEHICLE::SET_VEHICLE_FORWARD_SPEED
inline EntityHandle GetTrainWagon(EntityHandle train, int32_t index) { return invoke<int32_t>(0x08AAFD0814722BC3, train, index); }  // VEHICLE::GET_TRAIN_CARRIAGE
inline void SetTrainCurrentSpeed(EntityHandle train, float speed) { invoke<void>(0xAA0BC91BE0B796E3, train, speed); }  // VEHICLE::SET_TRAIN_SPEED
inline void SetTrainTargetSpeed(EntityHandle train, float speed) { invoke<void>(0x16469284DB8C62B5, train, speed); }  // VEHICLE::SET_TRAIN_CRUISE_SPEED
inline float GetDoorOpenRatio(EntityHandle vehicle, int32_t door) { return invoke<float>(0xFE3F9C29F7B32BD5, vehicle, door); }  // VEHICLE::GET_VEHICLE_DOOR_ANGLE_RATIO
inline void SetDoorOpenRatio(EntityHandle vehicle, int32_t door, float ratio) { invoke<void>(0xF2BFA0430F0A0FCB, vehicle, door, 0, ratio); }  // VEHICLE::SET_VEHICLE_DOOR_CONTROL
inline void SetHighBeam(EntityHandle vehicle, bool on) { invoke<void>(0x8B7FD87F0DDB421E, vehicle, on); }  // VEHICLE::SET_VEHICLE_FULLBEAM
// The horn mode is an argument that needs a native of its own: hashed by a complete call first.
inline void SoundHorn(EntityHandle vehicle);  // VEHICLE::START_VEHICLE_HORN (defined below HashName)

// --- Input, camera, radio and effects ---

inline bool ControlJustPressed(int32_t control) { return invoke<bool>(0x580417101DDB492F, controlGroup, control); }  // PAD::IS_CONTROL_JUST_PRESSED
inline bool ControlJustReleased(int32_t control) { return invoke<bool>(0x50F940259D3841E6, controlGroup, control); }  // PAD::IS_CONTROL_JUST_RELEASED
inline bool ControlHeld(int32_t control) { return invoke<bool>(0xF3A21BCD95725A4A, controlGroup, control); }  // PAD::IS_CONTROL_PRESSED
inline bool ControlUp(int32_t control) { return invoke<bool>(0x648EE3E7F38877DD, controlGroup, control); }  // PAD::IS_CONTROL_RELEASED
inline void StartCameraShake() { invoke<void>(0xFD55E49555E017CF, static_cast<const void*>("SKY_DIVING_SHAKE"), 0.0f); }  // CAM::SHAKE_GAMEPLAY_CAM
inline void SetCameraShakeAmplitude(float amplitude) { invoke<void>(0xA87E00932DB4D85D, amplitude); }  // CAM::SET_GAMEPLAY_CAM_SHAKE_AMPLITUDE
inline void StopCameraShake() { invoke<void>(0x0EF93E9F3D08C178, 0); }  // CAM::STOP_GAMEPLAY_CAM_SHAKING
inline void SetPortableRadioEnabled(bool enabled) { invoke<void>(0x1098355A16064BB3, enabled); }  // AUDIO::SET_MOBILE_RADIO_ENABLED_DURING_GAMEPLAY
// A stale noDamage left set by another script would make the wagons' explosions harmless.
inline void CreateExplosion(float x, float y, float z, float damageScale, float cameraShake) { invoke<void>(0xE3AD2BDBAEE269AC, x, y, z, 37, damageScale, 1, 0, cameraShake, 0); }  // FIRE::ADD_EXPLOSION; added: noDamage

// --- Drawing, text, hashing and time ---

inline void DrawRectangle(float x, float y, float width, int32_t green, int32_t blue, int32_t alpha) { invoke<void>(0x3A618A217E5154F0, x, y, width, 0.005f, 255, green, blue, alpha, 0); }  // GRAPHICS::DRAW_RECT; added: p8
inline void SetTextFont() { invoke<void>(0x66E0276CC5F6B9DA, 0); }  // HUD::SET_TEXT_FONT
inline void SetTextScale(float scale) { invoke<void>(0x07C837F9A01C34C9, scale, scale); }  // HUD::SET_TEXT_SCALE
inline void SetTextColour(int32_t alpha) { invoke<void>(0xBE6B23FFA53FB442, 255, 255, 255, alpha); }  // HUD::SET_TEXT_COLOUR
inline void SetTextWrap() { invoke<void>(0x63145D9C883A1A70, 0.0f, 1.0f); }  // HUD::SET_TEXT_WRAP
inline void SetTextCentred() { invoke<void>(0xC02F4DBFB51D988B, 1); }  // HUD::SET_TEXT_CENTRE
// Drop shadow and outline share one argument shape: 1, a black colour, and the last value.
inline void SetTextEdgeStyle(uint64_t hash, int32_t last) { invoke<void>(hash, 1, 0, 0, 0, last); }
inline void SetTextDropShadow() { SetTextEdgeStyle(0x465C84BC39F1C351, 0); }  // HUD::SET_TEXT_DROPSHADOW
// Does nothing in the released game (the public native databases call it a no-op); kept as catalogued.
inline void SetTextOutline() { SetTextEdgeStyle(0x441603240D202FA6, 205); }  // HUD::SET_TEXT_EDGE
inline void BeginTextCommand() { invoke<void>(0x25FBB336DF1804CB, static_cast<const void*>("STRING")); }  // HUD::BEGIN_TEXT_COMMAND_DISPLAY_TEXT
inline void AddTextString(const char* text) { invoke<void>(0x6C188BE134E074AA, static_cast<const void*>(text)); }  // HUD::ADD_TEXT_COMPONENT_SUBSTRING_PLAYER_NAME
inline void EndTextCommandDraw(float y) { invoke<void>(0xCD015E5BB0D96A57, 0.5f, y, 0); }  // HUD::END_TEXT_COMMAND_DISPLAY_TEXT; added: p2
inline uint32_t HashName(const char* text) { return invoke<uint32_t>(0xD24D37CC275948CC, static_cast<const void*>(text)); }  // MISC::GET_HASH_KEY
inline float GetFrameSeconds() { return invoke<float>(0x15C40837039FFAF7); }  // MISC::GET_FRAME_TIME

inline void SoundHorn(EntityHandle vehicle) {
    const uint32_t normal = HashName("NORMAL");
    invoke<void>(0x9C8C6504B5B63D2C, vehicle, 0, normal, 0);
}
