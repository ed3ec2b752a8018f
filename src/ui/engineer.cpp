#include "ui/engineer.h"

#include <cmath>

#include "config/settings.h"
#include "host/natives.h"
#include "ui/displays.h"
#include "util/frame_time.h"
#include "util/geometry.h"
#include "util/speed_curves.h"
#include "util/text.h"

namespace {

constexpr int32_t passesPerDecision = 20;
constexpr float giveUpDistance = 250.0f;
constexpr float closeEnough = 15.0f;
constexpr float startDistance = 25.0f;
constexpr float noStopInSight = 100000.0f;

int32_t menuAlpha(float menuTime) {
    const float a = menuTime * 255.0f;
    if (a >= 255.0f) {
        return 255;
    }
    return a > 0.0f ? static_cast<int32_t>(a) : 0;
}

// The menu line of the command in force stands out; the others are dimmed.
int32_t lineAlpha(bool inForce, int32_t alpha) {
    const float k = inForce ? 1.0f : 0.4f;
    return static_cast<int32_t>(k * static_cast<float>(alpha));
}

FollowState nextFollowState(FollowState current, bool behind, float stopping, float along, float speed) {
    bool startTest = true;
    if (current == Forward) {
        startTest = behind || stopping > along || along < closeEnough;
    } else if (current == Backward) {
        startTest = !behind || stopping > along || along < closeEnough;
    }
    if (!startTest) {
        return current;
    }
    // A train rolling the wrong way brakes to a standstill before it turns round.
    if (along > startDistance && along > stopping + closeEnough) {
        if (!behind && speed >= 0.0f) {
            return Forward;
        }
        if (behind && speed <= 0.0f) {
            return Backward;
        }
    }
    return Braking;
}

// Returns false when the drive has nothing more to do this pass.
bool reevaluate(ScriptState& state) {
    state.engineerPassCounter = 0;
    const EntityHandle player = GetPlayerCharacter();
    if (state.engineerCommand == KeepSpeed) {
        state.engineerTrain = 0;
        return false;
    }
    if (!EntityExists(state.engineerTrain)) {
        state.engineerTrain = 0;
        return false;
    }
    if (IsCharacterInAnyTrain(player)) {
        state.followState = Idle;
        return false;
    }
    const Vector3 p = GetEntityPosition(player);
    const Vector3 t = GetEntityPosition(state.engineerTrain);
    if (state.engineerCommand == Stop) {
        SetTrainTargetSpeed(state.engineerTrain, 0.0f);
        state.engineerTrain = 0;
        return false;
    }
    const float dx = p.x - t.x;
    const float dy = p.y - t.y;
    if (std::sqrt(dx * dx + dy * dy) > giveUpDistance) {
        state.engineerTrain = 0;
        return false;
    }
    const float fx = GetEntityForwardX(state.engineerTrain);
    const float fy = GetEntityForwardY(state.engineerTrain);
    const float braking = gSettings.followBraking;
    const float stopping = braking > 0.0f ? StoppingDistance(state.engineerSpeed, braking) : noStopInSight;
    // Distance to the line through the train square to its heading: how far along the track.
    const float along = DistanceToLine2D(p.x, p.y, t.x, t.y, t.x + fy, t.y - fx);
    const bool behind = AngleBetween2D(fx, fy, dx, dy) > 1.5707964f;
    state.followState = nextFollowState(state.followState, behind, stopping, along, state.engineerSpeed);
    return true;
}

void brakeTowardsStandstill(ScriptState& state) {
    float& v = state.engineerSpeed;
    if (v > 0.0f) {
        v -= BrakingStep(v, gSettings.followTopSpeed, gSettings.followBraking);
        if (v < 0.0f) {
            v = 0.0f;
        }
    } else if (v < 0.0f) {
        v += BrakingStep(v, gSettings.followTopSpeed, gSettings.followBraking);
        if (v > 0.0f) {
            v = 0.0f;
        }
    }
}

}  // namespace

void engineerCommandTap(ScriptState& state) {
    if (!gSettings.keyActionEngineerCommand || !(state.hornKeyTimer > 1.0f)) {
        return;
    }
    const EntityHandle driver = GetSeatOccupant(state.train, -1);
    if (driver == 0 || IsEntityDead(driver) || driver == GetPlayerCharacter()) {
        return;
    }
    state.engineerCommand = static_cast<EngineerCommand>((state.engineerCommand + 1) % 3);
    state.menuTime = 5.0f;
}

void drawEngineerMenu(ScriptState& state) {
    const int32_t a = menuAlpha(state.menuTime);
    const EngineerCommand command = state.engineerCommand;
    DrawCentredText(0.43f, 0.25f, a, "Choose an engineer command:");
    DrawCentredText(0.47f, 0.35f, lineAlpha(command == KeepSpeed, a), "KEEP SPEED: The engineer will keep the speed.");
    DrawCentredText(0.50f, 0.35f, lineAlpha(command == Stop, a), "STOP: The engineer will stop the train.");
    DrawCentredText(0.53f, 0.35f, lineAlpha(command == Follow, a), "FOLLOW: The engineer will follow you.");
    DrawCentredText(0.58f, 0.25f, a,
                    "Hint: The engineer executes the command after you leave the cab and jump off the train.");
    DrawCentredText(0.60f, 0.25f, a,
                    "Warning: Engineer commands are not available if the engineer is dead or not inside the train.");
    state.menuTime -= FrameSeconds();
}

void runEngineerDrive(ScriptState& state) {
    ++state.engineerPassCounter;
    if (state.engineerPassCounter > passesPerDecision && !reevaluate(state)) {
        return;
    }
    float& v = state.engineerSpeed;
    switch (state.followState) {
        case Forward:
            v += AccelerationStep(v, gSettings.followTopSpeed, gSettings.followAcceleration);
            break;
        case Backward:
            v -= AccelerationStep(v, gSettings.followTopSpeed, gSettings.followAcceleration);
            break;
        case Braking:
            brakeTowardsStandstill(state);
            break;
        default:
            return;
    }
    // A broken frame time must not reach the train as its speed.
    if (!std::isfinite(v)) {
        v = 0.0f;
    }
    SetTrainTargetSpeed(state.engineerTrain, v);
    if (gSettings.displayTrainDistance) {
        drawDistanceBar(GetPlayerCharacter(), state.engineerTrain);
    }
}
