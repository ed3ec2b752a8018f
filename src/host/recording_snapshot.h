#pragma once
// The fields of a recording's key point: every field of ScriptState, of each derailed wagon and of
// Settings, by name, in the order the recording holds them. The recorder writes them and a replay
// restores them through these lists alone. A field missing from a list fails the test
// RecordingSnapshot.ListsEveryField, which counts the records' fields; a field of a type the
// recording does not know fails the build in fieldType.

#include <string>
#include <type_traits>
#include <vector>

#include "config/cab_bindings.h"
#include "config/setting_table.h"
#include "config/settings.h"
#include "host/recording_format.h"
#include "host/script_state.h"

namespace recording {

template <class T>
constexpr FieldType fieldType() {
    if constexpr (std::is_same_v<T, bool>) return FieldType::Bool;
    else if constexpr (std::is_same_v<T, float>) return FieldType::F32;
    else if constexpr (std::is_same_v<T, uint32_t>) return FieldType::U32;
    else if constexpr (std::is_same_v<T, int32_t> || (std::is_enum_v<T> && sizeof(T) == 4)) return FieldType::I32;
    else if constexpr (std::is_same_v<T, std::string>) return FieldType::Text;
    else if constexpr (std::is_same_v<T, std::vector<uint32_t>>) return FieldType::U32List;
    else if constexpr (std::is_same_v<T, Vector3>) return FieldType::Vector;
    else if constexpr (std::is_same_v<T, std::vector<DerailedWagon>>) return FieldType::WagonList;
    else static_assert(sizeof(T) == 0, "a field of a type the recording does not know: teach recording::fieldType");
}

// How many values each enum of the records has (they count from 0). Only a damaged key point holds
// another, and a restore leaves such a field at its default: the plug-in indexes tables by some of
// them. A new enum among the fields stops the build here.
template <class T>
constexpr uint32_t enumValueCount() {
    if constexpr (std::is_same_v<T, PlayerMode>) return 3;
    else if constexpr (std::is_same_v<T, TrainKind>) return 2;
    else if constexpr (std::is_same_v<T, EngineerCommand>) return 3;
    else if constexpr (std::is_same_v<T, FollowState>) return 4;
    else if constexpr (std::is_same_v<T, InputDevice>) return inputDeviceCount;
    else if constexpr (std::is_same_v<T, CallStage>) return 5;
    else if constexpr (std::is_same_v<T, CallWords>) return callWordsCount;
    else static_assert(sizeof(T) == 0, "an enum field the recording does not know: teach recording::enumValueCount");
}

// visit(name, field) for each field; `State` is ScriptState or const ScriptState.
template <class State, class Visit>
void forEachStateField(State& s, Visit&& visit) {
    visit("mode", s.mode);
    visit("train", s.train);
    visit("trainModel", s.trainModel);
    visit("kind", s.kind);
    visit("enterHoldTime", s.enterHoldTime);
    visit("enteringCharacter", s.enteringCharacter);
    visit("speed", s.speed);
    visit("direction", s.direction);
    visit("device", s.device);
    visit("playerIndex", s.playerIndex);
    visit("handsTaken", s.handsTaken);
    visit("phoneInUse", s.phoneInUse);
    visit("seatChangeCooldown", s.seatChangeCooldown);
    visit("lightsOn", s.lightsOn);
    visit("hornKeyTimer", s.hornKeyTimer);
    visit("doorRatio", s.doorRatio);
    visit("doorDirection", s.doorDirection);
    visit("previousForwardX", s.previousForwardX);
    visit("previousForwardY", s.previousForwardY);
    visit("derailmentRisk", s.derailmentRisk);
    visit("derailmentRiskTime", s.derailmentRiskTime);
    visit("derailed", s.derailed);
    visit("cameraShakeActive", s.cameraShakeActive);
    visit("passesOffTrain", s.passesOffTrain);
    visit("shownSpeed", s.shownSpeed);
    visit("engineerTrain", s.engineerTrain);
    visit("engineerCommand", s.engineerCommand);
    visit("followState", s.followState);
    visit("engineerSpeed", s.engineerSpeed);
    visit("engineerPassCounter", s.engineerPassCounter);
    visit("menuTime", s.menuTime);
    visit("derailedWagons", s.derailedWagons);
    visit("wagonPassCounter", s.wagonPassCounter);
    visit("wagonCheckTime", s.wagonCheckTime);
    visit("callStage", s.callStage);
    visit("callHeld", s.callHeld);
    visit("callHoldTime", s.callHoldTime);
    visit("callPollCounter", s.callPollCounter);
    visit("caller", s.caller);
    visit("callNode", s.callNode);
    visit("callWaitTime", s.callWaitTime);
    visit("callModels", s.callModels);
    visit("callModelsLoaded", s.callModelsLoaded);
    visit("callAttempt", s.callAttempt);
    visit("calledTrain", s.calledTrain);
    visit("calledTrainDriver", s.calledTrainDriver);
    visit("calledTrainBlip", s.calledTrainBlip);
    visit("callRoute", s.callRoute);
    visit("callRouteAsked", s.callRouteAsked);
    visit("callStep", s.callStep);
    visit("callHeading", s.callHeading);
    visit("calledTrainNode", s.calledTrainNode);
    visit("callSpeed", s.callSpeed);
    visit("callClosest", s.callClosest);
    visit("callerLastSeen", s.callerLastSeen);
    visit("callCheckCounter", s.callCheckCounter);
    visit("callWords", s.callWords);
    visit("callWordsTime", s.callWordsTime);
    visit("mapBlipCounter", s.mapBlipCounter);
    visit("mapBlipCursor", s.mapBlipCursor);
    visit("mapBlipPlayer", s.mapBlipPlayer);
    visit("mapBlipSeen", s.mapBlipSeen);
    visit("mapBlips", s.mapBlips);
}

template <class Wagon, class Visit>
void forEachWagonField(Wagon& w, Visit&& visit) {
    visit("handle", w.handle);
    visit("kind", w.kind);
    visit("lastPosition", w.lastPosition);
    visit("lastSpeed", w.lastSpeed);
    visit("samples", w.samples);
    visit("explosions", w.explosions);
}

// The controls of the cab's actions that have no key of their own (entering, leaving, the radio),
// by the names "cabControls[device][action]".
struct ControlNames {
    bool hasKey[inputDeviceCount][cabActionCount];
    char text[inputDeviceCount][cabActionCount][24];
};
consteval ControlNames controlNames() {
    ControlNames names{};
    for (const SettingRow& row : kSettingRows)
        if (row.type == SettingType::Control) names.hasKey[row.device][actionIndex(row.action)] = true;
    for (int32_t device = 0; device < inputDeviceCount; ++device) {
        for (int32_t action = 0; action < cabActionCount; ++action) {
            char* out = names.text[device][action];
            for (const char* p = "cabControls["; *p != '\0'; ++p) *out++ = *p;
            *out++ = static_cast<char>('0' + device);
            *out++ = ']';
            *out++ = '[';
            if (action >= 10) *out++ = static_cast<char>('0' + action / 10);
            *out++ = static_cast<char>('0' + action % 10);
            *out++ = ']';
        }
    }
    return names;
}
inline constexpr ControlNames kControlNames = controlNames();

// The settings by their keys (a new row records itself), then the fields no key fills.
template <class S, class Visit>
void forEachSettingsField(S& s, Visit&& visit) {
    for (const SettingRow& row : kSettingRows) {
        if (row.type == SettingType::Control) visit(row.key, s.cabControls[row.device][actionIndex(row.action)]);
        else if (row.intField != nullptr) visit(row.key, s.*row.intField);
        else if (row.boolField != nullptr) visit(row.key, s.*row.boolField);
        else if (row.floatField != nullptr) visit(row.key, s.*row.floatField);
        else if (row.floatPair != nullptr) visit(row.key, (s.*row.floatPair)[row.kind]);
        else if (row.textPair != nullptr) visit(row.key, (s.*row.textPair)[row.kind]);
    }
    for (int32_t device = 0; device < inputDeviceCount; ++device) {
        for (int32_t action = 0; action < cabActionCount; ++action) {
            if (!kControlNames.hasKey[device][action]) visit(kControlNames.text[device][action], s.cabControls[device][action]);
        }
    }
    visit("modelHashes[0]", s.modelHashes[0]);
    visit("modelHashes[1]", s.modelHashes[1]);
    visit("followTopSpeed", s.followTopSpeed);
    visit("followAcceleration", s.followAcceleration);
    visit("followBraking", s.followBraking);
}

// The fields a load derives from the others and a restore derives again (rebuildDerivedSettings),
// so a snapshot leaves them out.
template <class S, class Visit>
void forEachDerivedSettingsField(S& s, Visit&& visit) {
    for (auto& device : s.cabBindings)
        for (auto& binding : device) visit("cabBindings", binding);
}

inline void rebuildDerivedSettings(Settings& s) { resolveCabBindings(s); }

// Every row names exactly one field of the kinds forEachSettingsField visits: a row of a new kind
// stops the build here rather than go unrecorded.
consteval bool everyRowHasOneField() {
    for (const SettingRow& row : kSettingRows) {
        const int fields = (row.intField != nullptr) + (row.boolField != nullptr) + (row.floatField != nullptr) +
                           (row.floatPair != nullptr) + (row.textPair != nullptr) + (row.type == SettingType::Control);
        if (fields != 1) return false;
    }
    return true;
}
static_assert(everyRowHasOneField(), "a settings row the recording's snapshot cannot visit: see forEachSettingsField");

}  // namespace recording
