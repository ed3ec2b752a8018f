#pragma once
#include <vector>

#include "config/train_kind.h"
#include "host/controls.h"
#include "host/native_invoker.h"
#include "train/derailed_wagon.h"

enum PlayerMode : int32_t { OnFoot = 0, Entering = 1, InCab = 2 };
enum EngineerCommand : int32_t { KeepSpeed = 0, Stop = 1, Follow = 2 };
// The engineer's follow drive: nothing set, driving forward or backward, braking to a standstill.
enum FollowState : int32_t { Idle = 0, Forward = 1, Backward = 2, Braking = 3 };

// All run-time state of the script besides the settings; one instance lives in scriptMain.
struct ScriptState {
    PlayerMode mode = OnFoot;
    EntityHandle train = 0;
    ModelHash trainModel = 0;
    TrainKind kind = Freight;
    float enterHoldTime = 0.0f;
    // The character that began holding the enter control; another one (a character switch) ends the entry.
    EntityHandle enteringCharacter = 0;
    float speed = 0.0f;
    int32_t direction = 0;
    // The device the cab reads its actions on, as the game last said in a cab pass.
    InputDevice device = Keyboard;
    // The player's index (PLAYER_ID), asked once a ride: a switch of character changes the player's
    // character, not the player.
    int32_t playerIndex = 0;
    // This cab pass: the game has taken the player's control (a cutscene, a mission's scripted
    // moment), so the cab reads no key; the player's phone is up or ringing, or was and one of its
    // buttons is still down, so its buttons are its own.
    bool handsTaken = false;
    bool phoneInUse = false;
    float seatChangeCooldown = 0.0f;
    bool lightsOn = false;
    float hornKeyTimer = 0.0f;
    float doorRatio = 0.0f;
    int32_t doorDirection = 0;
    float previousForwardX = 0.0f;
    float previousForwardY = 0.0f;
    float derailmentRisk = 0.0f;
    float derailmentRiskTime = 0.0f;
    bool derailed = false;
    bool cameraShakeActive = false;
    // In the cab: passes in a row in which the game did not report the player on the train; 0 while
    // the player rides it.
    int32_t passesOffTrain = 0;
    float shownSpeed = 0.0f;
    EntityHandle engineerTrain = 0;
    EngineerCommand engineerCommand = Follow;
    FollowState followState = Idle;
    float engineerSpeed = 0.0f;
    int32_t engineerPassCounter = 0;
    float menuTime = 0.0f;
    std::vector<DerailedWagon> derailedWagons;
    int32_t wagonPassCounter = 0;
    float wagonCheckTime = 0.0f;
};
