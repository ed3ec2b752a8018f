#include "tools/playground/core/settings_report.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <map>
#include <optional>
#include <vector>

#include "config/reader.h"
#include "config/setting_table.h"
#include "config/settings.h"
#include "config/writer.h"
#include "sim/world/world.h"
#include "tools/playground/core/session.h"

namespace playground {

namespace {

using nlohmann::json;

using Type = SettingType;
using Key = SettingRow;
const auto& kKeys = kSettingRows;
constexpr int kKeyCount = static_cast<int>(std::size(kSettingRows));

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
    }
    return "";
}

const char* typeName(Type type) {
    switch (type) {
        case Type::Int: return "int";
        case Type::Bool: return "bool";
        case Type::Float: return "float";
        case Type::Sensitivity: return "sensitivity";
        case Type::Models: return "models";
    }
    return "";
}


std::string trimmed(std::string text) {
    trimWhitespace(text);
    return text;
}

int keyIndex(const std::string& key) {
    for (int i = 0; i < kKeyCount; ++i)
        if (key == kKeys[i].key) return i;
    return -1;
}

bool equalIgnoringCase(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i] != '\0'; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
    return i == a.size() && b[i] == '\0';
}

// What a player sees of a text: the start of it, cut where it goes on too long.
constexpr size_t kShownBytes = 160;
std::string shown(const std::string& text) { return text.size() <= kShownBytes ? text : text.substr(0, kShownBytes) + "..."; }
std::string inQuotes(const std::string& text) { return "\"" + shown(text) + "\""; }

// Edit distance from `typed` to `key`, where leaving off the end of `key` costs one edit in all: a
// key cut short ("Train.Speed") is as near as a key with one typing slip.
size_t distanceToKey(const std::string& typed, const std::string& key) {
    std::vector<size_t> row(key.size() + 1);
    for (size_t j = 0; j <= key.size(); ++j) row[j] = j;
    for (size_t i = 1; i <= typed.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= key.size(); ++j) {
            const size_t above = row[j];
            const bool same = std::tolower(static_cast<unsigned char>(typed[i - 1])) ==
                              std::tolower(static_cast<unsigned char>(key[j - 1]));
            row[j] = std::min({above + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
            diagonal = above;
        }
    }
    size_t best = row[key.size()];
    for (size_t j = 0; j < key.size(); ++j) best = std::min(best, row[j] + 1);
    return best;
}

// Far-fetched suggestions help no one: only keys within a few edits, and never for long texts.
int nearestKey(const std::string& typed) {
    constexpr size_t kLongestLooked = 64;
    if (typed.empty() || typed.size() > kLongestLooked) return -1;
    int best = -1;
    size_t bestDistance = std::max<size_t>(3, typed.size() / 3) + 1;
    for (int i = 0; i < kKeyCount; ++i) {
        const size_t d = distanceToKey(typed, kKeys[i].key);
        if (d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    return best;
}

// Length of the decimal number (strtod syntax) at the start of `text`; 0 when there is none.
size_t numberPrefix(const std::string& text) {
    size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    const size_t mantissa = i;
    bool digits = false;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) digits = ++i > 0;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) digits = ++i > 0;
    }
    if (!digits) return 0;
    if (i > mantissa && i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        size_t e = i + 1;
        if (e < text.size() && (text[e] == '+' || text[e] == '-')) ++e;
        const size_t exponent = e;
        while (e < text.size() && std::isdigit(static_cast<unsigned char>(text[e]))) ++e;
        if (e > exponent) i = e;
    }
    return i;
}

std::string intText64(double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.0f", value);
    return buffer;
}

std::string valueText(Type type, double value) {
    switch (type) {
        case Type::Int: return intText64(value);
        case Type::Bool: return value == 1.0 ? "1" : "0";
        case Type::Float:
        case Type::Sensitivity: return shortFloat(static_cast<float>(value));
        case Type::Models: break;
    }
    return "";
}

// --- The lines, split as the reader splits them ---

struct IgnoredLine {
    size_t line;
    std::string text;
    size_t length;
    std::string reason;
    std::string why;
    int suggestion = -1;
};

struct LineReading {
    size_t lineCount = 0;
    std::vector<std::optional<size_t>> supplier = std::vector<std::optional<size_t>>(kKeyCount);
    std::vector<std::vector<std::string>> hints = std::vector<std::vector<std::string>>(kKeyCount);
    std::vector<IgnoredLine> listed;
    std::map<std::string, size_t> byReason;
    size_t total = 0;
};

class LineReader {
public:
    LineReading read(const std::string& bytes) {
        std::string line;
        size_t i = bytes.compare(0, utf8ByteOrderMark.size(), utf8ByteOrderMark) == 0 ? utf8ByteOrderMark.size() : 0;
        while (i < bytes.size()) {
            const size_t end = bytes.find_first_of("\r\n", i);
            if (end == std::string::npos) {
                line.assign(bytes, i, std::string::npos);
                i = bytes.size();
                break;
            }
            line.assign(bytes, i, end - i);
            i = end + 1;
            if (bytes[end] == '\r' && i < bytes.size() && bytes[i] == '\n') ++i;
            take(line);
            line.clear();
        }
        if (!line.empty()) take(line);
        return std::move(reading_);
    }

private:
    void take(std::string& raw) {
        const size_t number = ++reading_.lineCount;
        trimWhitespace(raw);
        const std::string& t = raw;
        if (t.empty()) return;
        if (t.size() < 3) return ignore(number, t, "short", "too short: the plug-in skips lines of fewer than 3 characters");
        if (t[0] == ';') return ignore(number, t, "comment", "a comment");
        if (t[0] == '[') return ignore(number, t, "section", "a section header: sections play no part, keys count wherever they stand");
        const size_t equals = t.find('=');
        const std::string key = trimmed(t.substr(0, equals));
        const int index = keyIndex(key);
        if (index >= 0) {
            const std::string name = kKeys[index].key;
            if (equals == std::string::npos) {
                hint(index, "line " + std::to_string(number) + " has " + name + " without \"=\" and is skipped");
                return ignore(number, t, "noEquals", name + " without \"=\": skipped, the search for the key goes on");
            }
            if (equals + 1 >= t.size()) {
                hint(index, "line " + std::to_string(number) + " has nothing after its \"=\" and is skipped");
                return ignore(number, t, "noValue", "nothing after \"=\": skipped, the search for " + name + " goes on");
            }
            if (reading_.supplier[static_cast<size_t>(index)]) {
                return ignore(number, t, "repeated",
                              name + " again: line " + std::to_string(*reading_.supplier[static_cast<size_t>(index)]) +
                                  " supplies it, so this line is never read");
            }
            reading_.supplier[static_cast<size_t>(index)] = number;
            // A second "=" only drops part of the value when no ";" has ended the value before it.
            const size_t second = t.find('=', equals + 1);
            if (second != std::string::npos && t.find(';', equals + 1) > second) {
                return ignore(number, t, "secondEquals",
                              "supplies " + name + ", but " + inQuotes(t.substr(second)) +
                                  " from the second \"=\" on is dropped");
            }
            return;
        }
        // A mark left in the middle of a file (two files pasted together) is invisible in an editor.
        if (key.compare(0, utf8ByteOrderMark.size(), utf8ByteOrderMark) == 0) {
            const std::string rest = key.substr(utf8ByteOrderMark.size());
            return ignore(number, t, "mark",
                          "an invisible byte-order mark (U+FEFF) stands before " + inQuotes(rest) +
                              ": with it in front the plug-in does not know the key; delete the line's first character",
                          rest);
        }
        for (int k = 0; k < kKeyCount; ++k) {
            if (equalIgnoringCase(key, kKeys[k].key)) {
                hint(k, "line " + std::to_string(number) + " has it in the wrong case: " + inQuotes(key));
                return ignore(number, t, "case",
                              "key in the wrong case: the plug-in reads only " + std::string(kKeys[k].key));
            }
        }
        ignore(number, t, "unknown",
               equals == std::string::npos ? "not a key = value line" : "a key the plug-in does not know: " + inQuotes(key),
               key);
    }

    void ignore(size_t number, const std::string& text, const char* reason, std::string why, const std::string& key = "") {
        ++reading_.total;
        ++reading_.byReason[reason];
        if (reading_.listed.size() >= kListedLines) return;
        IgnoredLine entry{number, shown(text), text.size(), reason, std::move(why)};
        if (!key.empty()) {
            entry.suggestion = nearestKey(key);
            if (entry.suggestion >= 0) {
                hint(entry.suggestion, "line " + std::to_string(number) + " has " + inQuotes(key) + ", which may be meant for it");
            }
        }
        reading_.listed.push_back(std::move(entry));
    }

    void hint(int index, std::string text) {
        std::vector<std::string>& hints = reading_.hints[static_cast<size_t>(index)];
        if (hints.size() < 3) hints.push_back(std::move(text));
    }

    LineReading reading_;
};

// --- What the values do that a player may not expect ---

// A top speed above this many m/s (180 km/h) was more likely meant in km/h or mph.
constexpr double kLikelyKmh = 50.0;

void numberNotes(const Key& key, double read, double inForce, std::vector<std::string>& notes) {
    const std::string name = key.key;
    const std::string shownRead = shortFloat(static_cast<float>(read));
    const auto note = [&](std::string text) { notes.push_back(name + ": " + std::move(text)); };
    switch (key.type) {
        case Type::Bool:
            if (read != 0.0 && read != 1.0) note(shownRead + " turns it off: only exactly 1 turns it on");
            break;
        case Type::Int:
            if (read != inForce) note(shownRead + " is cut to the whole number " + intText64(inForce));
            if (name == "Displays.Position" && inForce != 0.0 && inForce != 1.0)
                note(intText64(inForce) + " puts the displays at the bottom, as 1 does");
            if (name == "Trains.EntranceType" && inForce != 0.0 && inForce != 1.0)
                note(intText64(inForce) + " is the realistic entrance, as 1 is: only 0 is the normal one");
            if (name == "Train.Seat" && inForce != 0.0 && inForce != 1.0)
                note(intText64(inForce) + " is the driver's seat, as 0 is: the engineer leaves and takes no commands");
            if (name == "Trains.DerailedWagonsMaxCount" && inForce <= 0.0)
                note(intText64(inForce) + ": every derailed wagon is deleted as soon as it is looked after");
            break;
        case Type::Float:
            if (name == "Trains.EnterDelay" && inForce <= 0.0) note(shownRead + ": no need to hold the key, a press enters");
            if (name == "Trains.EnterDelay" && inForce > 30.0) note("the enter key must be held for " + shownRead + " s");
            if (name == "Trains.DerailedWagonsMaxDistance" && inForce <= 0.0)
                note(shownRead + ": every derailed wagon is deleted as soon as it is looked after");
            if (name.find(".SpeedForward") != std::string::npos && inForce <= 0.0)
                note("a top speed of " + shownRead + ": the train cannot gain speed forward");
            if (name.find(".SpeedBackward") != std::string::npos && inForce <= 0.0)
                note("a top speed of " + shownRead + ": the train cannot reverse");
            if (name.find(".Acceleration") != std::string::npos && inForce <= 0.0)
                note(shownRead + (inForce < 0.0 ? ": the accelerate key pushes the train the wrong way"
                                                : ": the train cannot gain speed"));
            if (name.find(".Braking") != std::string::npos && inForce <= 0.0)
                note(shownRead + (inForce < 0.0 ? ": a negative braking rate, the brakes speed the train up"
                                                : ": the brakes do not slow the train"));
            break;
        case Type::Sensitivity:
            if (read != inForce) note(shownRead + " is outside 0 to 1 and is clamped to " + shortFloat(static_cast<float>(inForce)));
            if (name.find(".Derailment") != std::string::npos && inForce >= 1.0)
                note("1 derails the train about 0.3 s after entering, even standing still");
            if (name.find(".Derailment") != std::string::npos && inForce <= 0.0)
                note("0: the train derails only by the derail key [X]");
            if (name.find(".Explosion") != std::string::npos && inForce >= 1.0)
                note("1: a derailed wagon explodes at any change of speed");
            break;
        case Type::Models: break;
    }
}

std::vector<std::string> modelPieces(const std::string& text) {
    std::vector<std::string> pieces;
    size_t position = 0;
    while (position < text.size()) {
        const size_t comma = text.find(',', position);
        const size_t end = comma == std::string::npos ? text.size() : comma;
        pieces.push_back(trimmed(text.substr(position, end - position)));
        position = comma == std::string::npos ? text.size() : comma + 1;
    }
    return pieces;
}

void modelNotes(const Key& key, const Settings& s, std::vector<std::string>& notes, json& models) {
    const std::string name = key.key;
    const TrainKind kind = key.kind;
    const TrainKind other = kind == Freight ? Tram : Freight;
    const char* gameModel = kind == Freight ? "freight" : "metrotrain";
    const char* what = kind == Freight ? "freight train" : "tram";
    bool listsGameModel = false;
    models = json::array();
    for (const std::string& piece : modelPieces(s.models[kind])) {
        const uint32_t hash = sim::hashName(piece.c_str());
        models.push_back({{"name", shown(piece)}, {"hash", hash}});
        if (hash == 0) {
            notes.push_back(name + ": the empty name " + (piece.empty() ? "between two commas" : inQuotes(piece)) +
                            " is dropped");
            continue;
        }
        listsGameModel = listsGameModel || hash == sim::hashName(gameModel);
        if (piece.find_first_of(" \t") != std::string::npos)
            notes.push_back(name + ": " + inQuotes(piece) + " has a space in it; the game's model names have none");
        const std::vector<uint32_t>& otherList = s.modelHashes[other];
        if (kind == Tram && std::find(otherList.begin(), otherList.end(), hash) != otherList.end())
            notes.push_back(name + ": " + inQuotes(piece) + " is listed for the freight train too, so the plug-in drives it as one");
    }
    if (s.modelHashes[kind].empty()) {
        notes.push_back(name + ": no model left in the list, so no " + std::string(what) + " is recognised");
    } else if (!listsGameModel) {
        notes.push_back(name + ": the game's " + what + " (" + gameModel + ") is not listed, so it is not recognised");
    }
}

// The default file's value texts, as the writer writes them.
std::vector<std::string> defaultTexts() {
    Session session(std::nullopt);
    session.start();
    std::vector<std::string> texts;
    for (const Key& key : kKeys) {
        std::string text;
        readValueText(key.key, text);
        texts.push_back(text);
    }
    return texts;
}

std::string settingsIniOf(const Settings& s) {
    std::string text;
    for (const Key& key : kKeys) {
        text += key.key;
        text += " = ";
        if (key.type == Type::Models) {
            // An empty value must still count, so it gets the comment that ends it.
            text += s.models[key.kind].empty() ? ";" : s.models[key.kind];
        } else if (key.type == Type::Int || key.type == Type::Bool) {
            text += intText64(settingNumber(s, key));
        } else {
            char buffer[32];
            std::snprintf(buffer, sizeof buffer, "%.9g", settingNumber(s, key));
            text += buffer;
        }
        text += "\n";
    }
    return text;
}

// --- What the file's bytes are, and what the plug-in makes of them ---

// The line, counted as the reader counts them, that holds byte `offset`.
size_t lineAt(const std::string& bytes, size_t offset) {
    size_t line = 1;
    for (size_t i = 0; i < offset && i < bytes.size(); ++i) {
        if (bytes[i] == '\n' || (bytes[i] == '\r' && (i + 1 >= bytes.size() || bytes[i + 1] != '\n'))) ++line;
    }
    return line;
}

// Where text written two bytes a character begins: four letters in a row, each beside a NUL byte.
std::optional<size_t> utf16Start(const std::string& bytes) {
    constexpr size_t kRun = 4;
    for (size_t i = 0; i + 2 * kRun <= bytes.size(); ++i) {
        size_t letters = 0;
        for (size_t pair = 0; pair < kRun; ++pair) {
            const unsigned char a = static_cast<unsigned char>(bytes[i + 2 * pair]);
            const unsigned char b = static_cast<unsigned char>(bytes[i + 2 * pair + 1]);
            // Either order: a little-endian letter is (letter, 0), a big-endian one (0, letter).
            if ((a >= 0x20 && a < 0x7f && b == 0) || (a == 0 && b >= 0x20 && b < 0x7f)) ++letters;
        }
        if (letters == kRun) return i;
    }
    return std::nullopt;
}

// Length of the UTF-8 sequence at `i`, or 0 when the bytes there are not one.
size_t utf8Sequence(const std::string& bytes, size_t i) {
    const unsigned char lead = static_cast<unsigned char>(bytes[i]);
    const size_t length = lead >= 0xf0 && lead <= 0xf4 ? 4 : lead >= 0xe0 ? 3 : lead >= 0xc2 && lead < 0xe0 ? 2 : 0;
    if (length == 0 || i + length > bytes.size()) return 0;
    for (size_t k = 1; k < length; ++k)
        if ((static_cast<unsigned char>(bytes[i + k]) & 0xc0) != 0x80) return 0;
    return length;
}

std::string lineList(const std::vector<size_t>& lines, size_t total) {
    std::string text = total == 1 ? "line " : "lines ";
    for (size_t i = 0; i < lines.size(); ++i) text += (i == 0 ? "" : ", ") + std::to_string(lines[i]);
    if (total > lines.size()) text += " and " + std::to_string(total - lines.size()) + " more";
    return text;
}

constexpr const char* kSaveAsUtf8 =
    "Save the file as UTF-8 (Notepad: File > Save as > Encoding: UTF-8), or save it from this page with "
    "\"Save VornLoconaut.ini\", which writes UTF-8.";

// "name" (ascii, utf-8, utf-8-mark, utf-16le, utf-16be, part-utf-16, 8-bit), "label", "level"
// (ok, warning, error), "says" (what the plug-in makes of the file), "advice", "decodeAs" (how the
// page shows the text: a TextDecoder label).
json encodingOf(const std::string& bytes, size_t keysFound) {
    const auto result = [](const char* name, std::string label, const char* level, std::string says,
                           std::string advice, const char* decodeAs) {
        return json{{"name", name}, {"label", std::move(label)}, {"level", level}, {"says", std::move(says)},
                    {"advice", std::move(advice)}, {"decodeAs", decodeAs}};
    };
    const std::string reads = keysFound == 0 ? "the plug-in reads none of these settings"
                                             : "the plug-in reads only " + std::to_string(keysFound) +
                                                   (keysFound == 1 ? " setting" : " settings") + " from it";
    const bool markLe = bytes.compare(0, 2, "\xFF\xFE") == 0;
    const bool markBe = bytes.compare(0, 2, "\xFE\xFF") == 0;
    const std::optional<size_t> start = utf16Start(bytes);
    if (markLe || markBe || (start && *start <= 1)) {
        const bool little = markLe || (!markBe && bytes[*start] != '\0');
        return result(little ? "utf-16le" : "utf-16be",
                      std::string("Unicode (UTF-16 ") + (little ? "LE" : "BE") +
                          (markLe || markBe ? ", with a byte-order mark)" : ", without a byte-order mark)"),
                      "error", "Saved as Unicode (UTF-16): " + reads + ".", kSaveAsUtf8, little ? "utf-16le" : "utf-16be");
    }
    if (start) {
        const size_t line = lineAt(bytes, *start);
        return result("part-utf-16", "Partly Unicode (UTF-16), from line " + std::to_string(line), "error",
                      "From line " + std::to_string(line) + " on the file is UTF-16 (a NUL byte beside every letter): "
                          "the plug-in reads none of the settings there.",
                      kSaveAsUtf8, "utf-8");
    }
    constexpr size_t kListed = 5;
    std::vector<size_t> foreignLines;
    std::vector<size_t> nulLines;
    size_t foreignTotal = 0;
    size_t nulTotal = 0;
    bool utf8 = true;
    bool beyondAscii = false;
    const bool mark = bytes.compare(0, utf8ByteOrderMark.size(), utf8ByteOrderMark) == 0;
    size_t line = 1;
    size_t lastForeign = 0;
    size_t lastNul = 0;
    for (size_t i = mark ? utf8ByteOrderMark.size() : 0; i < bytes.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c == '\n' || (c == '\r' && (i + 1 >= bytes.size() || bytes[i + 1] != '\n'))) ++line;
        if (c == 0 && lastNul != line) {
            lastNul = line;
            if (++nulTotal <= kListed) nulLines.push_back(line);
        }
        if (c < 0x80) continue;
        beyondAscii = true;
        const size_t length = utf8Sequence(bytes, i);
        if (length == 0) {
            utf8 = false;
            if (lastForeign != line) {
                lastForeign = line;
                if (++foreignTotal <= kListed) foreignLines.push_back(line);
            }
        } else {
            i += length - 1;
        }
    }
    const std::string nuls = nulTotal == 0 ? ""
                                           : " NUL bytes on " + lineList(nulLines, nulTotal) +
                                                 ": they are not text, and a key with one in it is unknown.";
    const char* level = nulTotal == 0 ? "ok" : "warning";
    if (!utf8) {
        return result("8-bit", "8-bit text (Windows' \"ANSI\"), not UTF-8", "warning",
                      "Characters that are not UTF-8 on " + lineList(foreignLines, foreignTotal) +
                          ": the plug-in reads the file byte by byte, so they do no harm in comments, but a key "
                          "with one in it is unknown." + nuls,
                      "Keep keys and values to plain letters, digits and \".\"; save the file as UTF-8 to be safe.",
                      "windows-1252");
    }
    if (mark) {
        return result("utf-8-mark", "UTF-8 with a byte-order mark", level,
                      "The plug-in skips the mark at the start of the file and reads the rest." + nuls, "", "utf-8");
    }
    if (beyondAscii) {
        return result("utf-8", "UTF-8", level,
                      "The plug-in reads it; characters beyond plain ASCII are fine in comments." + nuls, "", "utf-8");
    }
    return result("ascii", "Plain text (ASCII, which is also UTF-8)", level, "The plug-in reads it as it is." + nuls, "",
                  "utf-8");
}

// --- Units in the player's own terms ---

// One decimal at most, none when it is 0: 144, 89.5, 0.7.
std::string rounded(double value) {
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%.1f", std::round(value * 10.0) / 10.0);
    std::string text = buffer;
    if (text.size() > 2 && text.compare(text.size() - 2, 2, ".0") == 0) text.erase(text.size() - 2);
    return text == "-0" ? "0" : text;
}

constexpr double kKmhPerMs = 3.6;
constexpr double kMphPerMs = 2.2369363;

std::string unitText(const Key& key, double value) {
    switch (key.unit) {
        case SettingUnit::Speed:
            if (!std::isfinite(value) || std::fabs(value) > 1e9) return "m/s";
            return "m/s (= " + rounded(value * kKmhPerMs) + " km/h, " + rounded(value * kMphPerMs) + " mph)";
        case SettingUnit::Acceleration: return "m/s\u00b2, from a standstill (tapers off towards the top speed)";
        case SettingUnit::Braking: return "m/s\u00b2 at the top speed, half of it near a standstill";
        case SettingUnit::Seconds: return "s";
        case SettingUnit::Metres: return "m";
        case SettingUnit::Count: return "wagons";
        case SettingUnit::Fraction: return "0 to 1";
        case SettingUnit::Switch:  // on only at exactly 1: the page says it once, not on every row
        case SettingUnit::Choice:
        case SettingUnit::None: break;
    }
    return "";
}

std::string lowered(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// What follows the number when it is only the row's own unit, written out ("40 m/s").
bool isOwnUnit(const Key& key, const std::string& rest) {
    const std::string unit = lowered(trimmed(rest));
    switch (key.unit) {
        case SettingUnit::Speed: return unit == "m/s" || unit == "mps";
        case SettingUnit::Acceleration:
        case SettingUnit::Braking: return unit == "m/s2" || unit == "m/s^2" || unit == "m/s\u00b2";
        case SettingUnit::Seconds: return unit == "s" || unit == "sec" || unit == "seconds";
        case SettingUnit::Metres: return unit == "m" || unit == "metres" || unit == "meters";
        default: return false;
    }
}

// Notes on what follows the number that the plug-in does not read: a decimal comma, a percent
// sign, a speed in km/h or mph. True when one was made, so the plain "only the number" note is not.
bool textNotes(const Key& key, const std::string& text, size_t prefix, double read, std::vector<std::string>& notes) {
    const std::string name = key.key;
    const std::string number = text.substr(0, prefix);
    const std::string rest = trimmed(text.substr(prefix));
    const std::string unit = lowered(rest);
    if (rest.size() >= 2 && rest[0] == ',' && std::isdigit(static_cast<unsigned char>(rest[1])) && prefix == text.find(',')) {
        notes.push_back(name + ": " + inQuotes(text) + " is read as " + shortFloat(static_cast<float>(read)) + "; write " +
                        number + "." + rest.substr(1) +
                        ": the plug-in reads a number only up to the first character that is not part of it");
        return true;
    }
    if (!rest.empty() && rest[0] == '%') {
        notes.push_back(name + ": " + inQuotes(text) + " is read as " + number +
                        (key.unit == SettingUnit::Fraction ? ", which is clamped to 1; for " + number + " % write " +
                                                                 shortFloat(static_cast<float>(read / 100.0))
                                                           : "; the plug-in knows no percent"));
        return true;
    }
    if (key.unit == SettingUnit::Speed) {
        const bool kmh = unit == "km/h" || unit == "kmh" || unit == "kph" || unit == "km/hr";
        const bool mph = unit == "mph";
        if (kmh || mph) {
            const double perMs = kmh ? kKmhPerMs : kMphPerMs;
            notes.push_back(name + ": " + inQuotes(text) + " is read as " + number + " m/s, that is " +
                            rounded(read * kKmhPerMs) + " km/h (" + rounded(read * kMphPerMs) + " mph); for " + number +
                            (kmh ? " km/h" : " mph") + " write " + rounded(read / perMs));
            return true;
        }
    }
    return isOwnUnit(key, rest);
}

}  // namespace

std::string shortFloat(float value) {
    // Exponents only where plain digits would run long: 200, not 2e+02.
    const bool plain = std::fabs(value) < 1e7f && (std::fabs(value) >= 1e-4f || value == 0.0f);
    char buffer[32];
    for (int precision = 1; precision <= 9; ++precision) {
        std::snprintf(buffer, sizeof buffer, "%.*g", precision, static_cast<double>(value));
        if (std::strtof(buffer, nullptr) == value && (!plain || std::strchr(buffer, 'e') == nullptr)) break;
    }
    return buffer;
}

std::vector<std::pair<std::string, std::optional<size_t>>> suppliedLines(const std::string& ini) {
    const LineReading reading = LineReader().read(ini);
    std::vector<std::pair<std::string, std::optional<size_t>>> lines;
    for (int i = 0; i < kKeyCount; ++i) lines.emplace_back(kKeys[i].key, reading.supplier[static_cast<size_t>(i)]);
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
    const LineReading lines = LineReader().read(ini);

    json keys = json::array();
    std::vector<std::string> surprises;
    size_t keysFound = 0;
    for (int i = 0; i < kKeyCount; ++i) {
        const Key& key = kKeys[i];
        std::string text;
        size_t line = 0;
        const bool found = readValueText(key.key, text, line);
        json entry = {{"key", key.key},
                      {"type", typeName(key.type)},
                      {"unit", unitName(key.unit)},
                      {"default", defaults[static_cast<size_t>(i)]},
                      {"line", found ? json(line) : json(nullptr)},
                      {"text", found ? json(shown(text)) : json(nullptr)}};
        std::vector<std::string> notes;
        std::string why = found ? "line " + std::to_string(line) : "default: no line supplies it";
        if (key.type == Type::Models) {
            entry["value"] = shown(loaded.models[key.kind]);
            json models;
            modelNotes(key, loaded, notes, models);
            entry["models"] = std::move(models);
        } else {
            const double inForce = settingNumber(loaded, key);
            entry["value"] = valueText(key.type, inForce);
            entry["number"] = inForce;
            entry["unitText"] = unitText(key, inForce);
            if (found) {
                // The reader's own conversion decides: a probe it leaves untouched was not read.
                float probe = std::nanf("");
                readFloatSetting(key.key, probe);
                const size_t prefix = numberPrefix(text);
                if (std::isnan(probe)) {
                    why = text.empty() ? "default: line " + std::to_string(line) + " has no value before its comment"
                          : prefix > 0 ? "default: the number on line " + std::to_string(line) + " is out of range"
                                       : "default: the value on line " + std::to_string(line) + " is not a number";
                } else {
                    if (prefix < text.size() && !textNotes(key, text, prefix, probe, notes))
                        notes.push_back(std::string(key.key) + ": only the number " + inQuotes(text.substr(0, prefix)) +
                                        " at the start of " + inQuotes(text) + " is read");
                    else if (prefix == text.size() && key.unit == SettingUnit::Speed && std::fabs(probe) > kLikelyKmh)
                        notes.push_back(std::string(key.key) + ": " + shortFloat(probe) + " m/s is " +
                                        rounded(probe * kKmhPerMs) + " km/h; for " + shortFloat(probe) + " km/h write " +
                                        rounded(probe / kKmhPerMs));
                    numberNotes(key, probe, inForce, notes);
                }
            }
        }
        if (!found)
            for (const std::string& hint : lines.hints[static_cast<size_t>(i)]) why += "; " + hint;
        entry["meaning"] = key.meaning;
        keysFound += found ? 1 : 0;
        entry["why"] = why;
        entry["notes"] = notes;
        surprises.insert(surprises.end(), notes.begin(), notes.end());
        keys.push_back(std::move(entry));
    }

    json ignored = json::array();
    for (const IgnoredLine& l : lines.listed) {
        ignored.push_back({{"line", l.line},
                           {"text", l.text},
                           {"length", l.length},
                           {"reason", l.reason},
                           {"why", l.why},
                           {"suggestion", l.suggestion >= 0 ? json(kKeys[l.suggestion].key) : json(nullptr)}});
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
