#include "host/script.h"

#include <cstdlib>

#include "config/reader.h"
#include "config/settings.h"
#include "config/writer.h"
#include "host/recorder.h"
#include "train/cab_controls.h"
#include "train/cab_input.h"
#include "train/derailment.h"
#include "train/driving.h"
#include "train/entry.h"
#include "train/held_in_game.h"
#include "train/map_blips.h"
#include "train/train_call.h"
#include "train/wagon_monitor.h"
#include "ui/displays.h"
#include "ui/engineer.h"

namespace {

void runOnFootPass(ScriptState& state) {
    if (state.engineerTrain > 0) {
        runEngineerDrive(state);
    }
    updateCallHold(state);
    updateMapBlips(state);
    searchForTrain(state);
}

void runCabPass(ScriptState& state) {
    if (!state.mapBlips.empty()) {
        clearMapBlips(state);
    }
    EntityHandle player = 0;
    if (!followRide(state, player)) {
        return;
    }
    takeCabInput(state, player);
    // After a derailment the cab is only a place to leave.
    if (!state.derailed) {
        updateDriving(state);
        updateSeatChange(state);
        updateHighBeam(state);
        updateHornKey(state);
        updateDoors(state);
        updateDerailment(state);
        drawCabDisplays(state);
        if (state.menuTime > 0.0f) {
            drawEngineerMenu(state);
        }
    }
    updateExit(state);
}

}  // namespace

void runPass(ScriptState& state) {
    if (gRecorderBusy || gSettings.debugRecording) [[unlikely]] {
        recordPassStart(state);
    }
    // Each mode's steps end the mode-dependent part of the pass: a mode entered here runs from the
    // next pass on, never in this one.
    const bool onFootPass = state.mode == OnFoot;
    switch (state.mode) {
        case OnFoot:
            runOnFootPass(state);
            break;
        case Entering:
            updateEntering(state);
            break;
        case InCab:
            runCabPass(state);
            break;
    }
    if (state.callStage != NoCall || state.callWordsTime > 0.0f) {
        keepCalledTrain(state, onFootPass);
    }
    if (!state.derailedWagons.empty()) {
        runWagonMonitor(state);
    }
    if (gRecorderBusy) [[unlikely]] {
        recordPassEnd(state);
    }
}

void startScript() {
    recordScriptStart();
    std::srand(gHook.tickCount != nullptr ? gHook.tickCount() : 0u);
    ensureConfigurationFile();
    loadSettings();
    releaseHeldByLastRun();
}

void runScript(ScriptState& state) {
    startScript();
    for (;;) {
        runPass(state);
        if (gHook.scriptWait != nullptr) {
            gHook.scriptWait(0);
        }
    }
}

void scriptMain() {
    ScriptState state;
    runScript(state);
}
