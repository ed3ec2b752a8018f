#include "train/wagon_monitor.h"

#include <cmath>
#include <cstddef>

#include "config/settings.h"
#include "host/natives.h"
#include "train/derailment.h"
#include "util/count.h"
#include "util/frame_time.h"

namespace {

float distance3D(Vector3 a, Vector3 b) {
    const float dx = a.x - b.x;
    const float dy = a.y - b.y;
    const float dz = a.z - b.z;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

void dropVanished(std::vector<DerailedWagon>& wagons) {
    for (std::size_t i = wagons.size(); i-- > 0;) {
        if (!EntityExists(wagons[i].handle)) {
            wagons.erase(wagons.begin() + static_cast<std::ptrdiff_t>(i));
        }
    }
}

void deleteAt(std::vector<DerailedWagon>& wagons, std::size_t index) {
    DeleteVehicle(&wagons[index].handle);
    wagons.erase(wagons.begin() + static_cast<std::ptrdiff_t>(index));
}

// Farthest first; the earliest of equally distant wagons goes first.
void trimToCount(std::vector<DerailedWagon>& wagons, std::size_t limit) {
    const Vector3 player = GetEntityPosition(GetPlayerCharacter());
    while (wagons.size() > limit && !wagons.empty()) {
        std::size_t farthest = 0;
        float farthestDistance = 0.0f;
        for (std::size_t i = 0; i < wagons.size(); ++i) {
            const float d = distance3D(GetEntityPosition(wagons[i].handle), player);
            if (d > farthestDistance) {
                farthest = i;
                farthestDistance = d;
            }
        }
        deleteAt(wagons, farthest);
    }
}

void deleteDistant(std::vector<DerailedWagon>& wagons) {
    const Vector3 player = GetEntityPosition(GetPlayerCharacter());
    for (std::size_t i = wagons.size(); i-- > 0;) {
        if (distance3D(GetEntityPosition(wagons[i].handle), player) > gSettings.derailedWagonsMaxDistance) {
            deleteAt(wagons, i);
        }
    }
}

}  // namespace

void checkDerailedWagons(ScriptState& state, bool tick, bool distanceCheck) {
    std::vector<DerailedWagon>& wagons = state.derailedWagons;
    const std::size_t limit = wagonCountLimit();
    dropVanished(wagons);
    if (wagons.size() > limit) {
        trimToCount(wagons, limit);
    }
    if (distanceCheck) {
        state.wagonPassCounter = 0;
        deleteDistant(wagons);
    }
    if (tick) {
        for (DerailedWagon& wagon : wagons) {
            SetEntityPhysicsActive(wagon.handle);
            checkWagonExplosion(wagon, state.wagonCheckTime);
        }
        state.wagonCheckTime = 0.0f;
    }
}
