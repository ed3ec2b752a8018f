#pragma once
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "config/cab_bindings.h"
#include "config/train_kind.h"

// Read by the reader and created by the writer, in the game's working directory.
inline constexpr const char* configurationFileName = "VornLoconaut.ini";

// Version written into the configuration file's header line. The build defines it from the
// project's version, which also names the release.
inline constexpr const char* pluginVersion = VORN_VERSION;

// The fields of the INI's keys start at zero here: their defaults, like everything else about a key,
// stand in its row of config/setting_table.h, and the constructor of Settings applies them. The
// fields stand apart from that constructor so that a test can count them (the recording's snapshot
// must hold every one).
struct SettingsFields {
    int32_t displaysPosition{};
    bool displaySpeed{};
    bool displayDerailment{};
    bool displayDoors{};
    bool displayTrainDistance{};
    bool keyActionManualDerailment{};
    bool keyActionOpenCloseDoors{};
    bool keyActionRadio{};
    bool keyActionEngineerCommand{};
    bool keyActionChangeSeat{};
    int32_t entranceType{};
    float enterDelay{};
    bool derailmentCameraShake{};
    int32_t derailedWagonsMaxCount{};
    float derailedWagonsMaxDistance{};

    std::string models[2];
    float speedForward[2]{};
    float speedBackward[2]{};
    float acceleration[2]{};
    float braking[2]{};
    float derailmentSensitivity[2]{};
    float explosionSensitivity[2]{};
    int32_t seat{};  // freight only: 1 right seat, anything else the driver's seat
    bool debugRecording{};  // the ride recorder (host/recorder.h)
    float mapBlipsDistance{};  // metres; 0 puts no train on the map (train/map_blips.h)

    // The control the player chose for each action and device (the optional keys Controls.* and
    // Pad.*), and what the cab reads once they are checked against each other.
    int32_t cabControls[inputDeviceCount][cabActionCount]{};
    CabBinding cabBindings[inputDeviceCount][cabActionCount];

    std::vector<uint32_t> modelHashes[2];

    // No key: used only by the engineer's follow drive.
    float followTopSpeed = 60.0f;
    float followAcceleration = 3.0f;
    float followBraking = 4.0f;
};

struct Settings : SettingsFields {
    Settings();
};

extern Settings gSettings;

// Every field and both model-name texts to their defaults; the hash lists are left for the load.
void resetSettingsToDefaults();

// settings.cabBindings from settings.cabControls (config/cab_bindings.h).
void resolveCabBindings(Settings& settings, BindingNotes* notes = nullptr);

// Inline: the look after the map's trains asks it for every vehicle it looks at.
inline bool isModelOfKind(uint32_t model, TrainKind kind) {
    const std::vector<uint32_t>& list = gSettings.modelHashes[kind];
    return std::find(list.begin(), list.end(), model) != list.end();
}
