#include "train/train_call.h"

#include <cstddef>

#include "config/settings.h"
#include "host/natives.h"
#include "train/called_train.h"
#include "train/entry.h"
#include "train/held_in_game.h"
#include "train/main_line_walk.h"
#include "util/frame_time.h"
#include "util/geometry.h"
#include "util/text.h"

namespace {

// A check every 8th pass lets go within a few passes of a life event.
constexpr int32_t kCheckPasses = 8;
constexpr float kLetGo = 300.0f;
constexpr float kRouteOn = 300.0f;
constexpr float kRouteOff = 250.0f;
constexpr float kRouteAskedOff = 50.0f;
// The game's own moves of the player (a respawn, an arrest, a mission's warp) are hundreds of metres
// between two checks; nobody runs or drives that far in an eighth of a second.
constexpr float kWarp = 150.0f;

const char* wordsOf(CallWords words) {
    switch (words) {
        case WordsInVehicle:
            return "Get out of the vehicle to call a train.";
        case WordsInTrain:
            return "You are on a train already.";
        case WordsMission:
            return "No train comes while a mission is on.";
        case WordsStillWaiting:
            return "Your train is on its way or waiting: follow the route on the map.";
        case WordsNoTrain:
            return "No train came this time: try again in a moment.";
        case WordsComing:
            return "A freight train is on its way to you.";
        default:
            return "";
    }
}

// Lets go of the train as the game's own scripts do; one the game removed needs nothing.
void letGo(ScriptState& state) {
    if (state.calledTrain != 0 && EntityExists(state.calledTrain)) {
        ReleaseMissionTrain(&state.calledTrain);
    }
    endCall(state);
}

void showRoute(ScriptState& state, bool on) {
    if (state.calledTrainBlip != 0 && on != state.callRoute) {
        SetBlipRoute(state.calledTrainBlip, on);
        state.callRoute = on;
    }
}

void startCall(ScriptState& state, EntityHandle player) {
    const LineNodes line = mainLineNodes();
    const Vector3 p = GetEntityPosition(player);
    state.callNode = nearestNode(line, p.x, p.y);  // never -1: the built-in line has nodes
    if (state.callStage == CallTaken) {
        letGo(state);  // one called train at a time
    }
    state.caller = player;
    state.callerLastSeen = p;
    requestFreightModels(state);
}

// The hold is done: the call, or the one line that says why not.
void answerCall(ScriptState& state) {
    const EntityHandle player = GetPlayerCharacter();
    if (player == 0) {
        return;
    }
    if (IsCharacterInAnyVehicle(player, true)) {
        sayCallWords(state, IsCharacterInAnyTrain(player) ? WordsInTrain : WordsInVehicle);
        return;
    }
    if (IsMissionRunning()) {
        sayCallWords(state, WordsMission);
        return;
    }
    if (state.callStage == CallComing || state.callStage == CallWaiting) {
        state.callRouteAsked = true;
        if (state.calledTrainBlip != 0) {
            SetBlipRoute(state.calledTrainBlip, true);
            state.callRoute = true;
        }
        sayCallWords(state, WordsStillWaiting);
        return;
    }
    startCall(state, player);
}

bool callControlHeld(int32_t& control) {
    const int32_t call = actionIndex(CabAction::CallTrain);
    const int32_t keyboard = gSettings.cabBindings[Keyboard][call].control;
    const int32_t pad = gSettings.cabBindings[Pad][call].control;
    control = keyboard;
    // One control for both devices needs no question which one the player uses.
    if (keyboard != pad) {
        control = IsUsingKeyboardAndMouse() ? keyboard : pad;
    }
    return control != noControl && ControlHeld(control);
}

// A few times a second: the game took the train or the caller away, the route, and the caller gone
// far from it.
void checkCalledTrain(ScriptState& state) {
    if (!EntityExists(state.calledTrain)) {
        endCall(state);
        return;
    }
    const EntityHandle player = GetPlayerCharacter();
    if (player == 0) {
        return;  // the game names nobody for a moment during a character switch
    }
    const bool rides = state.mode == InCab && state.train == state.calledTrain;
    if (rides) {
        return;
    }
    const Vector3 p = GetEntityPosition(player);
    if (state.mode == OnFoot &&
        (player != state.caller || IsEntityDead(player) || !(Distance2D(p, state.callerLastSeen) <= kWarp))) {
        letGo(state);
        return;
    }
    state.callerLastSeen = p;
    const float d = Distance2D(p, GetEntityPosition(state.calledTrain));
    if (d < state.callClosest) {
        state.callClosest = d;
    }
    if (state.callStage != CallTaken) {
        const float off = state.callRouteAsked ? kRouteAskedOff : kRouteOff;
        if (d <= off) {
            state.callRouteAsked = false;
        }
        showRoute(state, state.callRoute ? d > off : d > kRouteOn);
    }
    const bool followed = state.engineerTrain == state.calledTrain && state.engineerCommand == Follow;
    // 300 m beyond the nearest the player came: a call from afar is not let go before the player comes.
    if (!followed && d > state.callClosest + kLetGo) {
        letGo(state);
    }
}

}  // namespace

void pollCallHold(ScriptState& state) {
    int32_t control = noControl;
    if (!state.callHeld) {
        state.callPollCounter = 0;
        if (callControlHeld(control)) {
            state.callHeld = true;
            state.callHoldTime = 0.0f;
        }
        return;
    }
    if (!callControlHeld(control)) {
        state.callHeld = false;
        return;
    }
    state.callHoldTime += FrameSeconds();
    if (state.callHoldTime < callHoldSeconds) {
        drawHoldBar(state.callHoldTime / callHoldSeconds, "Hold to call a train ...");
        return;
    }
    state.callHeld = false;
    answerCall(state);
}

void keepCalledTrain(ScriptState& state, bool onFootPass) {
    if (state.callWordsTime > 0.0f) {
        if (onFootPass) {
            DrawOpaqueText(0.51f, 0.3f, wordsOf(state.callWords));
        }
        state.callWordsTime -= FrameSeconds();
    }
    switch (state.callStage) {
        case CallLoading:
            loadAndMakeCalledTrain(state, onFootPass);
            break;
        case CallComing:
        case CallWaiting:
            if (state.mode == InCab && state.train == state.calledTrain) {
                // The player took its cab: it is theirs to drive, and the map no longer needs to show it.
                removeCallBlip(state);
                state.callStage = CallTaken;
                break;
            }
            if (state.callStage == CallComing) {
                driveCalledTrain(state);
            }
            [[fallthrough]];
        case CallTaken:
            if (state.callStage != NoCall && ++state.callCheckCounter >= kCheckPasses) {
                state.callCheckCounter = 0;
                checkCalledTrain(state);
            }
            break;
        default:
            break;
    }
    noteHeldInGame(state);
}

void letGoOfCalledTrain(ScriptState& state) {
    if (state.callStage != NoCall) {
        letGo(state);
        noteHeldInGame(state);
    }
}
