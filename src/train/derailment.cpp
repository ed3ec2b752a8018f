#include "train/derailment.h"

#include <cmath>

#include "config/settings.h"
#include "host/natives.h"
#include "host/recorder.h"
#include "train/cab_input.h"
#include "train/train_call.h"
#include "util/frame_time.h"
#include "util/geometry.h"

namespace {

// The game's longest trains have a few dozen carriages; a carriage list that never ends (a broken
// game state) must not keep the fiber spawning vehicles for ever.
constexpr int32_t maxCarriages = 128;
// Far above anything the risk can usefully reach (999999 at full sensitivity) yet finite, so the
// shake amplitude and the risk bar never see an infinity.
constexpr float maxRisk = 1.0e9f;

float clampRisk(float risk) {
    if (!(risk > 0.0f)) {
        return 0.0f;
    }
    return risk < maxRisk ? risk : maxRisk;
}

float riskTarget(const ScriptState& state, float fx, float fy, float ft) {
    const float sensitivity = gSettings.derailmentSensitivity[state.kind];
    if (!(sensitivity > 0.0f)) {
        return 0.0f;
    }
    float q = 999999.0f;
    if (sensitivity < 1.0f) {
        const float turnRate = AngleBetween2D(fx, fy, state.previousForwardX, state.previousForwardY) / ft;
        q = turnRate / ((1.0f - sensitivity) * 3.1415927f);
    }
    float factor = std::fabs(state.speed) / gSettings.speedForward[state.kind] * 2.0f;
    // Also catches the NaN of a zero top speed at a standstill.
    if (!(factor >= 1.0f)) {
        factor = 1.0f;
    }
    const float target = factor * q;
    return std::isfinite(target) ? clampRisk(target) : (target > 0.0f ? maxRisk : 0.0f);
}

void updateShake(ScriptState& state) {
    if (!gSettings.derailmentCameraShake) {
        return;
    }
    if (state.derailmentRisk > 0.5f) {
        if (!state.cameraShakeActive) {
            StartCameraShake();
            state.cameraShakeActive = true;
        }
        SetCameraShakeAmplitude((state.derailmentRisk - 0.5f) * 2.0f * 3.0f);
    } else if (state.cameraShakeActive) {
        stopDerailmentShake(state);
    }
}

// Free vehicles are spawned on the ground under the carriage; the tram's rear car is pushed forward
// so it does not spawn inside the front one.
Vector3 placement(EntityHandle carriage, TrainKind kind, int32_t index, Vector3 p) {
    if (kind == Tram && index == 1) {
        const Vector3 g = GetEntityForwardVector(carriage);
        const float h = GetHeightAboveGround(carriage);
        return Vector3{static_cast<float>(p.x + 0.9 * g.x), static_cast<float>(p.y + 0.9 * g.y),
                       static_cast<float>(p.z + 0.9 * g.z - h + 0.2)};
    }
    const float h = GetHeightAboveGround(carriage);
    return Vector3{p.x, p.y, p.z - h + 0.2f};
}

// The cab's occupants move into the head vehicle: the tram's driver and the freight cab's two seats,
// the player among them while the ride lasts. In a pass in which the game reports the player off the
// train (the ride not yet given up) nobody is seated: whoever the seats still name, the player is
// not pulled into the wreck from wherever the game put them.
void seatOccupants(const ScriptState& state, EntityHandle head) {
    if (state.passesOffTrain > 0) {
        return;
    }
    const EntityHandle driver = GetSeatOccupant(state.train, -1);
    const EntityHandle passenger = state.kind == Freight ? GetSeatOccupant(state.train, 0) : 0;
    if (driver != 0) {
        PlaceCharacterInSeat(driver, head, -1);
    }
    if (passenger != 0) {
        PlaceCharacterInSeat(passenger, head, 0);
    }
}

bool allFinite(float x, float y, float z) { return std::isfinite(x) && std::isfinite(y) && std::isfinite(z); }

// What a broken game reports about a carriage must not travel on into the natives.
float finiteOrZero(float value) { return std::isfinite(value) ? value : 0.0f; }

}  // namespace

void updateDerailment(ScriptState& state) {
    const float ft = FrameSeconds();
    const float fx = GetEntityForwardX(state.train);
    const float fy = GetEntityForwardY(state.train);
    if (ft == 0.0f) {
        // A paused frame measures no turn rate (0 / 0): the risk, its timer and the shake stay as
        // they are, so pausing in a bend neither wipes out nor builds up the risk.
        state.previousForwardX = fx;
        state.previousForwardY = fy;
        return;
    }

    if (actionHeld(state, CabAction::Derail)) {
        // The key overrides the automatic update: it either forces the risk up or freezes it.
        if (gSettings.keyActionManualDerailment && (state.speed < -2.0f || state.speed > 2.0f)) {
            state.derailmentRisk = clampRisk(state.derailmentRisk + 0.6f * ft);
        }
    } else {
        const float target = riskTarget(state, fx, fy, ft);
        const float step = std::fabs(state.derailmentRisk - target) * 0.05f;
        if (state.derailmentRisk < target) {
            state.derailmentRisk += step;
        } else if (state.derailmentRisk > target) {
            state.derailmentRisk -= step;
        }
        state.derailmentRisk = clampRisk(state.derailmentRisk);
    }
    state.previousForwardX = fx;
    state.previousForwardY = fy;

    updateShake(state);

    if (state.derailmentRisk > 1.0f) {
        state.derailmentRiskTime += ft;
        if (static_cast<double>(state.derailmentRiskTime) > 0.3) {
            derailTrain(state);
        }
    } else {
        state.derailmentRiskTime = 0.0f;
    }
}

void derailTrain(ScriptState& state) {
    stopDerailmentShake(state);

    EntityHandle head = 0;
    for (int32_t i = 0; i < maxCarriages; ++i) {
        const EntityHandle carriage = GetTrainWagon(state.train, i);
        if (carriage == 0) {
            break;
        }
        const Vector3 p = GetEntityPosition(carriage);
        const Vector3 r = GetEntityRotation(carriage);
        const float s = SignedSpeed(carriage);
        const ModelHash model = GetEntityModel(carriage);
        const Vector3 at = placement(carriage, state.kind, i, p);

        const EntityHandle wagon = SpawnVehicle(model, finiteOrZero(at.x), finiteOrZero(at.y), finiteOrZero(at.z));
        SetEntityRotation(wagon, finiteOrZero(r.x), finiteOrZero(r.y), finiteOrZero(r.z));
        SetEntityDamageable(wagon);
        SetVehicleShowsDamage(wagon);
        SetVehicleForwardSpeed(wagon, finiteOrZero(s));
        if (i == 0) {
            head = wagon;
        } else {
            appendDerailedWagon(state, wagon, state.kind);
        }
    }

    // Without a head vehicle nobody can be seated; the old handle stays as the train so the exit
    // step still has something to file, and the wagon upkeep drops it once the game has removed it.
    if (head != 0) {
        seatOccupants(state, head);
        state.train = head;
    }
    RemoveAllTrains();
    letGoOfCalledTrain(state);
    state.derailed = true;
}

void stopDerailmentShake(ScriptState& state) {
    if (state.cameraShakeActive) {
        StopCameraShake();
        state.cameraShakeActive = false;
    }
}

void appendDerailedWagon(ScriptState& state, EntityHandle handle, TrainKind kind) {
    // A failed spawn leaves no vehicle to look after.
    if (handle == 0) {
        return;
    }
    DerailedWagon wagon;
    wagon.handle = handle;
    wagon.kind = kind;
    state.derailedWagons.push_back(wagon);
}

void checkWagonExplosion(DerailedWagon& wagon, float elapsed) {
    const float sensitivity = gSettings.explosionSensitivity[wagon.kind == Tram ? Tram : Freight];
    if (!(sensitivity > 0.0f) || wagon.explosions > 5) {
        return;
    }
    const Vector3 p = GetEntityPosition(wagon.handle);
    const float dx = p.x - wagon.lastPosition.x;
    const float dy = p.y - wagon.lastPosition.y;
    const float dz = p.z - wagon.lastPosition.z;
    const float perSecond = 1.0f / elapsed;
    const float measured = std::sqrt(dx * dx + dy * dy + dz * dz) * perSecond;

    if (wagon.samples <= 3) {
        ++wagon.samples;
    } else {
        const float acceleration = std::fabs(measured - wagon.lastSpeed) * perSecond;
        const float threshold = (1.0f - sensitivity) * 150.0f;
        if (acceleration > threshold) {
            const Vector3 g = GetEntityForwardVector(wagon.handle);
            const int r = randomNumber();
            const float offset = static_cast<float>(((r % 1200) - 600) * 0.01);
            // The full-strength band of the formula starts at a zero threshold, where it would
            // divide by zero: any violent change then gives the strongest explosion.
            const float span = threshold * 70.0f * 0.06666667f - threshold;
            const float t = span > 0.0f ? (acceleration - threshold) / span : 1.0f;
            const double damageScale = t * 0.8 + 0.2;
            const float damage = damageScale < 1.0 ? static_cast<float>(damageScale) : 1.0f;
            const float shake = t < 1.0f ? t : 1.0f;
            const float x = p.x + g.x * offset;
            const float y = p.y + g.y * offset;
            const float z = p.z + g.z * offset + 1.0f;
            if (allFinite(x, y, z)) {
                CreateExplosion(x, y, z, damage, shake);
                ++wagon.explosions;
                wagon.samples = 0;
            }
        }
    }
    wagon.lastPosition = p;
    wagon.lastSpeed = measured;
}
