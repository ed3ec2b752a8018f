#pragma once
#include <cstdint>
#include <string>
#include <vector>

enum TrainKind : int32_t { Freight = 0, Tram = 1 };

// Read by the reader and created by the writer, in the game's working directory.
inline constexpr const char* configurationFileName = "VornLoconaut.ini";

// Version written into the configuration file's header line. The build defines it from the
// project's version, which also names the release.
inline constexpr const char* pluginVersion = VORN_VERSION;

struct Settings {
    int32_t displaysPosition = 0;
    bool displaySpeed = true;
    bool displayDerailment = true;
    bool displayDoors = true;
    bool displayTrainDistance = true;
    bool keyActionManualDerailment = true;
    bool keyActionOpenCloseDoors = true;
    bool keyActionRadio = true;
    bool keyActionEngineerCommand = true;
    bool keyActionChangeSeat = true;
    int32_t entranceType = 0;
    float enterDelay = 0.7f;
    bool derailmentCameraShake = true;
    int32_t derailedWagonsMaxCount = 20;
    float derailedWagonsMaxDistance = 200.0f;

    std::string models[2];
    float speedForward[2] = {40.0f, 25.0f};
    float speedBackward[2] = {15.0f, 7.0f};
    float acceleration[2] = {1.0f, 2.4f};
    float braking[2] = {2.5f, 5.5f};
    float derailmentSensitivity[2] = {0.88f, 0.88f};
    float explosionSensitivity[2] = {0.9f, 0.9f};
    int32_t seat = 1;  // freight only: 1 right seat, anything else the driver's seat

    std::vector<uint32_t> modelHashes[2];

    // No key: used only by the engineer's follow drive.
    float followTopSpeed = 60.0f;
    float followAcceleration = 3.0f;
    float followBraking = 4.0f;
};

extern Settings gSettings;

// Every field and both model-name texts to their defaults; the hash lists are left for the load.
void resetSettingsToDefaults();

bool isModelOfKind(uint32_t model, TrainKind kind);
