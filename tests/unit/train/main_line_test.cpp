#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <string>

#include "train/main_line.h"

namespace {

// The main line the build made from the data file: every node of track 0 in the file, a loop of the
// game's length whose last node lies on its first.
TEST(MainLine, IsTheGamesTrackZeroWholeAndClosed) {
    std::ifstream csv(VORN_SOURCE_DIR "/data/train-tracks.csv");
    ASSERT_TRUE(csv) << "data/train-tracks.csv";
    std::string line;
    size_t inFile = 0;
    while (std::getline(csv, line))
        if (line.rfind("0,", 0) == 0) ++inFile;

    const auto nodes = mainLineNodes();
    ASSERT_EQ(nodes.size(), inFile);
    ASSERT_GT(nodes.size(), 1000u);
    double length = 0.0;
    double longest = 0.0;
    for (size_t i = 1; i < nodes.size(); ++i) {
        const double step = std::hypot(nodes[i].x - nodes[i - 1].x, nodes[i].y - nodes[i - 1].y, nodes[i].z - nodes[i - 1].z);
        length += step;
        longest = std::max(longest, step);
    }
    EXPECT_NEAR(length, 29700.0, 300.0);
    EXPECT_LT(longest, 100.0) << "a node out of order or a coordinate misread";
    EXPECT_LT(std::hypot(nodes.back().x - nodes.front().x, nodes.back().y - nodes.front().y), 1.0);
    EXPECT_NEAR(nodes[1686].x, 2611.04f, 0.01f);  // the line's one station node
    EXPECT_NEAR(nodes[1686].y, 1685.71f, 0.01f);
}

}  // namespace
