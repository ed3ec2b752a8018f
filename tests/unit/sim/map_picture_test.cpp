// The map of a run: the view fits the world, tracks, paths, loose wagons and explosions are where
// the world has them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "sim/pictures/map_picture.h"

namespace {

bool near(sim::Colour c, int r, int g, int b, int tolerance = 12) {
    return std::abs(c.red - r) <= tolerance && std::abs(c.green - g) <= tolerance && std::abs(c.blue - b) <= tolerance;
}

sim::Colour at(const sim::Picture& p, sim::Vec2 pixel) {
    return p.at(static_cast<int>(pixel.x), static_cast<int>(pixel.y));
}

// Lines are antialiased: some pixel within two of the point has the colour.
bool drawnNear(const sim::Picture& p, sim::Vec2 pixel, int r, int g, int b, int tolerance = 30) {
    for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx)
            if (near(p.at(static_cast<int>(pixel.x) + dx, static_cast<int>(pixel.y) + dy), r, g, b, tolerance))
                return true;
    return false;
}

TEST(MapPicture, FitsTheWorldAndDrawsTracksPathsWagonsAndExplosionsWhereTheyAre) {
    sim::World w;
    w.addTrack({{0, 0, 0}, {0, 800, 0}, {600, 800, 0}});
    const int second = w.addTrack({{400, 0, 0}, {400, 600, 0}});
    const EntityHandle train = w.addTrain("freight", 2, second, 100.0f, 0.0f, true);
    w.train(train)->speed = 20.0f;
    w.moveEntity(w.player, {200, 100, 0});
    sim::MapRecorder map;
    for (int f = 1; f <= 600; ++f) {
        w.advance(1.0f / 60.0f, f);
        map.afterFrame(w);
    }
    const EntityHandle wagon = w.spawnVehicle(sim::hashName("freightcar"), {300, 300, 0});
    map.afterFrame(w);
    w.explosions.push_back(sim::Explosion{600, {100, 600, 0}, 7, 1.0f, 0.5f});

    const sim::Picture p = map.draw(w, "test", 800);
    // 600 by 800 metres and a margin: taller than wide, the long side as asked.
    EXPECT_EQ(p.height(), 800);
    EXPECT_NEAR(p.width() - sim::kMapLegendWidth, 600, 20);
    const sim::Vec2 corner = map.pixelOf(w, {0, 800}, 800);
    const sim::Vec2 origin = map.pixelOf(w, {0, 0}, 800);
    EXPECT_GT(origin.y, corner.y);  // north is up
    EXPECT_GT(corner.x, 10.0f);
    EXPECT_LT(origin.y, 790.0f);

    EXPECT_TRUE(near(at(p, map.pixelOf(w, {0, 400}, 800)), 89, 89, 89)) << "track";
    EXPECT_TRUE(near(at(p, map.pixelOf(w, {300, 800}, 800)), 89, 89, 89)) << "track after the bend";
    EXPECT_TRUE(near(at(p, map.pixelOf(w, {200, 400}, 800)), 237, 235, 224, 20)) << "open ground";
    // The train went from 100 to 300 m along its track: its path lies on the track, its colour on top.
    EXPECT_TRUE(drawnNear(p, map.pixelOf(w, {400, 200}, 800), 26, 140, 64));
    EXPECT_TRUE(near(at(p, map.pixelOf(w, {400, 500}, 800)), 89, 89, 89)) << "track the train never reached";
    EXPECT_TRUE(near(at(p, map.pixelOf(w, {300, 300}, 800)), 242, 140, 0, 30)) << "loose wagon";
    EXPECT_TRUE(near(at(p, map.pixelOf(w, {100, 600}, 800)), 230, 31, 26, 40)) << "explosion";
    EXPECT_TRUE(near(at(p, map.pixelOf(w, {200, 100}, 800)), 31, 102, 230, 30)) << "player";
    EXPECT_TRUE(w.exists(wagon));
}

TEST(MapPicture, AnEmptyOrBrokenWorldStillMakesAPicture) {
    sim::World w;
    sim::MapRecorder map;
    map.afterFrame(w);
    EXPECT_GT(map.draw(w).width(), 100);
    w.moveEntity(w.player, {std::nanf(""), INFINITY, 0});
    map.afterFrame(w);
    const sim::Picture p = map.draw(w);
    EXPECT_GT(p.width(), 100);
    EXPECT_GT(p.height(), 100);
}

}  // namespace
