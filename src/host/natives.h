#pragma once
// The catalogue of the game's natives: one typed operation per native, with the arguments it pushes
// (constants included) and the result it reads. Each native's hash, public name and shape stand in
// its row of host/native_catalogue.h; every operation here is checked against that shape when it
// is compiled.
//
// Trailing 0s marked "added" are parameters that current game builds read but older catalogues leave
// out. The hook keeps one argument block for every script and nativeInit resets only its count, so
// the game would read whatever an earlier call (ours or another plug-in's) left in an unpushed slot.
// They are pushed as 0, the value the game's own scripts pass; older builds ignore them.

#include <type_traits>

#include "host/native_catalogue.h"
#include "host/native_invoker.h"

namespace native_detail {

// The shape letter each argument type may fill: a boolean parameter also takes the integers 0 and 1
// the game's own scripts pass.
template <class A>
constexpr bool fits(char kind) {
    if constexpr (std::is_same_v<A, float>) {
        return kind == 'f';
    } else if constexpr (std::is_same_v<A, bool>) {
        return kind == 'b';
    } else if constexpr (std::is_same_v<A, int32_t> || std::is_same_v<A, uint32_t>) {
        return kind == 'i' || kind == 'b';
    } else if constexpr (std::is_same_v<A, const void*>) {
        return kind == 'p' || kind == 't';
    } else {
        return false;
    }
}

template <class... Args>
constexpr bool fitsShape(const char* shape) {
    size_t length = 0;
    while (shape[length] != '\0') {
        ++length;
    }
    if (length != sizeof...(Args)) {
        return false;
    }
    size_t i = 0;
    return (true && ... && fits<Args>(shape[i++]));
}

}  // namespace native_detail

template <Native N, class R, class... Args>
inline R callNative(Args... args) {
    static_assert(native_detail::fitsShape<Args...>(nativeIdentity(N).shape),
                  "the arguments pushed differ from the native's shape in host/native_catalogue.h");
    return invoke<R>(nativeIdentity(N).hash, args...);
}

// Control group of every control the plug-in reads.
inline constexpr int32_t controlGroup = 2;

// --- Characters, vehicles and seats ---

inline EntityHandle GetPlayerCharacter() { return callNative<Native::GetPlayerCharacter, int32_t>(); }
inline bool IsCharacterInAnyVehicle(EntityHandle character) { return callNative<Native::IsCharacterInAnyVehicle, bool>(character, 1); }
inline bool IsCharacterInAnyTrain(EntityHandle character) { return callNative<Native::IsCharacterInAnyTrain, bool>(character); }
inline EntityHandle GetVehicleCharacterIsUsing(EntityHandle character) { return callNative<Native::GetVehicleCharacterIsUsing, int32_t>(character); }
// buffer: 11 slots, slot 0 holding the capacity 10 in its low half; the handles come back in slots 1..count.
inline int32_t ListNearbyVehicles(EntityHandle character, uint64_t* buffer) { return callNative<Native::ListNearbyVehicles, int32_t>(character, static_cast<const void*>(buffer)); }
inline EntityHandle GetSeatOccupant(EntityHandle vehicle, int32_t seat) { return callNative<Native::GetSeatOccupant, int32_t>(vehicle, seat, 0); }  // added: p2
inline void PlaceCharacterInSeat(EntityHandle character, EntityHandle vehicle, int32_t seat) { callNative<Native::PlaceCharacterInSeat, void>(character, vehicle, seat); }
inline bool IsEntityDead(EntityHandle entity) { return callNative<Native::IsEntityDead, bool>(entity, 0); }  // added: p1
inline void OrderLeaveVehicle(EntityHandle character, EntityHandle vehicle) { callNative<Native::OrderLeaveVehicle, void>(character, vehicle, -1); }
inline void OrderLeaveAnyVehicle(EntityHandle character, EntityHandle vehicle) { callNative<Native::OrderLeaveAnyVehicle, void>(character, vehicle, -1); }
inline void OrderShuffleToNextSeat(EntityHandle character, EntityHandle vehicle) { callNative<Native::OrderShuffleToNextSeat, void>(character, vehicle, 0); }  // added: p2

// --- Entities, position and physics ---

inline bool EntityExists(EntityHandle entity) { return callNative<Native::EntityExists, bool>(entity); }
inline ModelHash GetEntityModel(EntityHandle entity) { return callNative<Native::GetEntityModel, uint32_t>(entity); }
inline Vector3 GetEntityPosition(EntityHandle entity) { return callNative<Native::GetEntityPosition, Vector3>(entity, 1); }
inline Vector3 GetEntityForwardVector(EntityHandle entity) { return callNative<Native::GetEntityForwardVector, Vector3>(entity); }
inline float GetEntityForwardX(EntityHandle entity) { return callNative<Native::GetEntityForwardX, float>(entity); }
inline float GetEntityForwardY(EntityHandle entity) { return callNative<Native::GetEntityForwardY, float>(entity); }
inline Vector3 GetEntityVelocity(EntityHandle entity) { return callNative<Native::GetEntityVelocity, Vector3>(entity, 0); }
inline float GetEntitySpeed(EntityHandle entity) { return callNative<Native::GetEntitySpeed, float>(entity); }
inline Vector3 GetEntityRotation(EntityHandle entity) { return callNative<Native::GetEntityRotation, Vector3>(entity, 0); }
inline float GetHeightAboveGround(EntityHandle entity) { return callNative<Native::GetHeightAboveGround, float>(entity); }
inline void SetEntityPosition(EntityHandle entity, float x, float y, float z) { callNative<Native::SetEntityPosition, void>(entity, x, y, z, 0, 0, 0, 0); }
inline void SetEntityRotation(EntityHandle entity, float x, float y, float z) { callNative<Native::SetEntityRotation, void>(entity, x, y, z, 0, 0); }
inline void SetEntityPhysicsActive(EntityHandle entity) { callNative<Native::SetEntityPhysicsActive, void>(entity, 1); }
inline void SetEntityDamageable(EntityHandle entity) { callNative<Native::SetEntityDamageable, void>(entity, 1); }

// --- Vehicles and trains ---

inline EntityHandle SpawnVehicle(ModelHash model, float x, float y, float z) { return callNative<Native::SpawnVehicle, int32_t>(model, x, y, z, 0.0f, 0, 1, 0); }  // added: p7
// Takes the address of the handle inside the caller's own record, as the game may clear it.
inline void DeleteVehicle(EntityHandle* handle) { callNative<Native::DeleteVehicle, void>(static_cast<const void*>(handle)); }
inline void RemoveAllTrains() { callNative<Native::RemoveAllTrains, void>(); }
inline void SetVehicleShowsDamage(EntityHandle vehicle) { callNative<Native::SetVehicleShowsDamage, void>(vehicle, 1); }
inline void SetVehicleForwardSpeed(EntityHandle vehicle, float speed) { callNative<Native::SetVehicleForwardSpeed, void>(vehicle, speed); }
inline EntityHandle GetTrainWagon(EntityHandle train, int32_t index) { return callNative<Native::GetTrainWagon, int32_t>(train, index); }
inline void SetTrainCurrentSpeed(EntityHandle train, float speed) { callNative<Native::SetTrainCurrentSpeed, void>(train, speed); }
inline void SetTrainTargetSpeed(EntityHandle train, float speed) { callNative<Native::SetTrainTargetSpeed, void>(train, speed); }
inline float GetDoorOpenRatio(EntityHandle vehicle, int32_t door) { return callNative<Native::GetDoorOpenRatio, float>(vehicle, door); }
inline void SetDoorOpenRatio(EntityHandle vehicle, int32_t door, float ratio) { callNative<Native::SetDoorOpenRatio, void>(vehicle, door, 0, ratio); }
inline void SetHighBeam(EntityHandle vehicle, bool on) { callNative<Native::SetHighBeam, void>(vehicle, on); }
// The horn mode is an argument that needs a native of its own: hashed by a complete call first.
inline void SoundHorn(EntityHandle vehicle);  // defined below HashName

// --- Input, camera, radio and effects ---

inline bool ControlJustPressed(int32_t control) { return callNative<Native::ControlJustPressed, bool>(controlGroup, control); }
inline bool ControlJustReleased(int32_t control) { return callNative<Native::ControlJustReleased, bool>(controlGroup, control); }
inline bool ControlHeld(int32_t control) { return callNative<Native::ControlHeld, bool>(controlGroup, control); }
inline bool ControlUp(int32_t control) { return callNative<Native::ControlUp, bool>(controlGroup, control); }
inline void StartCameraShake() { callNative<Native::StartCameraShake, void>(static_cast<const void*>("SKY_DIVING_SHAKE"), 0.0f); }
inline void SetCameraShakeAmplitude(float amplitude) { callNative<Native::SetCameraShakeAmplitude, void>(amplitude); }
inline void StopCameraShake() { callNative<Native::StopCameraShake, void>(0); }
inline void SetPortableRadioEnabled(bool enabled) { callNative<Native::SetPortableRadioEnabled, void>(enabled); }
// A stale noDamage left set by another script would make the wagons' explosions harmless.
inline void CreateExplosion(float x, float y, float z, float damageScale, float cameraShake) { callNative<Native::CreateExplosion, void>(x, y, z, 37, damageScale, 1, 0, cameraShake, 0); }  // added: noDamage

// --- Drawing, text, hashing and time ---

inline void DrawRectangle(float x, float y, float width, int32_t green, int32_t blue, int32_t alpha) { callNative<Native::DrawRectangle, void>(x, y, width, 0.005f, 255, green, blue, alpha, 0); }  // added: p8
inline void SetTextFont() { callNative<Native::SetTextFont, void>(0); }
inline void SetTextScale(float scale) { callNative<Native::SetTextScale, void>(scale, scale); }
inline void SetTextColour(int32_t alpha) { callNative<Native::SetTextColour, void>(255, 255, 255, alpha); }
inline void SetTextWrap() { callNative<Native::SetTextWrap, void>(0.0f, 1.0f); }
inline void SetTextCentred() { callNative<Native::SetTextCentred, void>(1); }
// Drop shadow and outline share one argument shape: 1, a black colour, and the last value.
template <Native N>
inline void SetTextEdgeStyle(int32_t last) { callNative<N, void>(1, 0, 0, 0, last); }
inline void SetTextDropShadow() { SetTextEdgeStyle<Native::SetTextDropShadow>(0); }
// Does nothing in the released game (the public native databases call it a no-op); kept as catalogued.
inline void SetTextOutline() { SetTextEdgeStyle<Native::SetTextOutline>(205); }
inline void BeginTextCommand() { callNative<Native::BeginTextCommand, void>(static_cast<const void*>("STRING")); }
inline void AddTextString(const char* text) { callNative<Native::AddTextString, void>(static_cast<const void*>(text)); }
inline void EndTextCommandDraw(float y) { callNative<Native::EndTextCommandDraw, void>(0.5f, y, 0); }  // added: p2
inline uint32_t HashName(const char* text) { return callNative<Native::HashName, uint32_t>(static_cast<const void*>(text)); }
inline float GetFrameSeconds() { return callNative<Native::GetFrameSeconds, float>(); }

inline void SoundHorn(EntityHandle vehicle) {
    const uint32_t normal = HashName("NORMAL");
    callNative<Native::SoundHorn, void>(vehicle, 0, normal, 0);
}
