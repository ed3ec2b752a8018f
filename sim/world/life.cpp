// The game's life around a ride, as it happens to the player without the script: death and respawn,
// arrest, a character switch, a warp, a save loaded.

#include "sim/world/note_format.h"
#include "sim/world/world.h"

namespace sim {

void World::kill(EntityHandle ch) {
    if (Character* c = character(ch)) c->dead = true;
}

void World::respawn(EntityHandle ch, Vector3 at, bool arrested) {
    Character* c = character(ch);
    if (c == nullptr) return;
    if (c->vehicle != 0) {
        if (Vehicle* v = vehicle(c->vehicle)) v->seats.erase(c->seat);
        c->vehicle = 0;
    }
    c->dead = false;
    c->entering = 0;
    c->leaving = 0;
    c->leaveAnyIn.reset();
    c->walkTarget.reset();
    c->position = at;
    note("character " + describe(ch) + (arrested ? " is arrested and released" : " respawns") +
         noteFormat(" at (%.1f, %.1f, %.1f)", at.x, at.y, at.z));
}

void World::switchPlayer(EntityHandle to, int blankFrames) {
    if (character(to) == nullptr || to == player) return;
    note("the player switches from " + describe(player) + " to " + describe(to));
    player = to;
    playerUnknownFrames = std::max(0, blankFrames);
}

void World::warp(EntityHandle ch, Vector3 at) {
    if (character(ch) == nullptr) return;
    moveEntity(ch, at);
    note("character " + describe(ch) + noteFormat(" is moved by the game to (%.1f, %.1f, %.1f)", at.x, at.y, at.z));
}

std::map<EntityHandle, EntityHandle> World::reload(Vector3 playerAt) {
    // What a script made does not come back; the rest is built again under new handles. A script's
    // blips lose their entities: the entities' handles are all new.
    std::vector<EntityHandle> missionTrains;
    for (const auto& [h, t] : trains)
        if (t.mission) missionTrains.push_back(h);
    for (EntityHandle h : missionTrains) removeTrain(h);
    for (const auto& [h, v] : vehicles) blips.entityRemoved(h);
    for (const auto& [h, c] : characters) blips.entityRemoved(h);
    std::vector<EntityHandle> made;
    for (const auto& [h, v] : vehicles)
        if (v.spawned) made.push_back(h);
    for (EntityHandle h : made) {
        for (auto& [ch, c] : characters)
            if (c.vehicle == h) {
                c.vehicle = 0;
            }
        blips.entityRemoved(h);
        vehicles.erase(h);
        release(h);
    }
    std::map<EntityHandle, EntityHandle> renamed;
    for (const auto& [h, c] : characters) release(h);
    for (const auto& [h, v] : vehicles) release(h);
    for (const auto& [h, c] : characters) renamed[h] = issue();
    for (const auto& [h, v] : vehicles) renamed[h] = issue();
    auto fresh = [&](EntityHandle h) {
        auto it = renamed.find(h);
        return it == renamed.end() ? 0 : it->second;
    };

    std::map<EntityHandle, Character> newCharacters;
    for (auto& [h, c] : characters) {
        Character n = c;
        n.handle = fresh(h);
        n.vehicle = fresh(c.vehicle);
        n.entering = 0;
        n.leaving = 0;
        n.leaveAnyIn.reset();
        n.walkTarget.reset();
        newCharacters[n.handle] = n;
    }
    std::map<EntityHandle, Vehicle> newVehicles;
    for (auto& [h, v] : vehicles) {
        Vehicle n = v;
        n.handle = fresh(h);
        n.train = fresh(v.train);
        n.seats.clear();
        for (const auto& [s, ch] : v.seats)
            if (fresh(ch) != 0) n.seats[s] = fresh(ch);
        newVehicles[n.handle] = n;
    }
    std::map<EntityHandle, Train> newTrains;
    for (auto& [h, t] : trains) {
        Train n = t;
        n.handle = fresh(h);
        for (EntityHandle& carriage : n.carriages) carriage = fresh(carriage);
        n.order = Train::Order::None;
        newTrains[n.handle] = n;
    }
    characters = std::move(newCharacters);
    vehicles = std::move(newVehicles);
    trains = std::move(newTrains);
    player = fresh(player);
    playerUnknownFrames = 0;
    cameraShake = CameraShake{};
    radioEnabled = false;
    if (Character* p = character(player)) {
        if (p->vehicle != 0) {
            if (Vehicle* v = vehicle(p->vehicle)) v->seats.erase(p->seat);
            p->vehicle = 0;
        }
        p->dead = false;
        p->position = playerAt;
    }
    note("a save is loaded: the world is built again under new handles (the player is " + describe(player) +
         noteFormat(", at (%.1f, %.1f, %.1f))", playerAt.x, playerAt.y, playerAt.z));
    return renamed;
}

}  // namespace sim
