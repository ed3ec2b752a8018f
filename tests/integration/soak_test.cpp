// The soak and the hostile game: short runs that repeat exactly from their seed and get where the
// long ones are meant to go.
#include <gtest/gtest.h>

#include "sim/runners/hostile.h"
#include "sim/runners/soak.h"

namespace {

TEST(Soak, ShortRunsRepeatFromTheSeedAndStayClean) {
    sim::SoakOptions options;
    options.seconds = 120.0;
    options.seed = 4;
    const sim::SoakSummary first = sim::runSoak(options);
    const sim::SoakSummary again = sim::runSoak(options);
    for (const std::string& f : first.failures) ADD_FAILURE() << f;
    EXPECT_TRUE(first.passed());
    EXPECT_GT(first.entries, 0);
    EXPECT_EQ(first.frames, again.frames);
    EXPECT_EQ(first.entries, again.entries);
    EXPECT_EQ(first.derailments, again.derailments);
    EXPECT_EQ(first.explosions, again.explosions);
    EXPECT_EQ(first.wagonsDeleted, again.wagonsDeleted);
    EXPECT_EQ(first.maxWagons, again.maxWagons);

    options.seed = 5;
    const sim::SoakSummary other = sim::runSoak(options);
    EXPECT_TRUE(other.passed());
    EXPECT_NE(other.frames, first.frames) << "another seed plays another ride";
}

TEST(HostileGame, GarbageRepeatsFromTheSeedAndReachesTheCab) {
    sim::HostileOptions options;
    options.passes = 3000;
    options.seed = 3;
    const sim::HostileSummary first = sim::runHostile(options);
    const sim::HostileSummary again = sim::runHostile(options);
    for (const std::string& f : first.failures) ADD_FAILURE() << f;
    EXPECT_TRUE(first.passed());
    EXPECT_GT(first.passesByMode[2], 0) << "garbage must get past the train search";
    EXPECT_EQ(first.callsByNative, again.callsByNative);

    options.kind = sim::HostileKind::Zero;
    const sim::HostileSummary zero = sim::runHostile(options);
    EXPECT_TRUE(zero.passed());
    EXPECT_EQ(zero.passesByMode[0], options.passes) << "a game of zeros never shows a train";
}

}  // namespace
