// The game's answer to each native of the catalogue: a handler decodes the call's arguments, asks the
// world, or has the world do what the native does, and writes the result slots. What the game does is
// the world's (sim/world/world.h); a handler keeps nothing of its own.

#include <algorithm>
#include <cmath>
#include <cstring>

#include "host/game_controls.h"
#include "host/native_catalogue.h"
#include "sim/world/hook.h"

namespace sim {

namespace {

using Args = std::vector<ArgValue>;

void setInt(uint64_t* r, int32_t value) { r[0] = static_cast<uint32_t>(value); }
void setBool(uint64_t* r, bool value) { r[0] = value ? 1u : 0u; }
uint64_t floatSlot(float value) {
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}
void setFloat(uint64_t* r, float value) { r[0] = floatSlot(value); }
void setVector(uint64_t* r, Vector3 v) {
    r[0] = floatSlot(v.x);
    r[1] = floatSlot(v.y);
    r[2] = floatSlot(v.z);
}

bool listed(const std::vector<int32_t>& list, int32_t value) {
    return std::find(list.begin(), list.end(), value) != list.end();
}

World& W(Hook& h) { return h.world; }

// --- Characters, vehicles and seats ---

void onGetPlayerCharacter(Hook& h, const Args&, uint64_t* r) { setInt(r, W(h).playerAnswer()); }
// With atGetIn set, also true at one stage of entering a vehicle (the public native databases):
// getting onto the seat, not the walk to the door before it.
void onIsCharacterInAnyVehicle(Hook& h, const Args& a, uint64_t* r) {
    const Character* c = W(h).character(a[0].i);
    setBool(r, c != nullptr && (c->vehicle != 0 || (a[1].i != 0 && W(h).gettingIn(c->handle))));
}
void onIsCharacterInAnyTrain(Hook& h, const Args& a, uint64_t* r) {
    const Character* c = W(h).character(a[0].i);
    const Vehicle* v = c != nullptr ? W(h).vehicle(c->vehicle) : nullptr;
    setBool(r, v != nullptr && v->train != 0);
}
void onGetVehicleCharacterIsUsing(Hook& h, const Args& a, uint64_t* r) {
    const Character* c = W(h).character(a[0].i);
    setInt(r, c == nullptr ? 0 : (c->vehicle != 0 ? c->vehicle : c->entering));
}
void onListNearbyVehicles(Hook& h, const Args& a, uint64_t* r) {
    auto* buffer = reinterpret_cast<uint64_t*>(static_cast<uintptr_t>(a[1].raw));
    const int32_t capacity = static_cast<int32_t>(static_cast<uint32_t>(buffer[0]));
    if (capacity < 0 || capacity > 256) {
        h.violation("ListNearbyVehicles: implausible capacity " + std::to_string(capacity));
        setInt(r, 0);
        return;
    }
    const std::vector<EntityHandle> found = W(h).nearbyVehicles(a[0].i, 50.0f);
    const int32_t count = std::min(capacity, static_cast<int32_t>(found.size()));
    for (int32_t i = 0; i < count; ++i) buffer[1 + i] = static_cast<uint32_t>(found[static_cast<size_t>(i)]);
    setInt(r, count);
}
void onGetSeatOccupant(Hook& h, const Args& a, uint64_t* r) {
    const Vehicle* v = W(h).vehicle(a[0].i);
    if (v == nullptr) return setInt(r, 0);
    auto it = v->seats.find(a[1].i);
    setInt(r, it == v->seats.end() ? 0 : it->second);
}
void onPlaceCharacterInSeat(Hook& h, const Args& a, uint64_t*) { W(h).seat(a[0].i, a[1].i, a[2].i); }
void onIsEntityDead(Hook& h, const Args& a, uint64_t* r) {
    const Character* c = W(h).character(a[0].i);
    setBool(r, c != nullptr && c->dead);
}
void onOrderLeaveVehicle(Hook& h, const Args& a, uint64_t*) { W(h).orderLeave(a[0].i, a[1].i); }
// TASK_LEAVE_ANY_VEHICLE(ped, delay, flags): the task starts after a delay in milliseconds (the
// public native databases; the game's own scripts pass 0 there), counted in game time.
void onOrderLeaveAnyVehicle(Hook& h, const Args& a, uint64_t*) { W(h).orderLeaveAny(a[0].i, a[1].i); }
void onOrderShuffleToNextSeat(Hook& h, const Args& a, uint64_t*) { W(h).shuffleToNextSeat(a[0].i, a[1].i); }

// --- Entities, position and physics ---

void onEntityExists(Hook& h, const Args& a, uint64_t* r) { setBool(r, W(h).exists(a[0].i)); }
void onGetEntityModel(Hook& h, const Args& a, uint64_t* r) {
    if (const Vehicle* v = W(h).vehicle(a[0].i)) return setInt(r, static_cast<int32_t>(v->model));
    if (W(h).character(a[0].i) != nullptr) return setInt(r, static_cast<int32_t>(hashName("mp_m_freemode_01")));
    setInt(r, 0);
}
void onGetEntityPosition(Hook& h, const Args& a, uint64_t* r) {
    if (const Vehicle* v = W(h).vehicle(a[0].i)) return setVector(r, v->position);
    if (const Character* c = W(h).character(a[0].i)) return setVector(r, c->position);
}
void onGetEntityForwardVector(Hook& h, const Args& a, uint64_t* r) { setVector(r, W(h).forward(a[0].i)); }
void onGetEntityForwardX(Hook& h, const Args& a, uint64_t* r) { setFloat(r, W(h).forward(a[0].i).x); }
void onGetEntityForwardY(Hook& h, const Args& a, uint64_t* r) { setFloat(r, W(h).forward(a[0].i).y); }
void onGetEntityVelocity(Hook& h, const Args& a, uint64_t* r) {
    if (const Vehicle* v = W(h).vehicle(a[0].i)) setVector(r, v->velocity);
}
void onGetEntitySpeed(Hook& h, const Args& a, uint64_t* r) {
    if (const Vehicle* v = W(h).vehicle(a[0].i))
        setFloat(r, std::sqrt(v->velocity.x * v->velocity.x + v->velocity.y * v->velocity.y +
                              v->velocity.z * v->velocity.z));
}
void onGetEntityRotation(Hook& h, const Args& a, uint64_t* r) {
    if (const Vehicle* v = W(h).vehicle(a[0].i)) return setVector(r, v->rotation);
    if (const Character* c = W(h).character(a[0].i)) setVector(r, Vector3{0.0f, 0.0f, c->heading});
}
void onGetHeightAboveGround(Hook& h, const Args& a, uint64_t* r) { setFloat(r, W(h).heightAboveGround(a[0].i)); }
void onSetEntityPosition(Hook& h, const Args& a, uint64_t*) {
    W(h).moveEntity(a[0].i, Vector3{a[1].f, a[2].f, a[3].f});
}
void onSetEntityRotation(Hook& h, const Args& a, uint64_t*) {
    W(h).setRotation(a[0].i, Vector3{a[1].f, a[2].f, a[3].f});
}
void onSetEntityPhysicsActive(Hook& h, const Args& a, uint64_t*) { W(h).setPhysicsActive(a[0].i, a[1].i != 0); }
void onSetEntityDamageable(Hook& h, const Args& a, uint64_t*) { W(h).setDamageable(a[0].i, a[1].i != 0); }

// --- Vehicles and trains ---

// CREATE_VEHICLE wants its model in memory and gives 0 otherwise (the public native databases: the
// model should be loaded already, and the result is 0 when no vehicle was made). Nothing here loads
// a model: it is in memory while some vehicle of it exists.
void onSpawnVehicle(Hook& h, const Args& a, uint64_t* r) {
    const auto model = static_cast<ModelHash>(a[0].i);
    if (!W(h).modelInMemory(model)) return setInt(r, 0);
    setInt(r, W(h).spawnVehicle(model, Vector3{a[1].f, a[2].f, a[3].f}));
}
void onDeleteVehicle(Hook& h, const Args& a, uint64_t*) {
    auto* handle = reinterpret_cast<int32_t*>(static_cast<uintptr_t>(a[0].raw));
    h.deletions.push_back(Hook::Deletion{h.calls.size(), *handle});
    if (W(h).vehicle(*handle) != nullptr) W(h).removeVehicle(*handle);
    *handle = 0;
}
void onRemoveAllTrains(Hook& h, const Args&, uint64_t*) { W(h).removeAllTrains(); }
void onSetVehicleShowsDamage(Hook& h, const Args& a, uint64_t*) { W(h).setShowsDamage(a[0].i, a[1].i != 0); }
void onSetVehicleForwardSpeed(Hook& h, const Args& a, uint64_t*) { W(h).setForwardSpeed(a[0].i, a[1].f); }
void onGetTrainWagon(Hook& h, const Args& a, uint64_t* r) {
    const Train* t = W(h).train(a[0].i);
    const int32_t i = a[1].i;
    setInt(r, t == nullptr || i < 0 || static_cast<size_t>(i) >= t->carriages.size() ? 0 : t->carriages[static_cast<size_t>(i)]);
}
void onSetTrainCurrentSpeed(Hook& h, const Args& a, uint64_t*) { W(h).setTrainSpeed(a[0].i, a[1].f); }
void onSetTrainTargetSpeed(Hook& h, const Args& a, uint64_t*) {
    if (Train* t = W(h).train(a[0].i)) W(h).setTrainCruise(*t, a[1].f);
}
void onGetDoorOpenRatio(Hook& h, const Args& a, uint64_t* r) {
    const Vehicle* v = W(h).vehicle(a[0].i);
    if (v != nullptr && a[1].i >= 0 && a[1].i < 4) setFloat(r, v->doors[a[1].i]);
}
void onSetDoorOpenRatio(Hook& h, const Args& a, uint64_t*) { W(h).setDoor(a[0].i, a[1].i, a[3].f); }
void onSetHighBeam(Hook& h, const Args& a, uint64_t*) { W(h).setHighBeam(a[0].i, a[1].i != 0); }
// START_VEHICLE_HORN(vehicle, duration, mode, forever): the duration in milliseconds (the public native
// databases) is kept with the horn. What the game does with a duration of 0 is not known from public
// sources; the plug-in passes 0, once for each long press of the horn key.
void onSoundHorn(Hook& h, const Args& a, uint64_t*) {
    if (static_cast<uint32_t>(a[2].i) != hashName("NORMAL")) h.violation("SoundHorn: unknown horn mode");
    W(h).soundHorn(a[0].i, a[1].i);
}

// --- Models, mission trains, blips and missions ---

ModelHash modelOf(const ArgValue& a) { return static_cast<ModelHash>(a.i); }
// A model some entity uses is in memory and valid whatever the script asked (a scenario's vehicles).
void onRequestModel(Hook& h, const Args& a, uint64_t*) { W(h).models.request(modelOf(a[0])); }
void onIsModelLoaded(Hook& h, const Args& a, uint64_t* r) {
    setBool(r, W(h).models.loaded(modelOf(a[0])) || W(h).modelInMemory(modelOf(a[0])));
}
void onReleaseModel(Hook& h, const Args& a, uint64_t*) { W(h).models.release(modelOf(a[0])); }
void onIsModelValid(Hook& h, const Args& a, uint64_t* r) {
    setBool(r, W(h).models.valid(modelOf(a[0])) || W(h).modelInMemory(modelOf(a[0])));
}
void onCreateMissionTrain(Hook& h, const Args& a, uint64_t* r) {
    setInt(r, W(h).createMissionTrain(a[0].i, Vector3{a[1].f, a[2].f, a[3].f}, a[4].i != 0));
}
// Both take the address of the script's handle and clear it, as DELETE_VEHICLE does.
void onReleaseMissionTrain(Hook& h, const Args& a, uint64_t*) {
    auto* handle = reinterpret_cast<int32_t*>(static_cast<uintptr_t>(a[0].raw));
    W(h).releaseMissionTrain(*handle);
    *handle = 0;
}
void onDeleteMissionTrain(Hook& h, const Args& a, uint64_t*) {
    auto* handle = reinterpret_cast<int32_t*>(static_cast<uintptr_t>(a[0].raw));
    W(h).deleteMissionTrain(*handle);
    *handle = 0;
}
// (vehicle, ped type, model, seat, network, script host).
void onCreateCharacterInVehicle(Hook& h, const Args& a, uint64_t* r) {
    setInt(r, W(h).createCharacterInVehicle(a[0].i, modelOf(a[2]), a[3].i));
}
// Takes the handle's address and clears it, as the mission trains' natives do.
void onReleaseCharacter(Hook& h, const Args& a, uint64_t*) {
    auto* handle = reinterpret_cast<int32_t*>(static_cast<uintptr_t>(a[0].raw));
    W(h).releaseCharacter(*handle);
    *handle = 0;
}
void onAddBlipForEntity(Hook& h, const Args& a, uint64_t* r) { setInt(r, W(h).blips.add(a[0].i, W(h).exists(a[0].i))); }
void onSetBlipSprite(Hook& h, const Args& a, uint64_t*) {
    if (Blip* b = W(h).blips.find(a[0].i)) b->sprite = a[1].i;
}
void onSetBlipRoute(Hook& h, const Args& a, uint64_t*) {
    if (Blip* b = W(h).blips.find(a[0].i)) b->route = a[1].i != 0 && !b->entityGone;
}
void onRemoveBlip(Hook& h, const Args& a, uint64_t*) {
    auto* handle = reinterpret_cast<int32_t*>(static_cast<uintptr_t>(a[0].raw));
    W(h).blips.remove(*handle);
    *handle = 0;
}
void onIsMissionRunning(Hook& h, const Args&, uint64_t* r) { setBool(r, W(h).missionFlag); }

// --- Input, camera, radio and effects ---

// A control held off this frame reads as not pressed, and not released either, through IS_CONTROL_*
// (public reports: IS_CONTROL_PRESSED is IS_DISABLED_CONTROL_PRESSED and IS_CONTROL_ENABLED); the
// IS_DISABLED_CONTROL_* natives read the keys as they are. The group does not matter here: the
// plug-in reads in 2 and holds off in 0, as the game's own scripts do.
const FrameInput& I(Hook& h) { return h.world.input; }
void onControlJustPressed(Hook& h, const Args& a, uint64_t* r) { setBool(r, I(h).enabledAndIn(I(h).justPressed, a[1].i)); }
void onControlJustReleased(Hook& h, const Args& a, uint64_t* r) { setBool(r, I(h).enabledAndIn(I(h).justReleased, a[1].i)); }
void onControlHeld(Hook& h, const Args& a, uint64_t* r) { setBool(r, I(h).enabledAndIn(I(h).down, a[1].i)); }
void onControlUp(Hook& h, const Args& a, uint64_t* r) { setBool(r, !I(h).isDisabled(a[1].i) && !I(h).isDown(a[1].i)); }
void onIsUsingKeyboardAndMouse(Hook& h, const Args&, uint64_t* r) { setBool(r, I(h).lastDevice == Keyboard); }
void onDisableControl(Hook& h, const Args& a, uint64_t*) {
    if (a[1].i < 0 || a[1].i >= gameControlCount) h.violation("DisableControl: no control " + std::to_string(a[1].i));
    // A script that holds off the game's actions while the game has taken the player's control, or the
    // phone's buttons while the phone is up, takes them from the game's cutscene or from the phone.
    if (!W(h).playerControl) h.violation("DisableControl " + std::to_string(a[1].i) + " while the game has the player's control");
    if (W(h).phone.up() && onPhoneButton(a[1].i, I(h).lastDevice))
        h.violation("DisableControl " + std::to_string(a[1].i) + " on a button of the phone while it is up");
    if (!listed(I(h).disabled, a[1].i)) h.world.input.disabled.push_back(a[1].i);
}
void onDisabledControlJustPressed(Hook& h, const Args& a, uint64_t* r) { setBool(r, listed(I(h).justPressed, a[1].i)); }
void onDisabledControlJustReleased(Hook& h, const Args& a, uint64_t* r) { setBool(r, listed(I(h).justReleased, a[1].i)); }
void onDisabledControlHeld(Hook& h, const Args& a, uint64_t* r) { setBool(r, I(h).isDown(a[1].i)); }
// PLAYER_ID answers 0 in story mode (the public native databases); the stand-in has no other player.
void onGetPlayerIndex(Hook&, const Args&, uint64_t* r) { setInt(r, 0); }
void onIsPlayerControlOn(Hook& h, const Args& a, uint64_t* r) {
    if (a[0].i != 0) h.violation("IsPlayerControlOn: no player " + std::to_string(a[0].i));
    setBool(r, a[0].i == 0 && W(h).playerControl);
}
void onIsCharacterUsingPhone(Hook& h, const Args& a, uint64_t* r) {
    setBool(r, a[0].i != 0 && a[0].i == W(h).player && W(h).phone.up());
}
void onStartCameraShake(Hook& h, const Args& a, uint64_t*) { W(h).startCameraShake(a[0].text, a[1].f); }
void onSetCameraShakeAmplitude(Hook& h, const Args& a, uint64_t*) { W(h).setCameraShakeAmplitude(a[0].f); }
void onStopCameraShake(Hook& h, const Args&, uint64_t*) { W(h).stopCameraShake(); }
void onSetPortableRadioEnabled(Hook& h, const Args& a, uint64_t*) { W(h).setRadio(a[0].i != 0); }
void onCreateExplosion(Hook& h, const Args& a, uint64_t*) {
    W(h).explode(Vector3{a[0].f, a[1].f, a[2].f}, a[3].i, a[4].f, a[7].f, a[8].i != 0);
}

// --- Drawing, text, hashing and time ---

Screen& S(Hook& h) { return h.world.screen; }

void onDrawRectangle(Hook& h, const Args& a, uint64_t*) {
    S(h).drawRectangle(DrawnRectangle{a[0].f, a[1].f, a[2].f, a[3].f, a[4].i, a[5].i, a[6].i, a[7].i});
}
void onSetTextFont(Hook& h, const Args& a, uint64_t*) { S(h).setFont(a[0].i); }
void onSetTextScale(Hook& h, const Args& a, uint64_t*) { S(h).setScale(a[0].f, a[1].f); }
void onSetTextColour(Hook& h, const Args& a, uint64_t*) { S(h).setColour(a[0].i, a[1].i, a[2].i, a[3].i); }
void onSetTextWrap(Hook& h, const Args& a, uint64_t*) { S(h).setWrap(a[0].f, a[1].f); }
void onSetTextCentred(Hook& h, const Args& a, uint64_t*) { S(h).setCentred(a[0].i != 0); }
void onSetTextDropShadow(Hook& h, const Args& a, uint64_t*) { S(h).setDropShadow(a[4].i); }
// SET_TEXT_EDGE does nothing in the released game (a no-op in the public native databases): the
// text keeps no outline.
void onSetTextOutline(Hook&, const Args&, uint64_t*) {}
void onBeginTextCommand(Hook& h, const Args& a, uint64_t*) {
    if (a[0].text != "STRING") h.violation("BeginTextCommand: unknown text command " + a[0].text);
    S(h).beginText();
}
// The game keeps at most 99 characters of one text component (its maximum length in the public
// native databases) and cuts the rest; no text of the plug-in may lose its end that way.
void onAddTextString(Hook& h, const Args& a, uint64_t*) {
    if (!S(h).textOpen) h.violation("AddTextString without BeginTextCommand");
    if (a[0].text.size() > Screen::textComponentLimit)
        h.violation("AddTextString: " + std::to_string(a[0].text.size()) + " characters, the game shows " +
                    std::to_string(Screen::textComponentLimit));
    S(h).addText(a[0].text);
}
void onEndTextCommandDraw(Hook& h, const Args& a, uint64_t*) {
    if (!S(h).textOpen) h.violation("EndTextCommandDraw without BeginTextCommand");
    S(h).drawText(a[0].f, a[1].f);
}
void onHashName(Hook&, const Args& a, uint64_t* r) { r[0] = hashName(a[0].text.c_str()); }
void onGetFrameSeconds(Hook& h, const Args&, uint64_t* r) { setFloat(r, h.world.input.frameSeconds); }

struct Entry {
    uint64_t hash;
    NativeInfo info;
};

// Every native of the plug-in's catalogue with the parameters current game builds read, in order
// (the public native databases list them); a call that pushes fewer leaves the game reading stale
// slots of the block. A row without its handler here does not compile.
const Entry kTable[] = {
#define VORN_SIM_ENTRY(op, hash, publicName, shape, ...) {hash, {#op, shape, on##op}},
    VORN_NATIVES(VORN_SIM_ENTRY)
#undef VORN_SIM_ENTRY
};

}  // namespace

const NativeInfo* findNative(uint64_t hash) {
    for (const Entry& e : kTable)
        if (e.hash == hash) return &e.info;
    return nullptr;
}

size_t nativeCount() { return sizeof kTable / sizeof kTable[0]; }

}  // namespace sim
