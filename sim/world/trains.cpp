// The trains of the world: tracks as polylines, consists spaced along them, the game's drive of each
// towards its cruise speed, and the removal of trains.

#include <algorithm>
#include <cmath>
#include <numbers>

#include "sim/world/note_format.h"
#include "sim/world/world.h"

namespace sim {

// --- Track ---

float Track::length() const { return lengths.empty() ? 0.0f : lengths.back(); }

namespace {
// Segment index and the distance into it for a distance along the track.
size_t locate(const Track& t, float& distance) {
    const float total = t.length();
    if (t.loop && total > 0.0f) {
        distance = std::fmod(distance, total);
        if (distance < 0.0f) distance += total;
    } else {
        distance = std::clamp(distance, 0.0f, total);
    }
    // The first segment whose end is at or beyond the distance (the last one for anything past it).
    const auto end = std::lower_bound(t.lengths.begin() + 1, t.lengths.end(), distance);
    return std::min(static_cast<size_t>(end - t.lengths.begin()) - 1, t.points.size() - 2);
}
}  // namespace

Vector3 Track::pointAt(float distance) const {
    if (points.size() < 2) return points.empty() ? Vector3{} : points[0];
    const size_t i = locate(*this, distance);
    const float segment = lengths[i + 1] - lengths[i];
    const float u = segment > 0.0f ? (distance - lengths[i]) / segment : 0.0f;
    const Vector3& a = points[i];
    const Vector3& b = points[i + 1];
    return Vector3{a.x + (b.x - a.x) * u, a.y + (b.y - a.y) * u, a.z + (b.z - a.z) * u};
}

Vector3 Track::tangentAt(float distance) const {
    if (points.size() < 2) return Vector3{0.0f, 1.0f, 0.0f};
    const size_t i = locate(*this, distance);
    const Vector3& a = points[i];
    const Vector3& b = points[i + 1];
    const float dx = b.x - a.x, dy = b.y - a.y, dz = b.z - a.z;
    const float n = std::sqrt(dx * dx + dy * dy + dz * dz);
    if (n <= 0.0f) return Vector3{0.0f, 1.0f, 0.0f};
    return Vector3{dx / n, dy / n, dz / n};
}


namespace {

// Orders this far apart (in frames) are two drives, not one.
constexpr int orderGap = 30;

const char* orderText(Train::Order order) {
    switch (order) {
        case Train::Order::Forward: return "drives forward";
        case Train::Order::Backward: return "drives backward";
        case Train::Order::Braking: return "brakes";
        case Train::Order::Waiting: return "waits at a standstill";
        case Train::Order::Stop: return "stops the train";
        case Train::Order::None: break;
    }
    return "leaves the train to the game";
}

}  // namespace

void World::setTrainCruise(Train& t, float cruise) {
    const Character* p = character(player);
    const bool playerAboard = p != nullptr && p->vehicle != 0 &&
                              std::find(t.carriages.begin(), t.carriages.end(), p->vehicle) != t.carriages.end();
    if (!playerAboard) {
        const bool drive = t.order != Train::Order::None && currentFrame - t.orderFrame <= orderGap;
        const float before = t.cruiseSet ? t.cruise : t.speed;
        Train::Order order;
        if (cruise == 0.0f && std::fabs(before) > 0.5f) {
            order = Train::Order::Stop;  // all at once, not a speed eased down pass by pass
        } else if (cruise == 0.0f) {
            order = Train::Order::Waiting;
        } else if (std::fabs(cruise) < std::fabs(before)) {
            order = Train::Order::Braking;
        } else {
            order = cruise > 0.0f ? Train::Order::Forward : Train::Order::Backward;
        }
        if (order != t.order || !drive) {
            note("engineer of train " + describe(t.handle) + ": " + orderText(order) + noteFormat(" (%.2f m/s)", cruise));
        }
        t.order = order;
        t.orderFrame = currentFrame;
    }
    t.cruise = cruise;
    t.cruiseSet = true;
    t.scriptDriven = true;
}

EntityHandle World::addTrain(const std::string& modelName, int carriages, int track, float distance, float speed,
                             bool engineer, const std::string& name, const std::vector<std::string>& carriageModels,
                             const std::vector<int>& reversedCarriages, float spacing) {
    Train t;
    t.track = std::clamp(track, 0, std::max(0, static_cast<int>(tracks.size()) - 1));
    t.distance = distance;
    t.speed = speed;
    t.cruise = speed;
    t.cruiseSet = true;
    t.spacing = spacing;
    carriages = std::max(1, carriages);
    for (int i = 0; i < carriages; ++i) {
        Vehicle v;
        v.handle = issue();
        v.modelName = i == 0 ? modelName
                             : (static_cast<size_t>(i) < carriageModels.size() ? carriageModels[i]
                                                                               : std::string("freightcar"));
        if (i > 0 && carriageModels.empty()) v.modelName = modelName == "freight" ? "freightcar" : modelName;
        v.model = hashName(v.modelName.c_str());
        v.carriageIndex = i;
        v.reversed = std::find(reversedCarriages.begin(), reversedCarriages.end(), i) != reversedCarriages.end();
        v.name = name.empty() ? "" : (i == 0 ? name : name + "#" + std::to_string(i));
        if (t.carriages.empty()) t.handle = v.handle;
        v.train = t.handle;
        t.carriages.push_back(v.handle);
        vehicles[v.handle] = v;
    }
    t.name = name;
    trains[t.handle] = t;
    placeCarriages(trains[t.handle]);
    if (engineer) {
        const EntityHandle e = addCharacter(vehicles[t.handle].position, name.empty() ? "" : name + ".engineer");
        seat(e, t.handle, -1);
    }
    return t.handle;
}

void World::setTrainSpeed(EntityHandle h, float speed) {
    if (Train* t = train(h)) {
        t->speed = speed;
        t->speedSetThisFrame = true;
        t->scriptDriven = true;
    }
}

void World::setTrainGoing(EntityHandle h, float speed, float cruise) {
    if (Train* t = train(h)) {
        t->speed = speed;
        t->cruise = cruise;
        t->cruiseSet = true;
    }
}

void World::removeAllTrains() {
    std::vector<EntityHandle> carriages;
    for (const auto& [h, v] : vehicles)
        if (v.train != 0) carriages.push_back(h);
    for (EntityHandle h : carriages) {
        Vehicle* v = vehicle(h);
        std::vector<EntityHandle> occupants;
        for (const auto& [s, ch] : v->seats) occupants.push_back(ch);
        for (EntityHandle ch : occupants) {
            unseat(ch);
            if (ch != player) removeCharacter(ch);
        }
        blips.entityRemoved(h);
        vehicles.erase(h);
        release(h);
    }
    trains.clear();
    note("all trains removed (" + std::to_string(carriages.size()) + " carriages)");
}

void World::removeTrain(EntityHandle anyCarriage) {
    const Train* t = trainOf(anyCarriage);
    if (t == nullptr) return;
    const EntityHandle lead = t->handle;
    const std::vector<EntityHandle> carriages = t->carriages;
    for (EntityHandle h : carriages) {
        Vehicle* v = vehicle(h);
        if (v == nullptr) continue;
        std::vector<EntityHandle> occupants;
        for (const auto& [s, ch] : v->seats) occupants.push_back(ch);
        for (EntityHandle ch : occupants) {
            unseat(ch);
            if (ch != player) removeCharacter(ch);
        }
        for (auto& [ch, c] : characters)
            if (c.entering == h) c.entering = 0;
        blips.entityRemoved(h);
        vehicles.erase(h);
        release(h);
    }
    trains.erase(lead);
    note("the game removes the train " + std::to_string(lead) + " (" + std::to_string(carriages.size()) + " carriages)");
}

void World::placeCarriages(Train& t) {
    if (tracks.empty()) return;
    const Track& track = tracks[static_cast<size_t>(t.track)];
    for (size_t i = 0; i < t.carriages.size(); ++i) {
        Vehicle* v = vehicle(t.carriages[i]);
        if (v == nullptr) continue;
        const float d = t.distance - static_cast<float>(t.direction * static_cast<int>(i)) * t.spacing;
        Vector3 tangent = track.tangentAt(d);
        tangent = Vector3{tangent.x * static_cast<float>(t.direction), tangent.y * static_cast<float>(t.direction),
                          tangent.z * static_cast<float>(t.direction)};
        v->position = track.pointAt(d);
        const float sign = v->reversed ? -1.0f : 1.0f;
        const Vector3 f{tangent.x * sign, tangent.y * sign, tangent.z * sign};
        const float planar = std::hypot(f.x, f.y);
        v->rotation = Vector3{std::atan2(f.z, planar) * 180.0f / std::numbers::pi_v<float>, 0.0f, headingFromForward(f.x, f.y)};
        v->velocity = Vector3{tangent.x * t.speed, tangent.y * t.speed, tangent.z * t.speed};
        for (const auto& [s, ch] : v->seats)
            if (Character* c = character(ch)) c->position = v->position;
    }
}

void World::advanceTrains(float dt, int frame) {
    if (gameTrains.on) runGameTrains(dt);
    // Trains: the game drives each towards its cruise speed unless the script set the speed now.
    for (auto& [h, t] : trains) {
        if (!t.speedSetThisFrame && t.cruiseSet) {
            const float step = trainAcceleration * dt;
            if (t.speed < t.cruise) t.speed = std::min(t.cruise, t.speed + step);
            else if (t.speed > t.cruise) t.speed = std::max(t.cruise, t.speed - step);
        }
        t.speedSetThisFrame = false;
        if (t.order != Train::Order::None && frame - t.orderFrame > orderGap) {
            if (t.order != Train::Order::Stop) {
                note("engineer of train " + describe(h) + ": " + orderText(Train::Order::None) +
                     noteFormat(" at %.2f m/s", t.cruise));
            }
            t.order = Train::Order::None;
        }
        const Track& track = tracks[static_cast<size_t>(t.track)];
        t.distance += static_cast<float>(t.direction) * t.speed * dt;
        if (!track.loop) {
            const float rear = static_cast<float>(t.carriages.size() - 1) * t.spacing;
            const float low = t.direction > 0 ? rear : 0.0f;
            const float high = t.direction > 0 ? track.length() : track.length() - rear;
            if (t.distance > high || t.distance < low) {
                t.distance = std::clamp(t.distance, std::min(low, track.length()), std::max(high, 0.0f));
                if (t.speed != 0.0f) note("train " + describe(h) + " reached the end of its track and stopped");
                t.speed = 0.0f;
                t.cruise = 0.0f;
            }
        } else if (track.length() > 0.0f) {
            t.distance = std::fmod(t.distance, track.length());
            if (t.distance < 0.0f) t.distance += track.length();
        }
        placeCarriages(t);
    }
}

}  // namespace sim
