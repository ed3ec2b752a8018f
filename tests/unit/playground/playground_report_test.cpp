#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

#include "config/reader.h"
#include "config/settings.h"
#include "tools/playground/core/session.h"
#include "tools/playground/core/settings_report.h"
#include "unit/support/same_settings.h"
#include "unit/support/scratch_directory.h"

namespace {

// Files over every edge of the reader: comments, section headers, short lines, keys in the wrong
// case or with a slip, repeated keys, a second "=", nothing or only a comment after "=", NUL bytes,
// blanks of every kind, LF, CR LF and lone CR line ends, a last line without one.
std::vector<std::string> edgeFiles() {
    using namespace std::string_literals;
    std::vector<std::string> files = {
        "",
        "Train.Seat = 0",
        "; Train.Seat = 0\n[Train.Seat = 0]\nTrain.Seat=0\n",
        "ab\na=\nTrain.Seat\nTrain.Seat =\nTrain.Seat = \t\nTrain.Seat = ;\nTrain.Seat = 0\n",
        "train.seat = 0\r\nTrain.Seat = 1 = 0\r\nTrain.Seat = 0\r\n",
        "Train.Braking = 3\rTrain.Braking = 4\r\r\nTram.Braking\t=\t5;=\n",
        "Train.SpeedForward = 30 ; x = y\nTrain.SpeedForward = 40\n"s,
        "Train.Seat\0 = 0\nTrain.Seat = \0\n\0\0\0\nTram.Models = a,\0,b"s,
        " \t\v\fTrain.Seat \t= 0 \f\n =Train.Seat\n==\n;\n[\n",
        "Train.Sped = 30\nTrain.Models = Freight Train\nTram.Models = ; none\n",
        // Byte-order marks: skipped where the file starts, a part of the line anywhere else.
        "\xEF\xBB\xBFTrain.Seat = 0\r\n\xEF\xBB\xBFTrain.Braking = 3\r\n",
        "\xEF\xBB\xBF\r\nTrain.Seat = 0",
        "\xEF\xBB\xBF\xEF\xBB\xBFTrain.Seat = 0\n",
        "\xEF\xBBTrain.Seat = 0\n",
    };
    // Seeded random files of the same ingredients, for the combinations no one thinks of.
    const std::vector<std::string> keys = {"Train.Seat", "train.seat", "Train.Braking", "Tram.Models", "Train.Sped",
                                           "Trains.EnterDelay", "Display.Speed", "x", ""};
    const std::vector<std::string> before = {"", " ", "\t", ";", "[", "\0"s, "\v"};
    const std::vector<std::string> joins = {" = ", "=", "==", " ", "", " =", "= "};
    const std::vector<std::string> values = {"0", "1", "", ";", " ; c", "2 = 3", "x", "1e999", "\0"s, "  7  "};
    const std::vector<std::string> ends = {"\n", "\r\n", "\r", "\n\n", "\r\r\n", ""};
    std::mt19937 random(16);
    const auto pick = [&](const std::vector<std::string>& from) {
        return from[std::uniform_int_distribution<size_t>(0, from.size() - 1)(random)];
    };
    for (int file = 0; file < 300; ++file) {
        std::string text;
        const int lines = std::uniform_int_distribution<int>(1, 12)(random);
        for (int line = 0; line < lines; ++line) text += pick(before) + pick(keys) + pick(joins) + pick(values) + pick(ends);
        files.push_back(text);
    }
    return files;
}

Settings loaded(const std::string& ini) {
    playground::Session session(ini);
    session.start();
    return gSettings;
}

// The report shows the reader's line for each key and lists the other lines from its own reading;
// the two must never disagree, or a player is told a line counts that the plug-in passes over.
TEST(PlaygroundReport, ItsReadingOfTheLinesAgreesWithThePluginsReader) {
    ScratchDirectory dir;
    for (const std::string& ini : edgeFiles()) {
        playground::Session session(ini);
        for (const auto& [key, line] : playground::suppliedLines(ini)) {
            std::string text;
            size_t readerLine = 0;
            const bool found = readValueText(key, text, readerLine);
            EXPECT_EQ(line, found ? std::optional<size_t>(readerLine) : std::nullopt) << key << " in " << testing::PrintToString(ini);
        }
    }
}

// The drives run on the settings written back one key a line; loaded, they must be the same record.
TEST(PlaygroundReport, SettingsWrittenBackLoadAsTheSameRecord) {
    ScratchDirectory dir;
    std::vector<std::string> files = edgeFiles();
    files.push_back("Trains.EnterDelay = 0.123456789\nTrain.Derailment = 7\nTram.Derailment = -1\nTrain.Models = ;\n"
                    "Trains.DerailedWagonsMaxCount = 1e12\nTram.Braking = -1e-40\nTram.Models = a , b,,\n");
    for (const std::string& ini : files) {
        const Settings original = loaded(ini);
        const Settings again = loaded(playground::settingsIni(ini));
        SCOPED_TRACE(testing::PrintToString(ini));
        expectSameSettings(original, again);
    }
}

}  // namespace
