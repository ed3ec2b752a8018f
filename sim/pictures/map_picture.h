#pragma once
// A top-down picture of a scenario's world: the tracks and barriers, the trains' and the player's
// paths over the run with where they ended, the wagons the script set loose, and explosions. The
// view fits everything with a margin; north (+y) is up. A legend beside the map names what is
// shown, a bar gives the scale.

#include <map>
#include <string>
#include <vector>

#include "sim/pictures/picture.h"
#include "sim/world/world.h"

namespace sim {

constexpr int kMapLegendWidth = 260;  // pixels right of the map

class MapRecorder {
public:
    // Call after every frame: remembers where the trains, the player and loose wagons went.
    void afterFrame(const World& world);

    // The picture of `world` as it is now, with the paths recorded so far; the map's longer side is
    // `longSide` pixels, and the legend's panel is beside it.
    Picture draw(const World& world, const std::string& title = "", int longSide = 1000) const;

    // Where a world point lands in the picture draw() makes for the same world and size.
    Vec2 pixelOf(const World& world, Vec2 point, int longSide = 1000) const;

private:
    struct View {
        int width = 1;
        int height = 1;
        double scale = 1.0;  // pixels per metre
        double centreX = 0.0;
        double centreY = 0.0;
        Vec2 at(Vec2 p) const;
    };
    View fit(const World& world, int longSide) const;

    std::map<EntityHandle, std::vector<Vec2>> trainPaths_;  // by lead carriage
    std::map<EntityHandle, std::vector<Vec2>> loosePaths_;  // vehicles the script spawned
    std::vector<Vec2> playerPath_;
};

}  // namespace sim
