#include "config/settings.h"

#include <algorithm>

Settings gSettings;

void resetSettingsToDefaults() {
    std::vector<uint32_t> hashes[2] = {std::move(gSettings.modelHashes[Freight]), std::move(gSettings.modelHashes[Tram])};
    gSettings = Settings{};
    gSettings.models[Freight] = "freight";
    gSettings.models[Tram] = "metrotrain";
    gSettings.modelHashes[Freight] = std::move(hashes[Freight]);
    gSettings.modelHashes[Tram] = std::move(hashes[Tram]);
}

bool isModelOfKind(uint32_t model, TrainKind kind) {
    const std::vector<uint32_t>& list = gSettings.modelHashes[kind];
    return std::find(list.begin(), list.end(), model) != list.end();
}
