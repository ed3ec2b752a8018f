#include "config/writer.h"

#include <cmath>
#include <cstdio>
#include <memory>

#include "config/setting_table.h"
#include "config/settings.h"
#include "util/whole_file.h"

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Every line feed goes out as CR LF here, so the bytes are the same whichever platform or C library
// writes them.
class CrLfWriter {
public:
    explicit CrLfWriter(WholeFile& file) : file_(file) {}
    void write(const std::string& text) {
        for (char c : text) {
            if (c == '\n') {
                file_.put('\r');
            }
            file_.put(c);
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
    WholeFile& file_;
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

std::string writtenValue(const Settings& settings, const SettingRow& row) {
    if (const std::string* text = settingText(settings, row)) {
        return *text;
    }
    const double number = settingNumber(settings, row);
    switch (row.type) {
        case SettingType::Bool: return boolText(number != 0.0);
        case SettingType::Int: return intText(static_cast<int32_t>(number));
        case SettingType::Control: return number == noControl ? "none" : intText(static_cast<int32_t>(number));
        default:  // the floats; the model lists have their text
            return row.plainNumber ? plainFloatText(static_cast<float>(number)) : floatText(static_cast<float>(number));
    }
}

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

// Written whole or not at all (util/whole_file.h): a file cut short by a full disk would be read
// for good, its missing keys at their defaults and nothing saying why. Any failure leaves no file, so
// the next entry attempt tries again; the settings stay at their defaults meanwhile. A file that
// exists but cannot be read is the player's and is left alone, and so is one the player saves while
// the defaults are written: they take the name only where there is none.
void ensureConfigurationFile() {
    if (File existing{std::fopen(configurationFileName, "rb")}) {
        return;  // never rewritten, completed or corrected
    }
    resetSettingsToDefaults();
    WholeFile file;
    if (!file.open(configurationFileName)) {
        return;
    }
    CrLfWriter out(file);

    out.write(std::string("; Vorn Loconaut ") + pluginVersion +
              " Configuration for Grand Theft Auto V (vornloconaut@proton.me)\n");
    out.write("\n; Reload Configuration:   Enter a train.");
    out.write("\n; Reset Configuration:    Delete the ini-file and enter a train.");
    out.write("\n\n");
    for (const SettingRow& row : kSettingRows) {
        if (!row.written) {
            continue;
        }
        if (row.opensSection != nullptr) {
            out.write(std::string("\n\n") + row.opensSection + "\n");
        }
        const std::string value = writtenValue(gSettings, row);
        if (row.comment != nullptr) {
            out.commented(row.key, value, row.comment, row.groupStart);
        } else {
            out.bare(row.key, value);
        }
    }

    out.write("\n\n\n\n; SEE ALSO: README.txt, which comes with the plug-in, explains every key and its default.");
    out.write("\n; Numbers use \".\" as the decimal point; text after a \";\" on a line is a comment.");
    out.write("\n; Keys not found here take their defaults; delete this file to get a fresh copy.");
    out.write("\n\n\n");
    file.commit(false);
}
