#include "sim/world/game_map.h"

#include <cmath>

#include "sim/world/world.h"

namespace sim {

// The game's trains.xml numbers its variations from 0; those the game's story scripts use are 0 (a
// freight train), 15 (a long one) and 18 (a lone locomotive), and the metro's double train moved
// from 24 to 25 to 26 between updates (the data's README, from the decompiled scripts and the dump).
// The wagons here are the stand-in's choice; freightcar2 rides only in newer games.
std::vector<TrainVariation> defaultTrainVariations(bool newerGame) {
    const std::string car2 = newerGame ? "freightcar2" : "freightcar";
    return {
        {0, {"freight", "freightcar", "freightcont1", "freightgrain", "tankercar", "freightcont2"}},
        {1, {"freight", "freighttrailer", "freightcar", "freightcar"}},
        {15, {"freight", "freight", "freightcont1", "freightcont2", car2, "freightgrain", "tankercar", "freightcar",
              "freightcont1", "freightcont2", "tankercar", "freightgrain"}},
        {18, {"freight"}},
        {newerGame ? 26 : 25, {"metrotrain", "metrotrain"}},
    };
}

TrackSpot nearestTrackNode(const World& world, Vector3 point) { return nearestNodeOf(world, -1, point); }

TrackSpot nearestNodeOf(const World& world, int onlyTrack, Vector3 point) {
    TrackSpot best;
    double bestSquare = 0.0;
    for (size_t t = 0; t < world.tracks.size(); ++t) {
        if (onlyTrack >= 0 && static_cast<int>(t) != onlyTrack) continue;
        const Track& track = world.tracks[t];
        for (size_t i = 0; i < track.points.size(); ++i) {
            const double dx = track.points[i].x - point.x, dy = track.points[i].y - point.y,
                         dz = track.points[i].z - point.z;
            const double square = dx * dx + dy * dy + dz * dz;
            if (best.track < 0 || square < bestSquare) {
                best.track = static_cast<int>(t);
                best.node = i;
                best.distance = track.lengths[i];
                best.planarDistance = static_cast<float>(std::hypot(dx, dy));
                bestSquare = square;
            }
        }
    }
    return best;
}

}  // namespace sim

namespace sim {

// The game's tracks are open chains in its files; the main line's and the metro's last node lies
// on its first (the data's README), and those two are loops here.
void World::addGameTracks() {
    if (gameTrackIndex(kMainLine) >= 0) return;
    const std::vector<GameTrackNode>& nodes = gameTrackNodes();
    size_t i = 0;
    while (i < nodes.size()) {
        const int game = nodes[i].track;
        std::vector<Vector3> points;
        std::vector<size_t> stopNodes;
        for (; i < nodes.size() && nodes[i].track == game; ++i) {
            if (nodes[i].type == 1 || nodes[i].type == 5) stopNodes.push_back(points.size());
            points.push_back(Vector3{nodes[i].x, nodes[i].y, nodes[i].z});
        }
        const bool loop = points.size() > 2 && std::hypot(points.front().x - points.back().x,
                                                          points.front().y - points.back().y) < 1.0f;
        if (loop) points.pop_back();
        const int index = addTrack(std::move(points), loop);
        Track& track = tracks[static_cast<size_t>(index)];
        track.gameTrack = game;
        for (size_t n : stopNodes) track.stops.push_back(track.lengths[n]);
    }
}

int World::gameTrackIndex(int gameTrack) const {
    for (size_t i = 0; i < tracks.size(); ++i)
        if (tracks[i].gameTrack == gameTrack) return static_cast<int>(i);
    return -1;
}

}  // namespace sim
