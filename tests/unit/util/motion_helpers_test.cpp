// The speed curves and the geometry helpers, answered by a bare hook that gives the frame time.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "config/settings.h"
#include "host/natives.h"
#include "unit/support/recording_hook.h"
#include "util/geometry.h"
#include "util/speed_curves.h"

namespace {

constexpr uint64_t kFrameSeconds = nativeIdentity(Native::GetFrameSeconds).hash;
constexpr uint64_t kForwardX = nativeIdentity(Native::GetEntityForwardX).hash;
constexpr uint64_t kForwardY = nativeIdentity(Native::GetEntityForwardY).hash;
constexpr uint64_t kVelocity = nativeIdentity(Native::GetEntityVelocity).hash;
constexpr uint64_t kSpeed = nativeIdentity(Native::GetEntitySpeed).hash;
constexpr float kPi = 3.14159265f;
constexpr float kInf = std::numeric_limits<float>::infinity();
const float kNaN = std::numeric_limits<float>::quiet_NaN();

uint64_t slot(float value) {
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

class MotionHelpers : public ::testing::Test {
protected:
    recording_hook::Binding hook;
    void frameTime(float seconds) { recording_hook::state().results[kFrameSeconds] = {slot(seconds)}; }
    void entity(float fx, float fy, float vx, float vy, float speed) {
        auto& results = recording_hook::state().results;
        results[kForwardX] = {slot(fx)};
        results[kForwardY] = {slot(fy)};
        results[kVelocity] = {slot(vx), slot(vy), slot(0.0f)};
        results[kSpeed] = {slot(speed)};
    }
};

TEST_F(MotionHelpers, AccelerationFollowsItsCurveWhateverTheSign) {
    frameTime(0.02f);
    EXPECT_FLOAT_EQ(AccelerationStep(0.0f, 40.0f, 1.0f), 0.004f);
    EXPECT_FLOAT_EQ(AccelerationStep(0.25f, 40.0f, 1.0f), 0.012f);
    EXPECT_FLOAT_EQ(AccelerationStep(0.5f, 40.0f, 1.0f), 0.02f);
    EXPECT_FLOAT_EQ(AccelerationStep(20.25f, 40.0f, 1.0f), 0.0102f);
    EXPECT_FLOAT_EQ(AccelerationStep(40.0f, 40.0f, 1.0f), 0.0004f);
    EXPECT_NEAR(AccelerationStep(80.0f, 40.0f, 1.0f), 0.0f, 1e-9f);
    EXPECT_LT(AccelerationStep(100.0f, 40.0f, 1.0f), 0.0f);
    EXPECT_EQ(AccelerationStep(-10.0f, 15.0f, 2.4f), AccelerationStep(10.0f, 15.0f, 2.4f));
    // Just below and above the bends the curve does not jump.
    EXPECT_NEAR(AccelerationStep(0.4999f, 40.0f, 1.0f), AccelerationStep(0.5f, 40.0f, 1.0f), 1e-5f);
    EXPECT_NEAR(AccelerationStep(39.999f, 40.0f, 1.0f), AccelerationStep(40.0f, 40.0f, 1.0f), 1e-6f);
    EXPECT_EQ(recording_hook::state().calls.size(), 13u);  // one frame-time read per call
}

TEST_F(MotionHelpers, BrakingGrowsWithSpeedFromHalfTheRate) {
    frameTime(1.0f);
    EXPECT_FLOAT_EQ(BrakingStep(10.0f, 40.0f, 2.5f), 1.5625f);
    EXPECT_FLOAT_EQ(BrakingStep(-10.0f, 40.0f, 2.5f), 1.5625f);
    EXPECT_FLOAT_EQ(BrakingStep(0.0f, 40.0f, 2.5f), 1.25f);
    EXPECT_FLOAT_EQ(BrakingStep(40.0f, 40.0f, 2.5f), 2.5f);
    EXPECT_FLOAT_EQ(BrakingStep(80.0f, 40.0f, 2.5f), 3.75f);
    frameTime(0.0f);
    EXPECT_EQ(BrakingStep(10.0f, 40.0f, 2.5f), 0.0f);
    EXPECT_EQ(AccelerationStep(10.0f, 40.0f, 2.5f), 0.0f);
}

TEST_F(MotionHelpers, CurvesStayFiniteForUnusableSettingsAndFrameTimes) {
    frameTime(1.0f / 60.0f);
    // No top speed: that direction gives nothing, at standstill or beyond.
    for (float top : {0.0f, -5.0f, kNaN}) {
        for (float v : {0.0f, 0.3f, 0.5f, 12.0f, -12.0f}) {
            EXPECT_EQ(AccelerationStep(v, top, 1.0f), 0.0f) << top << " " << v;
        }
    }
    // No reference speed: the brakes still hold at half the rate.
    EXPECT_FLOAT_EQ(BrakingStep(10.0f, 0.0f, 3.0f), 1.5f / 60.0f);
    EXPECT_FLOAT_EQ(BrakingStep(10.0f, -40.0f, 3.0f), 1.5f / 60.0f);
    EXPECT_TRUE(std::isfinite(BrakingStep(3.0e38f, 1.0e-30f, 3.0e38f)));
    EXPECT_TRUE(std::isfinite(AccelerationStep(3.0e38f, 1.0e-30f, 3.0e38f)));
    frameTime(kNaN);
    EXPECT_EQ(AccelerationStep(1.0f, 40.0f, 1.0f), 0.0f);
    EXPECT_EQ(BrakingStep(1.0f, 40.0f, 1.0f), 0.0f);
    frameTime(kInf);
    EXPECT_EQ(BrakingStep(1.0f, 40.0f, 1.0f), 0.0f);
}

TEST_F(MotionHelpers, AnglesAreUnsignedAndNeverNaN) {
    EXPECT_FLOAT_EQ(AngleBetween2D(1, 0, 0, 1), kPi / 2.0f);
    EXPECT_FLOAT_EQ(AngleBetween2D(1, 0, 0, -1), kPi / 2.0f);
    EXPECT_FLOAT_EQ(AngleBetween2D(1, 0, -1, 0), kPi);
    EXPECT_EQ(AngleBetween2D(1, 0, 2, 0), 0.0f);
    EXPECT_EQ(AngleBetween2D(0, 0, 1, 0), 0.0f);
    EXPECT_EQ(AngleBetween2D(1, 0, 0, 0), 0.0f);
    // Parallel, unequal lengths: rounding may push the cosine past 1.
    for (float k : {3.0f, 7.1f, 1e-3f, 123.456f}) {
        EXPECT_FALSE(std::isnan(AngleBetween2D(0.6f, 0.8f, 0.6f * k, 0.8f * k)));
        EXPECT_NEAR(AngleBetween2D(0.6f, 0.8f, 0.6f * k, 0.8f * k), 0.0f, 1e-3f);
    }
    EXPECT_EQ(AngleBetween2D(kNaN, 0, 1, 0), 0.0f);
    EXPECT_EQ(AngleBetween2D(kInf, 0, kInf, 0), 0.0f);
}

TEST_F(MotionHelpers, SignedSpeedIsNegativeAgainstTheHeading) {
    entity(0.0f, 1.0f, 0.0f, -5.0f, 5.0f);
    EXPECT_EQ(SignedSpeed(300), -5.0f);
    entity(0.0f, 1.0f, 0.0f, 5.0f, 5.0f);
    EXPECT_EQ(SignedSpeed(300), 5.0f);
    entity(0.0f, 1.0f, 0.0f, 0.0f, 0.0f);
    EXPECT_EQ(SignedSpeed(300), 0.0f);
    // About 17 degrees off the heading is where backwards begins.
    entity(1.0f, 0.0f, std::cos(0.29f), std::sin(0.29f), 2.0f);
    EXPECT_EQ(SignedSpeed(300), 2.0f);
    entity(1.0f, 0.0f, std::cos(0.31f), std::sin(0.31f), 2.0f);
    EXPECT_EQ(SignedSpeed(300), -2.0f);
    const auto& calls = recording_hook::state().calls;
    ASSERT_GE(calls.size(), 4u);
    EXPECT_EQ(calls[0].hash, kForwardX);
    EXPECT_EQ(calls[1].hash, kForwardY);
    EXPECT_EQ(calls[2].hash, kVelocity);
    EXPECT_EQ(calls[2].slots, (std::vector<uint64_t>{300, 0}));
    EXPECT_EQ(calls[3].hash, kSpeed);
}

TEST_F(MotionHelpers, DistancesToLinesAndSegments) {
    EXPECT_FLOAT_EQ(DistanceToLine2D(0, 5, -1, 0, 1, 0), 5.0f);
    EXPECT_FLOAT_EQ(DistanceToLine2D(0, -5, -1, 0, 1, 0), 5.0f);
    EXPECT_FLOAT_EQ(DistanceToLine2D(100, 3, 0, 0, 1, 0), 3.0f);  // the line goes on past B
    EXPECT_EQ(DistanceToLine2D(2, 2, 0, 0, 1, 1), 0.0f);
    EXPECT_EQ(DistanceToLine2D(7, 9, 3, 3, 3, 3), 0.0f);
    EXPECT_FLOAT_EQ(DistanceToSegment2D(0, 5, -1, 0, 1, 0), 5.0f);
    EXPECT_FLOAT_EQ(DistanceToSegment2D(4, 4, -1, 0, 1, 0), 5.0f);    // beyond B
    EXPECT_FLOAT_EQ(DistanceToSegment2D(-4, -4, -1, 0, 1, 0), 5.0f);  // beyond A
    EXPECT_FLOAT_EQ(DistanceToSegment2D(6, 7, 3, 3, 3, 3), 5.0f);
    // Beside the middle of a freight train lying along y: the train's entry zone edge.
    EXPECT_FLOAT_EQ(DistanceToSegment2D(11.9f, 100.0f, 0.0f, 91.5f, 0.0f, 108.5f), 11.9f);
}

TEST_F(MotionHelpers, StoppingDistanceSimulatesTheBrakingCurve) {
    gSettings.followTopSpeed = 60.0f;
    frameTime(1.0f / 60.0f);
    const float d = StoppingDistance(10.0f, 4.0f);
    // The rate lies between 0.5 and (10 * 0.5 / 60 + 0.5) times the braking.
    EXPECT_GT(d, 100.0f / (2.0f * 4.0f * 0.5834f) - 0.2f);
    EXPECT_LT(d, 100.0f / (2.0f * 4.0f * 0.5f));
    EXPECT_EQ(StoppingDistance(-10.0f, 4.0f), d);
    EXPECT_EQ(StoppingDistance(0.0f, 4.0f), 0.0f);
    EXPECT_EQ(StoppingDistance(kNaN, 4.0f), 0.0f);
    EXPECT_EQ(StoppingDistance(10.0f, 0.0f), 100000.0f);
    EXPECT_EQ(StoppingDistance(10.0f, -1.0f), 100000.0f);
    recording_hook::state().calls.clear();
    frameTime(0.0f);  // paused game: the simulation is cut off
    EXPECT_EQ(StoppingDistance(10.0f, 4.0f), 100000.0f);
    EXPECT_EQ(recording_hook::state().calls.size(), 4000u);
    frameTime(kNaN);
    EXPECT_EQ(StoppingDistance(10.0f, 4.0f), 100000.0f);
    frameTime(3.0e38f);
    EXPECT_TRUE(std::isfinite(StoppingDistance(10.0f, 4.0f)));
}

// The braking simulation exactly as its formula reads, every step from the speed's magnitude and
// (v × 0.5) / reference; a reference that is not positive drops that term.
float stoppingDistanceAsWritten(float speed, float braking, float reference, float dt) {
    float v = std::fabs(speed);
    float d = 0.0f;
    int steps = 2000;
    if (!(v > 0.0f)) {
        return 0.0f;
    }
    do {
        if (steps <= 0) {
            return 100000.0f;
        }
        if (d >= 100000.0f) {
            return std::isfinite(d) ? d : 100000.0f;
        }
        const float term = reference > 0.0f ? (std::fabs(v) * 0.5f) / reference : 0.0f;
        v = v - (term + 0.5f) * braking * dt;
        d = d + v * dt;
        steps = steps - 1;
    } while (v > 0.0f);
    return steps <= 0 || !std::isfinite(d) ? 100000.0f : d;
}

// A hook that only tells the frame time, for sweeps too long to record.
float gSweepFrameTime = 0.0f;
uint64_t gSweepSlots[3] = {};
void sweepInit(uint64_t) {}
void sweepPush(uint64_t) {}
uint64_t* sweepCall() {
    gSweepSlots[0] = slot(gSweepFrameTime);
    return gSweepSlots;
}

TEST(StoppingDistanceSweep, GivesTheSameFloatsAsTheFormulaForEveryReference) {
    const HookFunctions saved = gHook;
    const Settings savedSettings = gSettings;
    gHook = HookFunctions{};
    gHook.nativeInit = sweepInit;
    gHook.nativePush64 = sweepPush;
    gHook.nativeCall = sweepCall;
    // Speeds from below the smallest normal float to the largest; references inside and outside
    // the range where the simulation halves the reference instead of the speed.
    const float speeds[] = {1e-45f, 3e-39f, 1e-30f, 0.3f, 1.0f, 7.77f, 10.0f, 33.3f, 59.99f, 60.0f, 61.0f, 150.0f, 1e6f, 3e38f};
    const float brakings[] = {0.1f, 1.5f, 4.0f, 9.81f, 1e3f};
    const float references[] = {60.0f, 1.0f, 0.999f, 1e-20f, 1e-40f, 1e30f, 2e30f, 3e38f, 0.0f, -5.0f, kNaN, kInf};
    const float frameTimes[] = {1.0f / 60.0f, 1.0f / 30.0f, 0.001f, 0.1f};
    int compared = 0;
    for (float reference : references) {
        gSettings.followTopSpeed = reference;
        for (float dt : frameTimes) {
            gSweepFrameTime = dt;
            for (float braking : brakings) {
                for (float speed : speeds) {
                    const float expected = stoppingDistanceAsWritten(speed, braking, reference, dt);
                    const float got = StoppingDistance(speed, braking);
                    EXPECT_EQ(slot(got), slot(expected))
                        << "speed " << speed << ", braking " << braking << ", reference " << reference << ", dt " << dt;
                    ++compared;
                }
            }
        }
    }
    EXPECT_EQ(compared, 12 * 4 * 5 * 14);
    gHook = saved;
    gSettings = savedSettings;
}

}  // namespace
