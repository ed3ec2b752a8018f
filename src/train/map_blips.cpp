#include "train/map_blips.h"

#include <cmath>
#include <iterator>

#include "config/settings.h"
#include "host/all_vehicles.h"
#include "host/natives.h"
#include "train/called_train.h"
#include "train/held_in_game.h"

namespace {

// A look every half second, at a dozen of the game's vehicles and at the trains with a blip: the
// pass on foot stays near one native call, and a train gets its blip within seconds in any town.
constexpr int32_t kLookPasses = 30;
constexpr int32_t kVehiclesPerLook = 12;
constexpr int32_t kListCapacity = 1024;
// A blip stays a little beyond the distance that gives one, so that a train at the edge does not blink.
constexpr float kKeepBeyond = 1.1f;

// Filled afresh at every look, never carried from one to the next; out of the script's fiber stack.
int32_t gVehicles[kListCapacity];

float planarDistance(const Vector3& a, const Vector3& b) {
    const float dx = a.x - b.x;
    const float dy = a.y - b.y;
    return std::sqrt(dx * dx + dy * dy);
}

bool listed(EntityHandle vehicle, int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        if (gVehicles[i] == vehicle) {
            return true;
        }
    }
    return false;
}

bool hasBlip(const ScriptState& state, EntityHandle vehicle) {
    for (size_t i = 0; i + 1 < state.mapBlips.size(); i += 2) {
        if (static_cast<EntityHandle>(state.mapBlips[i]) == vehicle) {
            return true;
        }
    }
    return false;
}

void removeAt(ScriptState& state, size_t i) {
    auto blip = static_cast<int32_t>(state.mapBlips[i + 1]);
    RemoveBlip(&blip);
    state.mapBlips.erase(state.mapBlips.begin() + static_cast<std::ptrdiff_t>(i),
                         state.mapBlips.begin() + static_cast<std::ptrdiff_t>(i + 2));
}

bool isTrainModel(ModelHash model) { return isModelOfKind(model, Freight) || isModelOfKind(model, Tram); }

}  // namespace

void updateMapBlips(ScriptState& state) {
    if (++state.mapBlipCounter < kLookPasses) {
        return;
    }
    state.mapBlipCounter = 0;
    const float reach = gSettings.mapBlipsDistance;
    if (!(reach > 0.0f)) {
        clearMapBlips(state);
        return;
    }
    const int32_t count = ListAllVehicles(gVehicles, kListCapacity);
    const Vector3 p = GetEntityPosition(GetPlayerCharacter());
    const size_t before = state.mapBlips.size();
    // A blip goes with its train, or as the train draws away.
    for (size_t i = 0; i + 1 < state.mapBlips.size();) {
        const auto train = static_cast<EntityHandle>(state.mapBlips[i]);
        if (!listed(train, count) || !(planarDistance(GetEntityPosition(train), p) <= reach * kKeepBeyond)) {
            removeAt(state, i);
        } else {
            i += 2;
        }
    }
    const int32_t looks = count < kVehiclesPerLook ? count : kVehiclesPerLook;
    for (int32_t k = 0; k < looks; ++k) {
        if (state.mapBlipCursor < 0 || state.mapBlipCursor >= count) {
            state.mapBlipCursor = 0;
        }
        const EntityHandle vehicle = gVehicles[state.mapBlipCursor++];
        // The called train has a blip of its own.
        if (vehicle == 0 || vehicle == state.calledTrain || hasBlip(state, vehicle) ||
            !isTrainModel(GetEntityModel(vehicle))) {
            continue;
        }
        if (state.mapBlips.size() >= 2 * maxMapBlips ||
            !(planarDistance(GetEntityPosition(vehicle), p) <= reach)) {
            continue;
        }
        const int32_t blip = AddBlipForEntity(vehicle);
        if (blip != 0) {
            SetBlipSprite(blip, kTrainSprite);
            state.mapBlips.push_back(static_cast<uint32_t>(vehicle));
            state.mapBlips.push_back(static_cast<uint32_t>(blip));
        }
    }
    if (state.mapBlips.size() != before) {
        noteHeldInGame(state);
    }
}

void clearMapBlips(ScriptState& state) {
    if (state.mapBlips.empty()) {
        return;
    }
    while (state.mapBlips.size() >= 2) {
        removeAt(state, state.mapBlips.size() - 2);
    }
    state.mapBlips.clear();
    noteHeldInGame(state);
}
