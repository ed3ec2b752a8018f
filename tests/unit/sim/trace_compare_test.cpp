// The comparer of the end-to-end check decides whether the plug-in behaved the same on Windows as
// on Linux; a comparer that lets real differences through would make that check worthless.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "e2e/trace_compare.h"

namespace {

using trace_compare::compareTraceTexts;

const char* const kSpeedLine =
    R"({"frame":12,"op":"SetTrainCurrentSpeed","hash":"0xAA0BC91BE0B796E3","args":[257,10.0]})";

TEST(TraceCompare, IdenticalTracesAgreeLineByLine) {
    const std::string trace = std::string(kSpeedLine) + "\n" +
                              R"({"frame":13,"op":"GetPlayerCharacter","hash":"0xD80958FC74E988A6","args":[]})" + "\n";
    const auto result = compareTraceTexts(trace, trace);
    EXPECT_TRUE(result.same) << result.message;
    EXPECT_EQ(result.lines, 2u);
}

TEST(TraceCompare, FloatsAgreeWithinTheRelativeTolerance) {
    const auto close = compareTraceTexts(
        R"({"op":"SetTrainCurrentSpeed","args":[257,12.345678]})",
        R"({"op":"SetTrainCurrentSpeed","args":[257,12.345679]})");
    EXPECT_TRUE(close.same) << close.message;

    const auto far = compareTraceTexts(
        R"({"op":"SetTrainCurrentSpeed","args":[257,12.3456]})",
        R"({"op":"SetTrainCurrentSpeed","args":[257,12.3467]})");
    EXPECT_FALSE(far.same);
    EXPECT_NE(far.message.find("args[1]"), std::string::npos) << far.message;

    // Near zero only the absolute floor applies: a residue passes, a real value does not.
    EXPECT_TRUE(compareTraceTexts(R"({"args":[0.0]})", R"({"args":[3e-8]})").same);
    EXPECT_FALSE(compareTraceTexts(R"({"args":[0.0]})", R"({"args":[0.001]})").same);
}

TEST(TraceCompare, IntegersTextsAndHashesMustMatchExactly) {
    EXPECT_FALSE(compareTraceTexts(R"({"op":"GetTrainWagon","args":[257,1]})",
                                   R"({"op":"GetTrainWagon","args":[258,1]})").same);
    EXPECT_FALSE(compareTraceTexts(R"({"op":"AddTextString","args":["92 km/h"]})",
                                   R"({"op":"AddTextString","args":["93 km/h"]})").same);
    EXPECT_FALSE(compareTraceTexts(R"({"op":"SetHighBeam","hash":"0x8B7FD87F0DDB421E","args":[257,1]})",
                                   R"({"op":"SetHighBeam","hash":"0x8B7FD87F0DDB421F","args":[257,1]})").same);
    EXPECT_FALSE(compareTraceTexts(R"({"op":"SetHighBeam","args":[257,1]})",
                                   R"({"op":"SoundHorn","args":[257,1]})").same);
    // A pointer where a number was pushed is a different call shape.
    EXPECT_FALSE(compareTraceTexts(R"({"args":["ptr"]})", R"({"args":[0]})").same);
    // A float that happens to be whole is written without a fraction; it still compares as a number.
    EXPECT_TRUE(compareTraceTexts(R"({"args":[10]})", R"({"args":[10.00000001]})").same);
    // Large unsigned values (hashes pushed as integers) compare by value.
    EXPECT_TRUE(compareTraceTexts(R"({"args":[4294967295]})", R"({"args":[4294967295]})").same);
    EXPECT_FALSE(compareTraceTexts(R"({"args":[18446744073709551615]})", R"({"args":[-1]})").same);
}

TEST(TraceCompare, ExplosionPositionIsExemptButItsOtherArgumentsAreNot) {
    const char* const expected = R"({"op":"CreateExplosion","args":[10.5,20.25,3.0,37,0.6,1,0,0.5]})";
    EXPECT_TRUE(compareTraceTexts(expected, R"({"op":"CreateExplosion","args":[14.5,15.0,3.5,37,0.6,1,0,0.5]})").same);
    EXPECT_FALSE(compareTraceTexts(expected, R"({"op":"CreateExplosion","args":[10.5,20.25,3.0,37,0.9,1,0,0.5]})").same);
    EXPECT_FALSE(compareTraceTexts(expected, R"({"op":"CreateExplosion","args":[10.5,20.25,3.0,37,0.6,1,0]})").same);
    // The exemption belongs to the explosion alone.
    EXPECT_FALSE(compareTraceTexts(R"({"op":"SetEntityPosition","args":[257,1.0,2.0,3.0,0,0,0,0]})",
                                   R"({"op":"SetEntityPosition","args":[257,9.0,2.0,3.0,0,0,0,0]})").same);
}

TEST(TraceCompare, ExtraMissingOrBrokenLinesAreReportedWithTheirNumber) {
    const std::string one = std::string(kSpeedLine) + "\n";
    const std::string two = one + kSpeedLine + "\n";

    const auto shorter = compareTraceTexts(two, one);
    EXPECT_FALSE(shorter.same);
    EXPECT_EQ(shorter.lines, 1u);
    EXPECT_NE(shorter.message.find("line 2"), std::string::npos) << shorter.message;

    EXPECT_FALSE(compareTraceTexts(one, two).same);

    const auto broken = compareTraceTexts(one, R"({"frame":12,"op":)");
    EXPECT_FALSE(broken.same);
    EXPECT_NE(broken.message.find("not JSON"), std::string::npos) << broken.message;

    EXPECT_FALSE(compareTraceTexts(R"({"frame":1,"args":[]})", R"({"frame":1,"args":[],"result":0})").same);
}

TEST(TraceCompare, NonFiniteFloatsOnlyMatchThemselves) {
    // The trace cannot hold NaN as JSON, but a comparer fed values directly must not treat it as equal.
    const trace_compare::Options options;
    const nlohmann::json nan = std::nan("");
    const nlohmann::json inf = std::numeric_limits<double>::infinity();
    EXPECT_TRUE(trace_compare::numbersAgree(nan, nan, options));
    EXPECT_FALSE(trace_compare::numbersAgree(nan, nlohmann::json(1.0), options));
    EXPECT_TRUE(trace_compare::numbersAgree(inf, inf, options));
    EXPECT_FALSE(trace_compare::numbersAgree(inf, nlohmann::json(1e300), options));
}

}  // namespace
