#include "train/map_blips.h"

#include <iterator>

#include "config/settings.h"
#include "host/all_vehicles.h"
#include "host/natives.h"
#include "train/called_train.h"
#include "train/held_in_game.h"
#include "util/geometry.h"

namespace {

// A look every 32 passes, at eight of the game's vehicles and at the trains with a blip, and while
// blips are held a glance at the player every 8th (mapBlipCheckPasses): the pass on foot stays near one
// native call, a train gets its blip within seconds in any town, and blips go within a few passes of a
// life event.
constexpr int32_t kLookPasses = 32;
constexpr int32_t kVehiclesPerLook = 8;
// Further than anyone runs or drives in 8 passes; the game's own moves of the player are hundreds of
// metres.
constexpr float kWarp = 100.0f;
constexpr int32_t kListCapacity = 1024;
// A blip stays a little beyond the distance that gives one, so that a train at the edge does not blink.
constexpr float kKeepBeyond = 1.1f;

// Filled afresh at every look, never carried from one to the next; out of the script's fiber stack.
int32_t gVehicles[kListCapacity];

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

// A derailment's wagons keep their models, but they are wrecks, not trains.
bool isWreck(const ScriptState& state, EntityHandle vehicle) {
    for (const DerailedWagon& wagon : state.derailedWagons) {
        if (wagon.handle == vehicle) {
            return true;
        }
    }
    return false;
}

}  // namespace

void checkMapBlips(ScriptState& state) {
    const bool look = state.mapBlipCounter >= kLookPasses;
    if (look) {
        state.mapBlipCounter = 0;
    } else if (state.mapBlips.empty()) {
        return;
    }
    const float reach = gSettings.mapBlipsDistance;
    if (!(reach > 0.0f)) {
        clearMapBlips(state);
        return;
    }
    // The game took the player away (a death, a switch, an arrest or a warp): the blips of where they
    // were go at once, and the next look finds the trains of where they are.
    const EntityHandle player = GetPlayerCharacter();
    const bool sameCharacter = player == state.mapBlipPlayer;
    state.mapBlipPlayer = player;
    if (!sameCharacter || IsEntityDead(player)) {
        clearMapBlips(state);
        return;
    }
    const Vector3 p = GetEntityPosition(player);
    const float moved = Distance2D(p, state.mapBlipSeen);
    state.mapBlipSeen = p;
    if (!(moved <= kWarp)) {
        clearMapBlips(state);
        return;
    }
    if (!look) {
        return;
    }
    // Seated in a train all the same (a mission put the player there, or a ride the game ended left
    // them in the cab): the map shows no train then, as in the cab.
    if (IsCharacterInAnyTrain(player)) {
        clearMapBlips(state);
        return;
    }
    const int32_t count = ListAllVehicles(gVehicles, kListCapacity);
    bool changed = false;
    // A blip goes with its train, or as the train draws away.
    for (size_t i = 0; i + 1 < state.mapBlips.size();) {
        const auto train = static_cast<EntityHandle>(state.mapBlips[i]);
        if (!listed(train, count) || !(Distance2D(GetEntityPosition(train), p) <= reach * kKeepBeyond)) {
            removeAt(state, i);
            changed = true;
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
        if (vehicle == 0 || vehicle == state.calledTrain || hasBlip(state, vehicle) || isWreck(state, vehicle) ||
            !isTrainModel(GetEntityModel(vehicle))) {
            continue;
        }
        if (state.mapBlips.size() >= 2 * maxMapBlips ||
            !(Distance2D(GetEntityPosition(vehicle), p) <= reach)) {
            continue;
        }
        const int32_t blip = AddBlipForEntity(vehicle);
        if (blip != 0) {
            SetBlipSprite(blip, kTrainSprite);
            state.mapBlips.push_back(static_cast<uint32_t>(vehicle));
            state.mapBlips.push_back(static_cast<uint32_t>(blip));
            changed = true;
        }
    }
    if (changed) {
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
