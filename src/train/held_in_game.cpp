#include "train/held_in_game.h"

#include <cstddef>
#include <iterator>

#include "host/natives.h"
#include "train/called_train.h"
#include "train/map_blips.h"

namespace {

// What the last pass left held in the game, kept where a new run of the script finds it.
struct HeldInGame {
    EntityHandle train = 0;
    EntityHandle driver = 0;
    int32_t blip = 0;
    int32_t models = 0;
    uint32_t mapBlips[2 * maxMapBlips] = {};
    size_t mapBlipValues = 0;
};
HeldInGame gHeld;

}  // namespace

void noteHeldInGame(const ScriptState& state) {
    gHeld.train = state.calledTrain;
    gHeld.driver = state.calledTrainDriver;
    gHeld.blip = state.calledTrainBlip;
    gHeld.models = state.callModels;
    gHeld.mapBlipValues = state.mapBlips.size() < std::size(gHeld.mapBlips) ? state.mapBlips.size()
                                                                             : std::size(gHeld.mapBlips);
    for (size_t i = 0; i < gHeld.mapBlipValues; ++i) {
        gHeld.mapBlips[i] = state.mapBlips[i];
    }
}

void releaseHeldByLastRun() {
    for (size_t i = 1; i < gHeld.mapBlipValues; i += 2) {
        auto blip = static_cast<int32_t>(gHeld.mapBlips[i]);
        RemoveBlip(&blip);
    }
    if (gHeld.blip != 0) {
        RemoveBlip(&gHeld.blip);
    }
    releaseFreightModels(gHeld.models);
    releaseCallDriver(gHeld.driver);
    if (gHeld.train != 0 && EntityExists(gHeld.train)) {
        ReleaseMissionTrain(&gHeld.train);
    }
    gHeld = HeldInGame{};
}

void forgetHeldByLastRun() { gHeld = HeldInGame{}; }
