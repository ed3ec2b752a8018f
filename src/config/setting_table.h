#pragma once
// Every key of VornLoconaut.ini, one row each, in the order the plug-in loads them and the writer
// writes them: the key, the field of Settings it fills, its type, default and unit, and how the
// default file shows it. The reader, the writer, the defaults of the record and the tools that
// explain a player's file all iterate this table, so a key is declared here and nowhere else.

#include <cstdint>
#include <string>

#include "config/settings.h"

enum class SettingType : uint8_t {
    Int,          // read as a number, truncated toward zero
    Bool,         // read as a number: on exactly when it is 1
    Float,        // taken as written
    Sensitivity,  // a float forced into [0, 1]
    Models,       // model names separated by commas
    Control,      // a game control, by its id (read as Int is) or its INPUT_ name
};

// What a number means to the player; the tools show it in the player's own units.
enum class SettingUnit : uint8_t {
    None,
    Choice,        // a small whole number picking one of a few behaviours
    Switch,        // 1 on, anything else off
    Seconds,
    Metres,
    Count,
    Speed,         // m/s
    Acceleration,  // m/s^2, the full rate just above a standstill, tapering off towards the top speed
    Braking,       // m/s^2, the full rate at the top speed, half of it near a standstill
    Fraction,      // 0 to 1
    Control,       // a game control: its key on the keyboard or its button on a gamepad
};

struct SettingRow {
    const char* key;
    SettingType type;
    SettingUnit unit;
    // The field: a member of its own, or one of a per-kind pair and the kind.
    int32_t Settings::*intField = nullptr;
    bool Settings::*boolField = nullptr;
    float Settings::*floatField = nullptr;
    float (Settings::*floatPair)[2] = nullptr;
    std::string (Settings::*textPair)[2] = nullptr;
    TrainKind kind = Freight;
    // A control row: the device and the cab action it moves.
    InputDevice device = Keyboard;
    CabAction action = CabAction::Enter;
    float defaultNumber = 0.0f;
    const char* defaultText = "";
    // The default file: the section this row opens ("[Common]"), the comment after its value (none:
    // a bare "key = value" line), an empty line before it, and a float written without ".0".
    const char* opensSection = nullptr;
    const char* comment = nullptr;
    bool groupStart = false;
    bool plainNumber = false;
    // Optional keys a player may add: read like any other, but left out of the default file, which
    // stays as players and the release know it.
    bool written = true;
    // What the value does in play, in the player's words ("0: never derails by itself; 1: ...").
    const char* meaning = "";

    consteval SettingRow inSection(const char* header) const {
        SettingRow row = *this;
        row.opensSection = header;
        return row;
    }
    consteval SettingRow commented(const char* text) const {
        SettingRow row = *this;
        row.comment = text;
        return row;
    }
    consteval SettingRow startsGroup() const {
        SettingRow row = *this;
        row.groupStart = true;
        return row;
    }
    consteval SettingRow means(const char* text) const {
        SettingRow row = *this;
        row.meaning = text;
        return row;
    }
    consteval SettingRow unwritten() const {
        SettingRow row = *this;
        row.written = false;
        return row;
    }
    consteval SettingRow writtenPlain() const {
        SettingRow row = *this;
        row.plainNumber = true;
        return row;
    }
};

namespace setting_rows {

consteval SettingRow whole(const char* key, int32_t Settings::*field, int32_t value, SettingUnit unit) {
    SettingRow row{key, SettingType::Int, unit};
    row.intField = field;
    row.defaultNumber = static_cast<float>(value);
    return row;
}
consteval SettingRow flag(const char* key, bool Settings::*field, bool value) {
    SettingRow row{key, SettingType::Bool, SettingUnit::Switch};
    row.boolField = field;
    row.defaultNumber = value ? 1.0f : 0.0f;
    return row;
}
consteval SettingRow number(const char* key, float Settings::*field, float value, SettingUnit unit) {
    SettingRow row{key, SettingType::Float, unit};
    row.floatField = field;
    row.defaultNumber = value;
    return row;
}
consteval SettingRow perKind(const char* key, float (Settings::*pair)[2], TrainKind kind, float value,
                             SettingUnit unit, SettingType type = SettingType::Float) {
    SettingRow row{key, type, unit};
    row.floatPair = pair;
    row.kind = kind;
    row.defaultNumber = value;
    return row;
}
consteval SettingRow sensitivity(const char* key, float (Settings::*pair)[2], TrainKind kind, float value) {
    return perKind(key, pair, kind, value, SettingUnit::Fraction, SettingType::Sensitivity);
}
consteval SettingRow models(const char* key, TrainKind kind, const char* names) {
    SettingRow row{key, SettingType::Models, SettingUnit::None};
    row.textPair = &Settings::models;
    row.kind = kind;
    row.defaultText = names;
    return row;
}

// The control of one cab action on one device. These keys are a player's to add: the default file
// leaves them out.
consteval SettingRow cabControl(const char* key, InputDevice device, CabAction action) {
    SettingRow row{key, SettingType::Control, SettingUnit::Control};
    row.device = device;
    row.action = action;
    row.defaultNumber = static_cast<float>(cabAction(action).control[device]);
    row.written = false;
    row.meaning = cabAction(action).does;
    return row;
}

using S = Settings;
using A = CabAction;
using U = SettingUnit;

inline constexpr const char* kDerailmentMeaning =
    "0: the train never derails by itself, only by [X]; 1: it derails at once, even standing still";
inline constexpr const char* kExplosionMeaning =
    "0: derailed wagons never explode; 1: they explode at any change of speed";

// clang-format off
inline constexpr SettingRow kSettingRows[] = {
    whole("Displays.Position", &S::displaysPosition, 0, U::Choice).inSection("[Common]").commented("; 0 - top, 1 - bottom")
        .means("0: the displays at the top of the screen; any other number: at the bottom"),
    flag("Display.Speed", &S::displaySpeed, true).commented("; 0 - hide, 1 - show")
        .means("shows your speed in mph and km/h while you drive"),
    flag("Display.Derailment", &S::displayDerailment, true).means("shows the derailment-risk bar while you drive"),
    flag("Display.Doors", &S::displayDoors, true).means("shows the doors bar while you drive a tram"),
    flag("Display.TrainDistance", &S::displayTrainDistance, true)
        .means("shows how far the engineer's train is while he follows you"),

    flag("KeyAction.ManualDerailment", &S::keyActionManualDerailment, true).startsGroup()
        .commented("; [X]: 0 - stop automatic derailment, 1 - start manual derailment")
        .means("[X] held: 1 derails the train (above 7.2 km/h); 0 keeps the risk from building up"),
    flag("KeyAction.OpenCloseDoors", &S::keyActionOpenCloseDoors, true).commented("; [G]: 0 - disabled, 1 - enabled")
        .means("[G] opens and closes the doors"),
    flag("KeyAction.Radio", &S::keyActionRadio, true).commented("; [Q]: 0 - disabled, 1 - enabled")
        .means("the game's radio [Q] in the cab"),
    flag("KeyAction.EngineerCommand", &S::keyActionEngineerCommand, true).commented("; [E]: 0 - disabled, 1 - enabled")
        .means("a tap on [E] picks the engineer's command"),
    flag("KeyAction.ChangeSeat", &S::keyActionChangeSeat, true).commented("; [A], [D]: 0 - disabled, 1 - enabled")
        .means("[A] and [D] change seat in the freight cab"),

    whole("Trains.EntranceType", &S::entranceType, 0, U::Choice).startsGroup()
        .commented("; 0 - normal entrance, 1 realistic entrance (Hint: If this parameter is set to 1 (realistic "
                   "entrance), then the player must be very close to the door of the cab to enter the train. "
                   "Freight Train: right door, Tram: door inside the tram)")
        .means("0: enter within 12 m of the train; any other number: only at the cab door"),
    number("Trains.EnterDelay", &S::enterDelay, 0.7f, U::Seconds).commented("; train enter delay in s (second)")
        .means("how long you hold [F] to enter"),
    flag("Trains.DerailmentCameraShake", &S::derailmentCameraShake, true)
        .commented("; camera shake just before derailment: 0 - disabled, 1 - enabled")
        .means("shakes the camera as a derailment nears"),
    whole("Trains.DerailedWagonsMaxCount", &S::derailedWagonsMaxCount, 20, U::Count)
        .commented("; max count of derailed wagons (If the derailed wagon count is greater than this value, then the "
                   "most distant wagons will be deleted.)")
        .means("derailed wagons kept at most; the most distant go first"),
    number("Trains.DerailedWagonsMaxDistance", &S::derailedWagonsMaxDistance, 200.0f, U::Metres).writtenPlain()
        .commented("; max distance in m (meter) between player and derailed wagons (If the distance between player "
                   "and current wagon is greater than this value, then the wagon will be deleted.)")
        .means("a derailed wagon farther from you is deleted"),

    models("Train.Models", Freight, "freight").inSection("[FreightTrain]")
        .commented("; models of the freight train loco (multiple models separated by comma)")
        .means("model names of the freight locomotive, separated by commas; the game's is freight"),
    perKind("Train.SpeedForward", &S::speedForward, Freight, 40.0f, U::Speed)
        .commented("; speed in m/s (meter per second) (1 m/s = 3.6 km/h around 2.2369 mph)")
        .means("top speed forward"),
    perKind("Train.SpeedBackward", &S::speedBackward, Freight, 15.0f, U::Speed).means("top speed in reverse"),
    perKind("Train.Acceleration", &S::acceleration, Freight, 1.0f, U::Acceleration)
        .commented("; acceleration in m/s^2 (meter per second squared)"),
    perKind("Train.Braking", &S::braking, Freight, 2.5f, U::Braking).commented("; braking in m/s^2"),
    sensitivity("Train.Derailment", &S::derailmentSensitivity, Freight, 0.88f)
        .commented("; derailment sensitivity: 0 - disabled derailments, 1 - maximum derailment sensitivity")
        .means(kDerailmentMeaning),
    sensitivity("Train.Explosion", &S::explosionSensitivity, Freight, 0.9f)
        .commented("; explosion sensitivity: 0 - disabled explosions, 1 - maximum explosion sensitivity")
        .means(kExplosionMeaning),
    whole("Train.Seat", &S::seat, 1, U::Choice)
        .commented("; seat after enter the cab: 0 - left seat, 1 - right seat (Hint: If this parameter is set to 0 "
                   "(left seat), then the engineer commands are not available, because the engineer leaves the cab.)")
        .means("1: the right seat, beside the engineer; any other number: the driver's seat, and the engineer "
               "leaves (no commands)"),

    models("Tram.Models", Tram, "metrotrain").inSection("[Tram]")
        .means("model names of the tram, separated by commas; the game's is metrotrain"),
    perKind("Tram.SpeedForward", &S::speedForward, Tram, 25.0f, U::Speed).means("top speed forward"),
    perKind("Tram.SpeedBackward", &S::speedBackward, Tram, 7.0f, U::Speed).means("top speed in reverse"),
    perKind("Tram.Acceleration", &S::acceleration, Tram, 2.4f, U::Acceleration),
    perKind("Tram.Braking", &S::braking, Tram, 5.5f, U::Braking),
    sensitivity("Tram.Derailment", &S::derailmentSensitivity, Tram, 0.88f).means(kDerailmentMeaning),
    sensitivity("Tram.Explosion", &S::explosionSensitivity, Tram, 0.9f).means(kExplosionMeaning),

    cabControl("Controls.Accelerate", Keyboard, A::Accelerate),
    cabControl("Controls.Brake", Keyboard, A::Brake),
    cabControl("Controls.Handbrake", Keyboard, A::Handbrake),
    cabControl("Controls.SeatLeft", Keyboard, A::SeatLeft),
    cabControl("Controls.SeatRight", Keyboard, A::SeatRight),
    cabControl("Controls.HighBeam", Keyboard, A::HighBeam),
    cabControl("Controls.Horn", Keyboard, A::Horn),
    cabControl("Controls.Doors", Keyboard, A::Doors),
    cabControl("Controls.Derail", Keyboard, A::Derail),
    cabControl("Controls.CallTrain", Keyboard, A::CallTrain),
    cabControl("Pad.Accelerate", Pad, A::Accelerate),
    cabControl("Pad.Brake", Pad, A::Brake),
    cabControl("Pad.Handbrake", Pad, A::Handbrake),
    cabControl("Pad.SeatLeft", Pad, A::SeatLeft),
    cabControl("Pad.SeatRight", Pad, A::SeatRight),
    cabControl("Pad.HighBeam", Pad, A::HighBeam),
    cabControl("Pad.Horn", Pad, A::Horn),
    cabControl("Pad.Doors", Pad, A::Doors),
    cabControl("Pad.Derail", Pad, A::Derail),
    cabControl("Pad.CallTrain", Pad, A::CallTrain),

    number("Trains.MapBlipsDistance", &S::mapBlipsDistance, 1000.0f, U::Metres).unwritten().writtenPlain()
        .means("on foot, the game's freight trains and trams this near you carry a train blip on the map; 0 shows "
               "none"),

    flag("Debug.Recording", &S::debugRecording, false).unwritten()
        .means("1: keeps the last minutes of play in memory and writes them to VornLoconaut-last-ride.vlrec in the "
               "game folder when a ride ends, a train derails or the game reloads, for a bug report"),
};
// clang-format on

}  // namespace setting_rows

using setting_rows::kSettingRows;

// The field a row fills, as a number (bools 0 or 1); 0 for the model lists.
double settingNumber(const Settings& settings, const SettingRow& row);
// Stores a number in the row's field, converted as the load converts what it reads: an int or a
// control truncated toward zero (saturating beyond its range), a bool on exactly at 1.
void setSettingNumber(Settings& settings, const SettingRow& row, float value);
// The row's model-name text; null for the other rows.
const std::string* settingText(const Settings& settings, const SettingRow& row);
std::string* settingText(Settings& settings, const SettingRow& row);
