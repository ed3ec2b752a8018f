#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "config/reader.h"
#include "config/setting_table.h"
#include "config/settings.h"
#include "config/writer.h"
#include "unit/support/faulty_files.h"
#include "unit/support/hash_only_hook.h"
#include "unit/support/scratch_directory.h"

namespace {

// The default file as the player should find it, one entry per line; the spaces after each commented
// value are counted out here rather than computed, so a padding fault shows.
std::string expectedDefaultFile() {
    auto commented = [](const std::string& keyValue, int spaces, const std::string& comment) {
        return keyValue + std::string(static_cast<size_t>(spaces), ' ') + "\t" + comment;
    };
    const std::vector<std::string> lines = {
        "; Vorn Loconaut 3.2.0 Configuration for Grand Theft Auto V (vornloconaut@proton.me)",
        "",
        "; Reload Configuration:   Enter a train.",
        "; Reset Configuration:    Delete the ini-file and enter a train.",
        "",
        "",
        "",
        "[Common]",
        "",
        commented("Displays.Position = 0", 24, "; 0 - top, 1 - bottom"),
        commented("Display.Speed = 1", 28, "; 0 - hide, 1 - show"),
        "Display.Derailment = 1",
        "Display.Doors = 1",
        "Display.TrainDistance = 1",
        "",
        commented("KeyAction.ManualDerailment = 1", 15, "; [X]: 0 - stop automatic derailment, 1 - start manual derailment"),
        commented("KeyAction.OpenCloseDoors = 1", 17, "; [G]: 0 - disabled, 1 - enabled"),
        commented("KeyAction.Radio = 1", 26, "; [Q]: 0 - disabled, 1 - enabled"),
        commented("KeyAction.EngineerCommand = 1", 16, "; [E]: 0 - disabled, 1 - enabled"),
        commented("KeyAction.ChangeSeat = 1", 21, "; [A], [D]: 0 - disabled, 1 - enabled"),
        "",
        commented("Trains.EntranceType = 0", 22,
                  "; 0 - normal entrance, 1 realistic entrance (Hint: If this parameter is set to 1 (realistic entrance), "
                  "then the player must be very close to the door of the cab to enter the train. Freight Train: right door, "
                  "Tram: door inside the tram)"),
        commented("Trains.EnterDelay = 0.7", 22, "; train enter delay in s (second)"),
        commented("Trains.DerailmentCameraShake = 1", 13, "; camera shake just before derailment: 0 - disabled, 1 - enabled"),
        commented("Trains.DerailedWagonsMaxCount = 20", 11,
                  "; max count of derailed wagons (If the derailed wagon count is greater than this value, then the most "
                  "distant wagons will be deleted.)"),
        commented("Trains.DerailedWagonsMaxDistance = 200", 7,
                  "; max distance in m (meter) between player and derailed wagons (If the distance between player and "
                  "current wagon is greater than this value, then the wagon will be deleted.)"),
        "",
        "[FreightTrain]",
        "",
        commented("Train.Models = freight", 23, "; models of the freight train loco (multiple models separated by comma)"),
        commented("Train.SpeedForward = 40.0", 20, "; speed in m/s (meter per second) (1 m/s = 3.6 km/h around 2.2369 mph)"),
        "Train.SpeedBackward = 15.0",
        commented("Train.Acceleration = 1.0", 21, "; acceleration in m/s^2 (meter per second squared)"),
        commented("Train.Braking = 2.5", 26, "; braking in m/s^2"),
        commented("Train.Derailment = 0.88", 22,
                  "; derailment sensitivity: 0 - disabled derailments, 1 - maximum derailment sensitivity"),
        commented("Train.Explosion = 0.9", 24,
                  "; explosion sensitivity: 0 - disabled explosions, 1 - maximum explosion sensitivity"),
        commented("Train.Seat = 1", 31,
                  "; seat after enter the cab: 0 - left seat, 1 - right seat (Hint: If this parameter is set to 0 (left "
                  "seat), then the engineer commands are not available, because the engineer leaves the cab.)"),
        "",
        "[Tram]",
        "",
        "Tram.Models = metrotrain",
        "Tram.SpeedForward = 25.0",
        "Tram.SpeedBackward = 7.0",
        "Tram.Acceleration = 2.4",
        "Tram.Braking = 5.5",
        "Tram.Derailment = 0.88",
        "Tram.Explosion = 0.9",
        "",
        "",
        "",
        "; SEE ALSO: README.txt, which comes with the plug-in, explains every key and its default.",
        "; Numbers use \".\" as the decimal point; text after a \";\" on a line is a comment.",
        "; Keys not found here take their defaults; delete this file to get a fresh copy.",
        "",
        "",
    };
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\r\n";
    }
    return text;
}

std::vector<std::string> splitCrLf(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

TEST(ConfigWriter, CreatesTheDefaultFileByteForByte) {
    ScratchDirectory dir;
    ensureConfigurationFile();
    const std::string written = readFileBytes(configurationFileName);
    const std::vector<std::string> lines = splitCrLf(written);
    const std::vector<std::string> expected = splitCrLf(expectedDefaultFile());
    // The first line that differs names the fault; the lines after a missing or extra one all differ.
    const auto differs = std::mismatch(lines.begin(), lines.end(), expected.begin(), expected.end());
    if (differs.first != lines.end() || differs.second != expected.end()) {
        ADD_FAILURE() << "line " << (differs.first - lines.begin()) + 1 << " of the default file is \""
                      << (differs.first != lines.end() ? *differs.first : "(none)") << "\", expected \""
                      << (differs.second != expected.end() ? *differs.second : "(none)") << "\"";
    }
    EXPECT_EQ(written, expectedDefaultFile());

    // Properties that hold whatever the closing remarks say.
    EXPECT_EQ(written.find('\n', 0), written.find("\r\n") + 1);
    for (size_t i = 0; i < written.size(); ++i) {
        if (written[i] == '\n') {
            ASSERT_TRUE(i > 0 && written[i - 1] == '\r') << "bare LF at byte " << i;
        }
        ASSERT_LT(static_cast<unsigned char>(written[i]), 128u);
    }
    const auto seeAlso = std::find_if(lines.begin(), lines.end(),
                                      [](const std::string& line) { return line.rfind("; SEE ALSO: ", 0) == 0; });
    ASSERT_NE(seeAlso, lines.end()) << "the closing block begins with \"; SEE ALSO: \"";
    ASSERT_EQ(lines.end() - seeAlso, 5) << "three comment lines and two empty ones close the file";
    for (auto line = seeAlso; line != seeAlso + 3; ++line) {
        EXPECT_EQ(line->front(), ';') << *line;
    }
    EXPECT_TRUE(seeAlso[3].empty() && seeAlso[4].empty());
    for (const std::string& line : lines) {
        const size_t tab = line.find('\t');
        if (tab != std::string::npos) {
            EXPECT_EQ(tab, 45u) << line;
        }
    }
}

// The INI fuzzer's dictionary must offer it every key the plug-in reads, or it rarely forms one.
TEST(ConfigWriter, EveryKeyIsInTheFuzzersDictionary) {
    const std::string dictionary = readFileBytes(VORN_SOURCE_DIR "/tests/fuzz/config_reader.dict");
    ASSERT_FALSE(dictionary.empty());
    for (const SettingRow& row : kSettingRows) {
        EXPECT_NE(dictionary.find(std::string("\n\"") + row.key + "\"\n"), std::string::npos)
            << "tests/fuzz/config_reader.dict lacks \"" << row.key << "\"";
    }
}

TEST(ConfigWriter, TheWrittenFileReadsBackAsEveryDefault) {
    ScratchDirectory dir;
    hash_only_hook::Binding hook;
    gSettings.seat = 0;
    gSettings.enterDelay = 9.0f;
    ensureConfigurationFile();
    // The writer resets the record to the values it writes.
    EXPECT_EQ(gSettings.seat, 1);
    EXPECT_EQ(gSettings.enterDelay, 0.7f);

    loadSettings();
    const Settings defaults;
    const Settings& s = gSettings;
    EXPECT_EQ(s.displaysPosition, defaults.displaysPosition);
    EXPECT_TRUE(s.displaySpeed && s.displayDerailment && s.displayDoors && s.displayTrainDistance);
    EXPECT_TRUE(s.keyActionManualDerailment && s.keyActionOpenCloseDoors && s.keyActionRadio &&
                s.keyActionEngineerCommand && s.keyActionChangeSeat && s.derailmentCameraShake);
    EXPECT_EQ(s.entranceType, 0);
    EXPECT_EQ(s.enterDelay, 0.7f);
    EXPECT_EQ(s.derailedWagonsMaxCount, 20);
    EXPECT_EQ(s.derailedWagonsMaxDistance, 200.0f);
    EXPECT_EQ(s.seat, 1);
    EXPECT_EQ(s.models[Freight], "freight");
    EXPECT_EQ(s.models[Tram], "metrotrain");
    for (int kind : {Freight, Tram}) {
        EXPECT_EQ(s.speedForward[kind], defaults.speedForward[kind]);
        EXPECT_EQ(s.speedBackward[kind], defaults.speedBackward[kind]);
        EXPECT_EQ(s.acceleration[kind], defaults.acceleration[kind]);
        EXPECT_EQ(s.braking[kind], defaults.braking[kind]);
        EXPECT_EQ(s.derailmentSensitivity[kind], defaults.derailmentSensitivity[kind]);
        EXPECT_EQ(s.explosionSensitivity[kind], defaults.explosionSensitivity[kind]);
    }
    EXPECT_EQ(s.modelHashes[Freight], std::vector<uint32_t>{0x3D6AAA9Bu});
    EXPECT_EQ(s.modelHashes[Tram], std::vector<uint32_t>{0x33C9E158u});
    EXPECT_TRUE(isModelOfKind(0x3D6AAA9Bu, Freight));
    EXPECT_FALSE(isModelOfKind(0x3D6AAA9Bu, Tram));
}

TEST(ConfigWriter, NeverTouchesAnExistingFile) {
    ScratchDirectory dir;
    hash_only_hook::Binding hook;
    for (const std::string& content : {std::string(), std::string("Train.Seat = 0\n"), std::string("junk\r\x00\xff", 7)}) {
        writeFileBytes(configurationFileName, content);
        ensureConfigurationFile();
        loadSettings();
        ensureConfigurationFile();
        EXPECT_EQ(readFileBytes(configurationFileName), content);
    }
    // The empty file is not filled in, so nothing is found and every field is at its default.
    writeFileBytes(configurationFileName, "");
    gSettings.seat = 0;
    ensureConfigurationFile();
    loadSettings();
    EXPECT_EQ(gSettings.seat, 1);
    EXPECT_EQ(gSettings.modelHashes[Tram], std::vector<uint32_t>{0x33C9E158u});
}

TEST(ConfigWriter, ADirectoryInThePlaceOfTheFileYieldsDefaults) {
    ScratchDirectory dir;
    hash_only_hook::Binding hook;
    std::filesystem::create_directory(configurationFileName);
    ensureConfigurationFile();
    loadSettings();
    EXPECT_TRUE(std::filesystem::is_directory(configurationFileName));
    EXPECT_EQ(gSettings.seat, 1);
    EXPECT_EQ(gSettings.modelHashes[Freight], std::vector<uint32_t>{0x3D6AAA9Bu});
}

TEST(ConfigWriter, AFolderThatCannotBeWrittenYieldsDefaults) {
    ScratchDirectory dir;
    hash_only_hook::Binding hook;
    std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    if (std::FILE* probe = std::fopen("probe", "wb")) {
        // Permissions do not bind this user (root, as in CI): a folder removed while it is the working
        // directory cannot be written by anyone.
        std::fclose(probe);
        std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_all);
        std::filesystem::create_directory("removed");
        std::filesystem::current_path("removed");
        std::filesystem::remove(dir.path() / "removed");
    }
    gSettings.seat = 0;
    ensureConfigurationFile();
    loadSettings();
    EXPECT_FALSE(std::filesystem::exists(configurationFileName));
    EXPECT_EQ(gSettings.seat, 1);
    EXPECT_EQ(gSettings.modelHashes[Tram], std::vector<uint32_t>{0x33C9E158u});
}

// A disk that fills up as the default file is written, cut at any byte, and a flush or a close that
// fails: the writer leaves no file at all, the settings are the defaults, and the next attempt writes
// the file whole. A cut file would be read for good, its missing keys at their defaults (a top speed
// of 4 m/s after "Train.SpeedForward = 4") and nothing saying why.
TEST(ConfigWriter, AFailedWriteLeavesNoFileAndTheNextAttemptWritesItWhole) {
    ScratchDirectory dir;
    hash_only_hook::Binding hook;
    FaultyFiles files;
    const std::string whole = expectedDefaultFile();
    const auto leftNothing = [](const std::string& fault) {
        loadSettings();
        EXPECT_FALSE(std::filesystem::exists(configurationFileName)) << fault;
        EXPECT_TRUE(std::filesystem::is_empty(".")) << fault;
        EXPECT_EQ(gSettings.speedForward[Freight], 40.0f) << fault;
    };
    for (size_t cut = 0; cut < whole.size(); cut += 97) {
        FaultyFiles::diskLeft = cut;
        ensureConfigurationFile();
        leftNothing("a disk full after " + std::to_string(cut) + " bytes");
    }
    FaultyFiles::diskLeft = FaultyFiles::kNoLimit;
    FaultyFiles::failFlush = true;
    ensureConfigurationFile();
    leftNothing("a failed flush");
    FaultyFiles::failFlush = false;
    FaultyFiles::failClose = true;
    ensureConfigurationFile();
    leftNothing("a failed close");
    FaultyFiles::failClose = false;
    ensureConfigurationFile();
    EXPECT_EQ(readFileBytes(configurationFileName), whole);
}

// A file the player saves while the defaults are being written is the player's: the defaults take the
// name only where there is none, never by replacing it.
TEST(ConfigWriter, AFileSavedWhileTheDefaultsAreWrittenIsKept) {
    ScratchDirectory dir;
    hash_only_hook::Binding hook;
    FaultyFiles files;
    FaultyFiles::beforeRename = [] { writeFileBytes(configurationFileName, "Train.Seat = 0\n"); };
    ensureConfigurationFile();
    EXPECT_EQ(readFileBytes(configurationFileName), "Train.Seat = 0\n");
    EXPECT_TRUE(FaultyFiles::renames.size() == 1 && FaultyFiles::renames[0].back() != '!');
    EXPECT_FALSE(std::filesystem::exists("VornLoconaut.ini.tmp"));
}

TEST(ConfigWriter, FormatsValuesAsTheFileExpects) {
    EXPECT_EQ(floatText(40.0f), "40.0");
    EXPECT_EQ(floatText(0.7f), "0.7");
    EXPECT_EQ(floatText(0.88f), "0.88");
    EXPECT_EQ(floatText(-3.0f), "-3.0");
    EXPECT_EQ(floatText(-0.25f), "-0.25");
    EXPECT_EQ(floatText(0.0f), "0.0");
    EXPECT_EQ(plainFloatText(200.0f), "200");
    EXPECT_EQ(plainFloatText(0.1f), "0.1");
    // Beyond the int range the whole-number test must not convert (undefined), and adds nothing.
    EXPECT_EQ(floatText(1e10f), "1e+10");
    EXPECT_EQ(floatText(-1e30f), "-1e+30");
    EXPECT_EQ(floatText(std::numeric_limits<float>::infinity()), "inf");
    EXPECT_EQ(intText(-2147483647 - 1), "-2147483648");
    EXPECT_EQ(intText(20), "20");
    EXPECT_EQ(boolText(true), "1");
    EXPECT_EQ(boolText(false), "0");
    EXPECT_EQ(padTo45("abc"), "abc" + std::string(42, ' '));
    EXPECT_EQ(padTo45(std::string(45, 'x')), std::string(45, 'x'));
    EXPECT_EQ(padTo45(std::string(50, 'x')), std::string(50, 'x'));
    EXPECT_EQ(padTo45(""), std::string(45, ' '));
}

}  // namespace
