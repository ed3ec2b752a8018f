// A script's own trains: CREATE_MISSION_TRAIN and the two ways a script lets go of one, the mission
// flag, and the hook's list of every vehicle.

#include <algorithm>

#include "sim/world/note_format.h"
#include "sim/world/world.h"

namespace sim {

const TrainVariation* World::variation(int32_t number) const {
    for (const TrainVariation& v : variations)
        if (v.number == number) return &v;
    return nullptr;
}

// The game puts the train at the node nearest the point on any track, however far (the data's
// README, from the public native databases and the decompiled scripts), and answers 0 when it made
// none. Without a driver unless the scenario asks for one: the story scripts seat theirs
// (docs/sources.md).
EntityHandle World::createMissionTrain(int32_t number, Vector3 near, bool direction) {
    const TrainVariation* v = variation(number);
    if (v == nullptr || v->models.empty()) return 0;
    for (const std::string& model : v->models)
        if (!models.valid(hashName(model.c_str()))) return 0;
    const TrackSpot spot = nearestTrackNode(*this, near);
    if (spot.track < 0) return 0;
    // Named mission1, mission2, ... in the order made, for the scenarios' expectations.
    const EntityHandle h = addTrain(v->models[0], static_cast<int>(v->models.size()), spot.track, spot.distance, 0.0f,
                                    missionTrainDriver, "mission" + std::to_string(++gameTrains.missionMade), v->models);
    Train& t = trains[h];
    t.mission = true;
    t.cruise = 0.0f;
    t.direction = direction == directionAlongNodes ? 1 : -1;
    placeCarriages(t);
    const Vector3 at = vehicles[h].position;
    const int game = tracks[static_cast<size_t>(spot.track)].gameTrack;
    note("mission train " + describe(h) + " (variation " + std::to_string(number) + ", " +
         std::to_string(v->models.size()) + " carriages) made at node " + std::to_string(spot.node) + " of " +
         (game >= 0 ? "the game's track " + std::to_string(game) : "track " + std::to_string(spot.track)) +
         noteFormat(", (%.1f, %.1f, %.1f), ", at.x, at.y, at.z) +
         (t.direction > 0 ? "facing along the nodes" : "facing against the nodes"));
    return h;
}

void World::releaseMissionTrain(EntityHandle h) {
    Train* t = train(h);
    if (t == nullptr || !t->mission) return;
    t->mission = false;
    note("mission train " + describe(h) + " is the game's own again");
}

void World::deleteMissionTrain(EntityHandle h) {
    if (train(h) == nullptr) return;
    removeTrain(h);
}

EntityHandle World::createCharacterInVehicle(EntityHandle veh, ModelHash model, int32_t seatIndex) {
    const Vehicle* v = vehicle(veh);
    if (v == nullptr || !models.loaded(model) || v->seats.count(seatIndex) != 0 ||
        seatIndex < -1 || seatIndex > v->seatCount - 2)
        return 0;
    const EntityHandle ch = addCharacter(v->position, v->name.empty() ? "" : v->name + ".engineer");
    characters[ch].scriptHeld = true;
    seat(ch, veh, seatIndex);
    return ch;
}

void World::releaseCharacter(EntityHandle h) {
    Character* c = character(h);
    if (c == nullptr || !c->scriptHeld) return;
    c->scriptHeld = false;
    note(describe(h) + " is the game's own again");
}

void World::setMissionFlag(bool on) {
    if (on == missionFlag) return;
    missionFlag = on;
    note(std::string("the mission flag is ") + (on ? "on: the mission deletes every train" : "off"));
    if (!on) return;
    removeAllTrains();
    gameTrains.metroRunning = false;  // the metro starts again after the mission
}

std::vector<EntityHandle> World::allVehicles() const {
    std::vector<EntityHandle> out;
    out.reserve(vehicles.size());
    for (const auto& [h, v] : vehicles) out.push_back(h);
    return out;
}

}  // namespace sim
