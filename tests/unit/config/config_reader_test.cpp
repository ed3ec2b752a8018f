#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>
#include <vector>

#include "config/reader.h"
#include "config/settings.h"
#include "unit/support/hash_only_hook.h"
#include "unit/support/same_settings.h"
#include "unit/support/scratch_directory.h"

namespace {

constexpr uint32_t kFreight = 0x3D6AAA9Bu;
constexpr uint32_t kMetrotrain = 0x33C9E158u;

class ConfigReader : public ::testing::Test {
protected:
    // Loads a file holding exactly these bytes and returns the record.
    const Settings& load(const std::string& bytes) {
        writeFileBytes(configurationFileName, bytes);
        loadSettings();
        return gSettings;
    }
    std::string value(const std::string& bytes, const std::string& key, bool* found = nullptr) {
        writeFileBytes(configurationFileName, bytes);
        std::string text = "<untouched>";
        const bool result = readValueText(key, text);
        if (found != nullptr) {
            *found = result;
        }
        return text;
    }
    float floatOf(const std::string& valueText) {
        writeFileBytes(configurationFileName, "Trains.EnterDelay = " + valueText + "\n");
        float result = -123.0f;
        readFloatSetting("Trains.EnterDelay", result);
        return result;
    }

    ScratchDirectory dir_;
    hash_only_hook::Binding hook_;
};

Settings defaultsWithHashes() {
    Settings s;
    s.models[Freight] = "freight";
    s.models[Tram] = "metrotrain";
    s.modelHashes[Freight] = {kFreight};
    s.modelHashes[Tram] = {kMetrotrain};
    return s;
}

TEST_F(ConfigReader, TheHookHashesLikeTheGame) {
    EXPECT_EQ(hash_only_hook::jenkinsLower("freight"), kFreight);
    EXPECT_EQ(hash_only_hook::jenkinsLower("METROTRAIN"), kMetrotrain);
    EXPECT_EQ(hash_only_hook::jenkinsLower(""), 0u);
}

TEST_F(ConfigReader, NoFileGivesEveryDefaultIncludingTheModelHashes) {
    gSettings.seat = 0;
    gSettings.models[Tram] = "x";
    loadSettings();
    expectSameSettings(gSettings, defaultsWithHashes());
}

TEST_F(ConfigReader, LineRules) {
    // Sections play no part, keys are case-sensitive and the first usable line wins.
    EXPECT_EQ(load("[Tram]\nTrain.Seat=0\n").seat, 0);
    EXPECT_EQ(load("train.seat = 0\n").seat, 1);
    EXPECT_EQ(load("a\nb\nc\nd\nTrain.Seat=0\nx\ny\nz\nTrain.Seat=1\n").seat, 0);
    EXPECT_EQ(load("   ; Train.Seat = 0\n").seat, 1);
    EXPECT_EQ(load("[Train.Seat = 0]\n").seat, 1);
    // A line with nothing after its "=", or without any, is skipped; the search goes on.
    EXPECT_EQ(load("Train.Braking =\nTrain.Braking = 3\n").braking[Freight], 3.0f);
    EXPECT_EQ(load("Train.Braking =   \t\nTrain.Braking = 3\n").braking[Freight], 3.0f);
    EXPECT_EQ(load("Train.Braking\nTrain.Braking = 3\n").braking[Freight], 3.0f);
    // A value that cannot be read still ends the search.
    EXPECT_EQ(load("Train.Seat = x\nTrain.Seat = 0\n").seat, 1);
    EXPECT_EQ(load("Train.Braking = ; none\nTrain.Braking = 3\n").braking[Freight], 2.5f);
    // The value stops at a second "=" and at ";".
    EXPECT_EQ(load("Train.SpeedForward = 30 ; fast\n").speedForward[Freight], 30.0f);
    EXPECT_EQ(load("Train.SpeedForward = 30 = 40\n").speedForward[Freight], 30.0f);
    EXPECT_EQ(load("Train.SpeedForward=30;=40\n").speedForward[Freight], 30.0f);
    // Blanks around the key are not part of it.
    EXPECT_EQ(load(" \t Train.Seat \t = 0 \t\n").seat, 0);
    EXPECT_EQ(load("Train. Seat = 0\n").seat, 1);

    bool found = false;
    EXPECT_EQ(value("a=1\n", "a", &found), "1");
    EXPECT_TRUE(found);
    EXPECT_EQ(value("a=\n", "a", &found), "<untouched>");
    EXPECT_FALSE(found);
    EXPECT_EQ(value("abc\n", "abc", &found), "<untouched>");
    EXPECT_FALSE(found);
    EXPECT_EQ(value("key = ;\n", "key", &found), "");
    EXPECT_TRUE(found);
    EXPECT_EQ(value("key = one two ;x\n", "key"), "one two");
    EXPECT_EQ(value("key==5\nkey=6\n", "key"), "");
    EXPECT_EQ(value("key = 7", "key"), "7");  // last line without a line end
    EXPECT_EQ(value("keyx = 1\nke = 2\nkey = 3\n", "key"), "3");
}

TEST_F(ConfigReader, LineEndsOfEveryKindMixed) {
    const Settings& s = load(
        "Train.Seat = 0\r\n"
        "Trains.EntranceType = 1\r"
        "Displays.Position = 1\n"
        "\r\r\n\n"
        "Train.Braking = 3\r"
        "Tram.Braking = 4");
    EXPECT_EQ(s.seat, 0);
    EXPECT_EQ(s.entranceType, 1);
    EXPECT_EQ(s.displaysPosition, 1);
    EXPECT_EQ(s.braking[Freight], 3.0f);
    EXPECT_EQ(s.braking[Tram], 4.0f);

    // The line that supplied a value, numbered as the reader splits lines (a NUL byte ends none).
    using namespace std::string_literals;
    writeFileBytes(configurationFileName, "Train.Seat = 0\r\nTrains.EntranceType = 1\rDisplays.Position = 1\n"
                                          "\r\r\n\nTrain.Braking = 3\r\0\n\nTrain.Braking = 5\nTram.Braking = 4"s);
    const std::pair<const char*, size_t> supplied[] = {
        {"Train.Seat", 1}, {"Trains.EntranceType", 2}, {"Displays.Position", 3}, {"Train.Braking", 7}, {"Tram.Braking", 11}};
    for (const auto& [key, expected] : supplied) {
        std::string text;
        size_t line = 0;
        EXPECT_TRUE(readValueText(key, text, line)) << key;
        EXPECT_EQ(line, expected) << key;
    }
}

// Notepad and other Windows editors open a UTF-8 file with a byte-order mark: the first line's key
// still counts, and the lines keep their numbers. Elsewhere the mark is part of the line's text.
TEST_F(ConfigReader, AByteOrderMarkOpeningTheFileIsSkipped) {
    EXPECT_EQ(load("\xEF\xBB\xBFTrain.Seat = 0\r\nTrain.Braking = 3\r\n").seat, 0);
    EXPECT_EQ(load("\xEF\xBB\xBF" "Displays.Position = 1").displaysPosition, 1);
    writeFileBytes(configurationFileName, "\xEF\xBB\xBF\nTrain.Seat = 0\n");
    std::string text;
    size_t line = 0;
    EXPECT_TRUE(readValueText("Train.Seat", text, line));
    EXPECT_EQ(line, 2u);

    const Settings& s = load("Train.Braking = 3\n\xEF\xBB\xBFTrain.Seat = 0\n \xEF\xBB\xBFTram.Braking = 4\n");
    EXPECT_EQ(s.braking[Freight], 3.0f);
    EXPECT_EQ(s.seat, 1);
    EXPECT_EQ(s.braking[Tram], 5.5f);
    // Only the whole mark, and only once.
    EXPECT_EQ(load("\xEF\xBBTrain.Seat = 0\n").seat, 1);
    EXPECT_EQ(load("\xEF\xBB\xBF\xEF\xBB\xBFTrain.Seat = 0\n").seat, 1);
}

TEST_F(ConfigReader, NumberSyntax) {
    EXPECT_EQ(floatOf("1.25"), 1.25f);
    EXPECT_EQ(floatOf("+2.5"), 2.5f);
    EXPECT_EQ(floatOf("-.5"), -0.5f);
    EXPECT_EQ(floatOf("5."), 5.0f);
    EXPECT_EQ(floatOf("25e-1"), 2.5f);
    EXPECT_EQ(floatOf("3E2"), 300.0f);
    EXPECT_EQ(floatOf("1.5.2"), 1.5f);
    EXPECT_EQ(floatOf("40 m/s"), 40.0f);
    EXPECT_EQ(floatOf("2e"), 2.0f);
    const float negativeZero = floatOf("-0");
    EXPECT_EQ(negativeZero, 0.0f);
    EXPECT_TRUE(std::signbit(negativeZero));
    // Unreadable, non-finite or out of range: the value is left as it was.
    for (const char* bad : {"yes", "abc", "", "   ", ".", "-", "+", "+-1", "--1", "e5", "inf", "-inf", "nan",
                            "infinity", "1e999", "-1e999", "1e39", "1e-60"}) {
        EXPECT_EQ(floatOf(bad), -123.0f) << bad;
    }
    float untouched = 4.0f;
    readFloatSetting("Trains.EnterDelay.Missing", untouched);
    EXPECT_EQ(untouched, 4.0f);
}

TEST_F(ConfigReader, BoolIntAndClampedConversions) {
    for (const char* one : {"1", "1.0", "1e0", "+1", "1 ; on"}) {
        EXPECT_TRUE(load(std::string("Display.Speed = 0\nDisplay.Doors = ") + one + "\n").displayDoors) << one;
    }
    for (const char* zero : {"0", "2", "0.99", "-1", "1.0001", "-0"}) {
        EXPECT_FALSE(load(std::string("Display.Doors = ") + zero + "\n").displayDoors) << zero;
    }
    EXPECT_TRUE(load("Display.Doors = yes\n").displayDoors);
    EXPECT_TRUE(load("Display.Doors = 1e999\n").displayDoors);

    EXPECT_EQ(load("Trains.DerailedWagonsMaxCount = 7.9\n").derailedWagonsMaxCount, 7);
    EXPECT_EQ(load("Trains.DerailedWagonsMaxCount = -7.9\n").derailedWagonsMaxCount, -7);
    EXPECT_EQ(load("Trains.DerailedWagonsMaxCount = -0.5\n").derailedWagonsMaxCount, 0);
    EXPECT_EQ(load("Trains.DerailedWagonsMaxCount = 1e999\n").derailedWagonsMaxCount, 20);
    // Values beyond the int range saturate instead of overflowing.
    EXPECT_EQ(load("Trains.DerailedWagonsMaxCount = 1e30\n").derailedWagonsMaxCount, INT_MAX);
    EXPECT_EQ(load("Trains.DerailedWagonsMaxCount = -1e30\n").derailedWagonsMaxCount, INT_MIN);
    EXPECT_EQ(load("Trains.DerailedWagonsMaxCount = 2147483648\n").derailedWagonsMaxCount, INT_MAX);
    EXPECT_EQ(load("Trains.DerailedWagonsMaxCount = -2147483648\n").derailedWagonsMaxCount, INT_MIN);
    // The floats next to the bounds: inside they convert as they are, outside they saturate (a bound
    // moved outward converts out of range, which the sanitizer builds refuse).
    EXPECT_EQ(load("Trains.DerailedWagonsMaxCount = 2147483520\n").derailedWagonsMaxCount, 2147483520);
    EXPECT_EQ(load("Trains.DerailedWagonsMaxCount = -2147483520\n").derailedWagonsMaxCount, -2147483520);
    EXPECT_EQ(load("Trains.DerailedWagonsMaxCount = -2147483904\n").derailedWagonsMaxCount, INT_MIN);
    EXPECT_EQ(load("Trains.DerailedWagonsMaxCount = -3e9\n").derailedWagonsMaxCount, INT_MIN);
    EXPECT_EQ(load("Trains.DerailedWagonsMaxCount = 2147483904\n").derailedWagonsMaxCount, INT_MAX);

    // An unreadable value does not stop the load of the later keys.
    const Settings& later = load("Displays.Position = abc\nTram.Explosion = 0.5\n");
    EXPECT_EQ(later.displaysPosition, 0);
    EXPECT_EQ(later.explosionSensitivity[Tram], 0.5f);

    const Settings& clamped = load(
        "Train.Derailment = 1.5\nTrain.Explosion = -3\nTram.Derailment = 1e30\nTram.Explosion = -0\n"
        "Train.SpeedForward = -3\nTrains.DerailedWagonsMaxDistance = 0\n");
    EXPECT_EQ(clamped.derailmentSensitivity[Freight], 1.0f);
    EXPECT_EQ(clamped.explosionSensitivity[Freight], 0.0f);
    EXPECT_EQ(clamped.derailmentSensitivity[Tram], 1.0f);
    EXPECT_EQ(clamped.explosionSensitivity[Tram], 0.0f);
    // Nothing else is limited.
    EXPECT_EQ(clamped.speedForward[Freight], -3.0f);
    EXPECT_EQ(clamped.derailedWagonsMaxDistance, 0.0f);
    // A sensitivity just above 1, the float next to it included.
    for (const char* above : {"1.05", "1.0000001"}) {
        EXPECT_EQ(load(std::string("Tram.Explosion = ") + above + "\n").explosionSensitivity[Tram], 1.0f) << above;
    }
}

TEST_F(ConfigReader, ModelLists) {
    const uint32_t other = hash_only_hook::jenkinsLower("other");
    EXPECT_EQ(load("Tram.Models = metrotrain , other,\n").modelHashes[Tram], (std::vector<uint32_t>{kMetrotrain, other}));
    EXPECT_EQ(load("Tram.Models = ;\n").modelHashes[Tram], std::vector<uint32_t>{});
    EXPECT_EQ(load("Train.Models =\nTrain.Models = freight, freight\n").modelHashes[Freight],
              (std::vector<uint32_t>{kFreight, kFreight}));

    // Empty freight list: trams are still recognised, freight trains no longer.
    const Settings& s = load("Train.Models = ;\n");
    EXPECT_TRUE(s.modelHashes[Freight].empty());
    EXPECT_FALSE(isModelOfKind(kFreight, Freight));
    EXPECT_TRUE(isModelOfKind(kMetrotrain, Tram));

    // Every piece goes to the hash, the empty one too; its zero hash is dropped.
    std::vector<uint32_t> hashes = {1, 2, 3};
    hash_only_hook::state().hashCalls = 0;
    buildModelHashes("a,,b", hashes);
    EXPECT_EQ(hashes, (std::vector<uint32_t>{hash_only_hook::jenkinsLower("a"), hash_only_hook::jenkinsLower("b")}));
    EXPECT_EQ(hash_only_hook::state().hashCalls, 3);
    buildModelHashes("", hashes);
    EXPECT_TRUE(hashes.empty());
    buildModelHashes(" \tfreight \t,", hashes);
    EXPECT_EQ(hashes, std::vector<uint32_t>{kFreight});

    // Without a hook every hash is 0 and the lists come out empty rather than holding zeros.
    gHook = HookFunctions{};
    loadSettings();
    EXPECT_TRUE(gSettings.modelHashes[Freight].empty());
    EXPECT_TRUE(gSettings.modelHashes[Tram].empty());
}

TEST_F(ConfigReader, HostileFilesLeaveDefaultsAndTheFileAlone) {
    // NUL and high bytes are ordinary characters: they break a key but not the lines around them.
    std::string bytes("Train.Seat\0= 0\n\xff\xfe\x80 = 1\nTrain.Braking = 3\0junk\n\xc3\xa9t\xc3\xa9=1\nTram.Braking = 4\n", 71);
    const Settings& s = load(bytes);
    EXPECT_EQ(s.seat, 1);
    EXPECT_EQ(s.braking[Freight], 3.0f);
    EXPECT_EQ(s.braking[Tram], 4.0f);
    EXPECT_EQ(readFileBytes(configurationFileName), bytes);

    // A single 1 MB line, then a key.
    std::string longLine(1 << 20, 'Q');
    longLine[500000] = '=';
    EXPECT_EQ(load(longLine + "\nTrain.Seat = 0\n").seat, 0);
    EXPECT_EQ(load("Train.Models = " + std::string(1 << 20, 'z') + "\n").modelHashes[Freight].size(), 1u);

    // 10 MB of noise with the key at its very end.
    std::string big;
    big.reserve(10u << 20);
    uint32_t noise = 12345;
    while (big.size() < (10u << 20)) {
        noise = noise * 1103515245u + 12345u;
        const char c = static_cast<char>(noise >> 24);
        big.push_back(c == '=' ? 'x' : c);
    }
    EXPECT_EQ(load(big + "\nTrain.Seat = 0").seat, 0);
}

TEST_F(ConfigReader, RepeatedLoadsAgreeAndForgetEarlierFiles) {
    const std::string file =
        "Train.Seat = 0\nTram.Models = a, b\nTrains.EnterDelay = 2\nDisplay.Speed = 0\nTrain.Derailment = 7\n";
    load(file);
    const Settings first = gSettings;
    loadSettings();
    expectSameSettings(gSettings, first);
    EXPECT_EQ(first.seat, 0);
    EXPECT_EQ(first.modelHashes[Tram].size(), 2u);

    // A key removed from the file returns to its default at the next load.
    load("");
    expectSameSettings(gSettings, defaultsWithHashes());
}

}  // namespace
