#include "train/entry.h"

#include <cmath>
#include <cstdint>

#include "config/reader.h"
#include "config/settings.h"
#include "config/writer.h"
#include "host/natives.h"
#include "train/cab_controls.h"
#include "train/derailment.h"
#include "util/frame_time.h"
#include "util/geometry.h"
#include "util/text.h"

namespace {

constexpr int32_t enterControl = 23;
constexpr int32_t exitControl = 75;
constexpr int32_t driverSeat = -1;
constexpr int32_t rightSeat = 0;
constexpr int32_t nearbyCapacity = 10;

struct Planar {
    float x = 0.0f;
    float y = 0.0f;
};

// The point `ahead` metres in front of t and `right` metres to its right (negative: to its left).
Planar offsetFrom(const Vector3& t, float fx, float fy, float ahead, float right) {
    return Planar{t.x + ahead * fx + right * fy, t.y + ahead * fy - right * fx};
}

// Where a character gets on or off the cab: the freight cab's door is on the right-hand side
// near the front, the tram's in the middle of its front.
Planar cabDoorPoint(TrainKind kind, const Vector3& t, float fx, float fy) {
    return kind == Freight ? offsetFrom(t, fx, fy, 3.7f, 1.4f) : offsetFrom(t, fx, fy, 3.5f, 0.0f);
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
    int32_t count = ListNearbyVehicles(player, buffer);
    // The count comes from the game; never read past the slots we own.
    if (count < 0) {
        count = 0;
    } else if (count > nearbyCapacity) {
        count = nearbyCapacity;
    }
    for (int32_t i = 1; i <= count; ++i) {
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
    float fill = gSettings.enterDelay > 0.0f ? state.enterHoldTime / gSettings.enterDelay * 0.1f : 0.0f;
    if (!(fill >= 0.0f)) {
        fill = 0.0f;
    } else if (fill > 0.1f) {
        fill = 0.1f;
    }
    DrawRectangle(0.5f, 0.5f, 0.1f, 255, 255, 63);
    DrawRectangle(0.45f + fill / 2.0f, 0.5f, fill, 255, 255, 255);
    DrawOpaqueText(0.51f, 0.3f, "Hold key to enter the train ...");
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

}  // namespace

void searchForTrain(ScriptState& state) {
    if (ControlJustPressed(enterControl)) {
        approachNearbyTrain(state);
    }
}

void approachNearbyTrain(ScriptState& state) {
    const EntityHandle player = GetPlayerCharacter();
    if (IsCharacterInAnyVehicle(player)) {
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
}

void updateEntering(ScriptState& state) {
    if (ControlHeld(enterControl)) {
        state.enterHoldTime += FrameSeconds();
        if (state.enterHoldTime < gSettings.enterDelay) {
            drawHoldPrompt(state);
        } else {
            enterCab(state);
        }
    } else if (ControlUp(enterControl)) {
        state.mode = OnFoot;
    }
}

void updateExit(ScriptState& state) {
    if (!ControlJustPressed(exitControl)) {
        return;
    }
    if (state.cameraShakeActive) {
        stopDerailmentShake(state);
    }
    switchPortableRadio(false);

    const EntityHandle player = GetPlayerCharacter();
    const EntityHandle driver = GetSeatOccupant(state.train, driverSeat);
    // Nobody is left to carry out a command: the train just keeps its speed.
    if (driver == 0 || IsEntityDead(driver) || driver == player) {
        state.engineerCommand = KeepSpeed;
    }

    if (state.kind == Freight) {
        const EntityHandle left = GetSeatOccupant(state.train, driverSeat);
        const EntityHandle right = GetSeatOccupant(state.train, rightSeat);
        // A derailed cab is abandoned by everyone; otherwise the engineer stays at his post.
        orderOutIf(left, state.train, left == player || state.derailed);
        orderOutIf(right, state.train, right == player || state.derailed);
    } else {
        OrderLeaveVehicle(player, state.train);
    }

    if (state.derailed) {
        state.mode = OnFoot;
        state.engineerTrain = 0;
        appendDerailedWagon(state, state.train, state.kind);
        return;
    }
    // The game removed the train under the player (or the player respawned elsewhere): its position
    // would read as the world's origin, and there is nothing left to hand to the engineer.
    if (!EntityExists(state.train)) {
        state.mode = OnFoot;
        state.engineerTrain = 0;
        return;
    }

    const Vector3 t = GetEntityPosition(state.train);
    const float fx = GetEntityForwardX(state.train);
    const float fy = GetEntityForwardY(state.train);
    state.mode = OnFoot;
    const bool normalEntrance = gSettings.entranceType == 0;
    if (state.kind == Freight) {
        state.engineerTrain = state.train;
        state.followState = 0;
        state.engineerSpeed = state.speed;
        SetTrainTargetSpeed(state.train, state.speed);
        if (normalEntrance) {
            // On the locomotive's roof, a little further back when it runs in reverse.
            const float ahead = state.direction >= 0 ? 1.0f : 0.5f;
            placeCharacter(player, offsetFrom(t, fx, fy, ahead, 0.0f), t.z + 2.8f);
        } else {
            placeCharacter(player, cabDoorPoint(Freight, t, fx, fy), t.z + 0.9f);
        }
    } else {
        state.engineerTrain = 0;
        SetTrainTargetSpeed(state.train, 0.0f);
        if (normalEntrance) {
            placeCharacter(player, offsetFrom(t, fx, fy, 4.0f, -2.5f), t.z + 1.0f);
        } else {
            placeCharacter(player, cabDoorPoint(Tram, t, fx, fy), t.z + 0.9f);
        }
    }
}
