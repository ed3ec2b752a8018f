#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "config/setting_table.h"
#include "config/settings.h"
#include "config/writer.h"
#include "host/cab_actions.h"
#include "host/game_controls.h"
#include "tools/playground/core/player_text.h"

namespace {

std::string readSourceFile(const std::string& relativePath) {
    std::ifstream in(std::string(VORN_SOURCE_DIR) + "/" + relativePath, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

bool hasLine(const std::string& text, const std::string& line) {
    std::istringstream lines(text);
    for (std::string candidate; std::getline(lines, candidate);) {
        if (!candidate.empty() && candidate.back() == '\r') {
            candidate.pop_back();
        }
        if (candidate == line) {
            return true;
        }
    }
    return false;
}

}  // namespace

// The player reads the settings in README.txt (in the release) and README.md; both must show each
// key the plug-in reads with the default it writes, and no key it does not read, or they tell the
// player something false.
TEST(PlayerDocs, BothReadmesShowEverySettingWithTheWrittenDefault) {
    const std::string readmeTxt = readSourceFile("release/README.txt.in");
    const std::string readmeMd = readSourceFile("README.md");
    ASSERT_FALSE(readmeTxt.empty());
    ASSERT_FALSE(readmeMd.empty());
    resetSettingsToDefaults();
    std::set<std::string> keys;
    for (const SettingRow& row : kSettingRows) {
        const std::string value = writtenValue(gSettings, row);
        keys.insert(row.key);
        EXPECT_TRUE(hasLine(readmeTxt, std::string("  ") + row.key + " = " + value))
            << "release/README.txt.in lacks \"" << row.key << " = " << value << "\"";
        EXPECT_NE(readmeMd.find(std::string("| `") + row.key + "` | " + value + " |"), std::string::npos)
            << "README.md's settings table lacks " << row.key << " with " << value;
    }
    const std::regex txtKey(R"(^  ([A-Za-z]+\.[A-Za-z]+) = )");
    const std::regex mdKey(R"(^\| `([A-Za-z]+\.[A-Za-z]+)` \| )");
    for (const auto& [name, text, pattern] : {std::tuple{"release/README.txt.in", &readmeTxt, &txtKey},
                                             std::tuple{"README.md", &readmeMd, &mdKey}}) {
        std::istringstream lines(*text);
        std::smatch match;
        for (std::string line; std::getline(lines, line);) {
            if (std::regex_search(line, match, *pattern)) {
                EXPECT_EQ(keys.count(match[1]), 1u) << name << " shows " << match[1] << ", a key the plug-in does not read";
            }
        }
    }
}

TEST(PlayerDocs, ReadmeTxtIsPlainAsciiForAnyEditor) {
    const std::string readmeTxt = readSourceFile("release/README.txt.in");
    for (size_t i = 0; i < readmeTxt.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(readmeTxt[i]);
        ASSERT_TRUE(c == '\n' || (c >= 32 && c < 127)) << "byte " << i << " of release/README.txt.in is " << int(c);
    }
}

// The keys table of README.md tells a player which key and which button does what: each action of the
// cab's table has a row with its keyboard key and its pad button, as the plug-in reads them.
TEST(PlayerDocs, TheReadmesKeysTableHasTheCabsKeyAndButtonForEachAction) {
    const std::string readme = readSourceFile("README.md");
    const size_t start = readme.find("### Keys");
    ASSERT_NE(start, std::string::npos);
    const std::string section = readme.substr(start, readme.find("\n### ", start + 1) - start);
    std::vector<std::pair<std::string, std::string>> rows;  // the keyboard and gamepad cells
    const std::regex row(R"(^\| ([^|]+) \| ([^|]+) \| )");
    std::istringstream lines(section);
    std::smatch match;
    for (std::string line; std::getline(lines, line);)
        if (std::regex_search(line, match, row)) rows.emplace_back(match[1], match[2]);
    const auto shownOn = [](int32_t control, InputDevice device) {
        const ControlInputs inputs = inputsOf(control, device);
        return inputs.count == 0 ? std::string() : playground::inputShown(inputs.names[0], device);
    };
    for (const CabActionRow& action : kCabActions) {
        const std::string key = shownOn(action.control[Keyboard], Keyboard);
        const std::string button = action.control[Pad] == noControl ? "" : shownOn(action.control[Pad], Pad);
        const bool found = std::any_of(rows.begin(), rows.end(), [&](const auto& r) {
            return r.first.find(key) != std::string::npos && (button.empty() || r.second == button);
        });
        EXPECT_TRUE(found) << "README.md's keys table has no row with " << key << " and " << button << " for "
                           << action.does;
    }
}
