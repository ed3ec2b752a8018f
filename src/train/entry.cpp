#include "train/entry.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "config/reader.h"
#include "config/settings.h"
#include "config/writer.h"
#include "host/controls.h"
#include "host/natives.h"
#include "train/cab_controls.h"
#include "train/cab_input.h"
#include "train/derailment.h"
#include "train/train_call.h"
#include "util/count.h"
#include "util/frame_time.h"
#include "util/geometry.h"
#include "util/text.h"

namespace {

constexpr int32_t driverSeat = -1;
constexpr int32_t rightSeat = 0;
constexpr int32_t nearbyCapacity = 10;
// The game reports a player off the train for a pass now and then (a handle of 0 during a character
// switch): only this many passes in a row end the ride.
constexpr int32_t passesToLoseRide = 3;
// How far from the train's origin a player holding the enter control may get before the entry counts
// as ended by the game (a respawn, an arrest, a mission moving the player). The entrance zone reaches
// 20.5 m from the origin; during the hold a sprinting player and a train at the default top speed
// draw apart at under 50 m/s. The game's own moves are hundreds of metres.
constexpr float entryReach = 25.0f;
constexpr float entryReachGrowth = 50.0f;

// The point `ahead` metres in front of t and `right` metres to its right (negative: to its left).
Planar offsetFrom(const Vector3& t, float fx, float fy, float ahead, float right) {
    return Planar{t.x + ahead * fx + right * fy, t.y + ahead * fy - right * fx};
}

// A position read from the game that is not a number must not be sent back to it.
void placeCharacter(EntityHandle character, Planar at, float z) {
    if (std::isfinite(at.x) && std::isfinite(at.y) && std::isfinite(z)) {
        SetEntityPosition(character, at.x, at.y, z);
    }
}

TrainKind kindOfModel(ModelHash model) { return isModelOfKind(model, Freight) ? Freight : Tram; }

bool isListedTrainModel(ModelHash model) { return isModelOfKind(model, Freight) || isModelOfKind(model, Tram); }

EntityHandle findNearbyTrain(ScriptState& state, EntityHandle player) {
    uint64_t buffer[nearbyCapacity + 1] = {};
    buffer[0] = nearbyCapacity;
    // The count comes from the game; never read past the slots we own.
    const std::size_t count = std::min(countOrZero(ListNearbyVehicles(player, buffer)), std::size_t{nearbyCapacity});
    for (std::size_t i = 1; i <= count; ++i) {
        const auto vehicle = static_cast<EntityHandle>(static_cast<uint32_t>(buffer[i]));
        if (vehicle == 0) {
            continue;
        }
        state.trainModel = GetEntityModel(vehicle);
        // A listed model only counts when it heads a consist; a lone carriage cannot be driven.
        if (isListedTrainModel(state.trainModel) && GetTrainWagon(vehicle, 1) != 0) {
            return vehicle;
        }
    }
    return 0;
}

// How far outside the entry zone the player stands: 0 or less means close enough.
float entranceMargin(const ScriptState& state, const Vector3& p, const Vector3& t, float fx, float fy) {
    if (gSettings.entranceType == 0) {
        // Anywhere within 12 m of the train's axis, which runs h either side of its origin.
        const float h = isModelOfKind(state.trainModel, Freight) ? 8.5f : 5.5f;
        return DistanceToSegment2D(p.x, p.y, t.x - h * fx, t.y - h * fy, t.x + h * fx, t.y + h * fy) - 12.0f;
    }
    const Planar door = cabDoorPoint(kindOfModel(state.trainModel), t, fx, fy);
    const float ex = p.x - door.x;
    const float ey = p.y - door.y;
    const float ez = p.z - (t.z + 1.5f);
    const float distance = std::sqrt(ex * ex + ey * ey + ez * ez);
    return static_cast<float>(static_cast<double>(distance) - 0.7);
}

void drawHoldPrompt(const ScriptState& state) {
    drawHoldBar(gSettings.enterDelay > 0.0f ? state.enterHoldTime / gSettings.enterDelay : 0.0f,
                "Hold key to enter the train ...");
}

void enterCab(ScriptState& state) {
    state.mode = InCab;
    state.engineerTrain = 0;
    state.menuTime = 0.0f;
    state.kind = kindOfModel(state.trainModel);
    state.speed = SignedSpeed(state.train);
    // The speed is set on the train every pass from now on, so it has to be a number.
    if (!std::isfinite(state.speed)) {
        state.speed = 0.0f;
    }
    state.previousForwardX = GetEntityForwardX(state.train);
    state.previousForwardY = GetEntityForwardY(state.train);
    state.seatChangeCooldown = 0.0f;
    state.lightsOn = false;
    state.hornKeyTimer = 0.0f;
    state.derailmentRisk = 0.0f;
    state.derailmentRiskTime = 0.0f;
    state.derailed = false;
    state.doorDirection = 0;
    state.passesOffTrain = 0;
    state.playerIndex = GetPlayerIndex();
    state.handsTaken = false;
    state.phoneInUse = false;

    const int32_t seat = (state.kind == Freight && gSettings.seat == 1) ? rightSeat : driverSeat;
    const EntityHandle occupant = GetSeatOccupant(state.train, seat);
    if (occupant != 0) {
        const Vector3 t = GetEntityPosition(state.train);
        const float height = state.kind == Freight ? 0.9f : 1.5f;
        placeCharacter(occupant, cabDoorPoint(state.kind, t, state.previousForwardX, state.previousForwardY),
                       t.z + height);
    }
    PlaceCharacterInSeat(GetPlayerCharacter(), state.train, seat);
    SetTrainTargetSpeed(state.train, 0.0f);
    switchPortableRadio(true);
}

void orderOutIf(EntityHandle character, EntityHandle train, bool condition) {
    if (character != 0 && condition) {
        OrderLeaveVehicle(character, train);
    }
}

// Whether the game has ended the entry behind the plug-in's back: the train removed, the player
// killed, switched to another character, seated in some vehicle or moved away.
bool entryEndedByGame(const ScriptState& state) {
    const EntityHandle player = GetPlayerCharacter();
    if (player == 0 || player != state.enteringCharacter || !EntityExists(state.train) || IsEntityDead(player)) {
        return true;
    }
    // Seated, not merely getting in: a car entry the search cancelled may still be winding down.
    if (IsCharacterInAnyVehicle(player, false) && GetVehicleCharacterIsUsing(player) != state.train) {
        return true;
    }
    const Vector3 p = GetEntityPosition(player);
    const Vector3 t = GetEntityPosition(state.train);
    const float dx = p.x - t.x;
    const float dy = p.y - t.y;
    const float reach = entryReach + entryReachGrowth * state.enterHoldTime;
    // Written so that a distance that is not a number ends the entry too.
    return !(std::sqrt(dx * dx + dy * dy) <= reach);
}

// How a ride ends: by the exit control with the player aboard or (within the passes a ride survives)
// away from the train, or lost to the game.
enum class RideEnd { ExitAboard, ExitAway, Lost };

// Hands the train over and puts the player on foot. Only a player aboard is ordered out and placed:
// anyone else is where the game put them, and pulling them back would undo a respawn or a mission.
void endRide(ScriptState& state, RideEnd how, bool trainExists) {
    stopDerailmentShake(state);
    switchPortableRadio(false);
    state.mode = OnFoot;
    state.engineerTrain = 0;
    // The game took the player away: a train called for them has nobody to wait for.
    if (how == RideEnd::Lost) {
        letGoOfCalledTrain(state);
    }
    if (!trainExists) {
        // Nothing to hand over; a handle the game may give to something else is not kept either.
        return;
    }

    const EntityHandle player = GetPlayerCharacter();
    const EntityHandle driver = GetSeatOccupant(state.train, driverSeat);
    // Nobody is left to carry out a command: the train just keeps its speed.
    if (driver == 0 || IsEntityDead(driver) || driver == player) {
        state.engineerCommand = KeepSpeed;
    }

    if (how == RideEnd::ExitAboard) {
        if (state.kind == Freight) {
            const EntityHandle left = GetSeatOccupant(state.train, driverSeat);
            const EntityHandle right = GetSeatOccupant(state.train, rightSeat);
            // A derailed cab is abandoned by everyone; otherwise the engineer stays at his post.
            orderOutIf(left, state.train, left == player || state.derailed);
            orderOutIf(right, state.train, right == player || state.derailed);
        } else {
            OrderLeaveVehicle(player, state.train);
        }
    }

    if (state.derailed) {
        appendDerailedWagon(state, state.train, state.kind);
        return;
    }
    // The game removed the train under the player: its position would read as the world's origin.
    if (how != RideEnd::Lost && !EntityExists(state.train)) {
        return;
    }

    const bool placed = how == RideEnd::ExitAboard;
    const bool normalEntrance = gSettings.entranceType == 0;
    Vector3 t{};
    float fx = 0.0f;
    float fy = 0.0f;
    if (placed) {
        t = GetEntityPosition(state.train);
        fx = GetEntityForwardX(state.train);
        fy = GetEntityForwardY(state.train);
    }
    if (state.kind == Freight) {
        state.engineerTrain = state.train;
        state.followState = Idle;
        state.engineerSpeed = state.speed;
        SetTrainTargetSpeed(state.train, state.speed);
        // With the player gone there is no one to follow: the train keeps its speed, and the command
        // stays as the player chose it for the next ride.
        if (how == RideEnd::Lost && state.engineerCommand == Follow) {
            state.engineerTrain = 0;
        }
        if (placed && normalEntrance) {
            // On the locomotive's roof, a little further back when it runs in reverse.
            const float ahead = state.direction >= 0 ? 1.0f : 0.5f;
            placeCharacter(player, offsetFrom(t, fx, fy, ahead, 0.0f), t.z + 2.8f);
        } else if (placed) {
            placeCharacter(player, cabDoorPoint(Freight, t, fx, fy), t.z + 0.9f);
        }
    } else {
        SetTrainTargetSpeed(state.train, 0.0f);
        if (placed && normalEntrance) {
            placeCharacter(player, offsetFrom(t, fx, fy, 4.0f, -2.5f), t.z + 1.0f);
        } else if (placed) {
            placeCharacter(player, cabDoorPoint(Tram, t, fx, fy), t.z + 0.9f);
        }
    }
}

}  // namespace

void drawHoldBar(float done, const char* words) {
    float fill = done * 0.1f;
    if (!(fill >= 0.0f)) {
        fill = 0.0f;
    } else if (fill > 0.1f) {
        fill = 0.1f;
    }
    DrawRectangle(0.5f, 0.5f, 0.1f, 255, 255, 63);
    DrawRectangle(0.45f + fill / 2.0f, 0.5f, fill, 255, 255, 255);
    DrawOpaqueText(0.51f, 0.3f, words);
}

Planar cabDoorPoint(TrainKind kind, const Vector3& t, float fx, float fy) {
    return kind == Freight ? offsetFrom(t, fx, fy, 3.7f, 1.4f) : offsetFrom(t, fx, fy, 3.5f, 0.0f);
}

void approachNearbyTrain(ScriptState& state) {
    const EntityHandle player = GetPlayerCharacter();
    if (IsCharacterInAnyVehicle(player, true)) {
        return;
    }
    state.train = 0;
    state.trainModel = 0;
    state.train = findNearbyTrain(state, player);
    if (state.train == 0) {
        return;
    }
    // The file is read again at every attempt, so edits made while playing apply at once.
    ensureConfigurationFile();
    loadSettings();

    const Vector3 p = GetEntityPosition(player);
    const Vector3 t = GetEntityPosition(state.train);
    const float fx = GetEntityForwardX(state.train);
    const float fy = GetEntityForwardY(state.train);
    const float margin = entranceMargin(state, p, t, fx, fy);
    // Written so that a margin that is not a number counts as too far.
    if (!(margin <= 0.0f)) {
        state.train = 0;
        return;
    }

    // Pressing enter may already have started the game's own entry into some vehicle.
    const EntityHandle inUse = GetVehicleCharacterIsUsing(player);
    if (inUse != 0) {
        const Vector3 u = GetEntityPosition(inUse);
        const float ex = p.x - u.x;
        const float ey = p.y - u.y;
        const float d = std::sqrt(ex * ex + ey * ey);
        // margin <= 0 <= d here, so this holds only for a player exactly on the edge of the train's
        // zone and exactly at that vehicle's origin; that vehicle is then the nearer choice, and the
        // game's entry into it is left to go on.
        if (margin >= d) {
            state.train = 0;
            return;
        }
        OrderLeaveAnyVehicle(player);
    }
    state.mode = Entering;
    state.enterHoldTime = 0.0f;
    state.enteringCharacter = player;
}

void updateEntering(ScriptState& state) {
    if (entryEndedByGame(state)) {
        state.mode = OnFoot;
        return;
    }
    if (ControlHeld(control::enter)) {
        state.enterHoldTime += FrameSeconds();
        if (state.enterHoldTime < gSettings.enterDelay) {
            drawHoldPrompt(state);
        } else {
            enterCab(state);
        }
    } else if (ControlUp(control::enter)) {
        state.mode = OnFoot;
    }
}

bool followRide(ScriptState& state, EntityHandle& player) {
    player = GetPlayerCharacter();
    const bool trainExists = EntityExists(state.train);
    if (trainExists && !(player != 0 && IsEntityDead(player))) {
        const bool rides = player != 0 && GetVehicleCharacterIsUsing(player) == state.train;
        state.passesOffTrain = rides ? 0 : state.passesOffTrain + 1;
        if (state.passesOffTrain < passesToLoseRide) {
            return true;
        }
    }
    endRide(state, RideEnd::Lost, trainExists);
    return false;
}

void updateExit(ScriptState& state) {
    if (handsOn(state, CabAction::Exit) && ControlJustPressed(control::exit)) {
        endRide(state, state.passesOffTrain == 0 ? RideEnd::ExitAboard : RideEnd::ExitAway, true);
    }
}
