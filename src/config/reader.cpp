#include "config/reader.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

#include "config/cab_bindings.h"
#include "config/setting_table.h"
#include "config/settings.h"
#include "config/value_text.h"
#include "host/natives.h"
#include "host/recorder.h"

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Returns true with the value when this (already stripped) line supplies the key.
bool lineSupplies(const std::string& line, std::string_view key, std::string& value) {
    if (line.size() < 3 || line[0] == ';' || line[0] == '[') {
        return false;
    }
    const size_t equals = line.find('=');
    // The line is stripped already, so only the blanks before the "=" remain to be cut off the key.
    size_t keyEnd = equals == std::string::npos ? line.size() : equals;
    while (keyEnd > 0 && isBlank(line[keyEnd - 1])) {
        --keyEnd;
    }
    if (keyEnd != key.size() || line.compare(0, keyEnd, key) != 0) {
        return false;
    }
    // A bare key, or a key with nothing after its "=", does not count: the search goes on.
    if (equals == std::string::npos || equals + 1 >= line.size()) {
        return false;
    }
    const size_t secondEquals = line.find('=', equals + 1);
    std::string text = line.substr(equals + 1, secondEquals == std::string::npos ? std::string::npos
                                                                                 : secondEquals - equals - 1);
    const size_t semicolon = text.find(';');
    if (semicolon != std::string::npos) {
        text.erase(semicolon);
    }
    trimWhitespace(text);
    value = std::move(text);
    return true;
}

// One scan from the top of the file, handing each (stripped) line to `take` until it returns true.
// Lines end at LF, CR LF or a lone CR; the file is read as bytes so that neither the platform's text
// mode nor a NUL byte changes where a line ends. `lineNumber` ends on the line taken last, counted
// from 1. False when the file cannot be opened or no line was taken.
template <class Take>
bool scanLines(size_t& lineNumber, Take take) {
    lineNumber = 0;
    File file(std::fopen(configurationFileName, "rb"));
    if (!file) {
        return false;
    }
    char buffer[4096];
    std::string line;
    bool lastWasCr = false;
    bool firstBlock = true;
    for (;;) {
        const size_t count = std::fread(buffer, 1, sizeof buffer, file.get());
        if (count == 0) {
            break;
        }
        const char* cursor = buffer;
        // Windows editors put a UTF-8 byte-order mark in front of the first line; it is never part of a key.
        if (firstBlock && std::string_view(buffer, count).substr(0, utf8ByteOrderMark.size()) == utf8ByteOrderMark) {
            cursor += utf8ByteOrderMark.size();
        }
        firstBlock = false;
        const char* const end = buffer + count;
        while (cursor != end) {
            if (lastWasCr && *cursor == '\n') {
                ++cursor;  // second half of a CR LF pair
            }
            lastWasCr = false;
            const char* lineEnd = std::find_if(cursor, end, [](char c) { return c == '\n' || c == '\r'; });
            line.append(cursor, lineEnd);
            if (lineEnd == end) {
                break;  // the line goes on in the next block
            }
            lastWasCr = *lineEnd == '\r';
            cursor = lineEnd + 1;
            ++lineNumber;
            trimWhitespace(line);
            if (take(line)) {
                return true;
            }
            line.clear();
        }
    }
    // A read error ends the scan like the end of the file does; a last line without a line end counts.
    if (!line.empty()) {
        ++lineNumber;
        trimWhitespace(line);
        return take(line);
    }
    return false;
}

bool scanFor(const std::string& key, std::string& value, size_t& lineNumber) {
    return scanLines(lineNumber, [&](const std::string& line) { return lineSupplies(line, key, value); });
}

// The keys that move the cab's controls are optional and mostly absent, so they are looked up in one
// scan together rather than one scan each; as for every key, the first line that supplies one counts.
void readControlSettings(Settings& settings) {
    const SettingRow* rows[std::size(kSettingRows)] = {};
    size_t pending = 0;
    for (const SettingRow& row : kSettingRows) {
        if (row.type == SettingType::Control) {
            rows[pending++] = &row;
        }
    }
    size_t lineNumber = 0;
    std::string text;
    scanLines(lineNumber, [&](const std::string& line) {
        for (size_t i = 0; i < pending; ++i) {
            if (lineSupplies(line, rows[i]->key, text)) {
                const ControlValue value = parseControlValue(text, rows[i]->device);
                if (value.verdict == ControlVerdict::Taken) {
                    setSettingNumber(settings, *rows[i], static_cast<float>(value.control));
                }
                rows[i] = rows[--pending];
                break;
            }
        }
        return pending == 0;
    });
}

// A sensitivity is forced into [0, 1]; NaN cannot come from the conversion, but 0 is the safe side.
float clampSensitivity(float value) {
    if (!(value >= 0.0f)) {
        return 0.0f;
    }
    return value > 1.0f ? 1.0f : value;
}

// Bool and int fields go through a float too: their current (default) value in, the number read
// out, then converted back as the record stores it.
void readSetting(Settings& settings, const SettingRow& row) {
    if (std::string* text = settingText(settings, row)) {
        readValueText(row.key, *text);
        return;
    }
    if (row.type == SettingType::Control) {
        return;  // all of them in one scan: readControlSettings
    }
    float value = static_cast<float>(settingNumber(settings, row));
    readFloatSetting(row.key, value);
    if (row.type == SettingType::Sensitivity) {
        value = clampSensitivity(value);
    }
    setSettingNumber(settings, row, value);
}

}  // namespace


// strtod syntax in the "C" locale: optional sign, digits, ".", exponent; text after the number is
// ignored. Non-finite results (inf, nan, overflow) are refused so they never reach the game.

bool readValueText(const std::string& key, std::string& value, size_t& line) {
    try {
        return scanFor(key, value, line);
    } catch (...) {
        return false;  // out of memory on a monstrous line: the key is treated as absent
    }
}

bool readValueText(const std::string& key, std::string& value) {
    size_t line = 0;
    return readValueText(key, value, line);
}

void readFloatSetting(const std::string& key, float& value) {
    try {
        std::string text;
        if (!readValueText(key, text)) {
            return;
        }
        parseNumberText(text, value);
    } catch (...) {
    }
}

void buildModelHashes(const std::string& names, std::vector<uint32_t>& hashes) {
    hashes.clear();
    size_t position = 0;
    while (position < names.size()) {
        const size_t comma = names.find(',', position);
        const size_t pieceEnd = comma == std::string::npos ? names.size() : comma;
        std::string piece = names.substr(position, pieceEnd - position);
        position = comma == std::string::npos ? names.size() : comma + 1;
        trimWhitespace(piece);
        const uint32_t hash = HashName(piece.c_str());
        if (hash != 0) {
            hashes.push_back(hash);
        }
    }
}

void loadSettings() {
    recordConfigurationLoad();
    resetSettingsToDefaults();
    for (const SettingRow& row : kSettingRows) {
        readSetting(gSettings, row);
    }
    try {
        readControlSettings(gSettings);
    } catch (...) {
        // out of memory on a monstrous line: the controls keep their defaults
    }
    buildModelHashes(gSettings.models[Freight], gSettings.modelHashes[Freight]);
    buildModelHashes(gSettings.models[Tram], gSettings.modelHashes[Tram]);
    resolveCabBindings(gSettings);
}
