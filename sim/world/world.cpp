#include "sim/world/world.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

#include "host/controls.h"
#include "sim/world/note_format.h"

namespace sim {

namespace {

constexpr float kPi = 3.14159265358979f;
constexpr float kLeaveSeconds = 0.5f;
constexpr float kGameEntrySeconds = 1.0f;
// How near a road vehicle the enter control starts the game's own entry into it.
constexpr float kGameEntryReach = 6.0f;
// The last part of the game's own entry, when the character gets onto the seat after opening the door.
constexpr float kGetInSeconds = 0.5f;
constexpr float kVehicleRadius = 2.5f;

float planarDistance(Vector3 a, Vector3 b) { return std::hypot(a.x - b.x, a.y - b.y); }

// Whether segment p0-p1 crosses segment q0-q1 (2D).
bool segmentsCross(Vec2 p0, Vec2 p1, Vec2 q0, Vec2 q1) {
    auto cross = [](Vec2 o, Vec2 a, Vec2 b) { return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x); };
    const float d1 = cross(q0, q1, p0);
    const float d2 = cross(q0, q1, p1);
    const float d3 = cross(p0, p1, q0);
    const float d4 = cross(p0, p1, q1);
    return ((d1 > 0) != (d2 > 0)) && ((d3 > 0) != (d4 > 0)) && d1 != d2 && d3 != d4;
}


}  // namespace

uint32_t hashName(const char* text) {
    uint32_t hash = 0;
    for (const char* p = text; p != nullptr && *p != '\0'; ++p) {
        hash += static_cast<uint8_t>(std::tolower(static_cast<unsigned char>(*p)));
        hash += hash << 10;
        hash ^= hash >> 6;
    }
    hash += hash << 3;
    hash ^= hash >> 11;
    hash += hash << 15;
    return hash;
}

Vector3 forwardFromHeading(float headingDegrees) {
    const float r = headingDegrees * kPi / 180.0f;
    return Vector3{-std::sin(r), std::cos(r), 0.0f};
}

float headingFromForward(float fx, float fy) {
    float h = std::atan2(-fx, fy) * 180.0f / kPi;
    if (h < 0.0f) h += 360.0f;
    return h;
}

// --- World ---

EntityHandle World::issue() {
    // The lowest free slot, its counter one up from its last entity's (never 0).
    size_t slot = 0;
    while (slot < slotCounters_.size() && slotCounters_[slot] != 0) ++slot;
    if (slot == slotCounters_.size()) {
        slotCounters_.push_back(0);
        lastCounters_.push_back(0);
    }
    const uint8_t counter = static_cast<uint8_t>(lastCounters_[slot] == 255 ? 1 : lastCounters_[slot] + 1);
    slotCounters_[slot] = lastCounters_[slot] = counter;
    return static_cast<EntityHandle>(((firstSlot + static_cast<uint32_t>(slot)) << 8) | counter);
}

void World::release(EntityHandle h) {
    const uint32_t bits = static_cast<uint32_t>(h);
    const uint32_t index = bits >> 8;
    if (index < firstSlot || index - firstSlot >= slotCounters_.size()) return;
    uint8_t& counter = slotCounters_[index - firstSlot];
    if (counter == (bits & 0xFFu)) counter = 0;
}

World::World() {
    Character p;
    p.handle = issue();
    p.name = "player";
    player = p.handle;
    characters[p.handle] = p;
}

void World::note(std::string text) { events.push_back(WorldEvent{currentFrame, std::move(text)}); }

int World::addTrack(std::vector<Vector3> points, bool loop) {
    Track t;
    t.points = std::move(points);
    if (loop && t.points.size() >= 2) t.points.push_back(t.points.front());
    t.loop = loop;
    float total = 0.0f;
    for (size_t i = 0; i < t.points.size(); ++i) {
        if (i > 0) {
            const Vector3& a = t.points[i - 1];
            const Vector3& b = t.points[i];
            total += std::sqrt((b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y) + (b.z - a.z) * (b.z - a.z));
        }
        t.lengths.push_back(total);
    }
    tracks.push_back(std::move(t));
    return static_cast<int>(tracks.size()) - 1;
}

EntityHandle World::addVehicle(const std::string& modelName, Vector3 position, float heading, const std::string& name) {
    Vehicle v;
    v.handle = issue();
    v.name = name;
    v.modelName = modelName;
    v.model = hashName(modelName.c_str());
    v.position = position;
    v.rotation = Vector3{0.0f, 0.0f, heading};
    v.seatCount = 4;
    vehicles[v.handle] = v;
    return v.handle;
}

EntityHandle World::addCharacter(Vector3 position, const std::string& name) {
    Character c;
    c.handle = issue();
    c.name = name;
    c.position = position;
    characters[c.handle] = c;
    return c.handle;
}

void World::addBarrier(Vec2 from, Vec2 to) { barriers.push_back(Barrier{from, to}); }

Character* World::character(EntityHandle h) {
    auto it = characters.find(h);
    return it == characters.end() ? nullptr : &it->second;
}
Vehicle* World::vehicle(EntityHandle h) {
    auto it = vehicles.find(h);
    return it == vehicles.end() ? nullptr : &it->second;
}
Train* World::train(EntityHandle h) {
    auto it = trains.find(h);
    return it == trains.end() ? nullptr : &it->second;
}
Train* World::trainOf(EntityHandle carriage) {
    const Vehicle* v = vehicle(carriage);
    return v == nullptr || v->train == 0 ? nullptr : train(v->train);
}
const Character* World::character(EntityHandle h) const { return const_cast<World*>(this)->character(h); }
const Vehicle* World::vehicle(EntityHandle h) const { return const_cast<World*>(this)->vehicle(h); }
const Train* World::train(EntityHandle h) const { return const_cast<World*>(this)->train(h); }
bool World::exists(EntityHandle h) const { return characters.count(h) != 0 || vehicles.count(h) != 0; }

EntityHandle World::findByName(const std::string& name) const {
    for (const auto& [h, c] : characters)
        if (c.name == name) return h;
    for (const auto& [h, v] : vehicles)
        if (v.name == name) return h;
    return 0;
}

std::string World::describe(EntityHandle h) const {
    std::string label = std::to_string(h);
    if (const Character* c = character(h)) {
        if (!c->name.empty()) label += " (" + c->name + ")";
    } else if (const Vehicle* v = vehicle(h)) {
        label += " (" + (v->name.empty() ? v->modelName : v->name + ", " + v->modelName) + ")";
    }
    return label;
}

Vector3 World::forward(EntityHandle h) const {
    if (const Vehicle* v = vehicle(h)) {
        const float pitch = v->rotation.x * kPi / 180.0f;
        Vector3 f = forwardFromHeading(v->rotation.z);
        return Vector3{f.x * std::cos(pitch), f.y * std::cos(pitch), std::sin(pitch)};
    }
    if (const Character* c = character(h)) return forwardFromHeading(c->heading);
    return Vector3{};
}

Vector3 World::besideVehicle(const Vehicle& v, int32_t seatIndex) const {
    const Vector3 f = forward(v.handle);
    const float side = seatIndex == -1 ? -1.8f : 1.8f;  // driver out to the left, others to the right
    return Vector3{v.position.x + side * f.y, v.position.y - side * f.x, v.position.z};
}

void World::seat(EntityHandle ch, EntityHandle veh, int32_t seatIndex) {
    Character* c = character(ch);
    Vehicle* v = vehicle(veh);
    if (c == nullptr || v == nullptr || seatIndex < -1 || seatIndex > v->seatCount - 2) return;
    auto occupant = v->seats.find(seatIndex);
    if (occupant != v->seats.end() && occupant->second != ch) unseat(occupant->second);
    if (c->vehicle != 0) {
        if (Vehicle* old = vehicle(c->vehicle)) old->seats.erase(c->seat);
    }
    c->vehicle = veh;
    c->seat = seatIndex;
    c->entering = 0;
    c->leaving = 0;
    c->walkTarget.reset();
    c->position = v->position;
    v->seats[seatIndex] = ch;
    note("character " + describe(ch) + " seated in " + describe(veh) + " seat " + std::to_string(seatIndex));
}

void World::unseat(EntityHandle ch) {
    Character* c = character(ch);
    if (c == nullptr || c->vehicle == 0) return;
    Vehicle* v = vehicle(c->vehicle);
    const EntityHandle from = c->vehicle;
    if (v != nullptr) {
        v->seats.erase(c->seat);
        c->position = besideVehicle(*v, c->seat);
        c->heading = v->rotation.z;
    }
    c->vehicle = 0;
    c->leaving = 0;
    note("character " + describe(ch) + " left " + describe(from) +
         noteFormat(" and stands at (%.1f, %.1f, %.1f)", c->position.x, c->position.y, c->position.z));
}

void World::orderLeave(EntityHandle ch, EntityHandle veh) {
    Character* c = character(ch);
    if (c == nullptr) return;
    if (c->entering == veh && veh != 0) c->entering = 0;
    if (c->vehicle == veh && veh != 0 && c->leaving == 0) {
        c->leaving = veh;
        c->leaveTimer = kLeaveSeconds;
    }
}

void World::orderLeaveAny(EntityHandle ch, int32_t delayMs) {
    Character* c = character(ch);
    if (c == nullptr) return;
    // What the game makes of a negative delay is not known; it is taken as none.
    if (delayMs <= 0) {
        c->leaveAnyIn.reset();
        startLeaveAny(ch);
        return;
    }
    c->leaveAnyIn = static_cast<float>(delayMs) / 1000.0f;
}

void World::startLeaveAny(EntityHandle ch) {
    Character* c = character(ch);
    if (c == nullptr) return;
    if (c->entering != 0) {
        note("character " + describe(ch) + " stops entering " + describe(c->entering));
        c->entering = 0;
    }
    if (c->vehicle != 0) orderLeave(ch, c->vehicle);
}

void World::moveEntity(EntityHandle h, Vector3 position) {
    if (Character* c = character(h)) {
        if (c->vehicle != 0) unseat(h);
        c->entering = 0;
        c->walkTarget.reset();
        c->position = position;
        return;
    }
    if (Vehicle* v = vehicle(h)) {
        if (v->train != 0) return;  // carriages stay on their track
        v->position = position;
    }
}

void World::beginFrame(int frame, std::vector<PhysicalInput> held, float seconds) {
    currentFrame = frame;
    screen.clear();
    input.advance(std::move(held), seconds);
    const Character* p = character(player);
    if (p == nullptr || p->vehicle != 0 || p->entering != 0 || !input.enabledAndIn(input.justPressed, control::enter))
        return;
    for (EntityHandle v : nearbyVehicles(player, kGameEntryReach)) {
        const Vehicle* near = vehicle(v);
        if (near != nullptr && near->train == 0 && near->seats.count(-1) == 0) {
            setPlayerEntering(v);
            return;
        }
    }
}

void World::shuffleToNextSeat(EntityHandle ch, EntityHandle veh) {
    const Character* c = character(ch);
    const Vehicle* v = vehicle(veh);
    if (c == nullptr || v == nullptr || c->vehicle != veh) return;
    const int32_t last = v->seatCount - 2;
    const int32_t next = c->seat >= last ? -1 : c->seat + 1;
    if (v->seats.count(next) != 0) return;
    seat(ch, veh, next);
}

void World::setRotation(EntityHandle h, Vector3 rotation) {
    if (Vehicle* v = vehicle(h)) {
        if (v->train == 0) v->rotation = rotation;
    } else if (Character* c = character(h)) {
        c->heading = rotation.z;
    }
}

void World::walk(EntityHandle ch, Vector3 target, float speed) {
    if (Character* c = character(ch)) {
        c->walkTarget = target;
        c->walkSpeed = speed;
    }
}

void World::setPhysicsActive(EntityHandle h, bool active) {
    if (Vehicle* v = vehicle(h)) v->physicsActive = active;
}

void World::setDamageable(EntityHandle h, bool damageable) {
    if (Vehicle* v = vehicle(h)) v->damageable = damageable;
}

void World::setShowsDamage(EntityHandle h, bool shows) {
    if (Vehicle* v = vehicle(h)) v->showsDamage = shows;
}

void World::setForwardSpeed(EntityHandle h, float speed) {
    Vehicle* v = vehicle(h);
    if (v == nullptr) return;
    if (v->train != 0) {
        setTrainSpeed(v->train, v->reversed ? -speed : speed);
        return;
    }
    v->freeSpeed = v->wrecked ? 0.0f : speed;
}

void World::setDoor(EntityHandle h, int32_t door, float ratio) {
    Vehicle* v = vehicle(h);
    if (v == nullptr || door < 0 || door >= 4) return;
    ratio = std::clamp(ratio, 0.0f, 1.0f);
    float& now = v->doors[door];
    if ((now == 0.0f) != (ratio == 0.0f) || (now < 1.0f) != (ratio < 1.0f)) {
        const char* what = ratio == 0.0f ? "closed" : (ratio >= 1.0f ? "fully open" : "partly open");
        note("door " + std::to_string(door) + " of " + describe(h) + " " + what);
    }
    now = ratio;
}

void World::setHighBeam(EntityHandle h, bool on) {
    Vehicle* v = vehicle(h);
    if (v == nullptr) return;
    if (v->highBeam != on) note(std::string("high beam ") + (on ? "on" : "off") + " on " + describe(h));
    v->highBeam = on;
}

void World::soundHorn(EntityHandle h, int32_t durationMs) {
    if (vehicle(h) == nullptr) return;
    horns.push_back(HornSound{currentFrame, h, durationMs});
    if (currentFrame > lastHornFrame_ + 1)
        note("horn sounds on " + describe(h) + " for " + std::to_string(durationMs) + " ms");
    lastHornFrame_ = currentFrame;
}

void World::startCameraShake(const std::string& name, float amplitude) {
    if (!cameraShake.active) note("camera shake " + name + " started");
    cameraShake.active = true;
    cameraShake.name = name;
    cameraShake.amplitude = amplitude;
}

void World::setCameraShakeAmplitude(float amplitude) { cameraShake.amplitude = amplitude; }

void World::stopCameraShake() {
    if (cameraShake.active) note("camera shake stopped");
    cameraShake = CameraShake{};
}

void World::setRadio(bool enabled) {
    if (radioEnabled != enabled) note(std::string("portable radio ") + (enabled ? "on" : "off"));
    radioEnabled = enabled;
}

void World::explode(Vector3 at, int32_t type, float damageScale, float shake, bool noDamage) {
    explosions.push_back(Explosion{currentFrame, at, type, damageScale, shake, noDamage});
    char text[128];
    std::snprintf(text, sizeof text, "explosion type %d at (%.1f, %.1f, %.1f)%s", type, static_cast<double>(at.x),
                  static_cast<double>(at.y), static_cast<double>(at.z), noDamage ? " without damage" : "");
    note(text);
}

void World::removeVehicle(EntityHandle h) {
    Vehicle* v = vehicle(h);
    if (v == nullptr) return;
    std::vector<EntityHandle> occupants;
    for (const auto& [s, ch] : v->seats) occupants.push_back(ch);
    for (EntityHandle ch : occupants) unseat(ch);
    for (auto& [ch, c] : characters)
        if (c.entering == h) c.entering = 0;
    if (v->train != 0) {
        if (Train* t = train(v->train)) {
            auto& list = t->carriages;
            list.erase(std::remove(list.begin(), list.end(), h), list.end());
            if (t->handle == h) {
                // The lead is gone: the game drops the whole consist's train identity.
                for (EntityHandle rest : list)
                    if (Vehicle* r = vehicle(rest)) r->train = 0;
                trains.erase(h);
            }
        }
    }
    note("vehicle " + describe(h) + " removed");
    blips.entityRemoved(h);
    vehicles.erase(h);
    release(h);
}

void World::removeCharacter(EntityHandle h) {
    Character* c = character(h);
    if (c == nullptr || h == player) return;
    if (c->vehicle != 0) unseat(h);
    blips.entityRemoved(h);
    characters.erase(h);
    release(h);
}

EntityHandle World::spawnVehicle(ModelHash model, Vector3 position) {
    if (model == 0) return 0;
    Vehicle v;
    v.handle = issue();
    v.model = model;
    char name[24];
    std::snprintf(name, sizeof name, "0x%08X", static_cast<unsigned>(model));
    v.modelName = name;
    v.position = position;
    v.seatCount = 2;
    v.spawned = true;
    vehicles[v.handle] = v;
    note("vehicle " + describe(v.handle) + noteFormat(" spawned at (%.1f, %.1f, %.1f)", position.x, position.y, position.z));
    return v.handle;
}

bool World::gettingIn(EntityHandle ch) const {
    const Character* c = character(ch);
    return c != nullptr && c->entering != 0 && c->enterTimer <= kGetInSeconds;
}

bool World::modelInMemory(ModelHash model) const {
    return std::any_of(vehicles.begin(), vehicles.end(), [&](const auto& v) { return v.second.model == model; });
}

std::vector<EntityHandle> World::nearbyVehicles(EntityHandle ch, float radius) const {
    const Character* c = character(ch);
    if (c == nullptr) return {};
    std::vector<std::pair<float, EntityHandle>> found;
    for (const auto& [h, v] : vehicles) {
        if (h == c->vehicle) continue;
        const float dx = v.position.x - c->position.x, dy = v.position.y - c->position.y,
                    dz = v.position.z - c->position.z;
        const float d = std::sqrt(dx * dx + dy * dy + dz * dz);
        if (d <= radius) found.emplace_back(d, h);
    }
    std::sort(found.begin(), found.end());
    std::vector<EntityHandle> out;
    for (const auto& f : found) out.push_back(f.second);
    return out;
}

float World::heightAboveGround(EntityHandle h) const {
    if (const Vehicle* v = vehicle(h)) return v->position.z - groundZ;
    if (const Character* c = character(h)) return c->position.z - groundZ;
    return 0.0f;
}

void World::setPlayerEntering(EntityHandle veh) {
    Character* p = character(player);
    if (p == nullptr || vehicle(veh) == nullptr) return;
    p->entering = veh;
    p->enterTimer = kGameEntrySeconds;
    note("player starts the game's own entry into " + describe(veh));
}

void World::advance(float dt, int frame) {
    currentFrame = frame;
    // The game's own seat shuffle (VEH_SHUFFLE): a seated player moves to the free front seat. Where
    // the public sources are silent (how long the move takes, which seats count), the move is at once
    // and between the two front seats only.
    if (input.enabledAndIn(input.justPressed, control::shuffle)) {
        if (const Character* p = character(player); p != nullptr && p->vehicle != 0 && (p->seat == -1 || p->seat == 0)) {
            const Vehicle* v = vehicle(p->vehicle);
            const int32_t other = p->seat == -1 ? 0 : -1;
            if (v != nullptr && v->seats.count(other) == 0 && other <= v->seatCount - 2) {
                note("the game's seat shuffle moves " + describe(player) + " to seat " + std::to_string(other));
                seat(player, p->vehicle, other);
            }
        }
    }
    advanceTrains(dt, frame);
    // Free vehicles roll on along their heading and stop dead against barriers or one another.
    for (auto& [h, v] : vehicles) {
        if (v.train != 0) continue;
        if (v.freeSpeed == 0.0f || v.wrecked) {
            v.velocity = Vector3{};
            continue;
        }
        const Vector3 f = forward(h);
        const float loss = freeFriction * dt;
        const Vector3 from = v.position;
        Vector3 to{from.x + f.x * v.freeSpeed * dt, from.y + f.y * v.freeSpeed * dt, from.z};
        bool hit = false;
        for (const Barrier& b : barriers)
            if (segmentsCross(Vec2{from.x, from.y}, Vec2{to.x, to.y}, b.from, b.to)) hit = true;
        EntityHandle other = 0;
        for (const auto& [oh, o] : vehicles) {
            if (oh == h) continue;
            if (planarDistance(o.position, to) < kVehicleRadius && planarDistance(o.position, from) >= kVehicleRadius &&
                planarDistance(o.position, to) < planarDistance(o.position, from)) {
                hit = true;
                other = oh;
            }
        }
        if (hit) {
            note("vehicle " + describe(h) + (other != 0 ? " crashed into " + describe(other) : " hit a barrier") +
                 noteFormat(" at %.1f m/s", std::fabs(v.freeSpeed)));
            v.freeSpeed = 0.0f;
            v.wrecked = true;
            v.velocity = Vector3{};
            continue;
        }
        v.position = to;
        v.velocity = Vector3{f.x * v.freeSpeed, f.y * v.freeSpeed, 0.0f};
        if (v.freeSpeed > 0.0f) v.freeSpeed = std::max(0.0f, v.freeSpeed - loss);
        else v.freeSpeed = std::min(0.0f, v.freeSpeed + loss);
        for (const auto& [s, ch] : v.seats)
            if (Character* c = character(ch)) c->position = v.position;
    }
    // Characters: leave orders, the game's own entry, walking.
    std::vector<EntityHandle> leaving;
    std::vector<EntityHandle> leavingAny;
    for (auto& [h, c] : characters) {
        if (c.leaveAnyIn) {
            *c.leaveAnyIn -= dt;
            if (*c.leaveAnyIn <= 0.0f) {
                c.leaveAnyIn.reset();
                leavingAny.push_back(h);
            }
        }
        if (c.leaving != 0) {
            c.leaveTimer -= dt;
            if (c.leaveTimer <= 0.0f) leaving.push_back(h);
        }
        if (c.entering != 0) {
            c.enterTimer -= dt;
            if (c.enterTimer <= 0.0f) {
                const EntityHandle target = c.entering;
                c.entering = 0;
                const Vehicle* v = vehicle(target);
                if (v != nullptr && v->seats.count(-1) == 0) seat(h, target, -1);
            }
        }
        if (c.walkTarget && c.vehicle == 0 && !c.dead) {
            const float dx = c.walkTarget->x - c.position.x, dy = c.walkTarget->y - c.position.y,
                        dz = c.walkTarget->z - c.position.z;
            const float d = std::sqrt(dx * dx + dy * dy + dz * dz);
            const float stepLength = c.walkSpeed * dt;
            if (d <= stepLength) {
                c.position = *c.walkTarget;
                c.walkTarget.reset();
            } else if (d > 0.0f) {
                c.position = Vector3{c.position.x + dx / d * stepLength, c.position.y + dy / d * stepLength,
                                     c.position.z + dz / d * stepLength};
                c.heading = headingFromForward(dx, dy);
            }
        }
    }
    for (EntityHandle h : leaving) unseat(h);
    for (EntityHandle h : leavingAny) startLeaveAny(h);
    if (playerUnknownFrames > 0) --playerUnknownFrames;
    models.advance();
}

}  // namespace sim
