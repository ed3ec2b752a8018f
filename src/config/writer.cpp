#include "config/writer.h"

#include <cmath>
#include <cstdio>
#include <memory>

#include "config/settings.h"

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// The file is opened in binary mode and every line feed goes out as CR LF here, so the bytes are the
// same whichever platform or C library writes them.
class CrLfWriter {
public:
    explicit CrLfWriter(std::FILE* file) : file_(file) {}
    void write(const std::string& text) {
        for (char c : text) {
            if (c == '\n') {
                std::fputc('\r', file_);
            }
            std::fputc(c, file_);
        }
    }
    void commented(const std::string& key, const std::string& value, const char* comment, bool groupStart = false) {
        write(groupStart ? "\n\n" : "\n");
        write(padTo45(key + " = " + value));
        write("\t");
        write(comment);
    }
    void bare(const std::string& key, const std::string& value) { write("\n" + key + " = " + value); }

private:
    std::FILE* file_;
};

std::string printG6(float value) {
    char buffer[64];
    const int length = std::snprintf(buffer, sizeof buffer, "%.6g", static_cast<double>(value));
    if (length <= 0) {
        return "0";
    }
    std::string text(buffer, static_cast<size_t>(length) < sizeof buffer ? static_cast<size_t>(length) : sizeof buffer - 1);
    // %g follows the C locale's decimal point; the file always uses ".".
    for (char& c : text) {
        if (c == ',') {
            c = '.';
        }
    }
    return text;
}

}  // namespace

std::string boolText(bool value) { return value ? "1" : "0"; }

std::string intText(int32_t value) { return std::to_string(value); }

std::string floatText(float value) {
    std::string text = printG6(value);
    // Whole values within the int range get ".0"; the range test keeps the truncation defined.
    if (std::isfinite(value) && value >= -2147483648.0f && value < 2147483648.0f && value == std::trunc(value)) {
        text += ".0";
    }
    return text;
}

std::string plainFloatText(float value) { return printG6(value); }

std::string padTo45(std::string text) {
    if (text.size() < 45) {
        text.append(45 - text.size(), ' ');
    }
    return text;
}

void ensureConfigurationFile() {
    if (File existing{std::fopen(configurationFileName, "rb")}) {
        return;  // never rewritten, completed or corrected
    }
    resetSettingsToDefaults();
    File file(std::fopen(configurationFileName, "ab"));
    if (!file) {
        return;
    }
    const Settings& s = gSettings;
    CrLfWriter out(file.get());

    out.write(std::string("; Vorn Loconaut ") + pluginVersion +
              " Configuration for Grand Theft Auto V (vornloconaut@proton.me)\n");
    out.write("\n; Reload Configuration:   Enter a train.");
    out.write("\n; Reset Configuration:    Delete the ini-file and enter a train.");
    out.write("\n\n\n\n[Common]\n");

    out.commented("Displays.Position", intText(s.displaysPosition), "; 0 - top, 1 - bottom");
    out.commented("Display.Speed", boolText(s.displaySpeed), "; 0 - hide, 1 - show");
    out.bare("Display.Derailment", boolText(s.displayDerailment));
    out.bare("Display.Doors", boolText(s.displayDoors));
    out.bare("Display.TrainDistance", boolText(s.displayTrainDistance));
    out.commented("KeyAction.ManualDerailment", boolText(s.keyActionManualDerailment),
                  "; [X]: 0 - stop automatic derailment, 1 - start manual derailment", true);
    out.commented("KeyAction.OpenCloseDoors", boolText(s.keyActionOpenCloseDoors), "; [G]: 0 - disabled, 1 - enabled");
    out.commented("KeyAction.Radio", boolText(s.keyActionRadio), "; [Q]: 0 - disabled, 1 - enabled");
    out.commented("KeyAction.EngineerCommand", boolText(s.keyActionEngineerCommand), "; [E]: 0 - disabled, 1 - enabled");
    out.commented("KeyAction.ChangeSeat", boolText(s.keyActionChangeSeat), "; [A], [D]: 0 - disabled, 1 - enabled");
    out.commented("Trains.EntranceType", intText(s.entranceType),
                  "; 0 - normal entrance, 1 realistic entrance (Hint: If this parameter is set to 1 (realistic "
                  "entrance), then the player must be very close to the door of the cab to enter the train. "
                  "Freight Train: right door, Tram: door inside the tram)",
                  true);
    out.commented("Trains.EnterDelay", floatText(s.enterDelay), "; train enter delay in s (second)");
    out.commented("Trains.DerailmentCameraShake", boolText(s.derailmentCameraShake),
                  "; camera shake just before derailment: 0 - disabled, 1 - enabled");
    out.commented("Trains.DerailedWagonsMaxCount", intText(s.derailedWagonsMaxCount),
                  "; max count of derailed wagons (If the derailed wagon count is greater than this value, then the "
                  "most distant wagons will be deleted.)");
    out.commented("Trains.DerailedWagonsMaxDistance", plainFloatText(s.derailedWagonsMaxDistance),
                  "; max distance in m (meter) between player and derailed wagons (If the distance between player "
                  "and current wagon is greater than this value, then the wagon will be deleted.)");

    out.write("\n\n[FreightTrain]\n");
    out.commented("Train.Models", s.models[Freight],
                  "; models of the freight train loco (multiple models separated by comma)");
    out.commented("Train.SpeedForward", floatText(s.speedForward[Freight]),
                  "; speed in m/s (meter per second) (1 m/s = 3.6 km/h around 2.2369 mph)");
    out.bare("Train.SpeedBackward", floatText(s.speedBackward[Freight]));
    out.commented("Train.Acceleration", floatText(s.acceleration[Freight]),
                  "; acceleration in m/s^2 (meter per second squared)");
    out.commented("Train.Braking", floatText(s.braking[Freight]), "; braking in m/s^2");
    out.commented("Train.Derailment", floatText(s.derailmentSensitivity[Freight]),
                  "; derailment sensitivity: 0 - disabled derailments, 1 - maximum derailment sensitivity");
    out.commented("Train.Explosion", floatText(s.explosionSensitivity[Freight]),
                  "; explosion sensitivity: 0 - disabled explosions, 1 - maximum explosion sensitivity");
    out.commented("Train.Seat", intText(s.seat),
                  "; seat after enter the cab: 0 - left seat, 1 - right seat (Hint: If this parameter is set to 0 "
                  "(left seat), then the engineer commands are not available, because the engineer leaves the cab.)");

    out.write("\n\n[Tram]\n");
    out.bare("Tram.Models", s.models[Tram]);
    out.bare("Tram.SpeedForward", floatText(s.speedForward[Tram]));
    out.bare("Tram.SpeedBackward", floatText(s.speedBackward[Tram]));
    out.bare("Tram.Acceleration", floatText(s.acceleration[Tram]));
    out.bare("Tram.Braking", floatText(s.braking[Tram]));
    out.bare("Tram.Derailment", floatText(s.derailmentSensitivity[Tram]));
    out.bare("Tram.Explosion", floatText(s.explosionSensitivity[Tram]));

    out.write("\n\n\n\n; SEE ALSO: README.txt, which comes with the plug-in, explains every key and its default.");
    out.write("\n; Numbers use \".\" as the decimal point; text after a \";\" on a line is a comment.");
    out.write("\n; Keys not found here take their defaults; delete this file to get a fresh copy.");
    out.write("\n\n\n");
}
