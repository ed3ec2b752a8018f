#include "train/called_train.h"

#include <cmath>
#include <cstddef>
#include <iterator>

#include "config/settings.h"
#include "host/natives.h"
#include "train/main_line_walk.h"
#include "util/frame_time.h"
#include "util/name_hash.h"
#include "util/speed_curves.h"
#include "util/text.h"

namespace {

// The models of the game's freight trains, all of which a variation may use: every one must be loaded
// before the train is made, or the game may crash. freightcar2 exists only in newer game builds. Last
// the driver's: the game makes a script's train without one, and the engineer's commands need one.
constexpr ModelHash kFreightModels[] = {
    nameHash("freight"),      nameHash("freightcar"),   nameHash("freightcar2"),    nameHash("freightgrain"),
    nameHash("freightcont1"), nameHash("freightcont2"), nameHash("freighttrailer"), nameHash("tankercar"),
    nameHash("s_m_m_lsmetro_01"),
};
constexpr int32_t kModelCount = static_cast<int32_t>(std::size(kFreightModels));
constexpr ModelHash kLocomotive = nameHash("freight");
constexpr ModelHash kDriver = nameHash("s_m_m_lsmetro_01");
constexpr int32_t kNewerOnly = 2;
// The game's own scripts make a freight train with variation 0.
constexpr int32_t kFreightVariation = 0;

constexpr float kModelWait = 5.0f;
constexpr float kWordsSeconds = 3.0f;
constexpr int32_t kCheckPasses = 8;
// Far enough along the line that the player does not see the train appear.
constexpr float kFirstDistance = 200.0f;
constexpr float kFurtherDistance = 100.0f;
constexpr int32_t kAttempts = 6;
// A train the game put on another track stands off the main line, or across it where a branch leaves.
constexpr float kOnLine = 3.0f;
constexpr float kAcrossLine = 0.5f;
constexpr float kStrayed = 6.0f;
constexpr float kApproachTop = 20.0f;
constexpr float kStopMargin = 1.0f;
constexpr float kStoppedWithin = 10.0f;
constexpr float kNeverNear = 1.0e9f;

// Made, checked and set on its way, or deleted: true when the train is on its way.
bool makeTrain(ScriptState& state) {
    const LineNodes line = mainLineNodes();
    const int32_t side = state.callAttempt % 2 == 0 ? 1 : -1;
    const float distance = kFirstDistance + kFurtherDistance * static_cast<float>(state.callAttempt / 2);
    const int32_t start = nodeAlong(line, state.callNode, distance, side);
    ++state.callAttempt;
    if (start < 0) {
        return false;
    }
    const TrackNode& at = line[static_cast<size_t>(start)];
    EntityHandle train = CreateMissionTrain(kFreightVariation, at.x, at.y, at.z, side < 0);
    if (train == 0) {
        return false;
    }
    if (GetEntityModel(train) != kLocomotive) {
        DeleteMissionTrain(&train);
        state.callAttempt = kAttempts;  // a variation of other trains: this game's numbers differ
        return false;
    }
    // The game puts it at the node nearest the point on any track: on a branch it is off the main line
    // or, where the branch leaves, across it.
    const Vector3 t = GetEntityPosition(train);
    const float fx = GetEntityForwardX(train);
    const float fy = GetEntityForwardY(train);
    const int32_t node = nearestNodeAround(line, t.x, t.y, start, 8);
    float dx = 0.0f;
    float dy = 0.0f;
    state.callStep = -side;
    lineDirection(line, node, state.callStep, dx, dy);
    const float along = fx * dx + fy * dy;
    const float across = std::fabs(fx * dy - fy * dx);
    if (!(distanceFromLine(line, node, t.x, t.y) <= kOnLine) || !(across <= kAcrossLine)) {
        DeleteMissionTrain(&train);
        return false;
    }
    state.calledTrain = train;
    state.calledTrainNode = node;
    // Which way the game turned it is not known before: it runs forwards or backwards to the caller.
    state.callHeading = along >= 0.0f ? 1.0f : -1.0f;
    state.callSpeed = 0.0f;
    state.callClosest = kNeverNear;
    state.callCheckCounter = kCheckPasses;
    return true;
}

}  // namespace

void releaseFreightModels(int32_t& models) {
    for (int32_t i = 0; i < kModelCount; ++i) {
        if ((models & (1 << i)) != 0) {
            ReleaseModel(kFreightModels[i]);
        }
    }
    models = 0;
}

void requestFreightModels(ScriptState& state) {
    state.callModels = 0;
    state.callModelsLoaded = 0;
    for (int32_t i = 0; i < kModelCount; ++i) {
        if (i == kNewerOnly && !IsModelValid(kFreightModels[i])) {
            continue;
        }
        RequestModel(kFreightModels[i]);
        state.callModels |= 1 << i;
    }
    state.callWaitTime = 0.0f;
    state.callAttempt = 0;
    state.callStage = CallLoading;
}

void removeCallBlip(ScriptState& state) {
    if (state.calledTrainBlip != 0) {
        RemoveBlip(&state.calledTrainBlip);
        state.calledTrainBlip = 0;
    }
    state.callRoute = false;
    state.callRouteAsked = false;
}

void releaseCallDriver(EntityHandle& driver) {
    if (driver != 0 && EntityExists(driver)) {
        ReleaseCharacter(&driver);
    }
    driver = 0;
}

void endCall(ScriptState& state) {
    releaseCallDriver(state.calledTrainDriver);
    removeCallBlip(state);
    releaseFreightModels(state.callModels);
    state.callModelsLoaded = 0;
    state.calledTrain = 0;
    state.callStage = NoCall;
    state.callSpeed = 0.0f;
}

void sayCallWords(ScriptState& state, CallWords words) {
    state.callWords = words;
    state.callWordsTime = kWordsSeconds;
}

void loadAndMakeCalledTrain(ScriptState& state, bool onFootPass) {
    for (int32_t i = 0; i < kModelCount; ++i) {
        const int32_t bit = 1 << i;
        if ((state.callModels & bit) != 0 && (state.callModelsLoaded & bit) == 0 && IsModelLoaded(kFreightModels[i])) {
            state.callModelsLoaded |= bit;
        }
    }
    if (state.callModelsLoaded != state.callModels) {
        state.callWaitTime += FrameSeconds();
        if (state.callWaitTime > kModelWait) {
            endCall(state);
            sayCallWords(state, WordsNoTrain);
        } else if (onFootPass) {
            DrawOpaqueText(0.51f, 0.3f, "Calling a freight train ...");
        }
        return;
    }
    // A mission may have begun while the models loaded; it deletes every train anyway.
    if (IsMissionRunning()) {
        endCall(state);
        sayCallWords(state, WordsMission);
        return;
    }
    if (!makeTrain(state)) {
        if (state.callAttempt >= kAttempts) {
            endCall(state);
            sayCallWords(state, WordsNoTrain);
        }
        return;
    }
    state.calledTrainDriver = CreateCharacterInVehicle(state.calledTrain, kDriver);
    releaseFreightModels(state.callModels);
    state.calledTrainBlip = AddBlipForEntity(state.calledTrain);
    if (state.calledTrainBlip != 0) {
        SetBlipSprite(state.calledTrainBlip, kTrainSprite);
    }
    state.callStage = CallComing;
    sayCallWords(state, WordsComing);
}

// The soft curves of the engineer's follow drive, braking in time to stop beside the caller's node.
void driveCalledTrain(ScriptState& state) {
    const LineNodes line = mainLineNodes();
    const Vector3 t = GetEntityPosition(state.calledTrain);
    const int32_t node = nearestNodeAround(line, t.x, t.y, state.calledTrainNode, 8);
    if (!(distanceFromLine(line, node, t.x, t.y) <= kStrayed)) {
        // It took a branch after all (the game put it on one where it leaves the main line, facing
        // along it): it can never reach the caller. Another try, further along, while tries are left.
        releaseCallDriver(state.calledTrainDriver);
        DeleteMissionTrain(&state.calledTrain);
        removeCallBlip(state);
        const int32_t attempt = state.callAttempt;
        state.calledTrain = 0;
        if (attempt >= kAttempts) {
            endCall(state);
            sayCallWords(state, WordsNoTrain);
            return;
        }
        requestFreightModels(state);
        state.callAttempt = attempt;
        return;
    }
    state.calledTrainNode = node;
    const float remaining = metresTo(line, node, t.x, t.y, state.callNode, state.callStep);
    float& v = state.callSpeed;
    if (remaining > BrakingDistance(v, gSettings.followTopSpeed, gSettings.followBraking) + kStopMargin) {
        v += AccelerationStep(v, kApproachTop, gSettings.followAcceleration);
    } else {
        v -= BrakingStep(v, gSettings.followTopSpeed, gSettings.followBraking);
        if (!(v > 0.0f)) {
            v = 0.0f;
        }
    }
    if (!std::isfinite(v)) {
        v = 0.0f;
    }
    if (v == 0.0f && remaining < kStoppedWithin) {
        state.callStage = CallWaiting;
    }
    SetTrainCurrentSpeed(state.calledTrain, state.callHeading * v);
    SetTrainTargetSpeed(state.calledTrain, state.callHeading * v);
}
