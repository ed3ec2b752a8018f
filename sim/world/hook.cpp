#include "sim/world/hook.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "host/native_catalogue.h"

namespace sim {

Hook* Hook::current = nullptr;

namespace {

using Args = std::vector<ArgValue>;

constexpr size_t kResultSlots = Hook::resultSlots;
// What a stale result block reads as: a NaN as float, an absurd handle as integer.
constexpr uint64_t kPoison = 0xFFBADBADFFBADBADull;

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

bool contains(const std::vector<int32_t>& list, int32_t value) {
    return std::find(list.begin(), list.end(), value) != list.end();
}

std::string hex(uint64_t value) {
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "0x%016llX", static_cast<unsigned long long>(value));
    return buffer;
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
void onOrderShuffleToNextSeat(Hook& h, const Args& a, uint64_t*) {
    Character* c = W(h).character(a[0].i);
    Vehicle* v = W(h).vehicle(a[1].i);
    if (c == nullptr || v == nullptr || c->vehicle != v->handle) return;
    const int32_t last = v->seatCount - 2;
    const int32_t next = c->seat >= last ? -1 : c->seat + 1;
    if (v->seats.count(next) != 0) return;
    W(h).seat(c->handle, v->handle, next);
}

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
    if (Vehicle* v = W(h).vehicle(a[0].i)) {
        if (v->train == 0) v->rotation = Vector3{a[1].f, a[2].f, a[3].f};
    } else if (Character* c = W(h).character(a[0].i)) {
        c->heading = a[3].f;
    }
}
void onSetEntityPhysicsActive(Hook& h, const Args& a, uint64_t*) {
    if (Vehicle* v = W(h).vehicle(a[0].i)) v->physicsActive = a[1].i != 0;
}
void onSetEntityDamageable(Hook& h, const Args& a, uint64_t*) {
    if (Vehicle* v = W(h).vehicle(a[0].i)) v->damageable = a[1].i != 0;
}

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
void onSetVehicleShowsDamage(Hook& h, const Args& a, uint64_t*) {
    if (Vehicle* v = W(h).vehicle(a[0].i)) v->showsDamage = a[1].i != 0;
}
void onSetVehicleForwardSpeed(Hook& h, const Args& a, uint64_t*) {
    Vehicle* v = W(h).vehicle(a[0].i);
    if (v == nullptr) return;
    if (v->train != 0) {
        if (Train* t = W(h).train(v->train)) {
            t->speed = v->reversed ? -a[1].f : a[1].f;
            t->speedSetThisFrame = true;
        }
        return;
    }
    v->freeSpeed = v->wrecked ? 0.0f : a[1].f;
}
void onGetTrainWagon(Hook& h, const Args& a, uint64_t* r) {
    const Train* t = W(h).train(a[0].i);
    const int32_t i = a[1].i;
    setInt(r, t == nullptr || i < 0 || static_cast<size_t>(i) >= t->carriages.size() ? 0 : t->carriages[static_cast<size_t>(i)]);
}
void onSetTrainCurrentSpeed(Hook& h, const Args& a, uint64_t*) {
    if (Train* t = W(h).train(a[0].i)) {
        t->speed = a[1].f;
        t->speedSetThisFrame = true;
    }
}
void onSetTrainTargetSpeed(Hook& h, const Args& a, uint64_t*) {
    if (Train* t = W(h).train(a[0].i)) W(h).setTrainCruise(*t, a[1].f);
}
void onGetDoorOpenRatio(Hook& h, const Args& a, uint64_t* r) {
    const Vehicle* v = W(h).vehicle(a[0].i);
    if (v != nullptr && a[1].i >= 0 && a[1].i < 4) setFloat(r, v->doors[a[1].i]);
}
void onSetDoorOpenRatio(Hook& h, const Args& a, uint64_t*) {
    Vehicle* v = W(h).vehicle(a[0].i);
    if (v == nullptr || a[1].i < 0 || a[1].i >= 4) return;
    const float ratio = std::clamp(a[3].f, 0.0f, 1.0f);
    float& door = v->doors[a[1].i];
    if ((door == 0.0f) != (ratio == 0.0f) || (door < 1.0f) != (ratio < 1.0f)) {
        const char* what = ratio == 0.0f ? "closed" : (ratio >= 1.0f ? "fully open" : "partly open");
        W(h).events.push_back(WorldEvent{h.frame, "door " + std::to_string(a[1].i) + " of " +
                                                      W(h).describe(v->handle) + " " + what});
    }
    door = ratio;
}
void onSetHighBeam(Hook& h, const Args& a, uint64_t*) {
    if (Vehicle* v = W(h).vehicle(a[0].i)) {
        if (v->highBeam != (a[1].i != 0))
            W(h).events.push_back(WorldEvent{h.frame, std::string("high beam ") + (a[1].i != 0 ? "on" : "off") +
                                                          " on " + W(h).describe(v->handle)});
        v->highBeam = a[1].i != 0;
    }
}
// START_VEHICLE_HORN(vehicle, duration, mode, forever): the duration in milliseconds (the public native
// databases) is kept with the horn. What the game does with a duration of 0 is not known from public
// sources; the plug-in passes 0, once for each long press of the horn key.
void onSoundHorn(Hook& h, const Args& a, uint64_t*) {
    if (static_cast<uint32_t>(a[2].i) != hashName("NORMAL")) h.violation("SoundHorn: unknown horn mode");
    if (W(h).vehicle(a[0].i) == nullptr) return;
    W(h).horns.push_back(HornSound{h.frame, a[0].i, a[1].i});
}

// --- Input, camera, radio and effects ---

void onControlJustPressed(Hook& h, const Args& a, uint64_t* r) { setBool(r, contains(h.input.justPressed, a[1].i)); }
void onControlJustReleased(Hook& h, const Args& a, uint64_t* r) { setBool(r, contains(h.input.justReleased, a[1].i)); }
void onControlHeld(Hook& h, const Args& a, uint64_t* r) { setBool(r, contains(h.input.down, a[1].i)); }
void onControlUp(Hook& h, const Args& a, uint64_t* r) { setBool(r, !contains(h.input.down, a[1].i)); }
void onStartCameraShake(Hook& h, const Args& a, uint64_t*) {
    CameraShake& s = W(h).cameraShake;
    if (!s.active) W(h).events.push_back(WorldEvent{h.frame, "camera shake " + a[0].text + " started"});
    s.active = true;
    s.name = a[0].text;
    s.amplitude = a[1].f;
}
void onSetCameraShakeAmplitude(Hook& h, const Args& a, uint64_t*) { W(h).cameraShake.amplitude = a[0].f; }
void onStopCameraShake(Hook& h, const Args&, uint64_t*) {
    CameraShake& s = W(h).cameraShake;
    if (s.active) W(h).events.push_back(WorldEvent{h.frame, "camera shake stopped"});
    s = CameraShake{};
}
void onSetPortableRadioEnabled(Hook& h, const Args& a, uint64_t*) {
    if (W(h).radioEnabled != (a[0].i != 0))
        W(h).events.push_back(WorldEvent{h.frame, std::string("portable radio ") + (a[0].i != 0 ? "on" : "off")});
    W(h).radioEnabled = a[0].i != 0;
}
void onCreateExplosion(Hook& h, const Args& a, uint64_t*) {
    const Explosion e{h.frame, Vector3{a[0].f, a[1].f, a[2].f}, a[3].i, a[4].f, a[7].f, a[8].i != 0};
    W(h).explosions.push_back(e);
    char text[128];
    std::snprintf(text, sizeof text, "explosion type %d at (%.1f, %.1f, %.1f)%s", e.type,
                  static_cast<double>(e.position.x), static_cast<double>(e.position.y),
                  static_cast<double>(e.position.z), e.noDamage ? " without damage" : "");
    W(h).events.push_back(WorldEvent{h.frame, text});
}

// --- Drawing, text, hashing and time ---

void onDrawRectangle(Hook& h, const Args& a, uint64_t*) {
    h.rectangles.push_back(DrawnRectangle{a[0].f, a[1].f, a[2].f, a[3].f, a[4].i, a[5].i, a[6].i, a[7].i});
}
void onSetTextFont(Hook& h, const Args& a, uint64_t*) { h.style.font = a[0].i; }
void onSetTextScale(Hook& h, const Args& a, uint64_t*) {
    h.style.scale = a[0].f;
    h.style.scaleY = a[1].f;
}
void onSetTextColour(Hook& h, const Args& a, uint64_t*) {
    h.style.red = a[0].i;
    h.style.green = a[1].i;
    h.style.blue = a[2].i;
    h.style.alpha = a[3].i;
}
void onSetTextWrap(Hook& h, const Args& a, uint64_t*) {
    h.style.wrapStart = a[0].f;
    h.style.wrapEnd = a[1].f;
}
void onSetTextCentred(Hook& h, const Args& a, uint64_t*) { h.style.centred = a[0].i != 0; }
void onSetTextDropShadow(Hook& h, const Args& a, uint64_t*) {
    h.style.dropShadow = true;
    h.style.shadowAlpha = a[4].i;
}
// SET_TEXT_EDGE does nothing in the released game (a no-op in the public native databases): the
// text keeps no outline.
void onSetTextOutline(Hook&, const Args&, uint64_t*) {}
void onBeginTextCommand(Hook& h, const Args& a, uint64_t*) {
    if (a[0].text != "STRING") h.violation("BeginTextCommand: unknown text command " + a[0].text);
    h.pendingText.clear();
    h.textOpen = true;
}
// The game keeps at most 99 characters of one text component (its maximum length in the public
// native databases) and cuts the rest; no text of the plug-in may lose its end that way.
void onAddTextString(Hook& h, const Args& a, uint64_t*) {
    if (!h.textOpen) h.violation("AddTextString without BeginTextCommand");
    if (a[0].text.size() > Hook::textComponentLimit)
        h.violation("AddTextString: " + std::to_string(a[0].text.size()) + " characters, the game shows " +
                    std::to_string(Hook::textComponentLimit));
    h.pendingText += a[0].text.substr(0, Hook::textComponentLimit);
}
void onEndTextCommandDraw(Hook& h, const Args& a, uint64_t*) {
    if (!h.textOpen) h.violation("EndTextCommandDraw without BeginTextCommand");
    h.texts.push_back(DrawnText{h.pendingText, a[0].f, a[1].f, h.style});
    // The game resets the text style after every draw.
    h.style = TextStyle{};
    h.pendingText.clear();
    h.textOpen = false;
}
void onHashName(Hook&, const Args& a, uint64_t* r) { r[0] = hashName(a[0].text.c_str()); }
void onGetFrameSeconds(Hook& h, const Args&, uint64_t* r) { setFloat(r, h.input.frameSeconds); }

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

void jsonEscape(std::string& out, const std::string& text) {
    out += '"';
    for (unsigned char ch : text) {
        if (ch == '"' || ch == '\\') {
            out += '\\';
            out += static_cast<char>(ch);
        } else if (ch < 0x20 || ch >= 0x7F) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04x", ch);
            out += buffer;
        } else {
            out += static_cast<char>(ch);
        }
    }
    out += '"';
}

}  // namespace

const NativeInfo* findNative(uint64_t hash) {
    for (const Entry& e : kTable)
        if (e.hash == hash) return &e.info;
    return nullptr;
}

size_t nativeCount() { return sizeof kTable / sizeof kTable[0]; }

std::string traceFloat(float value) {
    if (!std::isfinite(value)) return std::isnan(value) ? "\"nan\"" : (value > 0 ? "\"inf\"" : "\"-inf\"");
    char buffer[32];
    auto res = std::to_chars(buffer, buffer + sizeof buffer, value);
    std::string text(buffer, res.ptr);
    if (text.find_first_of(".e") == std::string::npos) text += ".0";
    return text;
}

void FrameInput::advance(std::vector<int32_t> held, float seconds) {
    std::sort(held.begin(), held.end());
    held.erase(std::unique(held.begin(), held.end()), held.end());
    justPressed.clear();
    justReleased.clear();
    for (int32_t c : held)
        if (!contains(down, c)) justPressed.push_back(c);
    for (int32_t c : down)
        if (!contains(held, c)) justReleased.push_back(c);
    down = std::move(held);
    frameSeconds = seconds;
}

Hook::Hook(World& w) : world(w) {}

Hook::~Hook() {
    delete[] result_;
    if (current == this) current = nullptr;
}

void Hook::violation(const std::string& text) {
    violations.push_back("frame " + std::to_string(frame) + ": " + text);
}

void Hook::beginFrame(int f) {
    frame = f;
    calls.clear();
    rectangles.clear();
    texts.clear();
    deletions.clear();
    style = TextStyle{};
    textOpen = false;
    if (frameBegun) frameBegun();
}

void Hook::nativeInit(uint64_t hash) {
    if (pending_) violation("nativeInit of " + hex(hash) + " while the call of " + hex(pendingHash_) + " was still open");
    // The previous result is dead now; whoever still reads it reads garbage (or trips ASan).
    if (result_ != nullptr) {
        std::fill(result_, result_ + kResultSlots, kPoison);
        delete[] result_;
        result_ = nullptr;
    }
    pendingHash_ = hash;
    pending_ = true;
    pushed_ = 0;
}

void Hook::nativePush64(uint64_t value) {
    if (!pending_) violation("nativePush64 outside a call");
    if (pushed_ < argumentSlots) block_[pushed_] = value;
    ++pushed_;
}

namespace {

// Reads one slot as the game reads a parameter of that kind. With `check`, every fault of the
// slot is a violation (named by the native and the argument's place, told only when there is one);
// without, the slot is one the game reads stale and only its usability counts.
bool decodeArgument(Hook& hook, ArgValue& a, const char* op, size_t index, bool check) {
    auto fault = [&](const std::string& what) {
        if (check) hook.violation(std::string(op) + " argument " + std::to_string(index + 1) + ": " + what);
    };
    bool sound = true;
    switch (a.kind) {
        case ArgKind::Int:
        case ArgKind::Bool:
        case ArgKind::Float:
            if (check && (a.raw >> 32) != 0) {
                fault("high half not zero (" + hex(a.raw) + ")");
                sound = false;
            }
            a.i = static_cast<int32_t>(static_cast<uint32_t>(a.raw));
            if (a.kind == ArgKind::Float) {
                const uint32_t bits = static_cast<uint32_t>(a.raw);
                std::memcpy(&a.f, &bits, sizeof a.f);
                if (!std::isfinite(a.f)) {
                    fault("non-finite float");
                    sound = false;
                }
            } else if (a.kind == ArgKind::Bool && a.i != 0 && a.i != 1) {
                fault("boolean " + std::to_string(a.i));
            }
            break;
        case ArgKind::Pointer:
        case ArgKind::Text:
            // A stale address may point anywhere: the stand-in never follows one.
            if (!check || a.raw == 0) {
                fault("null pointer");
                sound = false;
            } else if (a.kind == ArgKind::Text) {
                a.text = reinterpret_cast<const char*>(static_cast<uintptr_t>(a.raw));
            }
            break;
    }
    return sound;
}

// Result slots that a handler leaves alone keep this mark until the call ends; no handler writes a
// value with both halves like it.
constexpr uint64_t kUnwritten = 0x5EA1ED0F5EA1ED0Full;

}  // namespace

uint64_t* Hook::nativeCall() {
    if (!pending_) violation("nativeCall without nativeInit");
    pending_ = false;
    delete[] result_;
    result_ = new uint64_t[kResultSlots];
    std::fill(result_, result_ + kResultSlots, kUnwritten);
    ++totalCalls;
    const NativeInfo* info = findNative(pendingHash_);
    if (info == nullptr) {
        violation("unknown native " + hex(pendingHash_));
        std::fill(result_, result_ + kResultSlots, 0);
        return result_;
    }
    const size_t expected = std::strlen(info->kinds);
    NativeCall call;
    call.frame = frame;
    call.op = info->op;
    call.hash = pendingHash_;
    bool sound = true;
    if (pushed_ > argumentSlots) {
        violation(std::string(info->op) + ": " + std::to_string(pushed_) + " arguments overrun the hook's block of " +
                  std::to_string(argumentSlots));
        sound = false;
    } else if (pushed_ > expected) {
        violation(std::string(info->op) + ": " + std::to_string(pushed_) + " arguments, expected " +
                  std::to_string(expected));
        sound = false;
    }
    const size_t pushed = std::min(pushed_, argumentSlots);
    call.args.reserve(pushed);
    for (size_t i = 0; i < pushed; ++i) {
        ArgValue a;
        a.raw = block_[i];
        a.kind = i < expected ? static_cast<ArgKind>(info->kinds[i]) : ArgKind::Int;
        sound = decodeArgument(*this, a, info->op, i, true) && sound;
        call.args.push_back(std::move(a));
    }
    // A short call still runs in the game, on what earlier calls left in the block (an open
    // re-implementation of the hook, whose native context is the one of the original script hook's
    // SDK, keeps a single block for arguments and results and resets only its count).
    std::vector<ArgValue> read;
    if (pushed < expected) {
        violation(std::string(info->op) + ": " + std::to_string(pushed) + " arguments, expected " +
                  std::to_string(expected) + "; the game reads parameter " + std::to_string(pushed + 1) +
                  " stale (" + hex(block_[pushed]) + ")");
        read = call.args;
        for (size_t i = pushed; i < expected; ++i) {
            ArgValue a;
            a.raw = block_[i];
            a.kind = static_cast<ArgKind>(info->kinds[i]);
            sound = decodeArgument(*this, a, info->op, i, false) && sound;
            read.push_back(std::move(a));
        }
    }
    if (trace != nullptr) writeTrace(call);
    if (answer) {
        answer(call, result_);
    } else if (sound && !answerZero) {
        info->handler(*this, read.empty() ? call.args : read, result_);
    }
    // The game writes its results over the argument block, where the next short call finds them.
    for (size_t i = 0; i < kResultSlots; ++i) {
        if (result_[i] == kUnwritten) {
            result_[i] = 0;
        } else {
            block_[i] = result_[i];
        }
    }
    std::copy(result_, result_ + std::size(call.result), call.result);
    if (answered) answered(call, result_);
    calls.push_back(std::move(call));
    return result_;
}

void Hook::writeTrace(const NativeCall& call) {
    std::string line = "{\"frame\":" + std::to_string(call.frame) + ",\"op\":\"" + std::string(call.op) + "\",\"hash\":\"" +
                       hex(call.hash) + "\",\"args\":[";
    for (size_t i = 0; i < call.args.size(); ++i) {
        const ArgValue& a = call.args[i];
        if (i > 0) line += ',';
        switch (a.kind) {
            case ArgKind::Int:
            case ArgKind::Bool: line += std::to_string(a.i); break;
            case ArgKind::Float: line += traceFloat(a.f); break;
            case ArgKind::Text: jsonEscape(line, a.text); break;
            case ArgKind::Pointer: line += "\"ptr\""; break;
        }
    }
    line += "]}\n";
    *trace << line;
}

void hookNativeInit(uint64_t hash) {
    if (Hook::current != nullptr) Hook::current->nativeInit(hash);
}
void hookNativePush64(uint64_t value) {
    if (Hook::current != nullptr) Hook::current->nativePush64(value);
}
uint64_t* hookNativeCall() { return Hook::current != nullptr ? Hook::current->nativeCall() : nullptr; }

}  // namespace sim
