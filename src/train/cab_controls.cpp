#include "train/cab_controls.h"

#include <cmath>

#include "config/settings.h"
#include "host/natives.h"
#include "train/cab_input.h"
#include "ui/engineer.h"
#include "util/frame_time.h"

namespace {

constexpr int32_t rightSeat = 0;

constexpr float seatChangeDelay = 3.0f;
// Set when the horn key goes down; the horn sounds once it has counted down past 1.0, i.e. after
// 0.2 s held. A release before that is a tap for the engineer.
constexpr float hornKeyStart = 1.2f;
constexpr float hornKeyTapLimit = 1.0f;

bool playerInRightSeat(EntityHandle train) {
    const EntityHandle occupant = GetSeatOccupant(train, rightSeat);
    return occupant == GetPlayerCharacter();
}

// Door travel per second: the tram's sliding doors are slower than the locomotive's.
float doorSpeed(TrainKind kind) { return kind == Freight ? 1.2f : 0.6f; }

// The door whose ratio stands for all the doors the script moves.
float readDoorRatio(const ScriptState& state) {
    return state.kind == Freight ? GetDoorOpenRatio(state.train, 1) : GetDoorOpenRatio(state.train, 0);
}

void setDoorRatios(const ScriptState& state, float ratio) {
    if (state.kind == Freight) {
        SetDoorOpenRatio(state.train, 1, ratio);
        return;
    }
    // A tram is two cars; their doors on the two sides are 0 and 2 on the first, 1 and 3 on the second.
    SetDoorOpenRatio(state.train, 0, ratio);
    SetDoorOpenRatio(state.train, 2, ratio);
    const EntityHandle wagon = GetTrainWagon(state.train, 1);
    SetDoorOpenRatio(wagon, 1, ratio);
    SetDoorOpenRatio(wagon, 3, ratio);
}

}  // namespace

void updateSeatChange(ScriptState& state) {
    if (state.seatChangeCooldown > 0.0f) {
        state.seatChangeCooldown -= FrameSeconds();
    }
    const bool released = actionJustReleased(state, CabAction::SeatLeft) || actionJustReleased(state, CabAction::SeatRight);
    if (released && gSettings.keyActionChangeSeat && state.kind == Freight && state.seatChangeCooldown <= 0.0f) {
        state.seatChangeCooldown = seatChangeDelay;
        OrderShuffleToNextSeat(GetPlayerCharacter(), state.train);
    }
}

void updateHighBeam(ScriptState& state) {
    // Only the right seat has the light switch.
    if (actionJustReleased(state, CabAction::HighBeam) && state.kind == Freight && playerInRightSeat(state.train)) {
        state.lightsOn = !state.lightsOn;
        SetHighBeam(state.train, state.lightsOn);
    }
}

void updateHornKey(ScriptState& state) {
    if (actionJustPressed(state, CabAction::Horn) && state.kind == Freight) {
        state.hornKeyTimer = hornKeyStart;
    }
    if (actionHeld(state, CabAction::Horn)) {
        if (state.hornKeyTimer > hornKeyTapLimit) {
            state.hornKeyTimer -= FrameSeconds();
        } else if (state.hornKeyTimer > 0.0f) {
            state.hornKeyTimer = 0.0f;
            if (playerInRightSeat(state.train)) {
                SoundHorn(state.train);
            }
        }
    }
    if (actionJustReleased(state, CabAction::Horn)) {
        engineerCommandTap(state);
        state.hornKeyTimer = 0.0f;
    }
}

void updateDoors(ScriptState& state) {
    if (actionJustPressed(state, CabAction::Doors) && gSettings.keyActionOpenCloseDoors) {
        // A door the game gives no usable ratio for is left alone.
        const float ratio = readDoorRatio(state);
        if (std::isfinite(ratio)) {
            state.doorRatio = ratio;
            state.doorDirection = ratio > 0.5f ? -1 : 1;
        } else {
            state.doorDirection = 0;
        }
    }
    if (state.doorDirection == 0) {
        return;
    }
    const float current = readDoorRatio(state);
    // Someone else (the game, another script) moved the door since the last pass: leave it to them.
    // Written so that a ratio that is not a number stops the motion as well.
    const double drift = static_cast<double>(state.doorRatio) - static_cast<double>(current);
    if (!(drift >= -0.001 && drift <= 0.001)) {
        state.doorDirection = 0;
        return;
    }
    const float next = current + FrameSeconds() * doorSpeed(state.kind) * static_cast<float>(state.doorDirection);
    if (!std::isfinite(next)) {
        state.doorDirection = 0;
        return;
    }
    setDoorRatios(state, next);
    if (next <= 0.0f || next >= 1.0f) {
        state.doorDirection = 0;
    }
    state.doorRatio = next;
}

void switchPortableRadio(bool on) {
    if (gSettings.keyActionRadio) {
        SetPortableRadioEnabled(on);
    }
}
