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
// A called train: none, its models loading, on its way, standing beside the caller, taken by the
// player (who rode it since).
enum CallStage : int32_t { NoCall = 0, CallLoading = 1, CallComing = 2, CallWaiting = 3, CallTaken = 4 };
// The line the call shows for a while (train/train_call.cpp has the words).
enum CallWords : int32_t {
    NoWords = 0,
    WordsInVehicle = 1,
    WordsInTrain = 2,
    WordsMission = 3,
    WordsStillWaiting = 4,
    WordsNoTrain = 5,
    WordsComing = 6,
};
inline constexpr int32_t callWordsCount = 7;

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

    // The call of a train (train/train_call.h).
    CallStage callStage = NoCall;
    bool callHeld = false;  // the call control is being held
    float callHoldTime = 0.0f;
    int32_t callPollCounter = 0;
    EntityHandle caller = 0;
    int32_t callNode = -1;  // the main-line node the called train stops beside
    float callWaitTime = 0.0f;  // how long the models have been loading
    int32_t callModels = 0;  // the freight models requested, one bit each
    int32_t callModelsLoaded = 0;
    int32_t callAttempt = 0;
    EntityHandle calledTrain = 0;
    EntityHandle calledTrainDriver = 0;  // seated by the plug-in: the game makes the train without one
    int32_t calledTrainBlip = 0;
    bool callRoute = false;
    bool callRouteAsked = false;  // shown again on a second call: kept until the caller is near
    int32_t callStep = 0;  // the way along the node order the train runs to the caller
    float callHeading = 1.0f;  // the sign of speed that takes it that way
    int32_t calledTrainNode = -1;
    float callSpeed = 0.0f;
    float callClosest = 0.0f;  // the nearest the caller has come to it
    Vector3 callerLastSeen;
    int32_t callCheckCounter = 0;
    CallWords callWords = NoWords;
    float callWordsTime = 0.0f;

    // Trains on the map (train/map_blips.h): passes to the next look, where the look goes on in the
    // game's vehicle list, and each train with a blip, then its blip.
    int32_t mapBlipCounter = 0;
    int32_t mapBlipCursor = 0;
    EntityHandle mapBlipPlayer = 0;  // the player and where, at the last glance
    Vector3 mapBlipSeen;
    std::vector<uint32_t> mapBlips;
};
