#pragma once
// The game's map as the stand-in keeps it beside a scenario's own short tracks: the game's twelve
// real tracks (made at build time from data/train-tracks.csv), the train variations that
// CREATE_MISSION_TRAIN takes, and the search for the track node nearest a point.

#include <cstdint>
#include <string>
#include <vector>

#include "host/native_invoker.h"

namespace sim {

class World;

// One node of the game's track files: its track, its kind (1 and 5: a station stop) and position.
struct GameTrackNode {
    int track;
    int type;
    float x;
    float y;
    float z;
};
// Every node of the game's twelve tracks, track by track, each in its order.
const std::vector<GameTrackNode>& gameTrackNodes();
constexpr int kGameTrackCount = 12;
constexpr int kMainLine = 0;
constexpr int kMetroLine = 3;

// A variation of the game's trains.xml: its models, the locomotive first.
struct TrainVariation {
    int32_t number = 0;
    std::vector<std::string> models;
};
// The variations as the stand-in's game has them (the newer or the older game's numbering).
std::vector<TrainVariation> defaultTrainVariations(bool newerGame);

// A node of a world track: the track's index in World::tracks and the distance along it.
struct TrackSpot {
    int track = -1;
    size_t node = 0;
    float distance = 0.0f;
    float planarDistance = 0.0f;  // from the point asked about
};
// The node nearest the point on any track of the world, however far; track -1 when there is none.
TrackSpot nearestTrackNode(const World& world, Vector3 point);
// The same on one track of the world (its index in World::tracks) only.
TrackSpot nearestNodeOf(const World& world, int track, Vector3 point);

}  // namespace sim
