#include "tools/playground/core/settings_report.h"

#include <cstdio>
#include <iterator>

#include "config/cab_bindings.h"
#include "config/reader.h"
#include "config/setting_table.h"
#include "config/settings.h"
#include "tools/playground/core/file_encoding.h"
#include "tools/playground/core/ini_lines.h"
#include "tools/playground/core/player_text.h"
#include "tools/playground/core/session.h"
#include "tools/playground/core/value_notes.h"

namespace playground {

namespace {

using nlohmann::json;

const char* unitName(SettingUnit unit) {
    switch (unit) {
        case SettingUnit::None: return "none";
        case SettingUnit::Choice: return "choice";
        case SettingUnit::Switch: return "switch";
        case SettingUnit::Seconds: return "seconds";
        case SettingUnit::Metres: return "metres";
        case SettingUnit::Count: return "count";
        case SettingUnit::Speed: return "speed";
        case SettingUnit::Acceleration: return "acceleration";
        case SettingUnit::Braking: return "braking";
        case SettingUnit::Fraction: return "fraction";
        case SettingUnit::Control: return "control";
    }
    return "";
}

const char* typeName(SettingType type) {
    switch (type) {
        case SettingType::Int: return "int";
        case SettingType::Bool: return "bool";
        case SettingType::Float: return "float";
        case SettingType::Sensitivity: return "sensitivity";
        case SettingType::Models: return "models";
        case SettingType::Control: return "control";
    }
    return "";
}

std::string valueText(SettingType type, double value) {
    switch (type) {
        case SettingType::Int: return wholeNumber(value);
        case SettingType::Control: return value == noControl ? "none" : wholeNumber(value);
        case SettingType::Bool: return value == 1.0 ? "1" : "0";
        case SettingType::Float:
        case SettingType::Sensitivity: return shortFloat(static_cast<float>(value));
        case SettingType::Models: break;
    }
    return "";
}

// The default file's value texts, as the writer writes them; for the keys it leaves out, the default
// the plug-in takes.
std::vector<std::string> defaultTexts() {
    Session session(std::nullopt);
    session.start();
    std::vector<std::string> texts;
    for (const SettingRow& key : kSettingRows) {
        std::string text;
        if (!readValueText(key.key, text)) text = valueText(key.type, key.defaultNumber);
        texts.push_back(text);
    }
    return texts;
}

std::string settingsIniOf(const Settings& s) {
    std::string text;
    for (const SettingRow& key : kSettingRows) {
        text += key.key;
        text += " = ";
        if (key.type == SettingType::Models) {
            // An empty value must still count, so it gets the comment that ends it.
            text += s.models[key.kind].empty() ? ";" : s.models[key.kind];
        } else if (key.type == SettingType::Control) {
            text += valueText(key.type, settingNumber(s, key));
        } else if (key.type == SettingType::Int || key.type == SettingType::Bool) {
            text += wholeNumber(settingNumber(s, key));
        } else {
            char buffer[32];
            std::snprintf(buffer, sizeof buffer, "%.9g", settingNumber(s, key));
            text += buffer;
        }
        text += "\n";
    }
    return text;
}

// The line that supplies the control key of an action on a device; 0 for none.
size_t lineOfAction(const LineReading& lines, InputDevice device, CabAction action) {
    for (size_t i = 0; i < std::size(kSettingRows); ++i) {
        const SettingRow& row = kSettingRows[i];
        if (row.type == SettingType::Control && row.device == device && row.action == action)
            return lines.supplier[i].value_or(0);
    }
    return 0;
}

// One key of the report: its value in force, where it came from and what may surprise in it.
json keyEntry(const SettingRow& key, const Settings& loaded, const BindingNotes& bindings, const LineReading& lines,
              const std::string& defaultText, const std::vector<std::string>& hints, std::vector<std::string>& notes,
              bool& found) {
    std::string text;
    size_t line = 0;
    found = readValueText(key.key, text, line);
    json entry = {{"key", key.key},
                  {"type", typeName(key.type)},
                  {"unit", unitName(key.unit)},
                  {"default", defaultText},
                  {"line", found ? json(line) : json(nullptr)},
                  {"text", found ? json(shown(text)) : json(nullptr)},
                  {"meaning", key.meaning},
                  {"optional", !key.written}};
    std::string why = found ? "line " + std::to_string(line) : "default: no line supplies it";
    if (key.type == SettingType::Models) {
        entry["value"] = shown(loaded.models[key.kind]);
        json models;
        modelNotes(key, loaded, notes, models);
        entry["models"] = std::move(models);
    } else if (key.type == SettingType::Control) {
        const double chosen = settingNumber(loaded, key);
        const CabBinding& binding = loaded.cabBindings[key.device][actionIndex(key.action)];
        if (found) noteControlLine(key, text, line, binding.control, why, notes);
        // A value the load refused leaves the default chosen, by no line.
        const bool taken = found && parseControlValue(text, key.device).verdict == ControlVerdict::Taken;
        const BindingNote& note = bindings[key.device][actionIndex(key.action)];
        noteBinding(key, chosen, binding.control, note, taken ? line : 0, lineOfAction(lines, key.device, note.clash),
                    why, notes);
        entry["value"] = valueText(key.type, binding.control);
        entry["number"] = binding.control;
        entry["unitText"] = controlName(binding.control, key.device);
    } else {
        const double inForce = settingNumber(loaded, key);
        std::string value = valueText(key.type, inForce);
        if (found) noteNumberLine(key, text, line, inForce, why, value, notes);
        entry["value"] = value;
        entry["number"] = inForce;
        entry["unitText"] = unitText(key, inForce);
    }
    if (!found)
        for (const std::string& hint : hints) why += "; " + hint;
    entry["why"] = why;
    entry["notes"] = notes;
    return entry;
}

}  // namespace

std::vector<std::pair<std::string, std::optional<size_t>>> suppliedLines(const std::string& ini) {
    const LineReading reading = readLines(ini);
    std::vector<std::pair<std::string, std::optional<size_t>>> lines;
    for (size_t i = 0; i < std::size(kSettingRows); ++i) lines.emplace_back(kSettingRows[i].key, reading.supplier[i]);
    return lines;
}

std::string defaultIni() {
    Session session(std::nullopt);
    session.start();
    return readIniFile().value_or("");
}

std::string settingsIni(const std::string& ini) {
    Session session(ini);
    session.start();
    return settingsIniOf(gSettings);
}

json settingsReport(const std::string& ini) {
    const std::vector<std::string> defaults = defaultTexts();
    Session session(ini);
    session.start();
    const Settings loaded = gSettings;
    Settings resolved = loaded;
    BindingNotes bindings;
    resolveCabBindings(resolved, &bindings);
    const LineReading lines = readLines(ini);

    json keys = json::array();
    std::vector<std::string> surprises;
    size_t keysFound = 0;
    for (size_t i = 0; i < std::size(kSettingRows); ++i) {
        std::vector<std::string> notes;
        bool found = false;
        keys.push_back(keyEntry(kSettingRows[i], loaded, bindings, lines, defaults[i], lines.hints[i], notes, found));
        keysFound += found ? 1 : 0;
        surprises.insert(surprises.end(), notes.begin(), notes.end());
    }

    json ignored = json::array();
    for (const IgnoredLine& l : lines.listed) {
        ignored.push_back({{"line", l.line},
                           {"text", l.text},
                           {"length", l.length},
                           {"reason", l.reason},
                           {"why", l.why},
                           {"suggestion", l.suggestion >= 0 ? json(kSettingRows[l.suggestion].key) : json(nullptr)}});
    }
    return json{{"encoding", encodingOf(ini, keysFound)},
                {"keys", std::move(keys)},
                {"surprises", surprises},
                {"ignored", std::move(ignored)},
                {"ignoredByReason", lines.byReason},
                {"ignoredTotal", lines.total},
                {"lineCount", lines.lineCount},
                {"settingsIni", settingsIniOf(loaded)}};
}

}  // namespace playground
