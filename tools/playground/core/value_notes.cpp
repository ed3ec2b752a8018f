#include "tools/playground/core/value_notes.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>

#include "config/reader.h"
#include "host/game_controls.h"
#include "sim/world/world.h"
#include "tools/playground/core/player_text.h"

namespace playground {

namespace {

// A top speed above this many m/s (180 km/h) was more likely meant in km/h or mph.
constexpr double kLikelyKmh = 50.0;
constexpr double kKmhPerMs = 3.6;
constexpr double kMphPerMs = 2.2369363;

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

// `typed`: the number as the player wrote it, which the notes quote ("99999999999", not "1e+11").
void numberNotes(const SettingRow& key, double read, const std::string& typed, double inForce, std::vector<std::string>& notes) {
    const std::string name = key.key;
    const std::string& shownRead = typed;
    const auto note = [&](std::string text) { notes.push_back(name + ": " + std::move(text)); };
    switch (key.type) {
        case SettingType::Bool:
            if (read != 0.0 && read != 1.0) note(shownRead + " turns it off: only exactly 1 turns it on");
            break;
        case SettingType::Int:
            if (read != inForce) note(shownRead + " is cut to the whole number " + wholeNumber(inForce));
            if (name == "Displays.Position" && inForce != 0.0 && inForce != 1.0)
                note(wholeNumber(inForce) + " puts the displays at the bottom, as 1 does");
            if (name == "Trains.EntranceType" && inForce != 0.0 && inForce != 1.0)
                note(wholeNumber(inForce) + " is the realistic entrance, as 1 is: only 0 is the normal one");
            if (name == "Train.Seat" && inForce != 0.0 && inForce != 1.0)
                note(wholeNumber(inForce) + " is the driver's seat, as 0 is: the engineer leaves and takes no commands");
            if (name == "Trains.DerailedWagonsMaxCount" && inForce <= 0.0)
                note(wholeNumber(inForce) + ": every derailed wagon is deleted as soon as it is looked after");
            break;
        case SettingType::Float:
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
        case SettingType::Sensitivity:
            if (read != inForce) note(shownRead + " is outside 0 to 1 and is clamped to " + shortFloat(static_cast<float>(inForce)));
            if (name.find(".Derailment") != std::string::npos && inForce >= 1.0)
                note("1 derails the train about 0.3 s after entering, even standing still");
            if (name.find(".Derailment") != std::string::npos && inForce <= 0.0)
                note("0: the train derails only by the derail key [X]");
            if (name.find(".Explosion") != std::string::npos && inForce >= 1.0)
                note("1: a derailed wagon explodes at any change of speed");
            break;
        case SettingType::Models:
        case SettingType::Control: break;
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

// What follows the number when it is only the row's own unit, written out ("40 m/s").
bool isOwnUnit(const SettingRow& key, const std::string& rest) {
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
bool textNotes(const SettingRow& key, const std::string& text, size_t prefix, double read, std::vector<std::string>& notes) {
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

// The action of a control key, as the notes name it: "the doors", "the seat change (left)".
std::string actionShown(CabAction action) {
    switch (action) {
        case CabAction::Enter: return "entering";
        case CabAction::Exit: return "leaving the cab";
        case CabAction::Accelerate: return "accelerating";
        case CabAction::Brake: return "braking";
        case CabAction::Handbrake: return "the handbrake";
        case CabAction::SeatLeft: return "the seat change (left)";
        case CabAction::SeatRight: return "the seat change (right)";
        case CabAction::HighBeam: return "the high beam";
        case CabAction::Horn: return "the horn and the engineer command";
        case CabAction::Doors: return "the doors";
        case CabAction::Derail: return "the manual derailment";
        case CabAction::Radio: return "the game's radio";
        case CabAction::CallTrain: return "calling a train";
    }
    return "";
}

std::string keyOrButton(InputDevice device) { return device == Keyboard ? "key" : "button"; }

// The verb for an action as actionShown names it: "the doors stay", "the high beam stays".
std::string verb(CabAction action, const char* one, const char* many) {
    return action == CabAction::Doors || action == CabAction::Horn ? many : one;
}

// Where an action stays: "the doors stay on G", "the doors have no button on the pad".
std::string staysOn(CabAction action, int32_t control, InputDevice device) {
    const std::string what = actionShown(action) + " ";
    if (control == noControl)
        return what + verb(action, "has", "have") + " no " + keyOrButton(device) + (device == Pad ? " on the pad" : "");
    const std::string inputs = inputsShown(control, device);
    return what + verb(action, "stays", "stay") + " on " + (inputs.empty() ? controlText(control, device) : inputs);
}

}  // namespace

std::string controlName(int32_t control, InputDevice device) {
    const GameControl* row = gameControl(control);
    if (row == nullptr) return "";
    const std::string inputs = inputsShown(control, device);
    return std::string(row->name) + " (" + (inputs.empty() ? "no " + keyOrButton(device) + " by default" : inputs) + ")";
}

std::string controlText(int32_t control, InputDevice device) {
    return gameControl(control) == nullptr ? "none" : std::to_string(control) + " " + controlName(control, device);
}

void noteControlLine(const SettingRow& key, const std::string& text, size_t line, int32_t bound, std::string& why,
                     std::vector<std::string>& notes) {
    const std::string name = key.key;
    const ControlValue value = parseControlValue(text, key.device);
    const std::string at = "line " + std::to_string(line);
    switch (value.verdict) {
        case ControlVerdict::NotAControl:
            why = "default: the value on " + at + " names no control of the game";
            notes.push_back(name + ": " + inQuotes(text) + " is neither a control's number nor its INPUT_ name, so " +
                            staysOn(key.action, bound, key.device));
            return;
        case ControlVerdict::OutOfRange:
            why = "default: the number on " + at + " is no control of the game";
            notes.push_back(name + ": " + inQuotes(text) + " is no control: the game's controls are numbered 0 to " +
                            std::to_string(gameControlCount - 1) +
                            ", so " + staysOn(key.action, bound, key.device));
            return;
        case ControlVerdict::NotWhole:
            why = "default: the number on " + at + " is not a whole number";
            notes.push_back(name + ": " + inQuotes(text) + " is not a control's number, which is whole and in digits, so " +
                            staysOn(key.action, bound, key.device));
            return;
        case ControlVerdict::NoButton:
            why = "default: the control on " + at + " has no gamepad button";
            notes.push_back(name + ": " + inQuotes(text) +
                            " has no gamepad button, and the game's pad layouts cannot be changed, so " +
                            staysOn(key.action, bound, key.device));
            return;
        case ControlVerdict::Taken: break;
    }
    const size_t prefix = numberPrefix(text);
    if (prefix > 0 && prefix < text.size())
        notes.push_back(name + ": only the number " + inQuotes(text.substr(0, prefix)) + " at the start of " +
                        inQuotes(text) + " is read");
    if (key.device == Keyboard && inputsOf(value.control, Keyboard).count == 0)
        notes.push_back(name + ": " + controlText(value.control, Keyboard) +
                        " has no key until you give it one in the game's settings (Settings, Keyboard / Mouse)");
}

void noteBinding(const SettingRow& key, double chosen, int32_t bound, const BindingNote& note, size_t line,
                 size_t clashLine, std::string& why, std::vector<std::string>& notes) {
    if (note.outcome == BindingOutcome::Chosen) return;
    const std::string name = key.key;
    const std::string input = keyOrButton(key.device);
    const auto wanted = static_cast<int32_t>(chosen);
    const std::string shownWanted = inputsShown(wanted, key.device);
    const std::string what = shownWanted.empty() ? controlText(wanted, key.device) : shownWanted;
    const CabActionRow& earlier = kCabActions[actionIndex(note.clash)];
    std::string owner;
    if (earlier.tag == nullptr) {
        owner = "is the game's own " + input + " for " + actionShown(note.clash);
    } else {
        owner = std::string("is taken by ") + (key.device == Keyboard ? "Controls." : "Pad.") + earlier.tag +
                (clashLine == 0 ? " (its default)"
                                : " (line " + std::to_string(clashLine) + (line != 0 ? "), higher in the table" : ")"));
    }
    const bool fellBack = note.outcome == BindingOutcome::FellBack;
    if (line != 0)
        why = std::string(fellBack ? "default" : "none") + ": the " + input + " on line " + std::to_string(line) + " " +
              owner + (fellBack ? "" : ", and so is its default");
    else
        why = "none: its default, " + what + ", " + owner;
    notes.push_back(name + ": " + (line != 0 ? what : "its default, " + what + ",") + " " + owner + "; one " + input +
                    " does one thing " + (key.action == CabAction::CallTrain ? "on foot" : "in the cab") + ", so " +
                    (fellBack ? staysOn(key.action, bound, key.device)
                              : actionShown(key.action) + " " + verb(key.action, "has", "have") + " no " + input + " now" +
                                    (line != 0 ? ": " + verb(key.action, "its", "their") + " own default is taken too" : "")));
}

std::string unitText(const SettingRow& key, double value) {
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
        case SettingUnit::Control:  // the report gives the control's name and keys instead
        case SettingUnit::Switch:  // on only at exactly 1: the page says it once, not on every row
        case SettingUnit::Choice:
        case SettingUnit::None: break;
    }
    return "";
}

void noteNumberLine(const SettingRow& key, const std::string& text, size_t line, double inForce, std::string& why,
                    std::string& value, std::vector<std::string>& notes) {
    // A probe the plug-in's conversion leaves untouched was not read.
    float probe = std::nanf("");
    readFloatSetting(key.key, probe);
    const size_t prefix = numberPrefix(text);
    if (std::isnan(probe)) {
        why = text.empty() ? "default: line " + std::to_string(line) + " has no value before its comment"
              : prefix > 0 ? "default: the number on line " + std::to_string(line) + " is out of range"
                           : "default: the value on line " + std::to_string(line) + " is not a number";
        return;
    }
    const std::string typed = text.substr(text[0] == '+' ? 1 : 0, prefix - (text[0] == '+' ? 1 : 0));
    if (prefix < text.size() && !textNotes(key, text, prefix, probe, notes))
        notes.push_back(std::string(key.key) + ": only the number " + inQuotes(text.substr(0, prefix)) +
                        " at the start of " + inQuotes(text) + " is read");
    else if (prefix == text.size() && key.unit == SettingUnit::Speed && std::fabs(probe) > kLikelyKmh)
        notes.push_back(std::string(key.key) + ": " + typed + " m/s is " + rounded(probe * kKmhPerMs) +
                        " km/h; for " + typed + " km/h write " + rounded(probe / kKmhPerMs));
    numberNotes(key, probe, typed, inForce, notes);
    // A value taken as written shows as written, not as the float's shortest text.
    if (probe == inForce && value.find('e') != std::string::npos && typed.find_first_of("eE") == std::string::npos)
        value = typed;
}

void modelNotes(const SettingRow& key, const Settings& s, std::vector<std::string>& notes, nlohmann::json& models) {
    const std::string name = key.key;
    const TrainKind kind = key.kind;
    const TrainKind other = kind == Freight ? Tram : Freight;
    const char* gameModel = kind == Freight ? "freight" : "metrotrain";
    const char* what = kind == Freight ? "freight train" : "tram";
    bool listsGameModel = false;
    models = nlohmann::json::array();
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

}  // namespace playground
