#include "config/settings.h"

#include <limits>

#include "config/setting_table.h"

Settings gSettings;

// The name texts stay empty until a load or a reset: before the first load the plug-in knows no
// model, and an empty list recognises none.
Settings::Settings() {
    for (const CabActionRow& row : kCabActions) {
        for (int32_t device = 0; device < inputDeviceCount; ++device) {
            cabControls[device][actionIndex(row.action)] = row.control[device];
        }
    }
    for (const SettingRow& row : kSettingRows) {
        if (row.type != SettingType::Models) {
            setSettingNumber(*this, row, row.defaultNumber);
        }
    }
    resolveCabBindings(*this);
}

void resetSettingsToDefaults() {
    std::vector<uint32_t> hashes[2] = {std::move(gSettings.modelHashes[Freight]), std::move(gSettings.modelHashes[Tram])};
    gSettings = Settings{};
    for (const SettingRow& row : kSettingRows) {
        if (std::string* text = settingText(gSettings, row)) {
            *text = row.defaultText;
        }
    }
    gSettings.modelHashes[Freight] = std::move(hashes[Freight]);
    gSettings.modelHashes[Tram] = std::move(hashes[Tram]);
}

void resolveCabBindings(Settings& settings, BindingNotes* notes) {
    resolveCabBindings(settings.cabControls, settings.cabBindings, notes);
}

namespace {

// Truncation toward zero that saturates instead of overflowing for values beyond the int range.
int32_t truncateToInt(float value) {
    if (!(value == value)) {
        return 0;
    }
    if (value >= 2147483648.0f) {
        return std::numeric_limits<int32_t>::max();
    }
    if (value <= -2147483648.0f) {
        return std::numeric_limits<int32_t>::min();
    }
    return static_cast<int32_t>(value);
}

}  // namespace

double settingNumber(const Settings& settings, const SettingRow& row) {
    if (row.type == SettingType::Control) return settings.cabControls[row.device][actionIndex(row.action)];
    if (row.intField != nullptr) return settings.*row.intField;
    if (row.boolField != nullptr) return settings.*row.boolField ? 1.0 : 0.0;
    if (row.floatField != nullptr) return settings.*row.floatField;
    return row.floatPair != nullptr ? (settings.*row.floatPair)[row.kind] : 0.0;  // 0 for a model list
}

void setSettingNumber(Settings& settings, const SettingRow& row, float value) {
    if (row.type == SettingType::Control) {
        settings.cabControls[row.device][actionIndex(row.action)] = truncateToInt(value);
    } else if (row.intField != nullptr) {
        settings.*row.intField = truncateToInt(value);
    } else if (row.boolField != nullptr) {
        settings.*row.boolField = value == 1.0f;
    } else if (row.floatField != nullptr) {
        settings.*row.floatField = value;
    } else if (row.floatPair != nullptr) {
        (settings.*row.floatPair)[row.kind] = value;
    }
}

const std::string* settingText(const Settings& settings, const SettingRow& row) {
    return row.textPair != nullptr ? &(settings.*row.textPair)[row.kind] : nullptr;
}

std::string* settingText(Settings& settings, const SettingRow& row) {
    return row.textPair != nullptr ? &(settings.*row.textPair)[row.kind] : nullptr;
}
