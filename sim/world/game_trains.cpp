// The game's own trains on the real map, as its story mode runs them: a freight train started on the
// main line at most every two minutes, running on at its line's speed without stopping, and the metro
// stopping at its stations. Missions switch them off (World::setMissionFlag).

#include <algorithm>
#include <cmath>

#include "sim/world/note_format.h"
#include "sim/world/world.h"

namespace sim {

namespace {

// The lines' speeds, m/s, from the game's track list (train-tracks-meta.csv in the data's folder):
// 15 for the main line, 8 for the metro.
constexpr float kFreightSpeed = 15.0f;
constexpr float kMetroSpeed = 8.0f;
// How long the metro stands at a station, and how hard it brakes for one: not public, the stand-in's.
constexpr float kMetroDwellSeconds = 10.0f;
constexpr float kMetroBraking = 1.0f;
// A new freight train starts this far along the line from the player, out of sight.
constexpr float kFreightSpawnGap = 800.0f;
// The game's population clean-up takes a random freight train beyond this distance from the player.
constexpr float kPopulationRadius = 2000.0f;

float planar(Vector3 a, Vector3 b) { return std::hypot(a.x - b.x, a.y - b.y); }

// The gap along a train's way to the stop ahead, wrapping on a loop; negative when behind it.
float gapTo(const Track& track, const Train& t, float stop) {
    float gap = (stop - t.distance) * static_cast<float>(t.direction);
    if (track.loop && gap < 0.0f) gap += track.length();
    return gap;
}

}  // namespace

void World::runGameTrains(float dt) {
    if (missionFlag) return;
    const Character* p = character(player);
    const Vector3 playerAt = p != nullptr ? p->position : Vector3{};
    const int main = gameTrackIndex(kMainLine);
    const int metro = gameTrackIndex(kMetroLine);

    if (!gameTrains.metroRunning && metro >= 0) {
        gameTrains.metroRunning = true;
        const float length = tracks[static_cast<size_t>(metro)].length();
        for (int i = 0; i < 2; ++i) {
            const EntityHandle h = addTrain("metrotrain", 2, metro, length * static_cast<float>(i) / 2.0f, 0.0f, true,
                                            "metro" + std::to_string(i + 1), {"metrotrain", "metrotrain"});
            setTrainGoing(h, 0.0f, kMetroSpeed);
            trains[h].stopsAtStations = true;
        }
    }

    gameTrains.sinceFreight += dt;
    // The game starts its trains among the population around the player: none for a player far
    // from the line.
    if (main >= 0 && gameTrains.sinceFreight >= gameTrains.freightEvery &&
        nearestNodeOf(*this, main, playerAt).planarDistance + kFreightSpawnGap < kPopulationRadius) {
        gameTrains.sinceFreight = 0.0f;
        const TrainVariation* v = variation(0);
        const TrackSpot near = nearestNodeOf(*this, main, playerAt);
        const Track& line = tracks[static_cast<size_t>(main)];
        float at = near.distance;
        // By turns coming along the node order and against it.
        const int direction = gameTrains.freightMade % 2 == 0 ? 1 : -1;
        at -= static_cast<float>(direction) * kFreightSpawnGap;
        at = std::fmod(at, line.length());
        if (at < 0.0f) at += line.length();
        const std::vector<std::string> cars = v != nullptr ? v->models : std::vector<std::string>{"freight"};
        const EntityHandle h = addTrain(cars[0], static_cast<int>(cars.size()), main, at, 0.0f, true,
                                        "freight" + std::to_string(++gameTrains.freightMade), cars);
        Train& t = trains[h];
        t.direction = direction;
        setTrainGoing(h, kFreightSpeed, kFreightSpeed);
        placeCarriages(t);
        note("the game starts the freight train " + describe(h) + " on the main line" +
             noteFormat(" at (%.0f, %.0f)", static_cast<double>(vehicles[h].position.x), static_cast<double>(vehicles[h].position.y)));
    }

    std::vector<EntityHandle> cleanedUp;
    for (auto& [h, t] : trains) {
        const Track& track = tracks[static_cast<size_t>(t.track)];
        const bool playerAboard = p != nullptr && p->vehicle != 0 &&
                                  std::find(t.carriages.begin(), t.carriages.end(), p->vehicle) != t.carriages.end();
        if (!t.mission && !t.stopsAtStations && !playerAboard && track.gameTrack >= 0 &&
            planar(vehicles[h].position, playerAt) > kPopulationRadius) {
            cleanedUp.push_back(h);
            continue;
        }
        if (!t.stopsAtStations || t.scriptDriven || track.stops.empty()) continue;
        if (t.dwell > 0.0f) {
            t.dwell -= dt;
            if (t.dwell <= 0.0f) setTrainGoing(h, 0.0f, kMetroSpeed);
            continue;
        }
        float gap = track.length() + 1.0f;
        float stop = -1.0f;
        for (float s : track.stops) {
            const float g = gapTo(track, t, s);
            if (g >= 0.0f && g < gap && s != t.lastStop) {
                gap = g;
                stop = s;
            }
        }
        if (stop < 0.0f) continue;
        t.cruise = std::min(kMetroSpeed, std::sqrt(2.0f * kMetroBraking * gap));
        if (gap < 0.5f && std::fabs(t.speed) < 1.5f) {
            t.distance = stop;
            t.speed = 0.0f;
            t.cruise = 0.0f;
            t.dwell = kMetroDwellSeconds;
            t.lastStop = stop;
        }
    }
    for (EntityHandle h : cleanedUp) removeTrain(h);
}

}  // namespace sim
